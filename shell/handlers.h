// The main window's event handlers, all run on the window thread.
#pragma once

#include "services/text.h"
#include "shell/main_window.h"

// Every event of the program's main window wired to its handler.
MainWindowEvents ProgramEvents();

void AcceptDroppedFiles(const Text& dropText);
void VerifyFinishedRows();
void ExportDigests();
// Reads the digest list at `listPath` (md5.ini or an md5sum list) and
// lists its files, named relative to the list's own folder; then asks for
// a pooled run.
void LoadDigestList(const Text& listPath);
// Verification mode when md5.ini lies beside the program: hides 按钮1 and
// loads the list. Decided once, at start-up.
void EnterVerificationModeIfListed();
[[noreturn]] void ShutDownOnClose();
// md5.ini beside the program.
Text DigestListPath();
// StartPooledRun once the window thread is back in its message loop.
void RequestPooledRun();
