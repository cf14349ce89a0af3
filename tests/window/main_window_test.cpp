// The main window and its components as they stand after creation, and the
// events they raise.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

#include "services/texts.h"
#include "shell/digest_list.h"
#include "services/file_drop.h"
#include "services/list_control.h"
#include "services/message_pump.h"
#include "services/text_ops.h"
#include "services/wide_paths.h"
#include "shell/main_window.h"
#include "tests/window/window_test_support.h"

namespace {

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

RECT PlaceInParent(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LONG_PTR StyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }
LONG_PTR ExStyleOf(HWND window) { return GetWindowLongPtrA(window, GWL_EXSTYLE); }

struct ExpectedChild {
  const char* name;
  HWND handle;
  const char* windowClass;
  RECT place;  // left, top, right, bottom in the client area
  bool visible;
  const char* caption;
};

RECT ClientRect(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return client;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom && inner.right > inner.left && inner.bottom > inner.top;
}

// The layout at `dpi`: the list on top as wide as the client area; below
// it 停止, 标签1, 进度条1 and 导出文件 from left to right, none overlapping,
// all inside the client area; the hidden buttons where they were designed.
void ExpectLaidOut(HWND window, UINT dpi) {
  const RECT client = ClientRect(window);
  const RECT list = PlaceInParent(ShownWindow().list.Handle());
  EXPECT_EQ(list.left, 0);
  EXPECT_EQ(list.top, MulDiv(1, dpi, 96));
  EXPECT_EQ(list.right, client.right);
  HWND previous = nullptr;
  for (HWND strip : {ShownWindow().stopButton, ShownWindow().countLabel, ShownWindow().progressBar, ShownWindow().exportButton}) {
    SCOPED_TRACE(WindowText(strip) + " " + ClassOf(strip));
    const RECT place = PlaceInParent(strip);
    EXPECT_TRUE(Inside(place, client));
    EXPECT_GE(place.top, list.bottom);
    if (previous != nullptr) {
      EXPECT_GE(place.left, PlaceInParent(previous).right);
    }
    previous = strip;
  }
  EXPECT_EQ(PlaceInParent(ShownWindow().pooledRunButton).left, MulDiv(256, dpi, 96));
  EXPECT_EQ(PlaceInParent(ShownWindow().plainRunButton).top, MulDiv(388, dpi, 96));
  EXPECT_FALSE(IsWindowVisible(ShownWindow().pooledRunButton));
  EXPECT_FALSE(IsWindowVisible(ShownWindow().plainRunButton));
}

TEST(MainWindow, IsCentredResizableWindowOfStatedWidthAndCaption) {
  TestMainWindow window;
  ASSERT_NE(window.Handle(), nullptr);
  EXPECT_EQ(ShownWindow().window, window.Handle());
  RECT outer{};
  GetWindowRect(window.Handle(), &outer);
  EXPECT_EQ(outer.right - outer.left, 727);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 727) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);

  const LONG_PTR style = StyleOf(window.Handle());
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_THICKFRAME);

  // As tall as the list's designed 399 pixels below its 1-pixel top and
  // the strip of 40 below it need.
  EXPECT_EQ(ClientRect(window.Handle()).bottom, 1 + 399 + 40);
  EXPECT_EQ(WindowText(window.Handle()), "MD5\xD0\xA3\xD1\xE9\xB9\xA4\xBE\xDF");  // MD5校验工具
}

TEST(MainWindow, ChildrenAreOfTheirKindAndCaptionListAboveTheStripAllInsideTheClientArea) {
  TestMainWindow window;
  const ExpectedChild children[] = {
      {"超级列表框", ShownWindow().list.Handle(), "SysListView32", {}, true, ""},
      {"按钮1", ShownWindow().exportButton, "Button", {0, 0, 88, 32}, true, "\xB5\xBC\xB3\xF6\xCE\xC4\xBC\xFE"},
      {"按钮_线程池获取", ShownWindow().pooledRunButton, "Button", {256, 144, 356, 168}, false,
       "\xCF\xDF\xB3\xCC\xB3\xD8\xC8\xA1\xD5\xAA\xD2\xAA"},
      {"按钮_普通获取", ShownWindow().plainRunButton, "Button", {32, 388, 132, 412}, false,
       "\xC6\xD5\xCD\xA8\xC8\xA1\xD5\xAA\xD2\xAA"},
      {"按钮_线程池获取1", ShownWindow().stopButton, "Button", {0, 0, 100, 24}, true, "\xCD\xA3\xD6\xB9"},
      {"标签1", ShownWindow().countLabel, "Static", {}, true, ""},
      {"进度条1", ShownWindow().progressBar, "msctls_progress32", {0, 0, 297, 18}, true, ""},
  };
  for (const ExpectedChild& child : children) {
    SCOPED_TRACE(child.name);
    HWND handle = child.handle;
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(GetParent(handle), window.Handle());
    EXPECT_EQ(ClassOf(handle), child.windowClass);
    // Designed sizes (the hidden buttons' places too); the list and the
    // label take the room the layout leaves.
    const RECT place = PlaceInParent(handle);
    if (child.place.right != 0) {
      EXPECT_EQ(place.right - place.left, child.place.right - child.place.left);
      EXPECT_EQ(place.bottom - place.top, child.place.bottom - child.place.top);
    }
    if (!child.visible) {
      EXPECT_EQ(place.left, child.place.left);
    }
    EXPECT_EQ((StyleOf(handle) & WS_VISIBLE) != 0, child.visible);
    EXPECT_EQ(WindowText(handle), child.caption);
  }
  ExpectLaidOut(window.Handle(), 96);
  for (HWND button : {ShownWindow().exportButton, ShownWindow().pooledRunButton, ShownWindow().plainRunButton, ShownWindow().stopButton}) {
    EXPECT_EQ(StyleOf(button) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_TRUE(StyleOf(button) & WS_TABSTOP);
  }
  EXPECT_FALSE(StyleOf(ShownWindow().countLabel) & WS_TABSTOP);
  EXPECT_FALSE(StyleOf(ShownWindow().progressBar) & WS_TABSTOP);
  EXPECT_TRUE(StyleOf(ShownWindow().progressBar) & PBS_SMOOTH);
  EXPECT_FALSE(StyleOf(ShownWindow().progressBar) & PBS_VERTICAL);
  EXPECT_TRUE(ExStyleOf(ShownWindow().progressBar) & WS_EX_STATICEDGE);
  PBRANGE range{};
  SendMessageA(ShownWindow().progressBar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_EQ(SendMessageA(ShownWindow().progressBar, PBM_GETPOS, 0, 0), 0);
}

TEST(MainWindow, ResizingKeepsTheLayoutDownToAMinimumSize) {
  TestMainWindow window;
  const SIZE sizes[] = {{1200, 900}, {100, 100}, {727, 300}};
  for (const SIZE& size : sizes) {
    SCOPED_TRACE(std::to_string(size.cx) + " x " + std::to_string(size.cy));
    SetWindowPos(window.Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    ExpectLaidOut(window.Handle(), 96);
  }
  // The smallest size still shows the list's header and a few rows.
  SetWindowPos(window.Handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_GE(PlaceInParent(ShownWindow().list.Handle()).bottom, 100);
  EXPECT_GE(ClientRect(window.Handle()).right, 480);
  ShowWindow(window.Handle(), SW_MAXIMIZE);
  PumpFor(100);
  ExpectLaidOut(window.Handle(), 96);
}

// A move to a monitor of 144 DPI, as the system announces it.
TEST(MainWindow, AtAnotherDpiEverySizeScalesAndTheSuggestedRectIsTaken) {
  TestMainWindow window;
  ListSetItemCount(ShownWindow().list.Handle(), 1);
  RECT suggested{40, 30, 40 + 1091, 30 + 700};
  SendMessageA(window.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
               reinterpret_cast<LPARAM>(&suggested));
  RECT outer{};
  GetWindowRect(window.Handle(), &outer);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.right - outer.left, 1091);
  EXPECT_EQ(outer.bottom - outer.top, 700);
  ExpectLaidOut(window.Handle(), 144);
  const int widths[] = {30, 300, 225, 300, 225};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ListColumnWidth(ShownWindow().list.Handle(), i), widths[i]) << i;
  const RECT stop = PlaceInParent(ShownWindow().stopButton);
  EXPECT_EQ(stop.right - stop.left, 150);
  EXPECT_EQ(stop.bottom - stop.top, 36);
  EXPECT_EQ(PlaceInParent(ShownWindow().progressBar).bottom - PlaceInParent(ShownWindow().progressBar).top, 27);
  EXPECT_EQ(PlaceInParent(ShownWindow().exportButton).right - PlaceInParent(ShownWindow().exportButton).left, 132);
  RECT row{LVIR_BOUNDS, 0, 0, 0};
  SendMessageA(ShownWindow().list.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
  EXPECT_EQ(row.bottom - row.top, 30 + 1);
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(ShownWindow().exportButton, WM_GETFONT, 0, 0)), sizeof font, &font);
  LOGFONTA stock{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
  EXPECT_EQ(font.lfHeight, MulDiv(stock.lfHeight, 144, 96));
}

TEST(MainWindow, StripButtonsAreClickableWhereTheyStand) {
  TestMainWindow window;
  for (HWND button : {ShownWindow().exportButton, ShownWindow().stopButton}) {
    const RECT place = PlaceInParent(button);
    const POINT centre{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    EXPECT_EQ(ChildWindowFromPointEx(window.Handle(), centre, CWP_SKIPINVISIBLE), button);
  }
}

TEST(MainWindow, ListIsSingleSelectFullRowGridReportWithoutSortingOrImages) {
  TestMainWindow window;
  const LONG_PTR style = StyleOf(ShownWindow().list.Handle());
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_TRUE(style & WS_TABSTOP);
  EXPECT_FALSE(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING | LVS_NOCOLUMNHEADER |
                        LVS_EDITLABELS));
  EXPECT_TRUE(ExStyleOf(ShownWindow().list.Handle()) & WS_EX_CLIENTEDGE);
  const auto extended = SendMessageA(ShownWindow().list.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
  EXPECT_FALSE(extended & (LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT));
  EXPECT_EQ(ListItemCount(ShownWindow().list.Handle()), 0);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(ShownWindow().list.Handle(), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));

  auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(ShownWindow().list.Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  ASSERT_NE(images, nullptr);
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(width, 1);
  EXPECT_EQ(height, 20);

  EXPECT_EQ(ListTextColor(ShownWindow().list.Handle()), 0x000000u);
  EXPECT_EQ(ListTextBackColor(ShownWindow().list.Handle()), 0xFFFFFFu);
  EXPECT_EQ(ListBackColor(ShownWindow().list.Handle()), 0xFFFFFFu);
}

TEST(MainWindow, ListHasFiveColumnsWithHeadersWidthsAndAlignment) {
  TestMainWindow window;
  struct Column {
    const char* header;
    int width;
    int format;
  };
  const Column expected[] = {
      {"", 20, LVCFMT_LEFT},
      {"\xCE\xC4\xBC\xFE\xC2\xB7\xBE\xB6", 200, LVCFMT_LEFT},    // 文件路径
      {"\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1", 150, LVCFMT_LEFT},    // 文件大小
      {"\xCA\xFD\xBE\xDD\xD5\xAA\xD2\xAA", 200, LVCFMT_CENTER},  // 数据摘要
      {"\xB5\xB1\xC7\xB0\xBD\xF8\xB6\xC8", 150, LVCFMT_LEFT},    // 当前进度
  };
  HWND header = reinterpret_cast<HWND>(SendMessageA(ShownWindow().list.Handle(), LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 5);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    char text[64] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(ShownWindow().list.Handle(), LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, expected[i].header);
    EXPECT_EQ(column.cx, expected[i].width);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, expected[i].format);
  }
}

TEST(MainWindow, RowsAreAsHighAsTheBlankRowImages) {
  TestMainWindow window;
  ListSetItemCount(ShownWindow().list.Handle(), 2);
  for (int row = 0; row < 2; ++row) {
    RECT bounds{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(ShownWindow().list.Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
    // The 20-pixel images plus the list's one pixel of item padding, far
    // above the font's own height.
    EXPECT_EQ(bounds.bottom - bounds.top, 20 + 1) << "row " << row;
  }
}

TEST(MainWindow, ExportDialogIsSaveDialogThatAcceptsNewFileNames) {
  TestMainWindow window;
  EXPECT_EQ(ShownWindow().exportDialog.type, FileDialogComponent::kSave);
  EXPECT_EQ(ShownWindow().exportDialog.defaultExtension, Text("txt"));
  // Two types, the name=digest list first; a bare name still gets ".txt".
  EXPECT_EQ(ShownWindow().exportDialog.filter, ConcatTexts({texts::kExportTypeDigestList, "|*.txt;*.ini|",
                                           texts::kExportTypeMd5sum, "|*.md5"}));
  EXPECT_EQ(ShownWindow().exportDialog.filterIndex, 0);
  EXPECT_TRUE(ShownWindow().exportDialog.initialDirectory.IsEmpty());
  EXPECT_TRUE(ShownWindow().exportDialog.title.IsEmpty());
  EXPECT_EQ(ShownWindow().exportDialog.extraFlags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST));
}

// Event handlers record their calls here.
int createdCalls, exportCalls, pooledRunCalls, stopCalls, closeCalls, ticks;
bool componentsExistedAtCreation;
DWORD firstTickAfterMs, createdAt;

MainWindowEvents CountingEvents() {
  createdCalls = exportCalls = pooledRunCalls = stopCalls = closeCalls = ticks = 0;
  firstTickAfterMs = 0;
  MainWindowEvents events;
  events.created = [] {
    ++createdCalls;
    createdAt = GetTickCount();
    componentsExistedAtCreation = ShownWindow().list.Handle() && ShownWindow().exportButton && ShownWindow().pooledRunButton && ShownWindow().plainRunButton &&
                                  ShownWindow().stopButton && ShownWindow().countLabel && ShownWindow().progressBar;
  };
  events.exportClicked = [] { ++exportCalls; };
  events.pooledRunClicked = [] { ++pooledRunCalls; };
  events.stopClicked = [] { ++stopCalls; };
  events.closeRequested = [] { ++closeCalls; };
  events.tick = [] {
    if (ticks++ == 0) firstTickAfterMs = GetTickCount() - createdAt;
  };
  return events;
}

TEST(MainWindowEvents, CreatedRunsOnceAfterAllComponentsExist) {
  TestMainWindow window(CountingEvents());
  EXPECT_EQ(createdCalls, 1);
  EXPECT_TRUE(componentsExistedAtCreation);
}

TEST(MainWindowEvents, ButtonClicksReachTheirHandlersOnly) {
  TestMainWindow window(CountingEvents());
  SendMessageA(ShownWindow().exportButton, BM_CLICK, 0, 0);
  EXPECT_EQ(exportCalls, 1);
  SendMessageA(ShownWindow().stopButton, BM_CLICK, 0, 0);
  EXPECT_EQ(stopCalls, 1);
  // The hidden buttons click only by message; the plain one has no handler.
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(kIdPooledRunButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(ShownWindow().pooledRunButton));
  EXPECT_EQ(pooledRunCalls, 1);
  SendMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(kIdPlainRunButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(ShownWindow().plainRunButton));
  EXPECT_EQ(exportCalls + stopCalls + pooledRunCalls, 3);
}

TEST(MainWindowEvents, ClockTicksEveryFourHundredMilliseconds) {
  TestMainWindow window(CountingEvents());
  ASSERT_TRUE(PumpUntil([] { return ticks >= 2; }));
  // Timers never fire early; Wine's are exact to a few milliseconds.
  EXPECT_GE(firstTickAfterMs + 20, 400u);
}

TEST(MainWindowEvents, CloseRunsTheCloseHandlerInsteadOfClosing) {
  TestMainWindow window(CountingEvents());
  SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(closeCalls, 1);
  EXPECT_TRUE(IsWindow(window.Handle()));
}

TEST(MainWindowEvents, WithoutCloseHandlerClosingEndsTheMessageLoop) {
  TestMainWindow window;
  SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window.Handle()));
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The window keeps its own procedure: the list's drawing is reached
// through the window's WM_NOTIFY, not by replacing it.
TEST(StartUp, SetsThreadCountColoursAndDropTargetInOrder) {
  TestMainWindow window(StartUpEvents);
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  EXPECT_EQ(window.Runs().workerThreadCount, static_cast<std::int32_t>(system.dwNumberOfProcessors * 2));
  const CellColors& colors = ShownWindow().list.Colors();
  EXPECT_EQ(colors.listTextColor, 0x000000u);
  EXPECT_EQ(colors.listBackColor, 0xFFFFFFu);
  EXPECT_EQ(colors.listTextBackColor, 0xFFFFFFu);
  EXPECT_EQ(colors.selectedCellColor, 0xC06000u);
  EXPECT_EQ(colors.progressDoneColor, 0x00FFCCu);
  EXPECT_EQ(colors.progressRestColor, 0xFFFFFFu);
  EXPECT_EQ(colors.progressTextColor, colors.listTextColor);
  EXPECT_EQ(colors.progressSelectedTextColor, 0x0000FFu);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  char className[64] = {};
  GetClassNameA(window.Handle(), className, sizeof className);
  ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), className, &windowClass));
  EXPECT_EQ(GetWindowLongPtrA(window.Handle(), GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(windowClass.lpfnWndProc));
  EXPECT_TRUE(ShownWindow().dropTarget.registered);
  EXPECT_FALSE(RegisterFileDrop(ShownWindow().dropTarget, window.Handle()));
}

// A key pressed on `target` with the `held` keys down, handled by the pump
// the window thread runs while it waits (WinMain's loop asks the same
// routine, HandleWindowKeys).
void PressKey(HWND target, WPARAM key, std::initializer_list<int> held = {}) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (int down : held) state[down] = 0x80;
  SetKeyboardState(state);
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, 0xC0000001);
  PumpPendingMessages();
  for (int down : held) state[down] = 0;
  SetKeyboardState(state);
}

const char kDigest[] = "0123456789ABCDEF0123456789ABCDEF";

// The digest cell of each row shown, in place of a run's hashing: a
// digest, the computing text, or nothing.
std::vector<std::string> shownDigests;

// A row for `path` in the test window's coordinator, its rows shown as a
// run would leave them: `digest` final, computing, or not started. A
// `folder` makes it a verified list's file, named relative to it.
void AddListedRow(const char* path, const char* digest, const wchar_t* folder = nullptr) {
  RunCoordinator& runs = ShownProgram().Runs();
  const std::wstring widePath = WideOf(Text(path));
  if (folder != nullptr) {
    runs.filePaths.Append(ListedEntry(widePath, folder, Text(digest)));
  } else {
    runs.filePaths.Append(widePath);
  }
  shownDigests.push_back(digest);
  const EntrySnapshot entries = runs.filePaths.Snapshot();
  auto rows = std::make_shared<RunRows>(0, entries.store, FilesToHash(entries));
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    const std::string& cell = shownDigests[static_cast<std::size_t>(row)];
    if (cell.empty()) continue;
    rows->Start(row, 3);
    Digest bytes;
    if (ParseHexDigest(cell, DigestAlgorithm::kMd5, kMd5DigestBytes, &bytes)) rows->Finish(row, bytes);
  }
  ShownWindow().list.Show(rows);
}

void SelectRow(int row) {
  ListView_SetItemState(ShownWindow().list.Handle(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void PutOnClipboard(const char* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
  memcpy(GlobalLock(block), text, strlen(text) + 1);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
}

std::string ClipboardText(UINT format = CF_TEXT) {
  if (!OpenClipboard(nullptr)) return "(busy)";
  std::string text;
  if (HANDLE block = GetClipboardData(format)) {
    if (format == CF_UNICODETEXT) {
      const auto* wide = static_cast<const wchar_t*>(GlobalLock(block));
      for (const wchar_t* c = wide; *c != 0; ++c) text += static_cast<char>(*c < 0x80 ? *c : '?');
    } else {
      text = static_cast<const char*>(GlobalLock(block));
    }
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

MainWindowEvents CopyingEvents(Program& program) {
  shownDigests.clear();
  MainWindowEvents events = StartUpEvents(program);  // the list asks its parent for texts
  events.copyKey = [&program] { program.CopySelectedDigest(); };
  events.rowMenu = [&program](POINT at) { program.ShowRowMenu(at); };
  return events;
}

TEST(Keyboard, TabAndShiftTabMoveBetweenTheVisibleControls) {
  TestMainWindow window;
  SetFocus(ShownWindow().list.Handle());
  ASSERT_EQ(GetFocus(), ShownWindow().list.Handle());
  // Along the strip: 停止, then 导出文件.
  for (HWND next : {ShownWindow().stopButton, ShownWindow().exportButton, ShownWindow().list.Handle()}) {
    PressKey(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), next);
  }
  for (HWND next : {ShownWindow().exportButton, ShownWindow().stopButton, ShownWindow().list.Handle()}) {
    PressKey(GetFocus(), VK_TAB, {VK_SHIFT});
    EXPECT_EQ(GetFocus(), next);
  }
  // Hidden, as while verifying: passed over.
  ShowWindow(ShownWindow().exportButton, SW_HIDE);
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), ShownWindow().stopButton);
  PressKey(GetFocus(), VK_TAB);
  EXPECT_EQ(GetFocus(), ShownWindow().list.Handle());
}

TEST(Keyboard, CtrlCCopiesTheSelectedRowsDigestAndNothingElse) {
  TestMainWindow window(CopyingEvents);
  AddListedRow("C:\\a.bin", kDigest);
  AddListedRow("C:\\b.bin", texts::kComputing);
  PutOnClipboard("before");
  PressKey(ShownWindow().list.Handle(), 'C', {VK_CONTROL});
  EXPECT_EQ(ClipboardText(), "before") << "no row selected";
  SelectRow(1);
  PressKey(ShownWindow().list.Handle(), 'C', {VK_CONTROL});
  EXPECT_EQ(ClipboardText(), "before") << "no digest yet";
  SelectRow(0);
  PressKey(ShownWindow().list.Handle(), 'C');
  EXPECT_EQ(ClipboardText(), "before") << "C alone";
  PressKey(ShownWindow().list.Handle(), 'C', {VK_CONTROL});
  EXPECT_EQ(ClipboardText(), kDigest);
  EXPECT_EQ(ClipboardText(CF_UNICODETEXT), kDigest);
}

struct ShownMenu {
  std::vector<std::string> items;
  bool firstEnabled = false;
};

// Opens the row menu (as the keyboard's menu key does, unless `open` is
// given), and picks the item at `index` (-1: closes it) from another thread
// while the window thread tracks the menu. What the menu showed.
ShownMenu OpenRowMenuAndPick(HWND window, int index, const std::function<void()>& open = nullptr) {
  ShownMenu shown;
  std::atomic<bool> picked{false};
  std::thread picker([&shown, &picked, index] {
    struct Done {
      std::atomic<bool>& flag;
      ~Done() { flag = true; }
    } done{picked};
    HWND menu = nullptr;
    for (int i = 0; i < 500 && menu == nullptr; ++i) {
      Sleep(10);
      HWND found = FindWindowA("#32768", nullptr);
      if (found != nullptr && IsWindowVisible(found)) menu = found;
    }
    if (menu == nullptr) return;
    HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
    for (int i = 0; i < GetMenuItemCount(items); ++i) {
      char text[64] = {};
      GetMenuStringA(items, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
      shown.items.push_back(text);
    }
    shown.firstEnabled = (GetMenuState(items, 0, MF_BYPOSITION) & MF_GRAYED) == 0;
    if (index < 0) {
      PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      return;
    }
    for (int i = 0; i <= index; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  if (open) {
    open();
    PumpUntil([&picked] { return picked.load(); }, 10000);
  } else {
    SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(ShownWindow().list.Handle()), MAKELPARAM(-1, -1));
  }
  picker.join();
  return shown;
}

TEST(RowMenu, RightClickOffersCopyDigestAndCopyPathOfTheRow) {
  TestMainWindow window(CopyingEvents);
  // Column 1 shows the name only, as while verifying; the path is the full one.
  window.Runs().verificationMode = true;
  AddListedRow("C:\\dir\\a.bin", kDigest, L"C:\\dir");
  AddListedRow("C:\\dir\\b.bin", texts::kComputing);
  SelectRow(0);
  PutOnClipboard("before");
  const ShownMenu shown = OpenRowMenuAndPick(window.Handle(), 0);
  EXPECT_EQ(shown.items, (std::vector<std::string>{texts::kCopyDigest, texts::kCopyPath, "", texts::kCheckAgain,
                                      texts::kCopySummary}));
  EXPECT_TRUE(shown.firstEnabled);
  EXPECT_EQ(ClipboardText(), kDigest);
  OpenRowMenuAndPick(window.Handle(), 1);
  EXPECT_EQ(ClipboardText(), "C:\\dir\\a.bin");
  // A right-click through the list's own mouse handling on a row without
  // its digest yet: the click selects that row; only its path can be copied.
  RECT bounds{};
  ListView_GetItemRect(ShownWindow().list.Handle(), 1, &bounds, LVIR_BOUNDS);
  const LPARAM at = MAKELPARAM(bounds.left + 30, (bounds.top + bounds.bottom) / 2);
  const ShownMenu noDigest = OpenRowMenuAndPick(window.Handle(), -1, [at] {
    PostMessageA(ShownWindow().list.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageA(ShownWindow().list.Handle(), WM_RBUTTONUP, 0, at);
  });
  EXPECT_EQ(noDigest.items, (std::vector<std::string>{texts::kCopyDigest, texts::kCopyPath, "", texts::kCheckAgain,
                                      texts::kCopySummary}));
  EXPECT_FALSE(noDigest.firstEnabled);
  EXPECT_EQ(ListSelectedRow(ShownWindow().list.Handle()), 1);
  EXPECT_EQ(ClipboardText(), "C:\\dir\\a.bin");
}

// A dropped digest list's row offers to verify it, as "Open with" does; a
// list that cannot be read says so in the label and changes nothing else.
TEST(RowMenu, ADigestListsRowOffersToVerifyIt) {
  TestMainWindow window(CopyingEvents);
  AddListedRow("C:\\no such dir\\files.md5", "");
  SelectRow(0);
  const ShownMenu shown = OpenRowMenuAndPick(window.Handle(), 2);
  EXPECT_EQ(shown.items,
            (std::vector<std::string>{texts::kCopyDigest, texts::kCopyPath, texts::kVerifyThisList, "",
                                      texts::kCheckAgain, texts::kCopySummary}));
  char label[512] = {};
  GetWindowTextA(ShownWindow().countLabel, label, sizeof label);
  EXPECT_EQ(std::string(label).rfind(texts::kListUnreadable, 0), 0u) << label;
  EXPECT_NE(std::string(label).find("C:\\no such dir\\files.md5"), std::string::npos);
  EXPECT_FALSE(window.Runs().verificationMode);
  EXPECT_EQ(window.Runs().filePaths.Count(), 1);
}

}  // namespace
