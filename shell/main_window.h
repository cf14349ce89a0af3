// The main window and its ten components, under their own names.
#pragma once

#include <windows.h>

#include "services/file_dialog.h"
#include "services/file_drop.h"
#include "services/text.h"

// Outer size of the main window, frame and title bar included.
inline constexpr int kMainWindowWidth = 727;
inline constexpr int kMainWindowHeight = 429;
// Control identifiers (WM_COMMAND wParam low word).
inline constexpr int kIdList = 1001;
inline constexpr int kIdExportButton = 1002;
inline constexpr int kIdPooledRunButton = 1003;
inline constexpr int kIdPlainRunButton = 1004;
inline constexpr int kIdStopButton = 1005;
inline constexpr int kIdLabel = 1006;
inline constexpr int kIdProgressBar = 1007;
inline constexpr UINT_PTR kClockTimerId = 1;
// Posted by a worker when a run's last row is done or failed.
inline constexpr UINT kRunSettledMessage = WM_APP + 2;
inline constexpr UINT kClockIntervalMs = 400;  // 时钟1

extern HWND mainWindow;
extern HWND 超级列表框;
extern HWND 按钮1;
extern HWND 按钮_线程池获取;
extern HWND 按钮_普通获取;
extern HWND 按钮_线程池获取1;
extern HWND 标签1;
extern HWND 进度条1;
extern FileDialogComponent 通用对话框1;
extern FileDropComponent 拖放对象1;

// The handlers the window's events run, all on the window thread. A null
// entry leaves that event unhandled (tests wire only what they need).
struct MainWindowEvents {
  void (*created)() = nullptr;               // after all components exist
  void (*closeRequested)() = nullptr;        // instead of the default close
  void (*filesDropped)(const Text&) = nullptr;
  void (*tick)() = nullptr;                  // 时钟1, every 400 ms
  void (*runSettled)() = nullptr;            // kRunSettledMessage
  void (*exportClicked)() = nullptr;         // 按钮1
  void (*pooledRunClicked)() = nullptr;      // 按钮_线程池获取
  void (*stopClicked)() = nullptr;           // 按钮_线程池获取1
  void (*copyKey)() = nullptr;               // Ctrl+C anywhere in the window
  // Right-click on 超级列表框 or its menu key; (-1, -1) from the keyboard.
  void (*rowMenu)(POINT screenPoint) = nullptr;
};

// Creates and shows the main window centred on the screen; the created
// event has run when this returns. Null on failure.
HWND CreateMainWindow(HINSTANCE instance, const MainWindowEvents& events);

inline HWND WindowHandleOf(HWND component) { return component; }
