// A folder mirrored read only through tools/faulty-disk (a FUSE file system
// run as a Unix program), whose files fail, vanish, read slowly or share one
// seeking disk head as its rules say. The mount lives as long as this
// object: the layer unmounts when the handle this object holds on its owner
// file closes, which the system does too should this process die.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/test_files.h"

class FaultyDisk {
 public:
  // `rules`: the layer's own lines, e.g. "fail /a.bin 8388613" (EIO for a
  // read reaching that offset), "vanish /b.bin 9437184" (gone, ENOENT, once
  // a read would pass that many bytes), "slow * 40" (40 ms before every
  // read request), "seek" (one head: 150 MB/s, 8 ms a seek).
  explicit FaultyDisk(const std::vector<std::string>& rules);
  ~FaultyDisk();
  FaultyDisk(const FaultyDisk&) = delete;
  FaultyDisk& operator=(const FaultyDisk&) = delete;

  bool Mounted() const { return owner_ != INVALID_HANDLE_VALUE; }
  // Why there is no mount when FUSE cannot be had here (no /dev/fuse, no
  // right to mount, the layer not built): a reason to skip, not a fault.
  const std::string& Unavailable() const { return unavailable_; }
  // What went wrong otherwise, with the layer's log.
  std::string Problem() const;

  // The mirrored folder: files are written here and read through Mount().
  const std::string& Source() const { return source_; }
  const std::string& Mount() const { return mount_; }
  // The layer's counters: "reads=N seeks=N bytes=N head_ms=N", then one
  // line "served /name N" for each file with a rule of its own.
  std::string Stats() const;

 private:
  TempFolder scratch_;  // the source, the mount point, rules, status, log
  std::string source_;
  std::string mount_;
  std::string unavailable_;
  std::string problem_;
  HANDLE owner_ = INVALID_HANDLE_VALUE;
};

// The system's text for an error, as a message box or tip shows it (no
// line end), in the ANSI code page.
std::string SystemMessageOf(DWORD error);

// Reads a file as the program does (unbuffered, 8 MiB a read, from offset
// 0) to its end; the error of the first read that fails, 0 when none did.
DWORD FirstReadErrorOf(const std::string& path);
