#include "tests/support/faulty_disk.h"

#include <cstdio>

#include "tests/support/test_files.h"

namespace {

constexpr char kOwnerName[] = ".faulty-disk-owner";
constexpr char kStatsName[] = ".faulty-disk-stats";
constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kEndTimeoutMs = 30000;
constexpr DWORD kLookMs = 50;
constexpr DWORD kChunkSize = 8 * 1024 * 1024;

// The layer is built beside the test programs (tools/faulty-disk).
std::string LayerBesideTests() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.resize(folder.find_last_of('\\'));
  return folder + "\\faulty-disk";
}

// A Unix path (UTF-8) as one argument.
std::wstring Quoted(const std::string& unixPath) { return L"\"" + WideOfUtf8(unixPath) + L"\""; }

bool StartUnixProgram(const std::string& program, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + WideOfAnsi(program) + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(WideOfAnsi(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return false;
  // Wine hands back no handle for a Unix program: the layer's status file
  // says how it went.
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  return true;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

FaultyDisk::FaultyDisk(const std::vector<std::string>& rules) {
  const std::string layer = LayerBesideTests();
  if (GetFileAttributesA(layer.c_str()) == INVALID_FILE_ATTRIBUTES) {
    unavailable_ = "the FUSE layer was not built (tools/faulty-disk needs libfuse3-dev: tools/bootstrap)";
    return;
  }
  source_ = scratch_.Join("source");
  mount_ = scratch_.Join("disk");
  CreateDirectoryA(source_.c_str(), nullptr);
  CreateDirectoryA(mount_.c_str(), nullptr);
  std::string ruleText;
  for (const std::string& rule : rules) ruleText += rule + "\n";
  WriteTextFile(scratch_.Join("rules"), ruleText);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string unixTemp = UnixPathOf(temp);
  if (unixTemp.empty()) {
    unavailable_ = "not under Wine: the FUSE layer is a Unix program";
    return;
  }
  // Mounts under this prefix's temp folder whose layer was killed are
  // detached first; live ones of other tests are left alone.
  const std::wstring arguments = L"--clean " + Quoted(unixTemp) + L" --owner --lifetime 1800 --rules " +
                                 Quoted(UnixPathOf(scratch_.Join("rules"))) + L" --status " +
                                 Quoted(UnixPathOf(scratch_.Join("status"))) + L" --log " +
                                 Quoted(UnixPathOf(scratch_.Join("log"))) + L" " +
                                 Quoted(UnixPathOf(source_)) + L" " + Quoted(UnixPathOf(mount_));
  if (!StartUnixProgram(layer, arguments)) {
    problem_ = "the layer did not start (error " + std::to_string(GetLastError()) + ")";
    return;
  }
  std::string status;
  for (DWORD waited = 0; waited < kStartTimeoutMs && status.empty(); waited += kLookMs) {
    Sleep(kLookMs);
    status = FirstLine(ReadFileBytes(scratch_.Join("status")));
  }
  if (status.rfind("unavailable", 0) == 0) {
    unavailable_ = "FUSE is not available here: " + status;
    return;
  }
  if (status != "ready") {
    problem_ = status.empty() ? "the layer did not report within 30 s" : "the layer said: " + status;
    return;
  }
  owner_ = CreateFileA((mount_ + "\\" + kOwnerName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  if (owner_ == INVALID_HANDLE_VALUE) problem_ = "the layer's owner file could not be opened";
}

FaultyDisk::~FaultyDisk() {
  if (owner_ != INVALID_HANDLE_VALUE) {
    CloseHandle(owner_);  // the layer unmounts
    for (DWORD waited = 0; waited < kEndTimeoutMs; waited += kLookMs) {
      if (FirstLine(ReadFileBytes(scratch_.Join("status"))) == "ended") break;
      Sleep(kLookMs);
    }
  }
  // The scratch folder goes with its member; a mount still there (the
  // layer did not end) is read only, so nothing behind it is touched.
}

std::string FaultyDisk::Problem() const {
  return problem_ + "\nlayer's log:\n" + ReadFileBytes(scratch_.Join("log"));
}

std::string FaultyDisk::Stats() const { return ReadFileBytes(mount_ + "\\" + kStatsName); }

std::string SystemMessageOf(DWORD error) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                 sizeof text, nullptr);
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

DWORD FirstReadErrorOf(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  // Page-aligned, as unbuffered reads need.
  void* buffer = VirtualAlloc(nullptr, kChunkSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  DWORD error = 0, got = 0;
  while (error == 0) {
    if (!ReadFile(file, buffer, kChunkSize, &got, nullptr)) {
      error = GetLastError();
    } else if (got == 0) {
      break;
    }
  }
  VirtualFree(buffer, 0, MEM_RELEASE);
  CloseHandle(file);
  return error;
}
