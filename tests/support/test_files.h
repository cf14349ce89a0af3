// Test data: a private temp folder, files of known content, digests taken
// with the tests' own MD5 (tests/support/reference_md5.h), and fingerprints
// that show whether a file was touched.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Writes `size` bytes of a pattern that depends on `seed` (0 = all "a").
void WriteTestFile(const std::string& path, std::int64_t size, std::uint32_t seed = 1);
void WriteTextFile(const std::string& path, const std::string& bytes);
// A hole of `size` bytes: nothing to write, zeros to read.
bool WriteSparseFile(const std::string& path, std::int64_t size);
std::string ReadFileBytes(const std::string& path);
// A text in the ANSI code page, as UTF-16.
std::wstring WideOfAnsi(const std::string& text);
// Upper-case MD5 of a file's bytes, by the tests' own reference.
std::string ReferenceMd5OfFile(const std::string& path);
std::string ReferenceMd5(const std::string& bytes);

struct FileFingerprint {
  std::int64_t size = -1;
  FILETIME lastWrite{};
  std::string digest;
  bool operator==(const FileFingerprint& other) const;
};
// Without `withDigest`, size and write time only (for files too large to read).
FileFingerprint FingerprintOf(const std::string& path, bool withDigest = true);
// Runs a Unix program (absolute path) under Wine with the Unix forms of the
// Windows paths among the arguments (options, starting with "-", stay as
// they are), and waits for it; true when it ran to its end (Wine does not
// pass its exit code on: check its effect). False outside Wine. For what
// Windows programs cannot do here: symbolic links.
bool RunUnixTool(const std::string& tool, const std::vector<std::string>& arguments);
// Every name in a folder (not recursive), sorted.
std::vector<std::string> ListFolder(const std::string& folder);
// The Unix form of a Windows path under Wine, in the Unix encoding
// (UTF-8 here); empty elsewhere.
std::string UnixPathOf(const std::string& path);
std::wstring WideOfUtf8(const std::string& text);
// Runs a /bin/sh command line (Wine starts Unix programs too) in `folder`
// and waits for it; its exit code, -1 when it could not start or did not
// end within 30 s. What it prints goes to `output`; the files that carry
// it back are made in `scratch` (default: `folder`).
int RunShell(const std::string& folder, const std::string& command, std::string* output,
             const std::string& scratch = "");
// Runs coreutils' md5sum of the host (Wine starts Unix programs too) in
// `folder` with the given arguments; its exit code, -1 when it could not
// start. What it prints goes to `output`.
int RunHostMd5sum(const std::string& folder, const std::string& arguments, std::string* output);
