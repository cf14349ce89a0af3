#include "runs/run_state.h"

FileList filePaths;
FileList expectedDigests;
std::atomic<std::int32_t> stopRequested{0};
std::int32_t completedCount = 0;
std::int32_t workerThreadCount = 0;
CompletionPortPool* workerPool = nullptr;
