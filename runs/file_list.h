// An append-only list of texts that the window thread appends to while
// workers read entries and the count (a drop during a run). The count is
// published atomically after the entry is in place; a reader-writer lock
// keeps a worker's read apart from the growth of the list's storage.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "services/text.h"

class FileList {
 public:
  void Append(const Text& entry) {
    std::unique_lock<std::shared_mutex> hold(lock_);
    entries_.push_back(entry);
    count_.store(static_cast<std::int32_t>(entries_.size()), std::memory_order_release);
  }
  std::int32_t Count() const { return count_.load(std::memory_order_acquire); }
  // 1-based; the empty text outside 1..Count(). Any thread.
  Text At(std::int32_t position) const {
    std::shared_lock<std::shared_mutex> hold(lock_);
    if (position < 1 || position > Count()) return Text();
    return entries_[static_cast<std::size_t>(position - 1)];
  }
  // At for each of `positions`, under one lock: many entries at once.
  std::vector<Text> AtEach(const std::vector<std::int32_t>& positions) const {
    std::vector<Text> found;
    found.reserve(positions.size());
    std::shared_lock<std::shared_mutex> hold(lock_);
    for (std::int32_t position : positions) {
      const bool inside = position >= 1 && position <= Count();
      found.push_back(inside ? entries_[static_cast<std::size_t>(position - 1)] : Text());
    }
    return found;
  }
  bool IsEmptyAt(std::int32_t position) const {
    std::shared_lock<std::shared_mutex> hold(lock_);
    if (position < 1 || position > Count()) return true;
    return entries_[static_cast<std::size_t>(position - 1)].IsEmpty();
  }
  void Clear() {
    std::unique_lock<std::shared_mutex> hold(lock_);
    count_.store(0, std::memory_order_release);
    entries_.clear();
  }

 private:
  mutable std::shared_mutex lock_;
  std::deque<Text> entries_;
  std::atomic<std::int32_t> count_{0};
};
