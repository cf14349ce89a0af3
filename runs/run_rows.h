// The rows of one pooled run: what each listed file has reached, written by
// the worker that hashes it, read by the window thread.
//
// How it works: StartPooledRun builds a new RunRows for every run, one row
// per non-empty entry of filePaths. Workers claim rows in order through an
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

#include "services/text.h"

enum class RowPhase : std::int32_t {
  kListed,   // row built, file not taken yet
  kStarted,  // size known, no chunk hashed yet
  kReading,  // at least one chunk hashed
  kDone,     // digest final
  kFailed,   // could not be opened, sized or read whole, or stopped
};

enum class RowVerdict : std::int32_t { kNone, kPassed, kMismatch };

inline constexpr std::int32_t kDigestDigits = 32;

// One row as the window thread sees it at one moment.
struct RowSnapshot {
  std::int32_t position = 0;  // 1-based position in filePaths
  RowPhase phase = RowPhase::kListed;
  bool progressShown = false;  // a chunk was hashed (or the file was empty)
  std::int64_t size = -1;
  std::int64_t done = 0;
  Text digest;  // 32 upper-case digits once kDone
  RowVerdict verdict = RowVerdict::kNone;
  bool stopped = false;  // kFailed because 停止 (or closing) ended it
};

class RunRows {
 public:
  RunRows(std::uint32_t generation, const std::vector<std::int32_t>& positions);
  RunRows(const RunRows&) = delete;
  RunRows& operator=(const RunRows&) = delete;

  std::uint32_t Generation() const { return generation_; }
  std::int32_t Count() const { return count_; }
  std::int32_t PositionOf(std::int32_t row) const;

  // Workers. ClaimNext gives each row to exactly one worker, in order; -1
  // once every row was claimed.
  std::int32_t ClaimNext();
  bool AllClaimed() const { return nextRow_.load(std::memory_order_relaxed) >= count_; }
  void Start(std::int32_t row, std::int64_t size);
  void Progress(std::int32_t row, std::int64_t done);
  // Both true when this was the last row of the run to settle.
  bool Finish(std::int32_t row, const Text& upperDigest);
  bool Fail(std::int32_t row, bool stopped = false);
  // Rows not yet done or failed, the calling worker's own included.
  std::int32_t Unsettled() const { return count_ - settled_.load(std::memory_order_relaxed); }

  // Window thread.
  RowSnapshot Read(std::int32_t row) const;
  // Rows changed since the last call, each once.
  std::vector<std::int32_t> TakeChangedRows();
  // Rows that reached kDone since the last call, each once.
  std::vector<std::int32_t> TakeFinishedRows();
  void SetVerdict(std::int32_t row, RowVerdict verdict);

 private:
  struct Row {
    std::int32_t position = 0;
    std::atomic<std::int32_t> phase{static_cast<std::int32_t>(RowPhase::kListed)};
    std::atomic<bool> progressShown{false};
    std::atomic<bool> changed{false};
    std::atomic<bool> stopped{false};  // written before phase kFailed is published
    RowVerdict verdict = RowVerdict::kNone;  // window thread only
    std::atomic<std::int64_t> size{-1};
    std::atomic<std::int64_t> done{0};
    char digest[kDigestDigits] = {};  // written before phase kDone is published
  };

  bool Has(std::int32_t row) const { return row >= 0 && row < count_; }
  void SetPhase(Row& row, RowPhase phase);
  bool Settle();
  void NoteChanged(std::int32_t row);

  const std::uint32_t generation_;
  const std::int32_t count_;
  std::unique_ptr<Row[]> rows_;
  std::atomic<std::int32_t> nextRow_{0};
  std::atomic<std::int32_t> settled_{0};
  std::mutex listsLock_;
  std::vector<std::int32_t> changed_;
  std::vector<std::int32_t> finished_;
};
