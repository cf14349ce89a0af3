// What the current run publishes for the window thread, which takes it at
// its own pace: the run's rows, the label's two numbers as the last
// finished file left them, 进度条1's position from the chunk finished last,
// and a notice once every row has settled.
//
// How it works: a newer run replaces the current one; the older run's
// threads then find their generation stale and publish nothing more. The
// lock guards the rows' pointer, the count step (increment, label numbers)
// and the notice; it is held only for a few instructions, never around a
// window call, so the window thread may take it too. Nothing a worker does
// here waits for the window.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "runs/run_rows.h"

class CurrentRun {
 public:
  // Window thread: `rows` becomes the current run.
  void Replace(std::shared_ptr<RunRows> rows);
  std::uint32_t NextGeneration() const { return generation_.load() + 1; }
  // Once a run settles, `settled` is called with its generation on the
  // worker that settled it; it must not wait for the window.
  void NotifyWhenSettled(std::function<void(std::uint32_t generation)> settled);

  // Any thread.
  std::shared_ptr<RunRows> Rows() const;
  // Null when a newer run took over.
  std::shared_ptr<RunRows> RowsOf(std::uint32_t generation) const;
  bool IsCurrent(std::uint32_t generation) const {
    return generation_.load(std::memory_order_acquire) == generation;
  }

  // Workers.
  void PublishBar(std::int64_t size, std::int64_t done);
  // After each file of `rows`: the label's numbers, `listed` files in all
  // and this run's successes; nothing from a stale run.
  void CountFinishedFile(const RunRows& rows, std::int32_t listed);
  void NoticeSettled(std::uint32_t generation) const;

  // Window thread. The label's numbers, true once per change.
  bool TakeLabelChange(std::int32_t& total, std::int32_t& count);
  // 0..100; -1 when no chunk was finished since the last call.
  std::int32_t TakeProgressBarChange();

 private:
  static constexpr std::int32_t kNoBarChange = -1;
  struct LabelNumbers {
    std::int32_t total = 0;
    std::int32_t count = 0;
    bool changed = false;
  };

  mutable std::mutex lock_;
  std::shared_ptr<RunRows> rows_;
  std::atomic<std::uint32_t> generation_{0};
  LabelNumbers label_;
  std::function<void(std::uint32_t)> settled_;
  std::atomic<std::int32_t> bar_{kNoBarChange};
};
