#include "shell/path_walker.h"

#include <memory>
#include <thread>
#include <utility>

#include "services/folder_walk.h"
#include "services/ui_tasks.h"

PathWalker::PathWalker(UiTasks& tasks, Receiver receive) : tasks_(tasks), receive_(std::move(receive)) {
  std::thread([this] { WalkDrops(); }).detach();
}

void PathWalker::Queue(PathArray dropPaths) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    drops_.push_back(std::move(dropPaths));
  }
  queued_.notify_one();
}

void PathWalker::WalkDrops() {
  for (;;) {
    PathArray dropPaths;
    {
      std::unique_lock<std::mutex> hold(lock_);
      queued_.wait(hold, [this] { return !drops_.empty(); });
      dropPaths = std::move(drops_.front());
      drops_.pop_front();
    }
    WalkDrop(dropPaths);
  }
}

void PathWalker::WalkDrop(const PathArray& dropPaths) {
  auto batch = std::make_unique<WalkedBatch>();
  const PathSink take = [&](const std::wstring& path) {
    batch->paths.push_back(path);
    if (batch->paths.size() < kBatchSize) return;
    Post(batch.release());
    batch = std::make_unique<WalkedBatch>();
  };
  for (const std::wstring& path : dropPaths) WalkDroppedPath(path, take);
  batch->endsDrop = true;
  Post(batch.release());
}

void PathWalker::Post(WalkedBatch* batch) {
  std::shared_ptr<WalkedBatch> owned(batch);
  const Receiver receive = receive_;
  tasks_.Post([owned, receive] { receive(*owned); });
}
