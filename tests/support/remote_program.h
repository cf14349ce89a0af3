// Drives the real md5check.exe from outside, as an accessibility tool
// would: finds its window, reads the list's cells through memory placed in
// the program's process, clicks buttons and fills in the save dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class RemoteProgram {
 public:
  // Copies md5check.exe (beside this test program) into `folder` and starts
  // it with the arguments (each quoted) from `startFolder` (default: `folder`);
  // waits until its main window exists.
  explicit RemoteProgram(const std::string& folder, const std::vector<std::string>& arguments = {},
                         const std::string& startFolder = "");
  // Arguments in any script.
  RemoteProgram(const std::string& folder, const std::vector<std::wstring>& arguments,
                const std::string& startFolder = "");
  ~RemoteProgram();
  RemoteProgram(const RemoteProgram&) = delete;
  RemoteProgram& operator=(const RemoteProgram&) = delete;

  bool Started() const { return window_ != nullptr; }
  HWND Window() const { return window_; }
  HWND List() const { return list_; }
  HANDLE Process() const { return process_.hProcess; }
  HWND ChildWithCaption(const char* caption) const;

  int RowCount() const;
  std::string Cell(int row, int column) const;
  // The same cell read as UTF-16 (LVM_GETITEMTEXTW).
  std::wstring WideCell(int row, int column) const;
  std::vector<std::vector<std::string>> Rows() const;
  bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) const;
  // Longest time the window took to answer WM_NULL while `during` held.
  bool Answers(DWORD timeoutMs = 1000) const;

  // A key pressed on the list with Ctrl and Shift as given, as the user
  // would: the keys' state is set in the input state this thread shares
  // with the program's for the moment. Returns once the program handled it.
  void PressKey(WPARAM key, bool control, bool shift) const;

  void RequestClose() const;
  // Waits for the process to end; its exit code, or -1 on time-out.
  long WaitForExit(DWORD timeoutMs);
  bool Exited() const;

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  void* remoteBlock_ = nullptr;
};

// The clipboard's text, empty when it holds none.
std::wstring ClipboardText();

// The save dialog the program shows, found among the program's windows.
HWND WaitForSaveDialog(DWORD processId, DWORD timeoutMs);
// Types a name into the dialog's file name field and confirms it.
bool ConfirmSaveDialog(HWND dialog, const std::string& fileName);
void CancelSaveDialog(HWND dialog);
std::string DescribeWindowTree(HWND window);
