#include "runs/globals.h"
#include "services/text_ops.h"
#include "shell/handlers.h"
#include "shell/path_walker.h"

namespace {

// Drops queued for walking whose last batch has not arrived. Window thread.
std::int32_t dropsBeingWalked = 0;

// Every drop re-lists and re-hashes all files, so the run waits until no
// drop is being walked: drops that come close together (or a large folder
// and what follows it) share one run, as drops that arrive before the
// requested run starts always did.
void TakeWalkedBatch(const WalkedBatch& batch) {
  for (const std::wstring& path : batch.paths) filePaths.Append(path);
  if (!batch.endsDrop) return;
  if (--dropsBeingWalked == 0) RequestPooledRun();
}

PathWalker& Walker() {
  // Never destroyed: its thread may still be walking while the process ends.
  static PathWalker* const walker = new PathWalker(TakeWalkedBatch);
  return *walker;
}

}  // namespace

void AcceptPaths(const PathArray& paths) {
  // Files, folders and missing paths all go to the walker, so a drop keeps
  // its order; nothing else is checked: missing files fail in their rows.
  ++dropsBeingWalked;
  Walker().Queue(paths);
}

void AcceptDroppedFiles(const std::wstring& dropText) {
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
