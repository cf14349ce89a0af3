// The listed files: what the window thread appends (drops, a verified
// list's entries) and every run is built from.
//
// How it works: entries are never changed once appended. A run takes a
// snapshot (EntrySnapshot): the entries' store, shared, and their count at
// that moment; its rows point at their entries there. Clear starts a new
// store, so runs built before it keep theirs whole. Only the window thread
// appends, clears and takes snapshots; Count may be read by any thread (a
// worker's label total while a drop appends).
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "engine/digest.h"

struct FileEntry {
  std::wstring path;  // as the system names the file, and as it is opened
  // A verified list's entry: the name as the list gives it, relative to the
  // list's folder ("\" separated); what column 1 shows while verifying.
  std::wstring listedName;
  // A verified list's digest, as bytes; empty when the list's text was no
  // digest (32 hexadecimal digits), which then matches nothing.
  Digest expectedDigest;
  bool listed = false;   // from a verified list: its row is judged
  // A server's share, a device or a stream: its row fails unopened.
  bool refused = false;
  std::int32_t line = 0;  // the list's line it came from (from 1); 0 when dropped
};

using EntryStore = std::deque<FileEntry>;

// The entries of one moment, kept alive while a run uses them.
struct EntrySnapshot {
  std::shared_ptr<const EntryStore> store;
  std::int32_t count = 0;
  // 1-based, as column 0 numbers them; `position` in 1..count.
  const FileEntry& At(std::int32_t position) const {
    return (*store)[static_cast<std::size_t>(position - 1)];
  }
};

class FileList {
 public:
  // Window thread.
  void Append(FileEntry entry) {
    store_->push_back(std::move(entry));
    count_.store(static_cast<std::int32_t>(store_->size()), std::memory_order_release);
  }
  // A dropped file, or one named on the command line.
  void Append(const std::wstring& path) {
    FileEntry entry;
    entry.path = path;
    Append(std::move(entry));
  }
  void Clear() {
    store_ = std::make_shared<EntryStore>();
    count_.store(0, std::memory_order_release);
  }
  EntrySnapshot Snapshot() const { return {store_, Count()}; }
  // Any thread.
  std::int32_t Count() const { return count_.load(std::memory_order_acquire); }

 private:
  std::shared_ptr<EntryStore> store_ = std::make_shared<EntryStore>();
  std::atomic<std::int32_t> count_{0};
};
