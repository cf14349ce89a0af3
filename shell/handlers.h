// The main window's event handlers, all run on the window thread.
#pragma once

#include "services/text.h"
#include "services/wide_paths.h"
#include "shell/main_window.h"

// Every event of the program's main window wired to its handler.
MainWindowEvents ProgramEvents();

void AcceptDroppedFiles(const std::wstring& dropText);
// Paths taken as a drop: folders are walked off the window thread, and the
// run is requested once the walk is done.
void AcceptPaths(const PathArray& paths);
void VerifyFinishedRows();
// The end of a run shows at once: the last rows, the label, the bar and
// the last verdicts, without waiting for the next timer.
void ShowSettledRun();
void ExportDigests();
// Reads the digest list at `listPath` (md5.ini or an md5sum list) and
// lists its files instead of those listed before, named relative to the
// list's own folder; then asks for a pooled run. A list that cannot be read
// or holds no entry changes nothing but 标签1, which says so: false.
bool LoadDigestList(const std::wstring& listPath);
// Verification of the list at listPath: hides 按钮1 and loads the list;
// an unusable list leaves the window as it was.
void EnterVerificationMode(const std::wstring& listPath);
// A list by its name (a ".md5" ending, or md5.ini), and not a folder.
bool IsDigestListPath(const std::wstring& path);
// Verification mode when md5.ini lies beside the program.
void EnterVerificationModeIfListed();
// The command line's paths (commandLinePaths), decided once at start-up: a
// single digest list (a name ending ".md5", or md5.ini) is verified; other
// paths are taken as a drop. Without arguments, md5.ini beside the program
// decides; with arguments it is not read.
void TakeStartingInput();
// The digest-copy key (Ctrl+C) and the row menu of 超级列表框.
void CopySelectedDigest();
void ShowRowMenu(POINT screenPoint);
// The problem rows (mismatched or failed): F8 selects the next one and
// scrolls to it (Shift+F8 the one before); F5 and the row menu read again
// only the rows that did not pass; Ctrl+Shift+C and the row menu copy the
// counts and each problem row's name and reason.
void SelectNextProblem(bool backwards);
void CheckProblemsAgain();
std::wstring ProblemSummary();
void CopyProblemSummary();
// Hides the window, stops the run as 停止 does, waits only for the chunks
// in flight, then ends the process with code 0.
[[noreturn]] void ShutDownOnClose();
// True once the user asked to close: nothing new is started.
bool IsClosing();
// md5.ini beside the program.
std::wstring DigestListPath();
// StartPooledRun once the window thread is back in its message loop.
void RequestPooledRun();
