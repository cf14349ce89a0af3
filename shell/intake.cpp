#include "shell/program.h"

// Every drop re-lists and re-hashes all files, so the run waits until no
// drop is being walked: drops that come close together (or a large folder
// and what follows it) share one run, as drops that arrive before the
// requested run starts always did.
void Program::TakeWalkedBatch(const WalkedBatch& batch) {
  for (const std::wstring& path : batch.paths) runs_.filePaths.Append(path);
  if (!batch.endsDrop) return;
  if (--dropsBeingWalked_ == 0) RequestPooledRun();
}

void Program::AcceptPaths(const PathArray& paths) {
  if (walker_ == nullptr)
    walker_ = new PathWalker(tasks_, [this](const WalkedBatch& batch) { TakeWalkedBatch(batch); });
  // Files, folders and missing paths all go to the walker, so a drop keeps
  // its order; nothing else is checked: missing files fail in their rows.
  ++dropsBeingWalked_;
  walker_->Queue(paths);
}

void Program::AcceptDroppedFiles(const std::wstring& dropText) {
  PathArray paths;
  std::size_t start = 0;
  while (start < dropText.size()) {
    std::size_t end = dropText.find(L"\r\n", start);
    if (end == std::wstring::npos) end = dropText.size();
    paths.push_back(dropText.substr(start, end - start));
    start = end + 2;
  }
  AcceptPaths(paths);
}
