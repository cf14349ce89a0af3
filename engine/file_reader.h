// FileReader: unbuffered, synchronous reading of one file through the
// Windows handle that Open returned. Stateless: instances are
// interchangeable; each handle is used by one thread at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "services/text.h"

class FileReader {
 public:
  // CreateFileW(GENERIC_READ, share read|write, OPEN_EXISTING,
  // FILE_FLAG_NO_BUFFERING) on the path's wide form, past MAX_PATH as
  // "\\?\..."; INVALID_HANDLE_VALUE on failure and for
  // anything but a disk file (devices such as COM1, NUL, CON).
  HANDLE Open(const Text& path) const;
  HANDLE Open(const std::wstring& path) const;
  std::int64_t GetSize(HANDLE file) const;      // -1 on failure
  std::int64_t GetPosition(HANDLE file) const;  // -1 on failure
  bool IsAtEnd(HANDLE file) const;              // size <= position
  bool Rewind(HANDLE file) const;               // to offset 0
  // Reads up to count bytes (0: the rest of the file) with one ReadFile.
  // `buffer` then holds exactly the bytes read; the result is their number.
  // Storage of at least count bytes is reused, whatever its length was.
  std::int32_t Read(HANDLE file, ByteBuffer& buffer, std::int32_t count) const;
  bool Close(HANDLE file) const;
};
