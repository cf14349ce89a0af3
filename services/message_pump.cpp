#include "services/message_pump.h"

namespace {

// Window thread only, like the loops that read them.
HWND keyboardWindow = nullptr;
ShortcutRoutine windowShortcuts = nullptr;

bool IsKeyboardWindowMessage(const MSG& message) {
  return keyboardWindow != nullptr &&
         (message.hwnd == keyboardWindow || IsChild(keyboardWindow, message.hwnd));
}

}  // namespace

void SetKeyboardWindow(HWND window, ShortcutRoutine shortcuts) {
  keyboardWindow = window;
  windowShortcuts = window != nullptr ? shortcuts : nullptr;
}

bool HandleWindowKeys(MSG& message) {
  if (!IsKeyboardWindowMessage(message)) return false;
  if (windowShortcuts != nullptr && windowShortcuts(message)) return true;
  // The dialog manager also works for a window that is no dialog: Tab and
  // Shift+Tab go through the visible WS_TABSTOP children.
  return IsDialogMessageA(keyboardWindow, &message) != FALSE;
}

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) && message.message != WM_QUIT) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return;
    if (message.message == WM_QUIT) {  // posted in between: leave it for the main loop
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (HandleWindowKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
