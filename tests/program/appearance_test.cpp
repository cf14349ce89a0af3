// The real program as Windows shows it: the icon, version and manifest its
// files carry, and its window laid out for the display's DPI.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/remote_program.h"
#include "tests/support/test_files.h"

namespace {

// md5check.exe beside this test, and the other build's when the build
// names it (MD5CHECK_OTHER_BUILD).
std::vector<std::string> ProgramFiles() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string beside(path);
  beside = beside.substr(0, beside.find_last_of("\\/") + 1) + "md5check.exe";
  std::vector<std::string> files{beside};
  if (const char* other = std::getenv("MD5CHECK_OTHER_BUILD")) files.push_back(other);
  return files;
}

std::wstring VersionText(const std::vector<BYTE>& info, const wchar_t* name) {
  const std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
  void* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(info.data(), query.c_str(), &text, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(text), length - 1);
}

TEST(ProgramFiles, CarryTheIconTheVersionAndTheManifest) {
  for (const std::string& file : ProgramFiles()) {
    SCOPED_TRACE(file);
    HMODULE image = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC group = FindResourceA(image, MAKEINTRESOURCEA(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    // GRPICONDIR: three words, then 14-byte entries whose first byte is the
    // width (0 for 256).
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
    std::vector<int> sizes;
    for (int i = 0; i < *reinterpret_cast<const WORD*>(directory + 4); ++i) {
      const int width = directory[6 + 14 * i];
      sizes.push_back(width == 0 ? 256 : width);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 24, 32, 48, 256}));

    HRSRC manifest = FindResourceA(image, MAKEINTRESOURCEA(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                           SizeofResource(image, manifest));
    for (const char* needle :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"asInvoker\"",
          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
          ">true/pm</dpiAware>", ">PerMonitorV2, PerMonitor</dpiAwareness>",
          ">true</longPathAware>"}) {
      EXPECT_NE(text.find(needle), std::string::npos) << needle;
    }
    FreeLibrary(image);

    const std::wstring path = WideOfAnsi(file);
    std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    EXPECT_EQ(VersionText(info, L"FileDescription"), L"MD5\x6821\x9A8C\x5DE5\x5177");  // MD5校验工具
    EXPECT_EQ(VersionText(info, L"FileVersion"), WideOfAnsi(MD5CHECK_BUILD_VERSION));
    EXPECT_EQ(VersionText(info, L"ProductVersion"), WideOfAnsi(MD5CHECK_BUILD_VERSION));
    EXPECT_FALSE(VersionText(info, L"ProductName").empty());
    EXPECT_FALSE(VersionText(info, L"CompanyName").empty());
  }
}

UINT DisplayDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return static_cast<UINT>(dpi);
}

RECT PlaceIn(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Every visible component of the window lies inside its client area.
void ExpectComponentsInside(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  int visible = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    ++visible;
    const RECT place = PlaceIn(window, child);
    EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                place.bottom <= client.bottom)
        << DescribeWindowTree(child);
  }
  EXPECT_EQ(visible, 6);  // the list, 导出文件, 停止, the label, the counts and the bar
}

// Run once as it is and once in a prefix of 144 DPI (program_test_144dpi).
TEST(ProgramWindow, ScalesWithTheDisplayDpiAndKeepsEveryComponentInside) {
  TempFolder folder;
  RemoteProgram program(folder.Path());
  ASSERT_TRUE(program.Started());
  const UINT dpi = DisplayDpi();
  RECT outer{};
  GetWindowRect(program.Window(), &outer);
  EXPECT_EQ(outer.right - outer.left, MulDiv(727, dpi, 96));
  const int widths[] = {20, 200, 150, 200, 150};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(SendMessageA(program.List(), LVM_GETCOLUMNWIDTH, i, 0), MulDiv(widths[i], dpi, 96)) << i;
  const RECT stop = PlaceIn(program.Window(), program.ChildWithCaption("\xCD\xA3\xD6\xB9"));  // 停止
  EXPECT_EQ(stop.right - stop.left, MulDiv(100, dpi, 96));
  EXPECT_EQ(stop.bottom - stop.top, MulDiv(24, dpi, 96));
  ExpectComponentsInside(program.Window());

  SetWindowPos(program.Window(), nullptr, 0, 0, MulDiv(1000, dpi, 96), MulDiv(700, dpi, 96),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(program.Window(), &client);
  EXPECT_EQ(PlaceIn(program.Window(), program.List()).right, client.right);
  ExpectComponentsInside(program.Window());
  program.RequestClose();
  EXPECT_EQ(program.WaitForExit(30000), 0);
}

}  // namespace
