#include "runs/run_rows.h"

#include <windows.h>

namespace {

// What a row outside the run stands for: no file.
const FileEntry kNoEntry{};

}  // namespace

std::vector<ListedFile> FilesToHash(const EntrySnapshot& entries) {
  std::vector<ListedFile> files;
  files.reserve(static_cast<std::size_t>(entries.count));
  for (std::int32_t position = 1; position <= entries.count; ++position) {
    const FileEntry& entry = entries.At(position);
    if (!entry.path.empty()) files.push_back({position, &entry});
  }
  return files;
}

RowSnapshot::RowSnapshot() : entry(&kNoEntry) {}

RunRows::RunRows(std::uint32_t generation, std::shared_ptr<const EntryStore> store,
                 const std::vector<ListedFile>& files)
    : generation_(generation),
      store_(std::move(store)),
      count_(static_cast<std::int32_t>(files.size())),
      rows_(new Row[files.size()]),
      startTick_(GetTickCount64()) {
  for (std::size_t row = 0; row < files.size(); ++row) {
    rows_[row].position = files[row].position;
    rows_[row].entry = files[row].entry != nullptr ? files[row].entry : &kNoEntry;
  }
}

std::int32_t RunRows::PositionOf(std::int32_t row) const {
  return Has(row) ? rows_[static_cast<std::size_t>(row)].position : 0;
}

const FileEntry& RunRows::EntryOf(std::int32_t row) const {
  return Has(row) ? *rows_[static_cast<std::size_t>(row)].entry : kNoEntry;
}

std::vector<ListedFile> RunRows::Files() const {
  std::vector<ListedFile> files;
  files.reserve(static_cast<std::size_t>(count_));
  for (std::int32_t row = 0; row < count_; ++row)
    files.push_back({rows_[static_cast<std::size_t>(row)].position, rows_[static_cast<std::size_t>(row)].entry});
  return files;
}

void RunRows::Keep(std::int32_t row, const RowSnapshot& found) {
  if (!Has(row) || found.phase != RowPhase::kDone) return;
  Row& state = rows_[static_cast<std::size_t>(row)];
  state.kept = true;
  state.size.store(found.size, std::memory_order_relaxed);
  state.done.store(found.done, std::memory_order_relaxed);
  state.progressShown.store(found.progressShown, std::memory_order_relaxed);
  state.digest = found.digest;
  SetPhase(state, RowPhase::kDone);
  SetVerdict(row, found.verdict);
  done_.fetch_add(1, std::memory_order_relaxed);
  settled_.fetch_add(1, std::memory_order_relaxed);
}

std::int32_t RunRows::ClaimNext() {
  for (;;) {
    // Once past the end the cursor stays there, so it can never wrap.
    if (nextRow_.load(std::memory_order_relaxed) >= count_) return -1;
    const std::int32_t row = nextRow_.fetch_add(1, std::memory_order_relaxed);
    if (row >= count_) return -1;
    if (!rows_[static_cast<std::size_t>(row)].kept) return row;
  }
}

void RunRows::Start(std::int32_t row, std::int64_t size) {
  if (!Has(row)) return;
  Row& state = rows_[static_cast<std::size_t>(row)];
  state.size.store(size, std::memory_order_relaxed);
  if (size > 0) bytesKnown_.fetch_add(size, std::memory_order_relaxed);
  started_.fetch_add(1, std::memory_order_relaxed);
  SetPhase(state, RowPhase::kStarted);
  NoteChanged(row);
}

void RunRows::Progress(std::int32_t row, std::int64_t done) {
  if (!Has(row)) return;
  Row& state = rows_[static_cast<std::size_t>(row)];
  const std::int64_t before = state.done.exchange(done, std::memory_order_acq_rel);
  bytesDone_.fetch_add(done - before, std::memory_order_relaxed);
  if (!state.progressShown.load(std::memory_order_relaxed)) {
    state.progressShown.store(true, std::memory_order_release);
    SetPhase(state, RowPhase::kReading);
  }
  NoteChanged(row);
}

bool RunRows::Finish(std::int32_t row, const Digest& digest) {
  if (!Has(row)) return false;
  Row& state = rows_[static_cast<std::size_t>(row)];
  state.digest = digest;
  SetPhase(state, RowPhase::kDone);
  done_.fetch_add(1, std::memory_order_relaxed);
  {
    std::lock_guard<std::mutex> hold(listsLock_);
    finished_.push_back(row);
  }
  NoteChanged(row);
  return Settle();
}

bool RunRows::Fail(std::int32_t row, bool stopped, std::uint32_t error) {
  if (!Has(row)) return false;
  Row& state = rows_[static_cast<std::size_t>(row)];
  state.stopped.store(stopped, std::memory_order_relaxed);
  state.error.store(error, std::memory_order_relaxed);
  SetPhase(state, RowPhase::kFailed);
  failed_.fetch_add(1, std::memory_order_relaxed);
  NoteChanged(row);
  return Settle();
}

bool RunRows::Settle() { return settled_.fetch_add(1, std::memory_order_acq_rel) + 1 == count_; }

RowSnapshot RunRows::Read(std::int32_t row) const {
  RowSnapshot snapshot;
  if (!Has(row)) return snapshot;
  const Row& state = rows_[static_cast<std::size_t>(row)];
  snapshot.position = state.position;
  snapshot.entry = state.entry;
  // The phase first: its acquire makes what was written before it visible.
  snapshot.phase = static_cast<RowPhase>(state.phase.load(std::memory_order_acquire));
  snapshot.progressShown = state.progressShown.load(std::memory_order_acquire);
  snapshot.size = state.size.load(std::memory_order_relaxed);
  snapshot.done = state.done.load(std::memory_order_acquire);
  if (snapshot.phase == RowPhase::kDone) snapshot.digest = state.digest;
  snapshot.stopped = state.stopped.load(std::memory_order_relaxed);
  snapshot.error = state.error.load(std::memory_order_relaxed);
  snapshot.verdict = state.verdict;
  return snapshot;
}

std::vector<std::int32_t> RunRows::TakeChangedRows() {
  std::vector<std::int32_t> taken;
  {
    std::lock_guard<std::mutex> hold(listsLock_);
    taken.swap(changed_);
  }
  // Cleared before the caller reads the rows: a change made after this
  // notes the row again. The exchange pairs with the worker's, so its
  // earlier writes are visible.
  for (std::int32_t row : taken) {
    rows_[static_cast<std::size_t>(row)].changed.exchange(false, std::memory_order_acq_rel);
  }
  return taken;
}

std::vector<std::int32_t> RunRows::TakeFinishedRows() {
  std::vector<std::int32_t> taken;
  std::lock_guard<std::mutex> hold(listsLock_);
  taken.swap(finished_);
  return taken;
}

void RunRows::SetVerdict(std::int32_t row, RowVerdict verdict) {
  if (!Has(row)) return;
  RowVerdict& kept = rows_[static_cast<std::size_t>(row)].verdict;
  if (kept == RowVerdict::kPassed) --passed_;
  if (kept == RowVerdict::kMismatch) --mismatched_;
  kept = verdict;
  if (kept == RowVerdict::kPassed) ++passed_;
  if (kept == RowVerdict::kMismatch) ++mismatched_;
}

RunCounts RunRows::Counts() const {
  RunCounts counts;
  counts.rows = count_;
  counts.done = done_.load(std::memory_order_relaxed);
  counts.failed = failed_.load(std::memory_order_relaxed);
  counts.passed = passed_;
  counts.mismatched = mismatched_;
  counts.bytesDone = bytesDone_.load(std::memory_order_relaxed);
  counts.bytesKnown = bytesKnown_.load(std::memory_order_relaxed);
  counts.started = started_.load(std::memory_order_relaxed);
  return counts;
}

void RunRows::SetPhase(Row& row, RowPhase phase) {
  row.phase.store(static_cast<std::int32_t>(phase), std::memory_order_release);
}

void RunRows::NoteChanged(std::int32_t row) {
  if (rows_[static_cast<std::size_t>(row)].changed.exchange(true, std::memory_order_acq_rel)) return;
  std::lock_guard<std::mutex> hold(listsLock_);
  changed_.push_back(row);
}
