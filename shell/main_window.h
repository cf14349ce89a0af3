// The main window and its ten components, under their own names.
#pragma once

#include <windows.h>

#include "services/dpi.h"
#include "services/file_dialog.h"
#include "services/file_drop.h"
#include "services/text.h"

// Outer width of the main window at 96 DPI, frame included; it opens as
// tall as its components need.
inline constexpr int kMainWindowWidth = 727;
// Control identifiers (WM_COMMAND wParam low word).
inline constexpr int kIdList = 1001;
inline constexpr int kIdExportButton = 1002;
inline constexpr int kIdPooledRunButton = 1003;
inline constexpr int kIdPlainRunButton = 1004;
inline constexpr int kIdStopButton = 1005;
inline constexpr int kIdLabel = 1006;
inline constexpr int kIdProgressBar = 1007;
inline constexpr int kIdCounts = 1008;
inline constexpr UINT_PTR kClockTimerId = 1;
inline constexpr UINT kClockIntervalMs = 400;  // 时钟1

// The handlers the window's events run, all on the window thread. A null
// entry leaves that event unhandled (tests wire only what they need).
struct MainWindowEvents {
  void (*created)() = nullptr;               // after all components exist
  void (*closeRequested)() = nullptr;        // instead of the default close
  void (*filesDropped)(const std::wstring&) = nullptr;
  void (*tick)() = nullptr;                  // 时钟1, every 400 ms
  void (*exportClicked)() = nullptr;         // 按钮1
  void (*pooledRunClicked)() = nullptr;      // 按钮_线程池获取
  void (*stopClicked)() = nullptr;           // 按钮_线程池获取1
  void (*copyKey)() = nullptr;               // Ctrl+C anywhere in the window
  void (*nextProblemKey)(bool backwards) = nullptr;  // F8, Shift+F8
  void (*checkAgainKey)() = nullptr;         // F5
  void (*summaryKey)() = nullptr;            // Ctrl+Shift+C
  // Right-click on 超级列表框 or its menu key; (-1, -1) from the keyboard.
  void (*rowMenu)(POINT screenPoint) = nullptr;
};

// The main window: it builds its components, lays them out for its size
// and DPI, and runs the handlers of MainWindowEvents. One per process.
class MainWindow {
 public:
  // Creates and shows the window centred on the screen; the created event
  // has run when this returns. Null on failure.
  HWND Create(HINSTANCE instance, const MainWindowEvents& events);
  UINT Dpi() const { return dpi_; }

  // The components by role, each beside its name in the design.
  HWND window = nullptr;
  HWND list = nullptr;             // 超级列表框
  HWND exportButton = nullptr;     // 按钮1
  HWND pooledRunButton = nullptr;  // 按钮_线程池获取, hidden
  HWND plainRunButton = nullptr;   // 按钮_普通获取, hidden
  HWND stopButton = nullptr;       // 按钮_线程池获取1
  HWND countLabel = nullptr;       // 标签1
  HWND countsLabel = nullptr;      // 标签_统计: the run's counts, speed and time left
  HWND progressBar = nullptr;      // 进度条1
  FileDialogComponent exportDialog;  // 通用对话框1
  FileDropComponent dropTarget;      // 拖放对象1
  // 时钟1 is the window's timer kClockTimerId.

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static bool TakeShortcutKey(const MSG& message);
  LRESULT OnMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreate();
  void OnCommand(int id, int notification);
  void OnContextMenu(HWND clicked, LPARAM screenPoint);
  void OnTimer(UINT_PTR timerId);
  void OnClose();
  void OnDestroy();
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnGetMinMaxInfo(MINMAXINFO& limits) const;
  void LayOut();
  void ApplyDpi(UINT previousDpi);
  void Run(void (*handler)()) const;

  MainWindowEvents events_;
  UINT dpi_ = kDesignDpi;
  GuiFont font_;
};

extern MainWindow theMainWindow;
// The design's names for the main window and its components.
inline HWND& mainWindow = theMainWindow.window;
inline HWND& 超级列表框 = theMainWindow.list;
inline HWND& 按钮1 = theMainWindow.exportButton;
inline HWND& 按钮_线程池获取 = theMainWindow.pooledRunButton;
inline HWND& 按钮_普通获取 = theMainWindow.plainRunButton;
inline HWND& 按钮_线程池获取1 = theMainWindow.stopButton;
inline HWND& 标签1 = theMainWindow.countLabel;
inline HWND& 标签_统计 = theMainWindow.countsLabel;
inline HWND& 进度条1 = theMainWindow.progressBar;
inline FileDialogComponent& 通用对话框1 = theMainWindow.exportDialog;
inline FileDropComponent& 拖放对象1 = theMainWindow.dropTarget;

// theMainWindow.Create.
HWND CreateMainWindow(HINSTANCE instance, const MainWindowEvents& events);

inline HWND WindowHandleOf(HWND component) { return component; }
