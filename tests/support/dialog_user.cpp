#include "tests/support/dialog_user.h"

#include <windows.h>

#include <dlgs.h>

#include "tests/support/test_files.h"

namespace {

constexpr DWORD kLookIntervalMs = 50;
constexpr int kLooks = 1200;  // up to a minute: a prefix's first dialog is slow

// The name box: cmb13 in the Explorer style, edt1 in the old one.
HWND NameBox(HWND dialog) {
  HWND nameBox = GetDlgItem(dialog, cmb13);
  return nameBox != nullptr ? nameBox : GetDlgItem(dialog, edt1);
}

struct DialogSearch {
  bool fileDialog;
  HWND found;
};

// A visible standard dialog (class "#32770") of this process: a file
// dialog, or any other (a question, a message).
BOOL CALLBACK TakeDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (process != GetCurrentProcessId() || std::string(name) != "#32770" ||
      !IsWindowVisible(window) || (NameBox(window) != nullptr) != search->fileDialog) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND FindDialog(bool fileDialog) {
  DialogSearch search{fileDialog, nullptr};
  EnumWindows(TakeDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

DialogUser::DialogUser(const std::string& name, bool confirm, int typeIndex)
    : DialogUser(WideOfAnsi(name), confirm, typeIndex) {}

DialogUser::DialogUser(std::wstring name, bool confirm, int typeIndex)
    : thread_([this, name = std::move(name), confirm, typeIndex] { Play(name, confirm, typeIndex); }) {}

DialogUser::~DialogUser() {
  finished_ = true;
  thread_.join();
}

void DialogUser::Play(const std::wstring& name, bool confirm, int typeIndex) {
  HWND dialog = nullptr;
  for (int i = 0; i < kLooks && dialog == nullptr && !finished_; ++i) {
    Sleep(kLookIntervalMs);
    dialog = FindDialog(true);
  }
  if (dialog == nullptr) return;
  found_ = true;
  HWND nameBox = NameBox(dialog);
  if (typeIndex >= 0) {  // as a click in the type box: the dialog hears of the change
    HWND typeBox = GetDlgItem(dialog, cmb1);
    SendMessageA(typeBox, CB_SETCURSEL, static_cast<WPARAM>(typeIndex), 0);
    for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK})  // Wine listens to the second
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(typeBox));
  }
  SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(confirm ? IDOK : IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, confirm ? IDOK : IDCANCEL)));
  while (!finished_) {
    Sleep(kLookIntervalMs);
    HWND question = FindDialog(false);
    if (question == nullptr) continue;
    ++questions_;
    const int answer = GetDlgItem(question, IDYES) != nullptr ? IDYES : IDOK;
    PostMessageA(question, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(question, answer)));
    while (IsWindow(question) && !finished_) Sleep(kLookIntervalMs);
  }
}
