#include "runs/run_coordinator.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/file_reader.h"
#include "engine/md5_lanes.h"
#include "runs/lanes.h"

RunCoordinator::RunCoordinator() = default;

// The run stops as closing stops it, and the workers end before the state
// they use.
RunCoordinator::~RunCoordinator() {
  RequestStop();
  workerPool.Stop();
}

bool RunCoordinator::StartPool() {
  workerPool.Start(DigestFile, this, workerThreadCount);
  // A closing program waits for the files it has; it starts no others.
  if (workerPool.State() != kPoolRunning) return false;
  stopRequested.store(0);
  return true;
}

// Makes `rows` the current run and gives its rows to the workers.
void RunCoordinator::StartRows(std::shared_ptr<RunRows> rows) {
  const std::uint32_t generation = rows->Generation();
  const std::int32_t count = rows->Count();
  current_.Replace(std::move(rows));
  // One item per worker, each taking rows until none is left: posting one
  // item per file would cost the window thread a server call per file.
  const std::int32_t items = std::min<std::int32_t>(workerPool.ThreadCount(), count);
  for (std::int32_t item = 0; item < items; ++item) workerPool.Post(generation, static_cast<std::uint32_t>(item));
}

void RunCoordinator::StartPooledRun() {
  if (!StartPool()) return;
  const EntrySnapshot entries = filePaths.Snapshot();
  StartRows(std::make_shared<RunRows>(current_.NextGeneration(), entries.store, FilesToHash(entries)));
}

bool RunCoordinator::StartPooledRunAgain(const RunRows& previous,
                                         const std::function<bool(const RowSnapshot&)>& keep) {
  std::vector<RowSnapshot> found;
  bool anyToRead = false;
  for (std::int32_t row = 0; row < previous.Count(); ++row) {
    found.push_back(previous.Read(row));
    if (!keep(found.back())) anyToRead = true;
  }
  if (!anyToRead || !StartPool()) return false;
  auto rows = std::make_shared<RunRows>(current_.NextGeneration(), previous.Store(), previous.Files());
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    if (keep(found[static_cast<std::size_t>(row)])) rows->Keep(row, found[static_cast<std::size_t>(row)]);
  }
  StartRows(std::move(rows));
  return true;
}

void RunCoordinator::DigestFile(void* coordinator, std::uint32_t generation, std::uint32_t rank) {
  static_cast<RunCoordinator*>(coordinator)->HashRowsOfRun(generation, rank);
}

void RunCoordinator::HashRowsOfRun(std::uint32_t generation, std::uint32_t rank) {
  const std::shared_ptr<RunRows> rows = current_.RowsOf(generation);
  if (rows == nullptr) return;  // a newer run took over before this item ran
  const FileReader reader;
  const std::int32_t poolThreads = workerPool.ThreadCount();
  const bool helper = static_cast<std::int32_t>(rank) >= HashingThreads(poolThreads);
  Md5Lanes engine(BestMd5Variant());
  RunWork run{*rows, current_, stopRequested, filePaths, resources_};
  Lanes lanes(run, helper ? 1 : LanesPerThread(poolThreads), helper, poolThreads);
  for (;;) {
    // A newer run: its files are left at their next chunk, counting nothing.
    if (run.IsStale()) return;
    if (!lanes.TakeFiles(reader)) return;
    lanes.HashNextChunks(engine);
  }
}

void RunCoordinator::RequestStop() { stopRequested.store(1); }

void RunCoordinator::NotifyWhenRunSettles(std::function<void(std::uint32_t)> settled) {
  current_.NotifyWhenSettled(std::move(settled));
}

bool RunCoordinator::TakeLabelChange(std::int32_t& total, std::int32_t& count) {
  return current_.TakeLabelChange(total, count);
}

std::int32_t RunCoordinator::TakeProgressBarChange() { return current_.TakeProgressBarChange(); }

std::shared_ptr<RunRows> RunCoordinator::CurrentRunRows() const { return current_.Rows(); }

bool RunCoordinator::IsCurrentRun(std::uint32_t generation) const { return current_.IsCurrent(generation); }
