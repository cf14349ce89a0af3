// The main window's event handlers, all run on the window thread.
#pragma once

#include "services/text.h"
#include "shell/main_window.h"

// Every event of the program's main window wired to its handler.
MainWindowEvents ProgramEvents();

void AcceptDroppedFiles(const Text& dropText);
// Paths taken as a drop: folders are walked off the window thread, and the
// run is requested once the walk is done.
void AcceptPaths(const TextArray& paths);
void VerifyFinishedRows();
void ExportDigests();
// Reads the digest list at listPath; its names are relative to its folder.
void LoadDigestList(const Text& listPath);
// Verification of the list at listPath: hides 按钮1 and loads the list.
void EnterVerificationMode(const Text& listPath);
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
[[noreturn]] void ShutDownOnClose();
// md5.ini beside the program.
Text DigestListPath();
// StartPooledRun once the window thread is back in its message loop.
void RequestPooledRun();
