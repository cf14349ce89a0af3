#include "engine/file_reader.h"

#include <limits>
#include <new>

#include "services/wide_paths.h"

namespace {

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr std::int64_t kFailed = -1;

// The rest of the file as a 32-bit read count, or 0 when it cannot be one:
// a failed size or position query, or 2 GiB and more, would otherwise wrap
// into a negative or short count and silently hash only part of the file.
std::int32_t RestOfFile(const FileReader& reader, HANDLE file) {
  const std::int64_t size = reader.GetSize(file);
  const std::int64_t position = reader.GetPosition(file);
  if (size == kFailed || position == kFailed) return 0;
  const std::int64_t rest = size - position;
  if (rest <= 0 || rest > std::numeric_limits<std::int32_t>::max()) return 0;
  return static_cast<std::int32_t>(rest);
}

}  // namespace

HANDLE FileReader::Open(const Text& path) const { return Open(WideOf(path)); }

HANDLE FileReader::Open(const std::wstring& path) const {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, kShareReadWrite, nullptr,
                            OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  // A name such as "COM1" or "nul.txt" opens a device in any folder. A
  // serial port reports size 0 but no position, so the read loop would
  // block in ReadFile for ever; NUL would pass as an empty file. Only
  // disk files are files here.
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

std::int64_t FileReader::GetSize(HANDLE file) const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) return kFailed;
  return size.QuadPart;
}

std::int64_t FileReader::GetPosition(HANDLE file) const {
  LARGE_INTEGER position{};
  if (!SetFilePointerEx(file, LARGE_INTEGER{}, &position, FILE_CURRENT)) return kFailed;
  return position.QuadPart;
}

bool FileReader::IsAtEnd(HANDLE file) const { return GetSize(file) <= GetPosition(file); }

bool FileReader::Rewind(HANDLE file) const {
  // Minus the size from the end lands on offset 0.
  LARGE_INTEGER distance{};
  distance.QuadPart = -GetSize(file);
  return SetFilePointerEx(file, distance, nullptr, FILE_END) != FALSE;
}

std::int32_t FileReader::Read(HANDLE file, ByteBuffer& buffer, std::int32_t count) const {
  if (count < 0) {  // never hand ReadFile a wrapped-around length
    buffer.Release();
    return 0;
  }
  if (count == 0) count = RestOfFile(*this, file);

  // The caller's storage is about to be replaced anyway, so storage big
  // enough is read into directly instead of allocating (and zeroing) a new
  // 8 MiB chunk each time; its earlier length does not matter. Either way
  // the storage is page-aligned, as unbuffered reads require on real disks.
  if (count == 0) {
    buffer.Release();
  } else if (buffer.Capacity() < count) {
    try {
      buffer = ByteBuffer::Zeroed(count);
    } catch (const std::bad_alloc&) {  // out of address space: a failed read
      buffer.Release();
      return 0;
    }
  }

  DWORD bytesRead = 0;
  if (!ReadFile(file, buffer.Data(), static_cast<DWORD>(count), &bytesRead, nullptr)) {
    bytesRead = 0;
  }
  // Nothing read leaves an empty buffer that keeps its storage for reuse.
  buffer.SetLength(static_cast<std::int32_t>(bytesRead));
  return static_cast<std::int32_t>(bytesRead);
}

bool FileReader::Close(HANDLE file) const {
  // INVALID_HANDLE_VALUE is also the current-process pseudo handle, which
  // CloseHandle "closes" with success; a failed open must not look closed.
  if (file == INVALID_HANDLE_VALUE) return false;
  return CloseHandle(file) != FALSE;
}
