#include "shell/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <iterator>
#include <utility>

#include "services/message_pump.h"
#include "services/texts.h"
#include "shell/export.h"
#include "shell/resource_ids.h"
#include "shell/window_layout.h"

MainWindow theMainWindow;

namespace {

constexpr char kMainWindowClass[] = "md5check.MainWindow";
// Resizable and maximisable; the layout follows the client area.
constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW;

// Child geometry at 96 DPI: left, top, width, height. The visible
// components take their places from LayOutComponents once the window has
// its size; the hidden buttons stay where they were designed.
struct ChildPlace {
  int left, top, width, height;
};
constexpr ChildPlace kPooledRunButtonPlace{256, 144, 100, 24};
constexpr ChildPlace kPlainRunButtonPlace{32, 388, 100, 24};
constexpr ChildPlace kUnplaced{0, 0, 0, 0};

struct ListColumn {
  const char* header;
  int width;
  int format;
};
constexpr ListColumn kListColumns[] = {
    {"", 20, LVCFMT_LEFT},
    {texts::kColumnPath, 200, LVCFMT_LEFT},
    {texts::kColumnSize, 150, LVCFMT_LEFT},
    {texts::kColumnDigest, 200, LVCFMT_CENTER},
    {texts::kColumnProgress, 150, LVCFMT_LEFT},
};
// The program keeps the rows (LVS_OWNERDATA): 100,000 of them cost one
// count, and the list asks for the texts of the rows it draws. A header
// click sorts them (SortShownRows).
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                             LVS_SINGLESEL | LVS_OWNERDATA;
// Info tips: a failed row's reason shows over it.
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP;
constexpr COLORREF kListTextColor = 0x000000;
constexpr COLORREF kListTextBackColor = 0xFFFFFF;
constexpr COLORREF kListBackColor = 0xFFFFFF;
// A blank image list of 1 x 20 images: the list makes every row as high as
// its small images, which gives the drawn progress bars their height.
constexpr int kRowImageWidth = 1;
constexpr int kRowImageHeight = 20;

constexpr int kProgressMinimum = 0;
constexpr int kProgressMaximum = 100;

constexpr char kExportDefaultExtension[] = "txt";
// Overwrite prompt and existing folder; no OFN_FILEMUSTEXIST, which makes
// some save dialogs (Wine's) refuse every new file name.
constexpr DWORD kExportDialogFlags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;

// The font and sizes of a child follow the main window's DPI.
HWND CreateChild(HWND parent, const char* windowClass, const char* caption, DWORD style,
                 DWORD exStyle, const ChildPlace& place, int id, UINT dpi, HFONT font) {
  HWND child = CreateWindowExA(exStyle, windowClass, caption, WS_CHILD | style,
                               ScaleForDpi(place.left, dpi), ScaleForDpi(place.top, dpi),
                               ScaleForDpi(place.width, dpi), ScaleForDpi(place.height, dpi), parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// Rows are as high as the blank images; the list keeps the new image list
// and hands back the one it replaces.
void SetRowImages(HWND list, UINT dpi) {
  HIMAGELIST rowHeight =
      ImageList_Create(kRowImageWidth, ScaleForDpi(kRowImageHeight, dpi), ILC_COLOR, 0, 1);
  auto previous = reinterpret_cast<HIMAGELIST>(
      SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rowHeight)));
  if (previous != nullptr) ImageList_Destroy(previous);
}

HWND CreateList(HWND parent, UINT dpi, HFONT font) {
  HWND list = CreateChild(parent, WC_LISTVIEWA, "", kListStyle, WS_EX_CLIENTEDGE, kUnplaced,
                          kIdList, dpi, font);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
  for (int i = 0; i < static_cast<int>(std::size(kListColumns)); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kListColumns[i].format;
    column.cx = ScaleForDpi(kListColumns[i].width, dpi);
    column.pszText = const_cast<char*>(kListColumns[i].header);
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
  SendMessageA(list, LVM_SETTEXTCOLOR, 0, kListTextColor);
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, kListTextBackColor);
  SendMessageA(list, LVM_SETBKCOLOR, 0, kListBackColor);
  SetRowImages(list, dpi);  // the list destroys its image lists with itself
  // It asks its parent for texts in UTF-16, so every name shows exactly;
  // LVM_GETITEMTEXTA still answers the ANSI form.
  SendMessageA(list, CCM_SETUNICODEFORMAT, TRUE, 0);
  return list;
}

HWND CreateButton(HWND parent, const char* caption, bool visible, const ChildPlace& place,
                  int id, UINT dpi, HFONT font) {
  const DWORD style = (visible ? WS_VISIBLE : 0) | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON;
  return CreateChild(parent, "BUTTON", caption, style, 0, place, id, dpi, font);
}

void MoveTo(HWND child, const RECT& place) {
  MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void ResetExportDialog() {
  通用对话框1 = FileDialogComponent{};
  通用对话框1.type = FileDialogComponent::kSave;
  通用对话框1.defaultExtension = kExportDefaultExtension;
  通用对话框1.extraFlags = kExportDialogFlags;
  通用对话框1.filter = ExportFilter();
  通用对话框1.filterIndex = kExportDigestList;
}

bool IsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool IsKey(const MSG& message, WPARAM key, bool control, bool shift) {
  return message.message == WM_KEYDOWN && message.wParam == key && IsDown(VK_CONTROL) == control &&
         IsDown(VK_SHIFT) == shift && !IsDown(VK_MENU);
}

bool IsCopyKey(const MSG& message) { return IsKey(message, 'C', true, false); }

}  // namespace

// The message loops ask this before the dialog manager sees a key.
bool MainWindow::TakeShortcutKey(const MSG& message) {
  const MainWindowEvents& events = theMainWindow.events_;
  if (IsCopyKey(message) && events.copyKey != nullptr) {
    events.copyKey();
  } else if (IsKey(message, 'C', true, true) && events.summaryKey != nullptr) {
    events.summaryKey();
  } else if (message.message == WM_KEYDOWN && message.wParam == VK_F8 && !IsDown(VK_CONTROL) &&
             !IsDown(VK_MENU) && events.nextProblemKey != nullptr) {
    events.nextProblemKey(IsDown(VK_SHIFT));
  } else if (IsKey(message, VK_F5, false, false) && events.checkAgainKey != nullptr) {
    events.checkAgainKey();
  } else {
    return false;
  }
  return true;
}

void MainWindow::Run(void (*handler)()) const {
  if (handler != nullptr) handler();
}

// Builds the ten components in tab order, then runs the created event.
LRESULT MainWindow::OnCreate() {
  font_ = GuiFont(dpi_);
  HFONT font = font_.Handle();
  list = CreateList(window, dpi_, font);
  exportButton = CreateButton(window, texts::kExportButton, true, kUnplaced, kIdExportButton, dpi_, font);
  // First in the z-order, so Tab runs along the strip: the list, 停止,
  // then 导出文件.
  SetWindowPos(exportButton, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  pooledRunButton = CreateButton(window, texts::kPooledRunButton, false, kPooledRunButtonPlace,
                                 kIdPooledRunButton, dpi_, font);
  plainRunButton = CreateButton(window, texts::kPlainRunButton, false, kPlainRunButtonPlace,
                                kIdPlainRunButton, dpi_, font);
  stopButton = CreateButton(window, texts::kStopButton, true, kUnplaced, kIdStopButton, dpi_, font);
  countLabel = CreateChild(window, "STATIC", "", WS_VISIBLE | SS_LEFT, 0, kUnplaced, kIdLabel, dpi_, font);
  countsLabel = CreateChild(window, "STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, kUnplaced,
                            kIdCounts, dpi_, font);
  progressBar = CreateChild(window, PROGRESS_CLASSA, "", WS_VISIBLE | PBS_SMOOTH, WS_EX_STATICEDGE,
                            kUnplaced, kIdProgressBar, dpi_, font);
  SendMessageA(progressBar, PBM_SETRANGE32, kProgressMinimum, kProgressMaximum);
  SendMessageA(progressBar, PBM_SETPOS, kProgressMinimum, 0);
  LayOut();
  SetTimer(window, kClockTimerId, kClockIntervalMs, nullptr);  // 时钟1
  ResetExportDialog();
  dropTarget.handler = events_.filesDropped;
  SetKeyboardWindow(window, TakeShortcutKey);  // Tab, Shift+Tab, Ctrl+C
  if (list == nullptr || exportButton == nullptr || progressBar == nullptr) return -1;
  Run(events_.created);
  return 0;
}

void MainWindow::LayOut() {
  RECT client{};
  GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return;  // minimised
  const ComponentPlaces places = LayOutComponents(SIZE{client.right, client.bottom}, dpi_);
  MoveTo(list, places.list);
  MoveTo(stopButton, places.stopButton);
  MoveTo(countLabel, places.countLabel);
  MoveTo(countsLabel, places.countsLabel);
  MoveTo(progressBar, places.progressBar);
  MoveTo(exportButton, places.exportButton);
}

// Fonts, row height and column widths for dpi_; the columns keep the
// widths they have, scaled, so a column the user widened stays wider.
void MainWindow::ApplyDpi(UINT previousDpi) {
  GuiFont font(dpi_);
  for (HWND child : {list, exportButton, pooledRunButton, plainRunButton, stopButton, countLabel,
                     countsLabel, progressBar}) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Handle()), TRUE);
  }
  font_ = std::move(font);  // the previous font goes once no control uses it
  SetRowImages(list, dpi_);
  for (int i = 0; i < static_cast<int>(std::size(kListColumns)); ++i) {
    const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i),
                 MulDiv(width, static_cast<int>(dpi_), static_cast<int>(previousDpi)));
  }
  for (HWND hidden : {pooledRunButton, plainRunButton}) {
    RECT place{};
    GetWindowRect(hidden, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    for (LONG* edge : {&place.left, &place.top, &place.right, &place.bottom})
      *edge = MulDiv(*edge, static_cast<int>(dpi_), static_cast<int>(previousDpi));
    MoveTo(hidden, place);
  }
}

// The window moved to a monitor of another DPI: the system suggests the
// new outer rectangle.
void MainWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  if (dpi == 0 || dpi == dpi_) return;
  const UINT previousDpi = dpi_;
  dpi_ = dpi;
  ApplyDpi(previousDpi);
  SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();  // also when the size stayed the same
}

void MainWindow::OnGetMinMaxInfo(MINMAXINFO& limits) const {
  const SIZE outer = OuterSizeForClient(MinimumClientSize(dpi_), kMainWindowStyle, 0, dpi_);
  limits.ptMinTrackSize = POINT{outer.cx, outer.cy};
}

void MainWindow::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kIdExportButton:
      Run(events_.exportClicked);
      break;
    case kIdPooledRunButton:
      Run(events_.pooledRunClicked);
      break;
    case kIdStopButton:
      Run(events_.stopClicked);
      break;
    default:
      break;  // 按钮_普通获取 has no handler
  }
}

// The list hands its right-click (and menu key) on to its parent.
void MainWindow::OnContextMenu(HWND clicked, LPARAM screenPoint) {
  if (clicked != list || events_.rowMenu == nullptr) return;
  events_.rowMenu(POINT{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)});
}

void MainWindow::OnTimer(UINT_PTR timerId) {
  if (timerId == kClockTimerId) Run(events_.tick);
}

// Without a close handler the window closes the ordinary way and ends the
// message loop.
void MainWindow::OnClose() {
  if (events_.closeRequested != nullptr) {
    events_.closeRequested();
  } else {
    DestroyWindow(window);
  }
}

void MainWindow::OnDestroy() {
  KillTimer(window, kClockTimerId);
  SetKeyboardWindow(nullptr, nullptr);
  RevokeFileDrop(dropTarget);  // OLE wants the registration gone before the window
  window = list = exportButton = pooledRunButton = plainRunButton = stopButton = countLabel =
      countsLabel = progressBar = nullptr;
  PostQuitMessage(0);
}

LRESULT MainWindow::OnMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_SIZE:
      if (list != nullptr) LayOut();
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcA(handle, message, wParam, lParam);
  }
}

// The object arrives with WM_NCCREATE and is kept in the window's user
// data; messages before it (the first WM_GETMINMAXINFO) get the defaults.
LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window = window;
    self->dpi_ = DpiOfWindow(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return self->OnMessage(window, message, wParam, lParam);
}

namespace {

HICON ProgramIcon(HINSTANCE instance, int size) {
  auto icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(MD5CHECK_ICON), IMAGE_ICON,
                                            size, size, LR_DEFAULTCOLOR));
  // Programs without the resources (the tests) show the generic icon.
  return icon != nullptr ? icon : LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
}

bool RegisterMainWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA windowClass{};
  if (GetClassInfoExA(instance, kMainWindowClass, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = ProgramIcon(instance, GetSystemMetrics(SM_CXICON));
  windowClass.hIconSm = ProgramIcon(instance, GetSystemMetrics(SM_CXSMICON));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

SIZE OpeningSize(UINT dpi) {
  const SIZE outer{ScaleForDpi(kMainWindowWidth, dpi), 0};
  const SIZE frame = OuterSizeForClient(SIZE{0, 0}, kMainWindowStyle, 0, dpi);
  const SIZE client = OpeningClientSize(outer.cx - frame.cx, dpi);
  return OuterSizeForClient(client, kMainWindowStyle, 0, dpi);
}

}  // namespace

HWND MainWindow::Create(HINSTANCE instance, const MainWindowEvents& windowEvents) {
  if (!RegisterMainWindowClass(instance, Procedure)) return nullptr;
  events_ = windowEvents;
  // Sized for the system DPI, then for the window's own once it exists.
  const SIZE size = OpeningSize(DpiOfWindow(nullptr));
  const int left = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
  HWND created = CreateWindowExA(0, kMainWindowClass, texts::kWindowCaption, kMainWindowStyle, left,
                                 top, size.cx, size.cy, nullptr, nullptr, instance, this);
  if (created == nullptr) return nullptr;
  if (dpi_ != DpiOfWindow(nullptr)) {
    const SIZE own = OpeningSize(dpi_);
    SetWindowPos(created, nullptr, 0, 0, own.cx, own.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(created, SW_SHOWNORMAL);
  UpdateWindow(created);
  return created;
}

HWND CreateMainWindow(HINSTANCE instance, const MainWindowEvents& events) {
  return theMainWindow.Create(instance, events);
}
