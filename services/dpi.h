// Dots per inch: sizes are designed at 96 DPI and scaled to the DPI of the
// window that shows them.
#pragma once

#include <windows.h>

inline constexpr UINT kDesignDpi = 96;

// `pixels` at 96 DPI scaled to `dpi`, rounded to the nearest pixel.
inline int ScaleForDpi(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

// The DPI the window is shown at: its monitor's where the system tracks
// DPI per window (Windows 10 1607 and later), else the system's.
UINT DpiOfWindow(HWND window);
// The outer size of a window whose client area is `client`, with the frame
// metrics of `dpi` where the system has them.
SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

// The platform's default GUI font at a DPI: at 96 the stock font itself,
// as always; otherwise an owned copy with its height scaled.
class GuiFont {
 public:
  explicit GuiFont(UINT dpi = kDesignDpi);
  ~GuiFont();
  GuiFont(GuiFont&& other) noexcept;
  GuiFont& operator=(GuiFont&& other) noexcept;
  GuiFont(const GuiFont&) = delete;
  GuiFont& operator=(const GuiFont&) = delete;
  HFONT Handle() const;

 private:
  HFONT owned_ = nullptr;
};
