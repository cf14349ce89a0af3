// An append-only list of texts whose count other threads may read while
// the window thread appends (a drop during a run): the count is published
// atomically after the entry is in place, and entries never move.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>

#include "services/text.h"

class FileList {
 public:
  void Append(const Text& entry) {
    entries_.push_back(entry);
    count_.store(static_cast<std::int32_t>(entries_.size()), std::memory_order_release);
  }
  std::int32_t Count() const { return count_.load(std::memory_order_acquire); }
  // 1-based; the empty text outside 1..Count(). Window thread only.
  Text At(std::int32_t position) const {
    if (position < 1 || position > Count()) return Text();
    return entries_[static_cast<std::size_t>(position - 1)];
  }
  void Clear() {
    count_.store(0, std::memory_order_release);
    entries_.clear();
  }

 private:
  std::deque<Text> entries_;
  std::atomic<std::int32_t> count_{0};
};
