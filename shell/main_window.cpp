#include "shell/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstring>
#include <utility>

#include "runs/file_row.h"
#include "services/list_control.h"
#include "services/message_pump.h"
#include "services/texts.h"
#include "shell/export.h"
#include "shell/resource_ids.h"
#include "shell/window_layout.h"

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

HWND CreateButton(HWND parent, const char* caption, bool visible, const ChildPlace& place,
                  int id, UINT dpi, HFONT font) {
  const DWORD style = (visible ? WS_VISIBLE : 0) | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON;
  return CreateChild(parent, "BUTTON", caption, style, 0, place, id, dpi, font);
}

void MoveTo(HWND child, const RECT& place) {
  MoveWindow(child, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

FileDialogComponent ExportDialog() {
  FileDialogComponent dialog;
  dialog.type = FileDialogComponent::kSave;
  dialog.defaultExtension = kExportDefaultExtension;
  dialog.extraFlags = kExportDialogFlags;
  dialog.filter = ExportFilter();
  dialog.filterIndex = kExportDigestList;
  return dialog;
}

bool IsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

bool IsKey(const MSG& message, WPARAM key, bool control, bool shift) {
  return message.message == WM_KEYDOWN && message.wParam == key && IsDown(VK_CONTROL) == control &&
         IsDown(VK_SHIFT) == shift && !IsDown(VK_MENU);
}

bool IsCopyKey(const MSG& message) { return IsKey(message, 'C', true, false); }

}  // namespace

// The message loops ask this before the dialog manager sees a key; the key
// went to the main window or one of its controls.
bool MainWindow::TakeShortcutKey(const MSG& message) {
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  const auto* self = reinterpret_cast<const MainWindow*>(GetWindowLongPtrA(root, GWLP_USERDATA));
  return self != nullptr && self->OnShortcutKey(message);
}

bool MainWindow::OnShortcutKey(const MSG& message) const {
  if (IsCopyKey(message) && events_.copyKey) {
    events_.copyKey();
  } else if (IsKey(message, 'C', true, true) && events_.summaryKey) {
    events_.summaryKey();
  } else if (message.message == WM_KEYDOWN && message.wParam == VK_F8 && !IsDown(VK_CONTROL) &&
             !IsDown(VK_MENU) && events_.nextProblemKey) {
    events_.nextProblemKey(IsDown(VK_SHIFT));
  } else if (IsKey(message, VK_F5, false, false) && events_.checkAgainKey) {
    events_.checkAgainKey();
  } else {
    return false;
  }
  return true;
}

void MainWindow::Run(const std::function<void()>& handler) const {
  if (handler) handler();
}

// Builds the ten components in tab order, then runs the created event.
LRESULT MainWindow::OnCreate() {
  font_ = GuiFont(dpi_);
  HFONT font = font_.Handle();
  list.Create(window, kIdList, dpi_, font);
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
  exportDialog = ExportDialog();
  dropTarget.handler = events_.filesDropped;
  EnableWindowKeys(window, TakeShortcutKey);  // Tab, Shift+Tab, Ctrl+C
  if (list.Handle() == nullptr || exportButton == nullptr || progressBar == nullptr) return -1;
  Run(events_.created);
  return 0;
}

void MainWindow::LayOut() {
  RECT client{};
  GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return;  // minimised
  const ComponentPlaces places = LayOutComponents(SIZE{client.right, client.bottom}, dpi_);
  MoveTo(list.Handle(), places.list);
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
  for (HWND child : {list.Handle(), exportButton, pooledRunButton, plainRunButton, stopButton,
                     countLabel, countsLabel, progressBar}) {
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Handle()), TRUE);
  }
  font_ = std::move(font);  // the previous font goes once no control uses it
  list.SetRowHeight(dpi_);
  for (std::int32_t i = 0; i < kColumnCount; ++i) {
    const int width = ListColumnWidth(list.Handle(), i);
    ListSetColumnWidth(list.Handle(), i, MulDiv(width, static_cast<int>(dpi_), static_cast<int>(previousDpi)));
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
  if (clicked != list.Handle() || !events_.rowMenu) return;
  events_.rowMenu(POINT{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)});
}

void MainWindow::OnTimer(UINT_PTR timerId) {
  if (timerId == kClockTimerId) Run(events_.tick);
  if (timerId == kApplyTimerId) Run(events_.applyTick);
}

// Only the list's notices are answered; every other is 0.
LRESULT MainWindow::OnNotify(LPARAM lParam) {
  if (lParam == 0) return 0;
  // Copied out: the record is read again as the type its code names.
  NMHDR header{};
  std::memcpy(&header, reinterpret_cast<const void*>(lParam), sizeof header);
  if (header.hwndFrom == nullptr || header.hwndFrom != list.Handle()) return 0;
  return list.OnNotify(lParam);
}

// Without a close handler the window closes the ordinary way and ends the
// message loop.
void MainWindow::OnClose() {
  if (events_.closeRequested) {
    events_.closeRequested();
  } else {
    DestroyWindow(window);
  }
}

void MainWindow::OnDestroy() {
  KillTimer(window, kClockTimerId);
  KillTimer(window, kApplyTimerId);
  DisableWindowKeys(window);
  RevokeFileDrop(dropTarget);  // OLE wants the registration gone before the window
  list.Forget();
  window = exportButton = pooledRunButton = plainRunButton = stopButton = countLabel = countsLabel =
      progressBar = nullptr;
  PostQuitMessage(0);
}

LRESULT MainWindow::OnMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_SIZE:
      if (list.Handle() != nullptr) LayOut();
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
    case WM_NOTIFY:
      return OnNotify(lParam);
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

