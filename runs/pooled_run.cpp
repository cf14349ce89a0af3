#include "runs/pooled_run.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "app/texts.h"
#include "engine/buffer_pool.h"
#include "engine/completion_port_pool.h"
#include "engine/file_reader.h"
#include "engine/md5_hasher.h"
#include "runs/file_row.h"
#include "services/components.h"
#include "services/files.h"
#include "services/list_control.h"
#include "services/text_ops.h"
#include "shell/handlers.h"
#include "shell/main_window.h"

namespace {

constexpr std::int32_t kByteSizeTextCapacity = 255;

// Serialises the workers' count step: increment, caption, reset. Only
// workers take it; the window thread never waits for it, because the
// caption update inside the step is carried out on the window thread.
std::mutex completedCountLock;

// Chunk buffers of finished files, handed to the next file: allocating and
// zeroing 8 MiB for every file cost more than hashing a small one. Workers
// only; at most one buffer per worker exists. Never destroyed, so a worker
// still running while the process exits never finds it gone.
class ChunkShelf {
 public:
  ByteBuffer Take() {
    std::lock_guard<std::mutex> hold(lock_);
    if (spare_.empty()) return ByteBuffer();
    ByteBuffer buffer = std::move(spare_.back());
    spare_.pop_back();
    return buffer;
  }
  void Put(ByteBuffer buffer) {
    if (buffer.Capacity() == 0) return;
    std::lock_guard<std::mutex> hold(lock_);
    spare_.push_back(std::move(buffer));
  }

 private:
  std::mutex lock_;
  std::vector<ByteBuffer> spare_;
};

ChunkShelf& Shelf() {
  static ChunkShelf* const shelf = new ChunkShelf();
  return *shelf;
}

double PercentOf(std::int64_t done, std::int64_t size) {
  // An empty file that was read to its end counts as complete.
  if (size <= 0) return kPercentScale;
  return static_cast<double>(done) / static_cast<double>(size) * kPercentScale;
}

void ShowProgressBar(std::int64_t size, std::int64_t done) {
  SetProgressPosition(进度条1, static_cast<std::int32_t>(PercentOf(done, size)));
}

void ShowRowProgress(std::int32_t row, std::int64_t size, std::int64_t done) {
  const double percent = PercentOf(done, size);
  ListSetCellText(超级列表框, row, kColumnSize,
                  ConcatTexts({FormatByteSize(size), texts::kArrow, FormatByteSize(done)}));
  ListSetCellText(超级列表框, row, kColumnProgress,
                  ConcatTexts({ToText(RoundTo(percent, 0)), "%"}));
}

void CountFinishedFile(bool success) {
  std::lock_guard<std::mutex> step(completedCountLock);
  if (success) ++completedCount;
  const std::int32_t total = filePaths.Count();
  SetCaption(标签1, ConcatTexts({texts::kTotalCount, ToText(total), texts::kArrow,
                                 ToText(completedCount)}));
  if (completedCount == total) completedCount = 0;
}

// Reads and hashes the whole file; true only when every byte of the size
// taken at the start went through MD5.
bool HashChunks(const FileReader& reader, HANDLE file, std::int32_t row, std::int64_t size,
                Md5Hasher& hasher) {
  BufferPool* permits = BufferPool::Create(kReadPermitSize);
  ByteBuffer chunk = Shelf().Take();
  std::int64_t done = 0;
  bool success = false;
  while (!reader.IsAtEnd(file)) {
    void* permit = BufferPool::Take(permits);
    if (permit == nullptr) break;
    if (stopRequested.load(std::memory_order_relaxed) == 1) break;
    const std::int32_t bytesRead = reader.Read(file, chunk, kChunkSize);
    done += bytesRead;
    ShowProgressBar(size, done);
    hasher.Update(chunk);
    ShowRowProgress(row, size, done);
    if (done == size) {
      success = true;
      break;
    }
    // A read that brings nothing before the size is reached (the file
    // shrank, a read error) must not pass for a whole file.
    if (chunk.IsEmpty()) break;
    BufferPool::Give(permits, permit);
  }
  // An empty file is complete without any read.
  if (size == 0 && done == 0) {
    ShowProgressBar(size, done);
    ShowRowProgress(row, size, done);
    success = true;
  }
  BufferPool::Destroy(permits);
  Shelf().Put(std::move(chunk));
  return success;
}

// Holds the list's drawing off while rows are rebuilt. Every appended row
// otherwise redraws the list's scroll bar at once: about 8 ms a row under
// Wine, so a drop of 10,000 paths kept the window from answering for over
// a minute.
class ListRedrawPause {
 public:
  explicit ListRedrawPause(HWND list) : list_(list) { ListSetRedraw(list_, false); }
  ~ListRedrawPause() { ListSetRedraw(list_, true); }
  ListRedrawPause(const ListRedrawPause&) = delete;
  ListRedrawPause& operator=(const ListRedrawPause&) = delete;

 private:
  HWND list_;
};

}  // namespace

void StartPooledRun() {
  FileReader reader;
  workerPool->Start(DigestFile, workerThreadCount);
  stopRequested.store(0);
  const ListRedrawPause pause(超级列表框);
  ListDeleteAllRows(超级列表框);
  const std::int32_t count = filePaths.Count();
  for (std::int32_t position = 1; position <= count; ++position) {
    const Text path = filePaths.At(position);
    if (path.IsEmpty()) continue;
    HANDLE file = reader.Open(path);
    const std::int32_t row = ListInsertRow(超级列表框, std::nullopt, ToText(position));
    ListSetCellText(超级列表框, row, kColumnPath,
                    verificationMode ? FileNameOf(path) : path);
    if (!workerPool->Post(HandleToArgument(file), static_cast<std::uint32_t>(row))) {
      reader.Close(file);  // nobody else will
    }
  }
}

void DigestFile(std::uint32_t fileArgument, std::uint32_t rowArgument) {
  const HANDLE file = ArgumentToHandle(fileArgument);
  const auto row = static_cast<std::int32_t>(rowArgument);
  FileReader reader;
  Md5Hasher hasher;
  const std::int64_t size = reader.GetSize(file);
  ListSetCellText(超级列表框, row, kColumnSize, FormatByteSize(size));
  ListSetCellText(超级列表框, row, kColumnDigest, texts::kComputing);
  hasher.Init();
  reader.Rewind(file);
  bool success = size >= 0 && HashChunks(reader, file, row, size, hasher);
  hasher.Final();
  reader.Close(file);
  // Without the system's MD5 there is no digest text: that is no success.
  const Text digest = hasher.GetDigestText();
  success = success && !digest.IsEmpty();
  if (success) {
    ListSetCellText(超级列表框, row, kColumnDigest, ToUpper(digest));
  } else {
    ListSetCellText(超级列表框, row, kColumnSize, texts::kDigestFailed);
  }
  CountFinishedFile(success);
}

void RequestStop() { stopRequested.store(1); }

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
