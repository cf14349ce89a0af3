// Dropped paths walked off the window thread, handed back in batches.
//
// How it works: the window thread queues each drop's paths (Queue). One
// walker thread takes the drops in the order they came, walks every path
// (WalkDroppedPath) and hands what it finds to the window thread as UI
// tasks (UiTasks::Post), kBatchSize paths at a time; the last batch of a drop says
// so. The window thread hands each batch to the receiver as it arrives, so
// the window keeps answering however large the tree, and the paths reach
// the receiver in drop order.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "services/ui_tasks.h"
#include "services/wide_paths.h"

struct WalkedBatch {
  PathArray paths;
  bool endsDrop = false;  // the drop's last batch (it may hold no path)
};

class PathWalker {
 public:
  static constexpr std::size_t kBatchSize = 1024;
  using Receiver = std::function<void(const WalkedBatch& batch)>;

  // Window thread: starts the walker thread; `tasks` carry the batches.
  // The object is meant to live until the process ends.
  PathWalker(UiTasks& tasks, Receiver receive);
  PathWalker(const PathWalker&) = delete;
  PathWalker& operator=(const PathWalker&) = delete;

  // Window thread.
  void Queue(PathArray dropPaths);

 private:
  void WalkDrops();  // the walker thread
  void WalkDrop(const PathArray& dropPaths);
  void Post(WalkedBatch* batch);

  UiTasks& tasks_;
  Receiver receive_;
  std::mutex lock_;
  std::condition_variable queued_;
  std::deque<PathArray> drops_;  // guarded by lock_
};
