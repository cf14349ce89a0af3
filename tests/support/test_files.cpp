#include "tests/support/test_files.h"

#include "tests/support/reference_md5.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

std::string RandomName() {
  static LONG counter = 0;
  char name[64];
  std::snprintf(name, sizeof name, "md5check-test-%lu-%lu-%ld", GetCurrentProcessId(),
                GetTickCount(), InterlockedIncrement(&counter));
  return name;
}

// Wide, so that names the code page lacks go too.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The link only, never what it points to; Wine's links are Unix ones.
        std::string ansi(static_cast<size_t>(path.size() * 2 + 1), '\0');
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, ansi.data(), static_cast<int>(ansi.size()),
                            nullptr, nullptr);
        RunUnixTool("/bin/rm", {ansi.c_str()});
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}


}  // namespace

bool RunUnixTool(const std::string& tool, const std::vector<std::string>& arguments) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return false;  // not under Wine
  std::string command = tool;
  for (const std::string& path : arguments) {
    if (path.rfind('-', 0) == 0) {  // an option, not a path
      command += " " + path;
      continue;
    }
    char* unixPath = toUnix(WideOfAnsi(path).c_str());
    if (unixPath == nullptr) return false;
    command += std::string(" \"") + unixPath + "\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
  }
  const std::string program = "Z:" + tool;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

TempFolder::TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  path_ = std::string(temp) + RandomName();
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(WideOfAnsi(path_)); }

void WriteTestFile(const std::string& path, std::int64_t size, std::uint32_t seed) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  std::vector<char> block(1 << 20);
  std::uint32_t state = seed;
  std::int64_t left = size;
  while (left > 0) {
    for (char& byte : block) {
      if (seed == 0) {
        byte = 'a';
      } else {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
      }
    }
    const DWORD part = static_cast<DWORD>(std::min<std::int64_t>(left, std::int64_t(block.size())));
    DWORD written = 0;
    WriteFile(file, block.data(), part, &written, nullptr);
    left -= part;
  }
  CloseHandle(file);
}

std::wstring WideOfAnsi(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         wide.data(), static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

bool WriteSparseFile(const std::string& path, std::int64_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end{};
  end.QuadPart = size;
  const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return sized;
}

void WriteTextFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadFileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  CloseHandle(file);
  return bytes;
}

std::string ReferenceMd5(const std::string& bytes) {
  ReferenceMd5Stream md5;
  md5.Add(bytes.data(), bytes.size());
  return md5.Hex();
}

std::string ReferenceMd5OfFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  ReferenceMd5Stream md5;
  std::vector<char> block(1 << 20);
  DWORD got = 0;
  while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0)
    md5.Add(block.data(), got);
  CloseHandle(file);
  return md5.Hex();
}

bool FileFingerprint::operator==(const FileFingerprint& other) const {
  return size == other.size && CompareFileTime(&lastWrite, &other.lastWrite) == 0 &&
         digest == other.digest;
}

FileFingerprint FingerprintOf(const std::string& path, bool withDigest) {
  FileFingerprint print;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return print;
  print.size = (std::int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  print.lastWrite = data.ftLastWriteTime;
  if (withDigest && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) print.digest = ReferenceMd5OfFile(path);
  return print;
}

std::vector<std::string> ListFolder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring WideOfUtf8(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

std::string UnixPathOf(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) return {};  // not under Wine
  char* unixPath = toUnix(WideOfAnsi(path).c_str());
  if (unixPath == nullptr) return {};
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

int RunShell(const std::string& folder, const std::string& command, std::string* output,
             const std::string& scratch) {
  // Wine gives no process handle for a Unix program, so the shell writes the
  // exit code last, under its final name only once it is complete.
  constexpr wchar_t kShell[] = L"Z:\\bin\\sh";
  constexpr int kLooks = 600;  // 50 ms apart
  static LONG runs = 0;
  const std::string place = scratch.empty() ? folder : scratch;
  const std::string stem = "shell-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(InterlockedIncrement(&runs));
  const std::string capture = place + "\\" + stem + ".out", code = place + "\\" + stem + ".code";
  // Wide: the command is in the code page, the Unix paths in UTF-8.
  const std::wstring unixCode = WideOfUtf8(UnixPathOf(code));
  std::wstring line = std::wstring(kShell) + L" -c \"" + WideOfAnsi(command) + L" >'" +
                      WideOfUtf8(UnixPathOf(capture)) + L"' 2>&1; echo $? >'" + unixCode + L".part'; mv '" +
                      unixCode + L".part' '" + unixCode + L"'\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(kShell, line.data(), nullptr, nullptr, FALSE, 0, nullptr, WideOfAnsi(folder).c_str(),
                      &startup, &process))
    return -1;
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  std::string codeText;
  for (int look = 0; look < kLooks && codeText.empty(); ++look) {
    Sleep(50);
    codeText = ReadFileBytes(code);
  }
  *output = ReadFileBytes(capture);
  DeleteFileA(capture.c_str());
  DeleteFileA(code.c_str());
  return codeText.empty() ? -1 : std::atoi(codeText.c_str());
}

int RunHostMd5sum(const std::string& folder, const std::string& arguments, std::string* output) {
  return RunShell(folder, "md5sum " + arguments, output);
}
