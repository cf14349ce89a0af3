// An append-only list of paths that the window thread appends to while
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

#include <string>

#include "services/text.h"
#include "services/wide_paths.h"

class FileList {
 public:
  // Each entry is kept wide, as the system names the file, and in its ANSI
  // form (exact, or "?" where the code page lacks a character). A
  // `refused` entry keeps its text but is never opened.
  void Append(const std::wstring& entry, bool refused = false) {
    Add({entry, AnsiTextOf(entry), refused});
  }
  void Append(const Text& entry, bool refused = false) { Add({WideOf(entry), entry, refused}); }
  std::int32_t Count() const { return count_.load(std::memory_order_acquire); }
  // 1-based; the empty text outside 1..Count(). Any thread.
  Text At(std::int32_t position) const {
    std::shared_lock<std::shared_mutex> hold(lock_);
    if (position < 1 || position > Count()) return Text();
    return entries_[static_cast<std::size_t>(position - 1)].text;
  }
  // 1-based; the empty text outside 1..Count(). Any thread.
  std::wstring WideAt(std::int32_t position) const {
    std::shared_lock<std::shared_mutex> hold(lock_);
    if (position < 1 || position > Count()) return std::wstring();
    return entries_[static_cast<std::size_t>(position - 1)].wide;
  }
  // False outside 1..Count(): nothing there was refused.
  bool IsRefusedAt(std::int32_t position) const {
    std::shared_lock<std::shared_mutex> hold(lock_);
    if (position < 1 || position > Count()) return false;
    return entries_[static_cast<std::size_t>(position - 1)].refused;
  }
  // WideAt for each of `positions`, under one lock: many entries at once.
  std::vector<std::wstring> WideAtEach(const std::vector<std::int32_t>& positions) const {
    std::vector<std::wstring> found;
    found.reserve(positions.size());
    std::shared_lock<std::shared_mutex> hold(lock_);
    for (std::int32_t position : positions) {
      const bool inside = position >= 1 && position <= Count();
      found.push_back(inside ? entries_[static_cast<std::size_t>(position - 1)].wide : std::wstring());
    }
    return found;
  }
  bool IsEmptyAt(std::int32_t position) const {
    std::shared_lock<std::shared_mutex> hold(lock_);
    if (position < 1 || position > Count()) return true;
    return entries_[static_cast<std::size_t>(position - 1)].wide.empty();
  }
  void Clear() {
    std::unique_lock<std::shared_mutex> hold(lock_);
    count_.store(0, std::memory_order_release);
    entries_.clear();
  }

 private:
  struct Entry {
    std::wstring wide;
    Text text;
    bool refused;
  };
  void Add(Entry entry) {
    std::unique_lock<std::shared_mutex> hold(lock_);
    entries_.push_back(std::move(entry));
    count_.store(static_cast<std::int32_t>(entries_.size()), std::memory_order_release);
  }
  mutable std::shared_mutex lock_;
  std::deque<Entry> entries_;
  std::atomic<std::int32_t> count_{0};
};
