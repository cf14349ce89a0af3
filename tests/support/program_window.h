// The program's real main window inside a test process, with every event
// wired as the program wires it, and ways to drive and read it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "runs/run_coordinator.h"
#include "shell/main_window.h"
#include "shell/program.h"

// The program's window, with a coordinator of its own, made once per
// process (with OLE and the common controls, as program entry does them):
// under Wine a window takes about 2 s to appear.
HWND StartProgramWindow();
// After letting the pool finish what it still has, the coordinator lists
// nothing, verifies nothing, and its current run is one of nothing; the
// window and the pool stay. Each run counts its own rows.
void ResetRuns();
// The program, its coordinator and its window.
Program& TheProgram();
RunCoordinator& TheRuns();
MainWindow& TheWindow();
// Entries of TheRuns(): a dropped file's path, and a verified list's file
// (shown by its path) with its expected digest as the list would give it.
void AppendDropped(const std::string& path);
void AppendListed(const std::string& path, const std::string& digest);

void PumpFor(DWORD milliseconds);
// Handles messages until `done` holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

struct RowCells {
  std::string cell[5];
};
std::vector<RowCells> ReadRows();
std::string LabelText();
// 标签_统计's text: the run's counts.
std::string CountsLabelText();
int ProgressPosition();
bool IsDigestText(const std::string& text);
// Every row shows a digest or the failure text.
bool AllRowsFinished();
// Finished and unchanged for `quietMs` (late workers of an earlier run done).
bool WaitUntilSettled(DWORD timeoutMs, DWORD quietMs = 600);

// Drops the paths on the window through its registered drop target.
bool DropPaths(const std::vector<std::string>& paths, bool wide = false);
void ClickButton(HWND button);
// A click on the list's header of `column`, as the list reports it.
void ClickHeader(int column);
