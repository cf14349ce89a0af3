#include "app/globals.h"

bool verificationMode = false;

void CreateGlobals() {
  filePaths.Clear();
  expectedDigests.Clear();
  verificationMode = false;
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
