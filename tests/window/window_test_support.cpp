#include "tests/window/window_test_support.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdio>

namespace {

// OLE and the common controls once per test program, as program entry does.
class WindowEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override { OleUninitialize(); }
};
[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new WindowEnvironment);

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

namespace {

TestMainWindow* shown = nullptr;

}  // namespace

MainWindowEvents StartUpEvents(Program& program) {
  MainWindowEvents events;
  events.created = [&program] { program.InitialiseMainWindow(); };
  return events;
}

TestMainWindow::TestMainWindow(const MainWindowEvents& events)
    : TestMainWindow([events](Program&) { return events; }) {}

TestMainWindow::TestMainWindow(const EventsOfProgram& events) : program_(runs_) {
  shown = this;
  window_ = program_.Window().Create(GetModuleHandleA(nullptr), events(program_));
  PumpFor(50);
}

MainWindow& ShownWindow() { return shown->TheProgram().Window(); }
Program& ShownProgram() { return shown->TheProgram(); }

TestMainWindow::~TestMainWindow() {
  // Without a window manager Wine waits 2 s here for the X window to be
  // withdrawn: each window test takes that long.
  if (IsWindow(window_)) DestroyWindow(window_);
  PumpFor(20);
}

Capture::Capture(HWND window, Source source) {
  RECT area{};
  GetClientRect(window, &area);
  width_ = area.right;
  height_ = area.bottom;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (source == kPrinted) {
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                 PRF_CLIENT | PRF_ERASEBKGND);
  } else {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC screen = GetDC(window);
    BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
  }
  GdiFlush();
  const auto* words = static_cast<const std::uint32_t*>(bits);
  pixels_.assign(words, words + static_cast<std::size_t>(width_) * height_);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

COLORREF Capture::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  const std::uint32_t rgb = pixels_[static_cast<std::size_t>(y) * width_ + x];
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool Capture::SaveBmp(const std::string& path) const {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const DWORD pixelBytes = static_cast<DWORD>(pixels_.size() * 4);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;  // "BM"
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + pixelBytes;
  BITMAPINFOHEADER info{sizeof info, width_, -height_, 1, 32, BI_RGB, pixelBytes, 0, 0, 0, 0};
  bool written = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                 std::fwrite(&info, sizeof info, 1, file) == 1 &&
                 std::fwrite(pixels_.data(), pixelBytes, 1, file) == 1;
  return std::fclose(file) == 0 && written;
}
