#include "runs/lane_file.h"

#include <string>

#include "services/wide_paths.h"

FileSlot::FileSlot(std::atomic<std::int32_t>& inFlight, std::int32_t limit) {
  std::int32_t used = inFlight.load();
  while (used < limit && !inFlight.compare_exchange_weak(used, used + 1)) {
  }
  if (used < limit) inFlight_ = &inFlight;
}

FileSlot::~FileSlot() {
  if (inFlight_ != nullptr) inFlight_->fetch_sub(1);
}

RunFile::RunFile(const FileReader& reader, const std::wstring& path, RunResources& counts)
    : reader_(reader), counts_(counts), handle_(reader.Open(path)) {
  counts_.openAttempts.fetch_add(1);
  if (handle_ == INVALID_HANDLE_VALUE) {
    openError_ = GetLastError();
    return;
  }
  const std::int32_t open = counts_.openFiles.fetch_add(1) + 1;
  std::int32_t peak = counts_.peakOpenFiles.load();
  while (open > peak && !counts_.peakOpenFiles.compare_exchange_weak(peak, open)) {
  }
}

void RunFile::Close() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  reader_.Close(std::exchange(handle_, INVALID_HANDLE_VALUE));
  counts_.openFiles.fetch_sub(1);
}

namespace {

// Reading ahead pays only where a processor would otherwise idle: with as
// many files left as processors, other files' hashing already fills the
// time a read takes, and a reader thread per file only competes with it.
bool ShouldReadAhead(const RunRows& rows, std::int64_t size) {
  return size > kChunkSize && rows.Unsettled() < ProcessorCount();
}

// The row's file by its wide path; nothing for a name that is never opened.
std::wstring OpenablePathOfRow(const RunRows& rows, std::int32_t row) {
  const FileEntry& entry = rows.EntryOf(row);
  return entry.refused ? std::wstring() : entry.path;
}

}  // namespace

LaneFile::LaneFile(FileSlot slot, const FileReader& reader, RunWork& run, std::int32_t row,
                   ChunkLease chunk)
    : slot_(std::move(slot)), reader_(reader), run_(run), row_(row), chunk_(std::move(chunk)),
      file_(reader, OpenablePathOfRow(run.rows, row), run.resources),
      size_(reader.GetSize(file_.Handle())) {
  error_ = file_.OpenError();
  if (size_ < 0 && error_ == 0) error_ = GetLastError();
  run_.rows.Start(row, size_);
  if (size_ == 0) PublishChunk(0);  // complete without any read
  if (size_ > 0 && chunk_ && ShouldReadAhead(run_.rows, size_)) {
    ahead_ = run_.resources.chunks.TryTake();
    if (ahead_) {
      const RunWork* work = &run_;
      reading_ = std::make_unique<ReadAhead>(file_.Handle(), size_, kChunkSize, chunk_.Buffer(),
                                             ahead_.Buffer(),
                                             [work] { return work->ShouldStopReading(); });
    }
  }
}

void LaneFile::PublishChunk(std::int64_t done) {
  // A file that grew past the size taken at the start fails; its row never
  // shows more than 100% on the way.
  if (done > size_) return;
  run_.current.PublishBar(size_, done);
  run_.rows.Progress(row_, done);
}

const ByteBuffer* LaneFile::NextChunk() {
  if (reading_ != nullptr) {
    const ByteBuffer* chunk = reading_->Next();
    if (chunk != nullptr && chunk->IsEmpty() && error_ == 0) error_ = reading_->ReadError();
    return chunk;
  }
  if (run_.ShouldStopReading()) return nullptr;  // no read after a stop
  SetLastError(0);  // what a failing read leaves is its own
  if (reader_.Read(file_.Handle(), chunk_.Buffer(), kChunkSize) == 0 && error_ == 0)
    error_ = GetLastError();
  return &chunk_.Buffer();
}

bool LaneFile::ChunkHashed(const ByteBuffer& chunk, bool& whole) {
  done_ += chunk.Length();
  PublishChunk(done_);
  if (reading_ != nullptr) reading_->Release();
  // A read that brings nothing before the size is reached (the file
  // shrank, a read error) must not pass for a whole file; more than the
  // size: the file grew while read.
  whole = done_ == size_;
  return done_ < size_ && !chunk.IsEmpty();
}

Digest LaneFile::Finish() {
  std::uint8_t bytes[kMd5DigestBytes];
  stream_.Finish(bytes);
  return DigestOf(DigestAlgorithm::kMd5, bytes, kMd5DigestBytes);
}

std::uint32_t LaneFile::Error() const {
  if (error_ != 0) return error_;
  return chunk_ ? ERROR_HANDLE_EOF : ERROR_NOT_ENOUGH_MEMORY;  // no buffer within the budget
}

void LaneFile::Close() {
  reading_.reset();
  file_.Close();
}
