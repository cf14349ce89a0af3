// The program's window thread: the main window, the coordinator whose runs
// it shows, and the handler of each of the window's events. Program entry
// creates one and hands it the coordinator; tests create their own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runs/run_coordinator.h"
#include "services/text.h"
#include "services/ui_tasks.h"
#include "services/wide_paths.h"
#include "shell/main_window.h"
#include "shell/path_walker.h"
#include "shell/run_view.h"

class Program {
 public:
  // `commandLinePaths`: the paths given on the command line, taken at entry
  // (full paths).
  explicit Program(RunCoordinator& runs, PathArray commandLinePaths = {});
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Creates and shows the main window with every event wired to its
  // handler; null on failure.
  HWND Start(HINSTANCE instance);
  MainWindowEvents Events();
  MainWindow& Window() { return window_; }
  RunCoordinator& Runs() { return runs_; }

  // The handlers, all on the window thread.
  // Worker count, drawing colours, the apply timer, the drop target, then
  // the command line or md5.ini beside the program, in this order; every
  // component exists when it runs.
  void InitialiseMainWindow();
  void AcceptDroppedFiles(const std::wstring& dropText);
  // Paths taken as a drop: folders are walked off the window thread, and
  // the run is requested once the walk is done.
  void AcceptPaths(const PathArray& paths);
  void VerifyFinishedRows();
  // What the runs published, shown at once (also what the apply timer runs).
  void ApplyRunChanges();
  // The end of a run shows at once: the last rows, the label, the bar and
  // the last verdicts, without waiting for the next timer.
  void ShowSettledRun();
  // A pooled run, its new rows shown at once.
  void StartPooledRunAndShow();
  // StartPooledRun once the window thread is back in its message loop.
  void RequestPooledRun();
  void ExportDigests();
  // Reads the digest list at `listPath` (md5.ini or an md5sum list) and
  // lists its files instead of those listed before, named relative to the
  // list's own folder; then asks for a pooled run. A list that cannot be
  // read or holds no entry changes nothing but 标签1, which says so: false.
  bool LoadDigestList(const std::wstring& listPath);
  // Verification of the list at listPath: hides 按钮1 and loads the list;
  // an unusable list leaves the window as it was.
  void EnterVerificationMode(const std::wstring& listPath);
  // Verification mode when md5.ini lies beside the program.
  void EnterVerificationModeIfListed();
  // The command line's paths, decided once at start-up: a single digest
  // list (a name ending ".md5", or md5.ini) is verified; other paths are
  // taken as a drop. Without arguments, md5.ini beside the program
  // decides; with arguments it is not read.
  void TakeStartingInput();
  // The digest-copy key (Ctrl+C) and the row menu of 超级列表框.
  void CopySelectedDigest();
  void ShowRowMenu(POINT screenPoint);
  // The problem rows (mismatched or failed): F8 selects the next one and
  // scrolls to it (Shift+F8 the one before); F5 and the row menu read
  // again only the rows that did not pass; Ctrl+Shift+C and the row menu
  // copy the counts and each problem row's name and reason.
  void SelectNextProblem(bool backwards);
  void CheckProblemsAgain();
  std::wstring ProblemSummary();
  void CopyProblemSummary();
  // Hides the window, stops the run as 停止 does, waits only for the
  // chunks in flight, then ends the process with code 0.
  [[noreturn]] void ShutDownOnClose();
  // True once the user asked to close: nothing new is started.
  bool IsClosing() const { return closeRequested_; }

 private:
  void TakeWalkedBatch(const WalkedBatch& batch);

  RunCoordinator& runs_;
  UiTasks tasks_;  // first made, last gone: the window's and the workers' posts go there
  MainWindow window_;
  RunView view_;
  // Made at the first drop; never destroyed, as its thread may still be
  // walking while the process ends.
  PathWalker* walker_ = nullptr;
  // Drops queued for walking whose last batch has not arrived.
  std::int32_t dropsBeingWalked_ = 0;
  bool closeRequested_ = false;
  const PathArray commandLinePaths_;
};

// A digest list by its name (a ".md5" ending, or md5.ini), and not a folder.
bool IsDigestListPath(const std::wstring& path);
// md5.ini beside the program.
std::wstring DigestListPath();
