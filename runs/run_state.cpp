#include "runs/run_state.h"

#include <windows.h>

FileList filePaths;
FileList expectedDigests;
std::atomic<std::int32_t> stopRequested{0};
std::int32_t workerThreadCount = 0;
CompletionPortPool* workerPool = nullptr;

std::int32_t ProcessorCount() {
  static const std::int32_t processors = [] {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return static_cast<std::int32_t>(system.dwNumberOfProcessors);
  }();
  return processors;
}
