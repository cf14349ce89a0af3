#include "services/files.h"

#include <windows.h>

#include <string>

#include "services/text_ops.h"
#include "services/wide_paths.h"

namespace {

// Long paths reach 32,767 UTF-16 units.
constexpr std::size_t kLongestPathUnits = 32768;

// Owns a file handle; Close() reports whether closing succeeded.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Close(); }

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    if (!IsValid()) return true;
    const bool closed = CloseHandle(handle_) != FALSE;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

HANDLE OpenForReading(const std::wstring& path) {
  // Others may read too, but not write while the whole file is taken.
  return CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreateForWriting(const std::wstring& path) {
  // Windows refuses to replace a read-only file; Wine run as root does
  // not, and would truncate it. Refuse it here the same way.
  const std::wstring wide = LongPathForm(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

bool WriteAll(HANDLE file, const ByteBuffer& buffer) {
  DWORD written = 0;
  const DWORD length = static_cast<DWORD>(buffer.Length());
  return WriteFile(file, buffer.Data(), length, &written, nullptr) != FALSE && written == length;
}

// A name beside the target that nothing else uses, created empty.
HANDLE CreateUnusedSibling(const std::wstring& path, std::wstring* name) {
  constexpr int kTries = 100;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    *name = LongPathForm(path) + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(attempt) + L".tmp";
    const HANDLE file = CreateFileW(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

// A failure is never reported as success, even when the system gave no code.
DWORD LastError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
}

DWORD WriteAndFlush(HANDLE file, const ByteBuffer& bytes) {
  if (!bytes.IsEmpty() && !WriteAll(file, bytes)) return LastError();
  if (!FlushFileBuffers(file)) return LastError();
  return ERROR_SUCCESS;
}

// Windows refuses to replace a read-only file; Wine run as root does not.
DWORD TargetRefusal(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
  if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
    return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}

}  // namespace

bool FileExists(const Text& path) { return FileExists(WideOf(path)); }

bool FileExists(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(LongPathForm(path).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

ByteBuffer ReadWholeFile(const Text& path) { return ReadWholeFile(WideOf(path)); }

ByteBuffer ReadWholeFile(const std::wstring& path) {
  if (path.empty()) return ByteBuffer();
  FileHandle file(OpenForReading(path));
  LARGE_INTEGER size;
  if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size)) return ByteBuffer();
  // A ByteBuffer holds at most 2^31 - 1 bytes; a larger file cannot be had.
  if (size.QuadPart <= 0 || size.QuadPart > MAXLONG) return ByteBuffer();
  ByteBuffer contents = ByteBuffer::Zeroed(static_cast<std::int32_t>(size.QuadPart));
  DWORD read = 0;
  if (contents.IsEmpty() ||
      !ReadFile(file.Get(), contents.Data(), static_cast<DWORD>(contents.Length()), &read, nullptr))
    return ByteBuffer();
  contents.Truncate(static_cast<std::int32_t>(read));
  return contents;
}

unsigned long ReadError(const Text& path) { return ReadError(WideOf(path)); }

unsigned long ReadError(const std::wstring& path) {
  FileHandle file(OpenForReading(path));
  return file.IsValid() ? 0 : GetLastError();
}

bool WriteWholeFile(const Text& path, std::initializer_list<const ByteBuffer*> buffers) {
  if (path.IsEmpty()) return false;
  FileHandle file(CreateForWriting(WideOf(path)));
  if (!file.IsValid()) return false;
  for (const ByteBuffer* buffer : buffers) {
    if (buffer == nullptr || buffer->IsEmpty()) continue;
    if (!WriteAll(file.Get(), *buffer)) return false;
  }
  return file.Close();
}

bool WriteWholeFile(const Text& path, const ByteBuffer& buffer) {
  return WriteWholeFile(path, {&buffer});
}

unsigned long ReplaceWholeFile(const Text& path, const ByteBuffer& bytes) {
  return ReplaceWholeFile(WideOf(path), bytes);
}

unsigned long ReplaceWholeFile(const std::wstring& path, const ByteBuffer& bytes) {
  if (path.empty()) return ERROR_INVALID_NAME;
  if (const DWORD refusal = TargetRefusal(path)) return refusal;
  std::wstring sibling;
  FileHandle file(CreateUnusedSibling(path, &sibling));
  if (!file.IsValid()) return LastError();
  DWORD error = WriteAndFlush(file.Get(), bytes);
  if (!file.Close() && error == ERROR_SUCCESS) error = LastError();
  if (error == ERROR_SUCCESS &&
      !MoveFileExW(sibling.c_str(), LongPathForm(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    error = LastError();
  if (error != ERROR_SUCCESS) DeleteFileW(sibling.c_str());
  return error;
}

Text SystemErrorText(unsigned long error) {
  char* message = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
  std::string text = length > 0 ? std::string(message, length) : std::string();
  LocalFree(message);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  if (text.empty()) text = std::to_string(error);
  return Text(text);
}

Text RunDirectory() { return AnsiTextOf(WideRunDirectory()); }

std::wstring WideRunDirectory() {
  // Grows until the name fits: paths may be longer than MAX_PATH.
  std::wstring name(MAX_PATH, L'\0');
  while (name.size() <= kLongestPathUnits) {
    const DWORD size = static_cast<DWORD>(name.size());
    const DWORD copied = GetModuleFileNameW(nullptr, name.data(), size);
    if (copied == 0) return std::wstring();
    if (copied < size) return WideFolderOf(name.substr(0, copied));
    name.resize(name.size() * 2);
  }
  return std::wstring();
}
