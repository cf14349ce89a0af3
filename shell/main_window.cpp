#include "shell/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <iterator>

#include "app/texts.h"
#include "services/message_pump.h"
#include "shell/export.h"

HWND mainWindow = nullptr;
HWND 超级列表框 = nullptr;
HWND 按钮1 = nullptr;
HWND 按钮_线程池获取 = nullptr;
HWND 按钮_普通获取 = nullptr;
HWND 按钮_线程池获取1 = nullptr;
HWND 标签1 = nullptr;
HWND 进度条1 = nullptr;
FileDialogComponent 通用对话框1;
FileDropComponent 拖放对象1;

namespace {

constexpr char kMainWindowClass[] = "md5check.MainWindow";
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Child geometry in the main window's client area: left, top, width, height.
struct ChildPlace {
  int left, top, width, height;
};
constexpr ChildPlace kListPlace{0, 1, 776, 399};
constexpr ChildPlace kExportButtonPlace{632, 367, 88, 32};
constexpr ChildPlace kPooledRunButtonPlace{256, 144, 100, 24};
constexpr ChildPlace kPlainRunButtonPlace{32, 388, 100, 24};
constexpr ChildPlace kStopButtonPlace{240, 412, 100, 24};
constexpr ChildPlace kLabelPlace{425, 418, 152, 16};
constexpr ChildPlace kProgressBarPlace{586, 417, 297, 18};

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
// count, and the list asks for the texts of the rows it draws.
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                             LVS_SINGLESEL | LVS_NOSORTHEADER | LVS_OWNERDATA;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
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

MainWindowEvents events;

void Run(void (*handler)()) {
  if (handler != nullptr) handler();
}

HWND CreateChild(HWND parent, const char* windowClass, const char* caption, DWORD style,
                 DWORD exStyle, const ChildPlace& place, int id) {
  HWND child = CreateWindowExA(exStyle, windowClass, caption, WS_CHILD | style, place.left,
                               place.top, place.width, place.height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  return child;
}

HWND CreateList(HWND parent) {
  HWND list = CreateChild(parent, WC_LISTVIEWA, "", kListStyle, WS_EX_CLIENTEDGE, kListPlace,
                          kIdList);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
  for (int i = 0; i < static_cast<int>(std::size(kListColumns)); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = kListColumns[i].format;
    column.cx = kListColumns[i].width;
    column.pszText = const_cast<char*>(kListColumns[i].header);
    column.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
  SendMessageA(list, LVM_SETTEXTCOLOR, 0, kListTextColor);
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, kListTextBackColor);
  SendMessageA(list, LVM_SETBKCOLOR, 0, kListBackColor);
  // The list destroys its image lists with itself.
  HIMAGELIST rowHeight = ImageList_Create(kRowImageWidth, kRowImageHeight, ILC_COLOR, 0, 1);
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rowHeight));
  return list;
}

HWND CreateButton(HWND parent, const char* caption, bool visible, const ChildPlace& place,
                  int id) {
  const DWORD style = (visible ? WS_VISIBLE : 0) | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON;
  return CreateChild(parent, "BUTTON", caption, style, 0, place, id);
}

void ResetExportDialog() {
  通用对话框1 = FileDialogComponent{};
  通用对话框1.type = FileDialogComponent::kSave;
  通用对话框1.defaultExtension = kExportDefaultExtension;
  通用对话框1.extraFlags = kExportDialogFlags;
  通用对话框1.filter = ExportFilter();
  通用对话框1.filterIndex = kExportDigestList;
}

bool IsCopyKey(const MSG& message) {
  return message.message == WM_KEYDOWN && message.wParam == 'C' &&
         (GetKeyState(VK_CONTROL) & 0x8000) != 0 && (GetKeyState(VK_MENU) & 0x8000) == 0;
}

// The message loops ask this before the dialog manager sees a key.
bool TakeShortcutKey(const MSG& message) {
  if (!IsCopyKey(message) || events.copyKey == nullptr) return false;
  events.copyKey();
  return true;
}

// Builds the ten components in tab order, then runs the created event.
LRESULT OnCreate(HWND window) {
  mainWindow = window;
  超级列表框 = CreateList(window);
  按钮1 = CreateButton(window, texts::kExportButton, true, kExportButtonPlace, kIdExportButton);
  // 按钮1 overlaps the list's lower right corner: keep it on top, and the
  // list clips it out (WS_CLIPSIBLINGS) so repaints never cover it.
  SetWindowPos(按钮1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  按钮_线程池获取 =
      CreateButton(window, texts::kPooledRunButton, false, kPooledRunButtonPlace, kIdPooledRunButton);
  按钮_普通获取 =
      CreateButton(window, texts::kPlainRunButton, false, kPlainRunButtonPlace, kIdPlainRunButton);
  按钮_线程池获取1 = CreateButton(window, texts::kStopButton, true, kStopButtonPlace, kIdStopButton);
  标签1 = CreateChild(window, "STATIC", "", WS_VISIBLE | SS_LEFT, 0, kLabelPlace, kIdLabel);
  进度条1 = CreateChild(window, PROGRESS_CLASSA, "", WS_VISIBLE | PBS_SMOOTH, WS_EX_STATICEDGE,
                       kProgressBarPlace, kIdProgressBar);
  SendMessageA(进度条1, PBM_SETRANGE32, kProgressMinimum, kProgressMaximum);
  SendMessageA(进度条1, PBM_SETPOS, kProgressMinimum, 0);
  SetTimer(window, kClockTimerId, kClockIntervalMs, nullptr);  // 时钟1
  ResetExportDialog();
  拖放对象1.handler = events.filesDropped;
  SetKeyboardWindow(window, TakeShortcutKey);  // Tab, Shift+Tab, Ctrl+C
  if (超级列表框 == nullptr || 按钮1 == nullptr || 进度条1 == nullptr) return -1;
  Run(events.created);
  return 0;
}

void OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kIdExportButton:
      Run(events.exportClicked);
      break;
    case kIdPooledRunButton:
      Run(events.pooledRunClicked);
      break;
    case kIdStopButton:
      Run(events.stopClicked);
      break;
    default:
      break;  // 按钮_普通获取 has no handler
  }
}

// The list hands its right-click (and menu key) on to its parent.
void OnContextMenu(HWND clicked, LPARAM screenPoint) {
  if (clicked != 超级列表框 || events.rowMenu == nullptr) return;
  events.rowMenu(POINT{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)});
}

void OnTimer(UINT_PTR timerId) {
  if (timerId == kClockTimerId) Run(events.tick);
}

// Without a close handler the window closes the ordinary way and ends the
// message loop.
void OnClose(HWND window) {
  if (events.closeRequested != nullptr) {
    events.closeRequested();
  } else {
    DestroyWindow(window);
  }
}

void OnDestroy(HWND window) {
  KillTimer(window, kClockTimerId);
  SetKeyboardWindow(nullptr, nullptr);
  RevokeFileDrop(拖放对象1);  // OLE wants the registration gone before the window
  mainWindow = 超级列表框 = 按钮1 = 按钮_线程池获取 = 按钮_普通获取 = 按钮_线程池获取1 = 标签1 =
      进度条1 = nullptr;
  PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
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
      OnClose(window);
      return 0;
    case kRunSettledMessage:
      Run(events.runSettled);
      return 0;
    case WM_DESTROY:
      OnDestroy(window);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  if (GetClassInfoExA(instance, kMainWindowClass, &windowClass)) return true;
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, const MainWindowEvents& windowEvents) {
  if (!RegisterMainWindowClass(instance)) return nullptr;
  events = windowEvents;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  HWND window = CreateWindowExA(0, kMainWindowClass, texts::kWindowCaption, kMainWindowStyle, left,
                                top, kMainWindowWidth, kMainWindowHeight, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  return window;
}
