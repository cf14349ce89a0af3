// The window's side of the runs: it applies what the workers published.
//
// How it works: every kApplyIntervalMs the window thread takes the rows
// that changed since last time and redraws those in view, and sets 标签1,
// 进度条1, 标签_统计 and the taskbar button when their values changed. A new
// run is shown by setting the list's row count once (ResultsList::Show).
#pragma once

#include "runs/run_coordinator.h"
#include "services/taskbar_progress.h"
#include "services/text.h"
#include "shell/main_window.h"

class RunView {
 public:
  RunView(RunCoordinator& runs, MainWindow& window) : runs_(runs), window_(window) {}

  // One application, at once.
  void Apply();

 private:
  void ApplyLabelAndBar();
  void ApplyCounts();
  void ShowOnTaskbar(const RunCounts& counts);

  RunCoordinator& runs_;
  MainWindow& window_;
  TaskbarProgress taskbar_;
  Text shownCounts_;  // 标签_统计's text, set only when it changes
};
