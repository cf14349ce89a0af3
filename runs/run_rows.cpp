#include "runs/run_rows.h"

#include <algorithm>
#include <cstring>

#include <windows.h>

RunRows::RunRows(std::uint32_t generation, const std::vector<std::int32_t>& positions)
    : generation_(generation),
      count_(static_cast<std::int32_t>(positions.size())),
      rows_(new Row[positions.size()]),
      startTick_(GetTickCount64()) {
  for (std::int32_t row = 0; row < count_; ++row) {
    rows_[static_cast<std::size_t>(row)].position = positions[static_cast<std::size_t>(row)];
  }
}

std::int32_t RunRows::PositionOf(std::int32_t row) const {
  return Has(row) ? rows_[static_cast<std::size_t>(row)].position : 0;
}

void RunRows::Keep(std::int32_t row, const RowSnapshot& found) {
  if (!Has(row) || found.phase != RowPhase::kDone) return;
  Row& state = rows_[static_cast<std::size_t>(row)];
  state.kept = true;
  state.size.store(found.size, std::memory_order_relaxed);
  state.done.store(found.done, std::memory_order_relaxed);
  state.progressShown.store(found.progressShown, std::memory_order_relaxed);
  const std::size_t digits = std::min<std::size_t>(static_cast<std::size_t>(found.digest.Length()),
                                                   kDigestDigits);
  std::memcpy(state.digest, found.digest.CStr(), digits);
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

bool RunRows::Finish(std::int32_t row, const Text& upperDigest) {
  if (!Has(row)) return false;
  Row& state = rows_[static_cast<std::size_t>(row)];
  const std::size_t digits = std::min<std::size_t>(static_cast<std::size_t>(upperDigest.Length()),
                                                   kDigestDigits);
  std::memcpy(state.digest, upperDigest.CStr(), digits);
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
  // The phase first: its acquire makes what was written before it visible.
  snapshot.phase = static_cast<RowPhase>(state.phase.load(std::memory_order_acquire));
  snapshot.progressShown = state.progressShown.load(std::memory_order_acquire);
  snapshot.size = state.size.load(std::memory_order_relaxed);
  snapshot.done = state.done.load(std::memory_order_acquire);
  if (snapshot.phase == RowPhase::kDone) snapshot.digest = Text(state.digest, kDigestDigits);
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
