// The program's real main window inside a test process, with every event
// wired as the program wires it, and ways to drive and read it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Creates the window once per process (OLE, globals, components, start-up).
HWND StartProgramWindow();
// Forgets listed paths, expected digests and the count, after letting the
// pool finish what it still has; the window and pool stay.
void ResetRuns();

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
