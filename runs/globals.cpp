#include "runs/globals.h"

bool verificationMode = false;
std::wstring verifiedListFolder;
PathArray commandLinePaths;

void CreateGlobals() {
  filePaths.Clear();
  expectedDigests.Clear();
  verificationMode = false;
  verifiedListFolder.clear();
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
