// One listed file in a lane of a hashing thread: opened by the thread that
// hashes it, read chunk by chunk (by the thread itself, or by a reading
// thread of its own that keeps one chunk ahead), each chunk's progress
// published into the file's row.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "engine/chunk_buffers.h"
#include "engine/digest.h"
#include "engine/file_reader.h"
#include "engine/md5_stream.h"
#include "engine/read_ahead.h"
#include "runs/run_work.h"

// A share of the files all runs' threads may hold at once (`limit`); none
// when they hold that many already.
class FileSlot {
 public:
  FileSlot(std::atomic<std::int32_t>& inFlight, std::int32_t limit);
  FileSlot() = default;
  ~FileSlot();
  FileSlot(FileSlot&& other) noexcept : inFlight_(std::exchange(other.inFlight_, nullptr)) {}
  FileSlot(const FileSlot&) = delete;
  FileSlot& operator=(const FileSlot&) = delete;
  FileSlot& operator=(FileSlot&&) = delete;
  explicit operator bool() const { return inFlight_ != nullptr; }

 private:
  std::atomic<std::int32_t>* inFlight_ = nullptr;  // held while set
};

// One listed file opened by the worker that hashes it, counted while open.
class RunFile {
 public:
  RunFile(const FileReader& reader, const std::wstring& path, RunResources& counts);
  ~RunFile() { Close(); }
  RunFile(const RunFile&) = delete;
  RunFile& operator=(const RunFile&) = delete;

  HANDLE Handle() const { return handle_; }
  std::uint32_t OpenError() const { return openError_; }
  void Close();

 private:
  const FileReader& reader_;
  RunResources& counts_;
  HANDLE handle_;
  std::uint32_t openError_ = 0;
};

class LaneFile {
 public:
  LaneFile(FileSlot slot, const FileReader& reader, RunWork& run, std::int32_t row, ChunkLease chunk);
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
  const ByteBuffer* NextChunk();
  // After the chunk went through MD5: its progress; false when the file
  // ends with it (`whole` tells whether exactly the size was hashed).
  bool ChunkHashed(const ByteBuffer& chunk, bool& whole);
  Md5Stream& Stream() { return stream_; }
  // After the last chunk: the digest of what was hashed.
  Digest Finish();
  // Why the file failed: the failing call's error; a file that only came
  // short (it shrank or grew while read) says it reached the end.
  std::uint32_t Error() const;
  void Close();

 private:
  void PublishChunk(std::int64_t done);

  FileSlot slot_;  // given back last, after the handle closed
  const FileReader& reader_;
  RunWork& run_;
  const std::int32_t row_;
  ChunkLease chunk_;
  ChunkLease ahead_;
  RunFile file_;
  const std::int64_t size_;
  std::int64_t done_ = 0;
  Md5Stream stream_;
  std::unique_ptr<ReadAhead> reading_;  // destroyed before the handle closes
  std::uint32_t error_ = 0;
};
