#include "runs/pooled_run.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/chunk_buffers.h"
#include "engine/completion_port_pool.h"
#include "engine/file_reader.h"
#include "engine/md5_hasher.h"
#include "engine/md5_lanes.h"
#include "engine/read_ahead.h"
#include "runs/run_state.h"
#include "services/text_ops.h"
#include "services/ui_tasks.h"

namespace {

constexpr std::int32_t kByteSizeTextCapacity = 255;
constexpr std::int32_t kNoBarChange = -1;

struct LabelNumbers {
  std::int32_t total = 0;
  std::int32_t count = 0;
  bool changed = false;
};

// What workers and the window thread share about the current run. The lock
// guards the rows' pointer and the count step (increment, label numbers,
// reset); it is held only for a few instructions, never around a window
// call, so the window thread may take it too. Never destroyed: a worker
// still running while the process exits must not find it gone.
struct SharedRun {
  std::mutex lock;
  std::shared_ptr<RunRows> rows;
  LabelNumbers label;
};

SharedRun& Shared() {
  static SharedRun* const shared = new SharedRun();
  return *shared;
}

std::atomic<std::uint32_t> currentGeneration{0};
std::atomic<std::int32_t> barPosition{kNoBarChange};
std::atomic<std::int32_t> openFiles{0};
std::atomic<std::int32_t> peakOpenFiles{0};
std::atomic<std::int32_t> openAttempts{0};
std::atomic<void (*)()> settledNotice{nullptr};

// Never destroyed: a worker still running while the process exits must
// not find it gone.
ChunkBuffers& Chunks() {
  static ChunkBuffers* const buffers = new ChunkBuffers(kChunkMemoryBudget, kChunkSize);
  return *buffers;
}

bool IsCurrentRun(std::uint32_t generation) {
  return currentGeneration.load(std::memory_order_acquire) == generation;
}

std::shared_ptr<RunRows> RowsOfRun(std::uint32_t generation) {
  std::lock_guard<std::mutex> hold(Shared().lock);
  const std::shared_ptr<RunRows>& rows = Shared().rows;
  if (rows == nullptr || rows->Generation() != generation) return nullptr;
  return rows;
}

// The files the runs' threads hold at once, all runs together: no more than
// the pool has workers, as when each worker held one.
std::atomic<std::int32_t> filesInFlight{0};

class FileSlot {
 public:
  explicit FileSlot(std::int32_t limit) {
    std::int32_t used = filesInFlight.load();
    while (used < limit && !filesInFlight.compare_exchange_weak(used, used + 1)) {
    }
    held_ = used < limit;
  }
  ~FileSlot() {
    if (held_) filesInFlight.fetch_sub(1);
  }
  FileSlot(FileSlot&& other) noexcept : held_(std::exchange(other.held_, false)) {}
  FileSlot(const FileSlot&) = delete;
  FileSlot& operator=(const FileSlot&) = delete;
  FileSlot& operator=(FileSlot&&) = delete;
  explicit operator bool() const { return held_; }

 private:
  bool held_ = false;
};

// One listed file opened by the worker that hashes it, counted while open.
class RunFile {
 public:
  RunFile(const FileReader& reader, const std::wstring& path)
      : reader_(reader), handle_(reader.Open(path)) {
    openAttempts.fetch_add(1);
    if (handle_ == INVALID_HANDLE_VALUE) {
      openError_ = GetLastError();
      return;
    }
    const std::int32_t open = openFiles.fetch_add(1) + 1;
    std::int32_t peak = peakOpenFiles.load();
    while (open > peak && !peakOpenFiles.compare_exchange_weak(peak, open)) {
    }
  }
  ~RunFile() { Close(); }
  RunFile(const RunFile&) = delete;
  RunFile& operator=(const RunFile&) = delete;

  HANDLE Handle() const { return handle_; }
  std::uint32_t OpenError() const { return openError_; }
  void Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    reader_.Close(std::exchange(handle_, INVALID_HANDLE_VALUE));
    openFiles.fetch_sub(1);
  }

 private:
  const FileReader& reader_;
  HANDLE handle_;
  std::uint32_t openError_ = 0;
};

void PublishBar(std::int64_t size, std::int64_t done) {
  barPosition.store(static_cast<std::int32_t>(PercentOf(done, size)), std::memory_order_relaxed);
}

bool ShouldStopReading(std::uint32_t generation) {
  return stopRequested.load(std::memory_order_relaxed) == 1 || !IsCurrentRun(generation);
}

void PublishChunk(RunRows& rows, std::int32_t row, std::int64_t size, std::int64_t done) {
  // A file that grew past the size taken at the start fails; its row never
  // shows more than 100% on the way.
  if (done > size) return;
  PublishBar(size, done);
  rows.Progress(row, done);
}

// Reading ahead pays only where a processor would otherwise idle: with as
// many files left as processors, other files' hashing already fills the
// time a read takes, and a reader thread per file only competes with it.
bool ShouldReadAhead(const RunRows& rows, std::int64_t size) {
  return size > kChunkSize && rows.Unsettled() < ProcessorCount();
}

// The row's file by its wide path; nothing for a name that is never opened.
std::wstring OpenablePathOfRow(const RunRows& rows, std::int32_t row) {
  const std::int32_t position = rows.PositionOf(row);
  return filePaths.IsRefusedAt(position) ? std::wstring() : filePaths.WideAt(position);
}

// One listed file in a lane of a hashing thread: its handle, its running
// MD5, and its chunk buffer (two with a reading thread of its own).
class LaneFile {
 public:
  LaneFile(FileSlot slot, const FileReader& reader, RunRows& rows, std::int32_t row, ChunkLease chunk)
      : slot_(std::move(slot)), reader_(reader), rows_(rows), row_(row), chunk_(std::move(chunk)),
        file_(reader, OpenablePathOfRow(rows, row)), size_(reader.GetSize(file_.Handle())) {
    error_ = file_.OpenError();
    if (size_ < 0 && error_ == 0) error_ = GetLastError();
    rows.Start(row, size_);
    hasher_.Init();
    if (size_ == 0) PublishChunk(rows, row, size_, 0);  // complete without any read
    if (size_ > 0 && chunk_ && ShouldReadAhead(rows, size_)) {
      ahead_ = Chunks().TryTake();
      if (ahead_) {
        const std::uint32_t generation = rows.Generation();
        reading_ = std::make_unique<ReadAhead>(file_.Handle(), size_, kChunkSize, chunk_.Buffer(),
                                               ahead_.Buffer(),
                                               [generation] { return ShouldStopReading(generation); });
      }
    }
  }
  LaneFile(const LaneFile&) = delete;
  LaneFile& operator=(const LaneFile&) = delete;

  std::int32_t Row() const { return row_; }
  // Whether the file ends without another read: cannot be read at all, or
  // complete (an empty file is, without any read).
  bool EndsUnread() const { return size_ <= 0 || !chunk_; }
  bool WholeFileHashed() const { return size_ == 0; }
  bool Sized() const { return size_ >= 0; }
  bool IsLarge() const { return size_ > kChunkSize; }

  // The next chunk in file order, read by this thread or taken from the
  // reading thread; null when the file ends here: stopped, a newer run, or
  // nothing more to be read.
  const ByteBuffer* NextChunk() {
    if (reading_ != nullptr) {
      const ByteBuffer* chunk = reading_->Next();
      if (chunk != nullptr && chunk->IsEmpty() && error_ == 0) error_ = reading_->ReadError();
      return chunk;
    }
    if (ShouldStopReading(rows_.Generation())) return nullptr;  // no read after a stop
    SetLastError(0);  // what a failing read leaves is its own
    if (reader_.Read(file_.Handle(), chunk_.Buffer(), kChunkSize) == 0 && error_ == 0)
      error_ = GetLastError();
    return &chunk_.Buffer();
  }
  // After the chunk went through MD5: its progress; false when the file
  // ends with it (`whole` tells whether exactly the size was hashed).
  bool ChunkHashed(const ByteBuffer& chunk, bool& whole) {
    done_ += chunk.Length();
    PublishChunk(rows_, row_, size_, done_);
    if (reading_ != nullptr) reading_->Release();
    // A read that brings nothing before the size is reached (the file
    // shrank, a read error) must not pass for a whole file; more than the
    // size: the file grew while read.
    whole = done_ == size_;
    return done_ < size_ && !chunk.IsEmpty();
  }
  Md5Hasher& Hasher() { return hasher_; }
  // Why the file failed: the failing call's error; a file that only came
  // short (it shrank or grew while read) says it reached the end.
  std::uint32_t Error() const {
    if (error_ != 0) return error_;
    return chunk_ ? ERROR_HANDLE_EOF : ERROR_NOT_ENOUGH_MEMORY;  // no buffer within the budget
  }
  void Close() {
    reading_.reset();
    file_.Close();
  }

 private:
  FileSlot slot_;  // given back last, after the handle closed
  const FileReader& reader_;
  RunRows& rows_;
  const std::int32_t row_;
  ChunkLease chunk_;
  ChunkLease ahead_;
  RunFile file_;
  const std::int64_t size_;
  std::int64_t done_ = 0;
  Md5Hasher hasher_;
  std::unique_ptr<ReadAhead> reading_;  // destroyed before the handle closes
  std::uint32_t error_ = 0;
};

// The label counts this run's successes only: each run starts from none.
void CountFinishedFile(const RunRows& rows) {
  std::lock_guard<std::mutex> step(Shared().lock);
  if (currentGeneration.load(std::memory_order_relaxed) != rows.Generation()) return;
  LabelNumbers& label = Shared().label;
  label.total = filePaths.Count();
  label.count = rows.Counts().done;
  label.changed = true;
}

// Posted: the worker does not wait for the window. A run that a newer one
// replaced meanwhile shows nothing of its own.
void NoticeRunSettled(std::uint32_t generation) {
  void (*const settled)() = settledNotice.load();
  if (settled == nullptr) return;
  PostUiTask([settled, generation] {
    if (IsCurrentRun(generation)) settled();
  });
}

// `stopped`: the row failed because a stop was requested.
void SettleRow(RunRows& rows, std::int32_t row, bool success, const Text& digest,
               bool stopped = false, std::uint32_t error = 0) {
  const bool last = success ? rows.Finish(row, ToUpper(digest)) : rows.Fail(row, stopped, error);
  CountFinishedFile(rows);
  if (last) NoticeRunSettled(rows.Generation());
}

// Hashing threads: one per processor, each hashing several large files
// side by side in MD5 lanes. The pool's other workers help only once the
// run's first file is done, one file at a time: with small files the time
// goes to opening and closing them, which waits for the system, and more
// threads fill that wait; with large files they would only take a share of
// the processors from the lanes.
std::int32_t HashingThreads(std::int32_t poolThreads) {
  return std::max(1, std::min(ProcessorCount(), poolThreads));
}

std::int32_t LanesPerThread(std::int32_t poolThreads) {
  return std::clamp(poolThreads / HashingThreads(poolThreads), 1, WidthOf(BestMd5Variant()));
}

constexpr DWORD kSlotPollMs = 10;

// The files of one thread, a lane each.
class Lanes {
 public:
  Lanes(RunRows& rows, std::int32_t width, bool helper, std::int32_t slotLimit)
      : rows_(rows), width_(width), helper_(helper), slotLimit_(slotLimit) {}

  // Takes the next listed files into free lanes: a first file, more only
  // beside large ones (small ones are done before a second could help). A
  // file that ends at once (stopped before its first read, not openable,
  // empty) settles here. False when this thread has nothing more to do.
  bool TakeFiles(const FileReader& reader) {
    while (static_cast<std::int32_t>(files_.size()) < width_) {
      if (!files_.empty() && !files_.back()->IsLarge()) return true;
      FileSlot slot = files_.empty() ? WaitForSlot() : FileSlot(slotLimit_);
      if (!slot) return !files_.empty();
      // The first buffer may be waited for; more only if the budget has
      // them, so no two threads wait on each other.
      ChunkLease chunk = files_.empty() ? Chunks().Take() : Chunks().TryTake();
      if (!chunk && !files_.empty()) return true;
      const std::int32_t row = rows_.ClaimNext();
      if (row < 0) return !files_.empty();
      if (stopRequested.load(std::memory_order_relaxed) == 1) {  // not started: fails unread
        SettleRow(rows_, row, false, Text(), true, ERROR_CANCELLED);
        continue;
      }
      auto file = std::make_unique<LaneFile>(std::move(slot), reader, rows_, row, std::move(chunk));
      if (file->EndsUnread()) {
        Settle(*file, file->WholeFileHashed());
        continue;
      }
      files_.push_back(std::move(file));
    }
    return true;
  }
  bool IsEmpty() const { return files_.empty(); }

  // One chunk of every file, hashed together; files that end with it settle.
  void HashNextChunks(Md5Lanes& engine) {
    std::vector<const ByteBuffer*> chunks(files_.size(), nullptr);
    for (std::size_t i = 0; i < files_.size(); ++i) {
      chunks[i] = files_[i]->NextChunk();
      if (chunks[i] == nullptr || chunks[i]->IsEmpty()) continue;
      engine.Feed(static_cast<std::int32_t>(i), files_[i]->Hasher().Stream(), chunks[i]->Data(),
                  static_cast<std::size_t>(chunks[i]->Length()));
    }
    engine.RunToEnd();
    std::vector<std::unique_ptr<LaneFile>> going;
    for (std::size_t i = 0; i < files_.size(); ++i) {
      bool whole = false;
      if (chunks[i] != nullptr && files_[i]->ChunkHashed(*chunks[i], whole)) {
        going.push_back(std::move(files_[i]));
        continue;
      }
      Settle(*files_[i], whole && chunks[i] != nullptr);
    }
    files_ = std::move(going);
  }

 private:
  // A slot for this thread's first file: held by other threads' files
  // (of this run or a stale one) until one of them ends. A helper waits
  // for the run's first file to be done.
  FileSlot WaitForSlot() {
    for (;;) {
      if (!IsCurrentRun(rows_.Generation()) || rows_.AllClaimed()) return FileSlot(0);
      const bool mayHelp = !helper_ || rows_.Unsettled() < rows_.Count();
      if (mayHelp) {
        FileSlot slot(slotLimit_);
        if (slot) return slot;
      }
      Sleep(kSlotPollMs);
    }
  }

  void Settle(LaneFile& file, bool whole) {
    file.Hasher().Final();
    file.Close();
    if (!IsCurrentRun(rows_.Generation())) return;  // a newer run shows other rows
    // A file that could not even be opened or sized failed on its own.
    const bool stopped = file.Sized() && stopRequested.load(std::memory_order_relaxed) == 1;
    const std::uint32_t error = whole ? 0 : (stopped ? ERROR_CANCELLED : file.Error());
    SettleRow(rows_, file.Row(), whole, file.Hasher().GetDigestText(), stopped, error);
  }

  RunRows& rows_;
  const std::int32_t width_;
  const bool helper_;
  const std::int32_t slotLimit_;
  std::vector<std::unique_ptr<LaneFile>> files_;
};

}  // namespace

namespace {

std::uint32_t NextGeneration() { return currentGeneration.load() + 1; }

// Makes `rows` the current run and gives its rows to the workers.
void StartRows(std::shared_ptr<RunRows> rows) {
  std::uint32_t generation = 0;
  const std::int32_t count = rows->Count();
  {
    std::lock_guard<std::mutex> hold(Shared().lock);
    generation = rows->Generation();
    Shared().rows = std::move(rows);
    currentGeneration.store(generation, std::memory_order_release);
  }
  // One item per worker, each taking rows until none is left: posting one
  // item per file would cost the window thread a server call per file.
  const std::int32_t items = std::min<std::int32_t>(workerPool->ThreadCount(), count);
  for (std::int32_t item = 0; item < items; ++item) workerPool->Post(generation, static_cast<std::uint32_t>(item));
}

bool StartPool() {
  workerPool->Start(DigestFile, workerThreadCount);
  // A closing program waits for the files it has; it starts no others.
  if (workerPool->State() != kPoolRunning) return false;
  stopRequested.store(0);
  return true;
}

}  // namespace

void StartPooledRun() {
  if (!StartPool()) return;
  std::vector<std::int32_t> positions;
  const std::int32_t count = filePaths.Count();
  positions.reserve(static_cast<std::size_t>(count));
  for (std::int32_t position = 1; position <= count; ++position) {
    if (!filePaths.IsEmptyAt(position)) positions.push_back(position);
  }
  StartRows(std::make_shared<RunRows>(NextGeneration(), positions));
}

bool StartPooledRunAgain(const RunRows& previous, bool (*keep)(const RowSnapshot&)) {
  std::vector<std::int32_t> positions;
  std::vector<RowSnapshot> found;
  bool anyToRead = false;
  for (std::int32_t row = 0; row < previous.Count(); ++row) {
    positions.push_back(previous.PositionOf(row));
    found.push_back(previous.Read(row));
    if (!keep(found.back())) anyToRead = true;
  }
  if (!anyToRead || !StartPool()) return false;
  auto rows = std::make_shared<RunRows>(NextGeneration(), positions);
  for (std::int32_t row = 0; row < rows->Count(); ++row) {
    if (keep(found[static_cast<std::size_t>(row)])) rows->Keep(row, found[static_cast<std::size_t>(row)]);
  }
  StartRows(std::move(rows));
  return true;
}

void DigestFile(std::uint32_t generation, std::uint32_t rank) {
  const std::shared_ptr<RunRows> rows = RowsOfRun(generation);
  if (rows == nullptr) return;  // a newer run took over before this item ran
  const FileReader reader;
  const std::int32_t poolThreads = workerPool->ThreadCount();
  const bool helper = static_cast<std::int32_t>(rank) >= HashingThreads(poolThreads);
  Md5Lanes engine(BestMd5Variant());
  Lanes lanes(*rows, helper ? 1 : LanesPerThread(poolThreads), helper, poolThreads);
  for (;;) {
    // A newer run: its files are left at their next chunk, counting nothing.
    if (!IsCurrentRun(generation)) return;
    if (!lanes.TakeFiles(reader)) return;
    lanes.HashNextChunks(engine);
  }
}

void RequestStop() { stopRequested.store(1); }

void NotifyWhenRunSettles(void (*settled)()) { settledNotice.store(settled); }

std::shared_ptr<RunRows> CurrentRunRows() {
  std::lock_guard<std::mutex> hold(Shared().lock);
  return Shared().rows;
}

bool TakeLabelChange(std::int32_t& total, std::int32_t& count) {
  std::lock_guard<std::mutex> hold(Shared().lock);
  LabelNumbers& label = Shared().label;
  if (!label.changed) return false;
  label.changed = false;
  total = label.total;
  count = label.count;
  return true;
}

std::int32_t TakeProgressBarChange() {
  return barPosition.exchange(kNoBarChange, std::memory_order_relaxed);
}

std::int32_t OpenRunFiles() { return openFiles.load(); }
std::int32_t PeakOpenRunFiles() { return peakOpenFiles.load(); }
void ResetPeakOpenRunFiles() { peakOpenFiles.store(openFiles.load()); }
std::int32_t RunFileOpenAttempts() { return openAttempts.load(); }
std::int32_t PeakChunkBuffers() { return Chunks().PeakInUse(); }
std::int32_t ChunkBufferLimit() { return Chunks().Limit(); }

double PercentOf(std::int64_t done, std::int64_t size) {
  // An empty file that was read to its end counts as complete.
  if (size <= 0) return kPercentScale;
  return static_cast<double>(done) / static_cast<double>(size) * kPercentScale;
}

Text FormatByteSize(std::int64_t bytes) {
  std::string buffer = Spaces(kByteSizeTextCapacity).Bytes();
  StrFormatByteSize64A(bytes, buffer.data(), kByteSizeTextCapacity);
  return TrimSpaces(Text(buffer.c_str()));
}

Text FileNameOf(const Text& path) {
  const std::int32_t slash = ReverseFind(path, "\\");
  if (slash < 0) return path;
  return RightPart(path, TextLength(path) - slash);
}
