#include "runs/run_publication.h"

#include <utility>

#include "runs/pooled_run.h"

void CurrentRun::Replace(std::shared_ptr<RunRows> rows) {
  std::lock_guard<std::mutex> hold(lock_);
  const std::uint32_t generation = rows->Generation();
  rows_ = std::move(rows);
  generation_.store(generation, std::memory_order_release);
}

void CurrentRun::NotifyWhenSettled(std::function<void(std::uint32_t)> settled) {
  std::lock_guard<std::mutex> hold(lock_);
  settled_ = std::move(settled);
}

std::shared_ptr<RunRows> CurrentRun::Rows() const {
  std::lock_guard<std::mutex> hold(lock_);
  return rows_;
}

std::shared_ptr<RunRows> CurrentRun::RowsOf(std::uint32_t generation) const {
  std::lock_guard<std::mutex> hold(lock_);
  if (rows_ == nullptr || rows_->Generation() != generation) return nullptr;
  return rows_;
}

void CurrentRun::PublishBar(std::int64_t size, std::int64_t done) {
  bar_.store(static_cast<std::int32_t>(PercentOf(done, size)), std::memory_order_relaxed);
}

// The label counts this run's successes only: each run starts from none.
void CurrentRun::CountFinishedFile(const RunRows& rows, std::int32_t listed) {
  std::lock_guard<std::mutex> step(lock_);
  if (generation_.load(std::memory_order_relaxed) != rows.Generation()) return;
  label_.total = listed;
  label_.count = rows.Counts().done;
  label_.changed = true;
}

void CurrentRun::NoticeSettled(std::uint32_t generation) const {
  std::function<void(std::uint32_t)> settled;
  {
    std::lock_guard<std::mutex> hold(lock_);
    settled = settled_;
  }
  if (settled) settled(generation);
}

bool CurrentRun::TakeLabelChange(std::int32_t& total, std::int32_t& count) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!label_.changed) return false;
  label_.changed = false;
  total = label_.total;
  count = label_.count;
  return true;
}

std::int32_t CurrentRun::TakeProgressBarChange() {
  return bar_.exchange(kNoBarChange, std::memory_order_relaxed);
}
