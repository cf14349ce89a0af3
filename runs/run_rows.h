// The rows of one pooled run: what each listed file has reached, written by
// the worker that hashes it, read by the window thread.
//
// How it works: StartPooledRun builds a new RunRows for every run, one row
// per non-empty entry of filePaths; each row points at its entry, whose
// store the rows keep alive. Workers claim rows in order through an
// atomic cursor; the worker of a row is its only writer. It publishes each
// step (started with the size, bytes done, digest, failure) with release
// stores and then notes the row as changed: the first note since the window
// thread last looked puts the row on the changed list (a short lock that
// only list pushes and swaps take). The window thread takes that list at its
// own pace and reads the rows with acquire loads, so neither side ever waits
// for the other. A run that a newer one replaced stays alive while its
// workers still hold it; what they write there is never shown.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/digest.h"
#include "runs/file_list.h"

enum class RowPhase : std::int32_t {
  kListed,   // row built, file not taken yet
  kStarted,  // size known, no chunk hashed yet
  kReading,  // at least one chunk hashed
  kDone,     // digest final
  kFailed,   // could not be opened, sized or read whole, or stopped
};

enum class RowVerdict : std::int32_t { kNone, kPassed, kMismatch };

// A row's file: its 1-based position among the listed files (column 0's
// number), and its entry.
struct ListedFile {
  std::int32_t position = 0;
  const FileEntry* entry = nullptr;
};

// Every non-empty entry of `entries`, in order. Window thread.
std::vector<ListedFile> FilesToHash(const EntrySnapshot& entries);

// One row as the window thread sees it at one moment.
struct RowSnapshot {
  std::int32_t position = 0;  // 1-based position in filePaths
  const FileEntry* entry;     // never null: an empty entry outside the rows
  RowPhase phase = RowPhase::kListed;
  bool progressShown = false;  // a chunk was hashed (or the file was empty)
  std::int64_t size = -1;
  std::int64_t done = 0;
  Digest digest;  // once kDone
  RowVerdict verdict = RowVerdict::kNone;
  bool stopped = false;  // kFailed because 停止 (or closing) ended it
  std::uint32_t error = 0;  // kFailed: the failing call's system error

  RowSnapshot();
};

// What a run has reached, counted as its rows settle; nothing carries over
// from an earlier run.
struct RunCounts {
  std::int32_t rows = 0;
  std::int32_t done = 0;        // digest final
  std::int32_t failed = 0;      // could not be read whole, or stopped
  std::int32_t passed = 0;      // verdicts, window thread
  std::int32_t mismatched = 0;
  std::int64_t bytesDone = 0;   // hashed so far
  std::int64_t bytesKnown = 0;  // sizes of the rows started so far
  std::int32_t started = 0;     // rows whose size is known
};

class RunRows {
 public:
  // `store` holds the files' entries.
  RunRows(std::uint32_t generation, std::shared_ptr<const EntryStore> store,
          const std::vector<ListedFile>& files);
  RunRows(const RunRows&) = delete;
  RunRows& operator=(const RunRows&) = delete;

  std::uint32_t Generation() const { return generation_; }
  std::int32_t Count() const { return count_; }
  std::int32_t PositionOf(std::int32_t row) const;
  // Any thread: entries never change.
  const FileEntry& EntryOf(std::int32_t row) const;
  // The rows' files, for a run over the same ones.
  std::vector<ListedFile> Files() const;
  const std::shared_ptr<const EntryStore>& Store() const { return store_; }

  // Before any worker runs: the row keeps what an earlier run found and
  // is neither claimed nor read again.
  void Keep(std::int32_t row, const RowSnapshot& found);

  // Workers. ClaimNext gives each row to exactly one worker, in order; -1
  // once every row was claimed.
  std::int32_t ClaimNext();
  bool AllClaimed() const { return nextRow_.load(std::memory_order_relaxed) >= count_; }
  void Start(std::int32_t row, std::int64_t size);
  void Progress(std::int32_t row, std::int64_t done);
  // Both true when this was the last row of the run to settle.
  bool Finish(std::int32_t row, const Digest& digest);
  bool Fail(std::int32_t row, bool stopped = false, std::uint32_t error = 0);
  // Rows not yet done or failed, the calling worker's own included.
  std::int32_t Unsettled() const { return count_ - settled_.load(std::memory_order_relaxed); }

  // Window thread.
  RowSnapshot Read(std::int32_t row) const;
  // Rows changed since the last call, each once.
  std::vector<std::int32_t> TakeChangedRows();
  // Rows that reached kDone since the last call, each once.
  std::vector<std::int32_t> TakeFinishedRows();
  void SetVerdict(std::int32_t row, RowVerdict verdict);
  RunCounts Counts() const;
  // When the run was built (GetTickCount64).
  std::uint64_t StartTick() const { return startTick_; }

 private:
  struct Row {
    std::int32_t position = 0;
    const FileEntry* entry = nullptr;
    std::atomic<std::int32_t> phase{static_cast<std::int32_t>(RowPhase::kListed)};
    std::atomic<bool> progressShown{false};
    std::atomic<bool> changed{false};
    bool kept = false;  // set before the workers start
    std::atomic<bool> stopped{false};  // written before phase kFailed is published
    std::atomic<std::uint32_t> error{0};  // likewise
    RowVerdict verdict = RowVerdict::kNone;  // window thread only
    std::atomic<std::int64_t> size{-1};
    std::atomic<std::int64_t> done{0};
    Digest digest;  // written before phase kDone is published
  };

  bool Has(std::int32_t row) const { return row >= 0 && row < count_; }
  void SetPhase(Row& row, RowPhase phase);
  bool Settle();
  void NoteChanged(std::int32_t row);

  const std::uint32_t generation_;
  const std::shared_ptr<const EntryStore> store_;
  const std::int32_t count_;
  std::unique_ptr<Row[]> rows_;
  std::atomic<std::int32_t> nextRow_{0};
  std::atomic<std::int32_t> settled_{0};
  std::atomic<std::int32_t> done_{0};
  std::atomic<std::int32_t> failed_{0};
  std::atomic<std::int32_t> started_{0};
  std::atomic<std::int64_t> bytesDone_{0};
  std::atomic<std::int64_t> bytesKnown_{0};
  std::int32_t passed_ = 0;      // window thread only
  std::int32_t mismatched_ = 0;  // window thread only
  const std::uint64_t startTick_;
  std::mutex listsLock_;
  std::vector<std::int32_t> changed_;
  std::vector<std::int32_t> finished_;
};
