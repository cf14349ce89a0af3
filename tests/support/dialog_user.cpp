#include "tests/support/dialog_user.h"

#include <windows.h>

#include <dlgs.h>

namespace {

constexpr DWORD kLookIntervalMs = 50;
constexpr int kLooks = 1200;  // up to a minute: a prefix's first dialog is slow

// The visible standard dialog (class "#32770") of this process.
BOOL CALLBACK TakeDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  if (process != GetCurrentProcessId() || std::string(name) != "#32770" ||
      !IsWindowVisible(window)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

HWND FindDialog() {
  HWND dialog = nullptr;
  EnumWindows(TakeDialog, reinterpret_cast<LPARAM>(&dialog));
  return dialog;
}

}  // namespace

DialogUser::DialogUser(std::string name, bool confirm, int typeIndex)
    : thread_([this, name = std::move(name), confirm, typeIndex] { Play(name, confirm, typeIndex); }) {}

DialogUser::~DialogUser() { thread_.join(); }

void DialogUser::Play(const std::string& name, bool confirm, int typeIndex) {
  HWND dialog = nullptr;
  for (int i = 0; i < kLooks && dialog == nullptr; ++i) {
    Sleep(kLookIntervalMs);
    dialog = FindDialog();
  }
  if (dialog == nullptr) return;
  found_ = true;
  // The name box: cmb13 in the Explorer style, edt1 in the old one.
  HWND nameBox = GetDlgItem(dialog, cmb13);
  if (nameBox == nullptr) nameBox = GetDlgItem(dialog, edt1);
  if (typeIndex >= 0) {  // as a click in the type box: the dialog hears of the change
    HWND typeBox = GetDlgItem(dialog, cmb1);
    SendMessageA(typeBox, CB_SETCURSEL, static_cast<WPARAM>(typeIndex), 0);
    for (const WORD notification : {CBN_SELCHANGE, CBN_SELENDOK})  // Wine listens to the second
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(typeBox));
  }
  SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(confirm ? IDOK : IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, confirm ? IDOK : IDCANCEL)));
}
