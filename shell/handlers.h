// The main window's event handlers, all run on the window thread.
#pragma once

#include "services/text.h"
#include "shell/main_window.h"

// Every event of the program's main window wired to its handler.
MainWindowEvents ProgramEvents();

void AcceptDroppedFiles(const Text& dropText);
void VerifyFinishedRows();
void ExportDigests();
void LoadDigestList();
// Verification mode when md5.ini lies beside the program: hides 按钮1 and
// loads the list. Decided once, at start-up.
void EnterVerificationModeIfListed();
[[noreturn]] void ShutDownOnClose();
// md5.ini beside the program.
Text DigestListPath();
// StartPooledRun once the window thread is back in its message loop.
void RequestPooledRun();
