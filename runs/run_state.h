// Process-wide state of the digest runs: the file lists, the stop request,
// the worker count and the worker pool.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/completion_port_pool.h"
#include "runs/file_list.h"

extern FileList filePaths;        // paths to hash, append-only
extern FileList expectedDigests;  // md5.ini digests, index-parallel to filePaths
extern std::atomic<std::int32_t> stopRequested;  // 0 or 1; written by the window thread
extern std::int32_t workerThreadCount;
// The machine's processors, as the system reports them; asked once.
std::int32_t ProcessorCount();
extern CompletionPortPool* workerPool;
