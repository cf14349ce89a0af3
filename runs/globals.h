// Process-wide state shared by the shell and the runs, beside the runs' own.
#pragma once

#include "runs/run_state.h"
#include "services/wide_paths.h"

// Rows show file names instead of paths and are judged against
// expectedDigests. Window thread; decided once, at start-up.
extern bool verificationMode;
// The folder of the list being verified: column 1 names its files from it.
extern std::wstring verifiedListFolder;
// The paths given on the command line, taken at entry (full paths).
extern PathArray commandLinePaths;

void CreateGlobals();
void ReleaseGlobals();
