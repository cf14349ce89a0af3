// The main window and its ten components.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "runs/run_coordinator.h"
#include "services/dpi.h"
#include "services/file_dialog.h"
#include "services/file_drop.h"
#include "services/text.h"
#include "shell/results_list.h"

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
// The window's second timer: what the runs published is shown this often.
inline constexpr UINT_PTR kApplyTimerId = 2;
inline constexpr UINT kApplyIntervalMs = 40;  // 25 updates a second

// The handlers the window's events run, all on the window thread. A null
// entry leaves that event unhandled (tests wire only what they need).
struct MainWindowEvents {
  std::function<void()> created;         // after all components exist
  std::function<void()> closeRequested;  // instead of the default close
  std::function<void(const std::wstring&)> filesDropped;
  std::function<void()> tick;            // 时钟1, every 400 ms
  std::function<void()> applyTick;       // every kApplyIntervalMs, once started
  std::function<void()> exportClicked;   // 按钮1
  std::function<void()> pooledRunClicked;  // 按钮_线程池获取
  std::function<void()> stopClicked;     // 按钮_线程池获取1
  std::function<void()> copyKey;         // Ctrl+C anywhere in the window
  std::function<void(bool backwards)> nextProblemKey;  // F8, Shift+F8
  std::function<void()> checkAgainKey;   // F5
  std::function<void()> summaryKey;      // Ctrl+Shift+C
  // Right-click on 超级列表框 or its menu key; (-1, -1) from the keyboard.
  std::function<void(POINT screenPoint)> rowMenu;
};

// The main window: it builds its components, lays them out for its size
// and DPI, hands the list's notices to the list, and runs the handlers of
// MainWindowEvents. `runs` is what its list shows.
class MainWindow {
 public:
  explicit MainWindow(RunCoordinator& runs) : list(runs) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates and shows the window centred on the screen; the created event
  // has run when this returns. Null on failure.
  HWND Create(HINSTANCE instance, const MainWindowEvents& events);
  UINT Dpi() const { return dpi_; }

  // The components by role, each beside its name in the design.
  HWND window = nullptr;
  ResultsList list;                // 超级列表框
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
  bool OnShortcutKey(const MSG& message) const;
  LRESULT OnMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreate();
  LRESULT OnNotify(LPARAM lParam);
  void OnCommand(int id, int notification);
  void OnContextMenu(HWND clicked, LPARAM screenPoint);
  void OnTimer(UINT_PTR timerId);
  void OnClose();
  void OnDestroy();
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnGetMinMaxInfo(MINMAXINFO& limits) const;
  void LayOut();
  void ApplyDpi(UINT previousDpi);
  void Run(const std::function<void()>& handler) const;

  MainWindowEvents events_;
  UINT dpi_ = kDesignDpi;
  GuiFont font_;
};

