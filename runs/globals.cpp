#include "runs/globals.h"

bool verificationMode = false;
Text verifiedListFolder;
PathArray commandLinePaths;

void CreateGlobals() {
  filePaths.Clear();
  expectedDigests.Clear();
  verificationMode = false;
  verifiedListFolder = Text();
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
