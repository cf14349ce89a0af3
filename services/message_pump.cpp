#include "services/message_pump.h"

#include <cstdint>

namespace {

// The property a window's key handling is kept in: its shortcut routine,
// or kNoShortcuts.
constexpr char kKeysProperty[] = "md5check.keys";
constexpr std::uintptr_t kNoShortcuts = 1;

}  // namespace

void EnableWindowKeys(HWND window, ShortcutRoutine shortcuts) {
  const std::uintptr_t value = shortcuts != nullptr ? reinterpret_cast<std::uintptr_t>(shortcuts) : kNoShortcuts;
  SetPropA(window, kKeysProperty, reinterpret_cast<HANDLE>(value));
}

void DisableWindowKeys(HWND window) { RemovePropA(window, kKeysProperty); }

// A message to a window with keys enabled, or to one of its controls.
bool HandleWindowKeys(MSG& message) {
  HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  const auto value = reinterpret_cast<std::uintptr_t>(root != nullptr ? GetPropA(root, kKeysProperty) : nullptr);
  if (value == 0) return false;
  if (value != kNoShortcuts && reinterpret_cast<ShortcutRoutine>(value)(message)) return true;
  // The dialog manager also works for a window that is no dialog: Tab and
  // Shift+Tab go through the visible WS_TABSTOP children.
  return IsDialogMessageA(root, &message) != FALSE;
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
