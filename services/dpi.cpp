#include "services/dpi.h"

namespace {

// Windows 7 and 8 lack these: looked up once, by name.
using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

FARPROC User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(User32Function(name)));
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

UINT DpiOfWindow(HWND window) {
  static const auto getDpiForWindow = User32<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto adjustForDpi = User32<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, client.cx, client.cy};
  if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi))
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

GuiFont::GuiFont(UINT dpi) {
  if (dpi == kDesignDpi) return;
  auto* stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTA font{};
  if (GetObjectA(stock, sizeof font, &font) != sizeof font) return;
  // Stock fonts are made for the system DPI: back to 96, then to `dpi`.
  const int designHeight = MulDiv(font.lfHeight, static_cast<int>(kDesignDpi),
                                  static_cast<int>(SystemDpi()));
  font.lfHeight = ScaleForDpi(designHeight, dpi);
  font.lfWidth = 0;
  owned_ = CreateFontIndirectA(&font);
}

GuiFont::~GuiFont() {
  if (owned_ != nullptr) DeleteObject(owned_);
}

GuiFont::GuiFont(GuiFont&& other) noexcept : owned_(other.owned_) { other.owned_ = nullptr; }

GuiFont& GuiFont::operator=(GuiFont&& other) noexcept {
  HFONT previous = owned_;
  owned_ = other.owned_;
  other.owned_ = previous;  // released with `other`
  return *this;
}

HFONT GuiFont::Handle() const {
  return owned_ != nullptr ? owned_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}
