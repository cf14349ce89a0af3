// ChunkBuffers: the chunk buffers of all workers, reused from file to file,
// with the memory in flight bounded whatever the number of workers.
//
// How it works: a lease is one chunk-sized, page-aligned buffer. Take waits
// while the budget is spent (a worker waits rather than fails); TryTake
// never waits, for an optional second buffer (read-ahead), so a worker that
// already holds one never waits for another and no two workers can wait on
// each other. A returned buffer stays on the shelf for the next lease.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "services/text.h"

class ChunkBuffers;

// One buffer taken from ChunkBuffers, given back when the lease ends.
class ChunkLease {
 public:
  ChunkLease() = default;
  ChunkLease(ChunkLease&& other) noexcept;
  ChunkLease& operator=(ChunkLease&& other) noexcept;
  ~ChunkLease();
  ChunkLease(const ChunkLease&) = delete;
  ChunkLease& operator=(const ChunkLease&) = delete;

  // False when no buffer could be had (TryTake with the budget spent, or no
  // memory left).
  explicit operator bool() const { return owner_ != nullptr; }
  ByteBuffer& Buffer() { return buffer_; }

 private:
  friend class ChunkBuffers;
  ChunkLease(ChunkBuffers* owner, ByteBuffer buffer) : owner_(owner), buffer_(std::move(buffer)) {}
  void Return();

  ChunkBuffers* owner_ = nullptr;
  ByteBuffer buffer_;
};

class ChunkBuffers {
 public:
  // At most budgetBytes / chunkSize buffers (at least one) exist at once.
  ChunkBuffers(std::int64_t budgetBytes, std::int32_t chunkSize);
  ChunkBuffers(const ChunkBuffers&) = delete;
  ChunkBuffers& operator=(const ChunkBuffers&) = delete;

  ChunkLease Take();
  ChunkLease TryTake();

  std::int32_t Limit() const { return limit_; }
  std::int32_t PeakInUse();

 private:
  friend class ChunkLease;
  ChunkLease LeaseLocked();  // lock held, a buffer within the budget
  void Give(ByteBuffer buffer);

  const std::int32_t chunkSize_;
  const std::int32_t limit_;
  std::mutex lock_;
  std::condition_variable returned_;
  std::vector<ByteBuffer> shelf_;
  std::int32_t inUse_ = 0;
  std::int32_t peakInUse_ = 0;
};
