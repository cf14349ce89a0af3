#include "app/globals.h"

FileList filePaths;
FileList expectedDigests;
std::atomic<std::int32_t> stopRequested{0};
std::int32_t completedCount = 0;
std::int32_t workerThreadCount = 0;
CompletionPortPool* workerPool = nullptr;
bool verificationMode = false;
TextArray commandLinePaths;

void CreateGlobals() {
  filePaths.Clear();
  expectedDigests.Clear();
  verificationMode = false;
  commandLinePaths.clear();
  workerPool = new CompletionPortPool();  // idle: every field zero
}

void ReleaseGlobals() {
  filePaths.Clear();
  expectedDigests.Clear();
  if (workerPool != nullptr) {
    workerPool->Destroy();  // does not stop a running pool
    delete workerPool;
    workerPool = nullptr;
  }
}
