#include "runs/pooled_run.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/chunk_buffers.h"
#include "engine/completion_port_pool.h"
#include "engine/file_reader.h"
#include "engine/md5_hasher.h"
#include "engine/read_ahead.h"
#include "runs/run_state.h"
#include "services/text_ops.h"

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
std::atomic<HWND> settledNoticeWindow{nullptr};
std::atomic<UINT> settledNoticeMessage{0};

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

// One listed file opened by the worker that hashes it, counted while open.
class RunFile {
 public:
  RunFile(const FileReader& reader, const std::wstring& path)
      : reader_(reader), handle_(reader.Open(path)) {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    const std::int32_t open = openFiles.fetch_add(1) + 1;
    std::int32_t peak = peakOpenFiles.load();
    while (open > peak && !peakOpenFiles.compare_exchange_weak(peak, open)) {
    }
  }
  ~RunFile() { Close(); }
  RunFile(const RunFile&) = delete;
  RunFile& operator=(const RunFile&) = delete;

  HANDLE Handle() const { return handle_; }
  void Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    reader_.Close(std::exchange(handle_, INVALID_HANDLE_VALUE));
    openFiles.fetch_sub(1);
  }

 private:
  const FileReader& reader_;
  HANDLE handle_;
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

// One buffer, reads and hashing in turn: files of one chunk, or no second
// buffer to be had within the budget.
bool HashChunksInTurn(const FileReader& reader, HANDLE file, RunRows& rows, std::int32_t row,
                      std::int64_t size, Md5Hasher& hasher, ByteBuffer& chunk) {
  std::int64_t done = 0;
  while (done < size) {
    if (ShouldStopReading(rows.Generation())) return false;
    const std::int32_t bytesRead = reader.Read(file, chunk, kChunkSize);
    done += bytesRead;
    hasher.Update(chunk);
    PublishChunk(rows, row, size, done);
    // A read that brings nothing before the size is reached (the file
    // shrank, a read error) must not pass for a whole file.
    if (bytesRead == 0) return false;
  }
  return done == size;  // more than the size: the file grew while read
}

// Two buffers: the next chunk is read while this one is hashed.
bool HashChunksReadingAhead(HANDLE file, RunRows& rows, std::int32_t row, std::int64_t size,
                            Md5Hasher& hasher, ByteBuffer& first, ByteBuffer& second) {
  const std::uint32_t generation = rows.Generation();
  ReadAhead chunks(file, size, kChunkSize, first, second,
                   [generation] { return ShouldStopReading(generation); });
  std::int64_t done = 0;
  while (const ByteBuffer* chunk = chunks.Next()) {
    done += chunk->Length();
    hasher.Update(*chunk);
    PublishChunk(rows, row, size, done);
    const bool broughtNothing = chunk->IsEmpty();
    chunks.Release();
    if (broughtNothing) return false;
  }
  return done == size;  // less: stopped or cut short; more: the file grew
}

// Reading ahead pays only where a processor would otherwise idle: with as
// many files left as processors, other files' hashing already fills the
// time a read takes, and a reader thread per file only competes with it.
bool ShouldReadAhead(const RunRows& rows, std::int64_t size) {
  return size > kChunkSize && rows.Unsettled() < ProcessorCount();
}

// Reads and hashes the whole file; true only when exactly the size taken
// at the start went through MD5.
bool HashChunks(const FileReader& reader, HANDLE file, RunRows& rows, std::int32_t row,
                std::int64_t size, Md5Hasher& hasher) {
  if (size == 0) {  // complete without any read
    PublishChunk(rows, row, size, 0);
    return true;
  }
  ChunkLease chunk = Chunks().Take();
  if (!chunk) return false;
  if (ShouldReadAhead(rows, size)) {
    ChunkLease ahead = Chunks().TryTake();
    if (ahead) return HashChunksReadingAhead(file, rows, row, size, hasher, chunk.Buffer(), ahead.Buffer());
  }
  return HashChunksInTurn(reader, file, rows, row, size, hasher, chunk.Buffer());
}

void CountFinishedFile(std::uint32_t generation, bool success) {
  std::lock_guard<std::mutex> step(Shared().lock);
  if (currentGeneration.load(std::memory_order_relaxed) != generation) return;
  LabelNumbers& label = Shared().label;
  if (success) ++completedCount;
  label.total = filePaths.Count();
  label.count = completedCount;
  label.changed = true;
  if (completedCount == label.total) completedCount = 0;
}

// Posted, never sent: the worker does not wait for the window.
void NoticeRunSettled(std::uint32_t generation) {
  const HWND window = settledNoticeWindow.load();
  if (window != nullptr) PostMessageA(window, settledNoticeMessage.load(), generation, 0);
}

// `stopped`: the row failed because a stop was requested.
void SettleRow(RunRows& rows, std::int32_t row, bool success, const Text& digest,
               bool stopped = false) {
  const bool last = success ? rows.Finish(row, ToUpper(digest)) : rows.Fail(row, stopped);
  CountFinishedFile(rows.Generation(), success);
  if (last) NoticeRunSettled(rows.Generation());
}

void DigestRow(RunRows& rows, std::int32_t row) {
  const std::uint32_t generation = rows.Generation();
  if (stopRequested.load(std::memory_order_relaxed) == 1) {  // not started: fails unread
    SettleRow(rows, row, false, Text(), true);
    return;
  }
  const FileReader reader;
  const std::int32_t position = rows.PositionOf(row);
  RunFile file(reader, filePaths.IsOpenableAt(position) ? filePaths.WideAt(position) : std::wstring());
  const std::int64_t size = reader.GetSize(file.Handle());
  rows.Start(row, size);
  Md5Hasher hasher;
  hasher.Init();
  bool success = size >= 0 && HashChunks(reader, file.Handle(), rows, row, size, hasher);
  hasher.Final();
  file.Close();
  if (!IsCurrentRun(generation)) return;  // a newer run shows other rows
  // Without the system's MD5 there is no digest text: that is no success.
  const Text digest = hasher.GetDigestText();
  // A file that could not even be opened or sized failed on its own.
  const bool stopped = size >= 0 && stopRequested.load(std::memory_order_relaxed) == 1;
  SettleRow(rows, row, success && !digest.IsEmpty(), digest, stopped);
}

}  // namespace

void StartPooledRun() {
  workerPool->Start(DigestFile, workerThreadCount);
  // A closing program waits for the files it has; it starts no others.
  if (workerPool->State() != kPoolRunning) return;
  stopRequested.store(0);
  std::vector<std::int32_t> positions;
  const std::int32_t count = filePaths.Count();
  positions.reserve(static_cast<std::size_t>(count));
  for (std::int32_t position = 1; position <= count; ++position) {
    if (!filePaths.IsEmptyAt(position)) positions.push_back(position);
  }
  std::uint32_t generation = 0;
  auto rows = std::make_shared<RunRows>(currentGeneration.load() + 1, positions);
  {
    std::lock_guard<std::mutex> hold(Shared().lock);
    generation = rows->Generation();
    Shared().rows = std::move(rows);
    currentGeneration.store(generation, std::memory_order_release);
  }
  // One item per worker, each taking rows until none is left: posting one
  // item per file would cost the window thread a server call per file.
  const std::int32_t items = std::min<std::int32_t>(workerPool->ThreadCount(),
                                                    static_cast<std::int32_t>(positions.size()));
  for (std::int32_t item = 0; item < items; ++item) workerPool->Post(generation, 0);
}

void DigestFile(std::uint32_t generation, std::uint32_t) {
  const std::shared_ptr<RunRows> rows = RowsOfRun(generation);
  if (rows == nullptr) return;  // a newer run took over before this item ran
  for (std::int32_t row = rows->ClaimNext(); row >= 0; row = rows->ClaimNext()) {
    if (!IsCurrentRun(generation)) return;
    DigestRow(*rows, row);
  }
}

void RequestStop() { stopRequested.store(1); }

void NotifyWhenRunSettles(HWND window, UINT message) {
  settledNoticeMessage.store(message);
  settledNoticeWindow.store(window);
}

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
