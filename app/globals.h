// Process-wide state shared by the shell and the runs.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/completion_port_pool.h"
#include "runs/file_list.h"

extern FileList filePaths;        // paths to hash, append-only
extern FileList expectedDigests;  // md5.ini digests, index-parallel to filePaths
extern std::atomic<std::int32_t> stopRequested;  // 0 or 1; written by the window thread
extern std::int32_t completedCount;              // guarded by the workers' count lock
extern std::int32_t workerThreadCount;
extern CompletionPortPool* workerPool;
// Rows show file names instead of paths and are judged against
// expectedDigests. Window thread; decided once, at start-up.
extern bool verificationMode;
// The paths given on the command line, taken at entry (full paths).
extern TextArray commandLinePaths;

void CreateGlobals();
void ReleaseGlobals();
