#include "services/components.h"

#include <commctrl.h>

#include <algorithm>

namespace {
constexpr std::int32_t kMaxProgressPosition = 0x7FFF;
}

void SetVisible(HWND component, bool visible) {
  ShowWindow(component, visible ? SW_SHOW : SW_HIDE);
}

void SetCaption(HWND label, const Text& text) { SetWindowTextA(label, text.CStr()); }

void SetProgressPosition(HWND progressBar, std::int32_t position) {
  std::int32_t clamped = std::clamp(position, 0, kMaxProgressPosition);
  PBRANGE range{};
  SendMessageA(progressBar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  if (range.iLow <= range.iHigh) clamped = std::clamp(clamped, range.iLow, range.iHigh);
  SendMessageA(progressBar, PBM_SETPOS, static_cast<WPARAM>(clamped), 0);
}
