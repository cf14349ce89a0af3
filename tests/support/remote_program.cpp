#include "tests/support/remote_program.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "services/texts.h"
#include "tests/support/test_files.h"

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr int kCellCapacity = 4096;

std::string ProgramBesideTest() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.resize(folder.find_last_of('\\'));
  return folder + "\\md5check.exe";
}

struct WindowSearch {
  DWORD processId;
  const char* className;
  HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (search->className != nullptr && std::string(className) != search->className) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTopWindow(DWORD processId, const char* className) {
  WindowSearch search{processId, className, nullptr};
  EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<std::wstring> WideArguments(const std::vector<std::string>& arguments) {
  std::vector<std::wstring> wide;
  for (const std::string& argument : arguments) wide.push_back(WideOfAnsi(argument));
  return wide;
}

}  // namespace

RemoteProgram::RemoteProgram(const std::string& folder, const std::vector<std::string>& arguments,
                             const std::string& startFolder)
    : RemoteProgram(folder, WideArguments(arguments), startFolder) {}

RemoteProgram::RemoteProgram(const std::string& folder, const std::vector<std::wstring>& arguments,
                             const std::string& startFolder) {
  const std::string program = folder + "\\md5check.exe";
  if (!CopyFileA(ProgramBesideTest().c_str(), program.c_str(), FALSE)) {
    std::fprintf(stderr, "RemoteProgram: copying the program to %s failed (error %lu)\n",
                 program.c_str(), GetLastError());
    return;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + WideOfAnsi(program) + L"\"";
  for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
  const std::string& current = startFolder.empty() ? folder : startFolder;
  if (!CreateProcessW(WideOfAnsi(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, WideOfAnsi(current).c_str(), &startup, &process_)) {
    std::fprintf(stderr, "RemoteProgram: starting %s failed (error %lu)\n", program.c_str(),
                 GetLastError());
    return;
  }
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartTimeoutMs) {
    HWND window = FindTopWindow(process_.dwProcessId, nullptr);
    if (window != nullptr) {
      char caption[64] = {};
      GetWindowTextA(window, caption, sizeof caption);
      if (std::string(caption) == texts::kWindowCaption) {
        window_ = window;
        list_ = FindWindowExA(window, nullptr, "SysListView32", nullptr);
        break;
      }
    }
    Sleep(20);
  }
  if (window_ == nullptr) {
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    std::fprintf(stderr, "RemoteProgram: no main window within %lu ms (exit code %lu)\n",
                 kStartTimeoutMs, code);
  }
  remoteBlock_ = VirtualAllocEx(process_.hProcess, nullptr, sizeof(LVITEMA) + kCellCapacity,
                                MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

RemoteProgram::~RemoteProgram() {
  if (process_.hProcess == nullptr) return;
  if (!Exited()) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND RemoteProgram::ChildWithCaption(const char* caption) const {
  return FindWindowExA(window_, nullptr, "Button", caption);
}

int RemoteProgram::RowCount() const {
  return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteProgram::Cell(int row, int column) const {
  if (remoteBlock_ == nullptr) return {};
  char* remoteText = static_cast<char*>(remoteBlock_) + sizeof(LVITEMA);
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iSubItem = column;
  item.pszText = remoteText;
  item.cchTextMax = kCellCapacity;
  SIZE_T moved = 0;
  WriteProcessMemory(process_.hProcess, remoteBlock_, &item, sizeof item, &moved);
  const auto length = SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(remoteBlock_));
  std::string text(static_cast<size_t>(length), '\0');
  // A program that is ending may answer with a length and no longer have
  // the text: nothing read is no text, not a text of NULs.
  if (length > 0 && (!ReadProcessMemory(process_.hProcess, remoteText, text.data(), text.size(), &moved) ||
                     moved != text.size()))
    return {};
  text.resize(std::strlen(text.c_str()));
  return text;
}

std::wstring RemoteProgram::WideCell(int row, int column) const {
  if (remoteBlock_ == nullptr) return {};
  auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remoteBlock_) + sizeof(LVITEMW));
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iSubItem = column;
  item.pszText = remoteText;
  item.cchTextMax = kCellCapacity / static_cast<int>(sizeof(wchar_t));
  SIZE_T moved = 0;
  WriteProcessMemory(process_.hProcess, remoteBlock_, &item, sizeof item, &moved);
  const auto length = SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(remoteBlock_));
  std::wstring text(static_cast<size_t>(length), L'\0');
  if (length > 0 && (!ReadProcessMemory(process_.hProcess, remoteText, text.data(),
                                        text.size() * sizeof(wchar_t), &moved) ||
                     moved != text.size() * sizeof(wchar_t)))
    return {};
  text.resize(std::wcslen(text.c_str()));
  return text;
}

std::vector<std::vector<std::string>> RemoteProgram::Rows() const {
  std::vector<std::vector<std::string>> rows;
  const int count = RowCount();
  for (int row = 0; row < count; ++row) {
    rows.emplace_back();
    for (int column = 0; column < 5; ++column) rows.back().push_back(Cell(row, column));
  }
  return rows;
}

bool RemoteProgram::WaitFor(const std::function<bool()>& done, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool RemoteProgram::Answers(DWORD timeoutMs) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

void RemoteProgram::PressKey(WPARAM key, bool control, bool shift) const {
  const DWORD programThread = GetWindowThreadProcessId(window_, nullptr);
  const DWORD self = GetCurrentThreadId();
  MSG none;
  PeekMessageA(&none, nullptr, 0, 0, PM_NOREMOVE);  // a thread joins input states only with a queue
  const bool attached = AttachThreadInput(self, programThread, TRUE) != FALSE;
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = control ? 0x80 : 0;
  state[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(state);
  // Wine keeps a thread's key state for 50 ms before asking again.
  Sleep(100);
  PostMessageA(list_, WM_KEYDOWN, key, 1);
  // Sent messages go before posted ones: the second answer comes only
  // after the loop that answered the first took and handled the key.
  Answers(10000);
  Answers(10000);
  state[VK_CONTROL] = state[VK_SHIFT] = 0;
  SetKeyboardState(state);
  if (attached) AttachThreadInput(self, programThread, FALSE);
}

void RemoteProgram::RequestClose() const { PostMessageA(window_, WM_CLOSE, 0, 0); }

long RemoteProgram::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<long>(code);
}

bool RemoteProgram::Exited() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

std::wstring ClipboardText() {
  // The program may still hold the clipboard open a moment.
  for (int tries = 0; !OpenClipboard(nullptr); ++tries) {
    if (tries == 50) return {};
    Sleep(20);
  }
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

HWND WaitForSaveDialog(DWORD processId, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    if (HWND dialog = FindTopWindow(processId, "#32770")) return dialog;
    Sleep(50);
  }
  return nullptr;
}

namespace {

BOOL CALLBACK FindFileNameField(HWND child, LPARAM parameter) {
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  // The name field: an Edit, possibly inside the file name combo box.
  if (std::string(className) == "Edit" && IsWindowVisible(child)) {
    *reinterpret_cast<HWND*>(parameter) = child;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK DescribeChild(HWND child, LPARAM parameter) {
  char className[64] = {}, caption[128] = {};
  GetClassNameA(child, className, sizeof className);
  GetWindowTextA(child, caption, sizeof caption);
  char line[320];
  std::snprintf(line, sizeof line, "  id=%d class=%s visible=%d text=%s\n", GetDlgCtrlID(child),
                className, IsWindowVisible(child) ? 1 : 0, caption);
  *reinterpret_cast<std::string*>(parameter) += line;
  return TRUE;
}

}  // namespace

bool ConfirmSaveDialog(HWND dialog, const std::string& fileName) {
  HWND field = nullptr;
  EnumChildWindows(dialog, FindFileNameField, reinterpret_cast<LPARAM>(&field));
  if (field == nullptr) return false;
  SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return true;
}

void CancelSaveDialog(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

std::string DescribeWindowTree(HWND window) {
  std::string text;
  EnumChildWindows(window, DescribeChild, reinterpret_cast<LPARAM>(&text));
  return text;
}
