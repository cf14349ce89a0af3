#include "engine/chunk_buffers.h"

#include <algorithm>
#include <new>
#include <utility>

ChunkLease::ChunkLease(ChunkLease&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), buffer_(std::move(other.buffer_)) {}

ChunkLease& ChunkLease::operator=(ChunkLease&& other) noexcept {
  if (this != &other) {
    Return();
    owner_ = std::exchange(other.owner_, nullptr);
    buffer_ = std::move(other.buffer_);
  }
  return *this;
}

ChunkLease::~ChunkLease() { Return(); }

void ChunkLease::Return() {
  if (owner_ == nullptr) return;
  std::exchange(owner_, nullptr)->Give(std::move(buffer_));
}

ChunkBuffers::ChunkBuffers(std::int64_t budgetBytes, std::int32_t chunkSize)
    : chunkSize_(chunkSize),
      limit_(static_cast<std::int32_t>(std::max<std::int64_t>(1, budgetBytes / chunkSize))) {}

ChunkLease ChunkBuffers::Take() {
  std::unique_lock<std::mutex> hold(lock_);
  returned_.wait(hold, [this] { return inUse_ < limit_; });
  return LeaseLocked();
}

ChunkLease ChunkBuffers::TryTake() {
  std::lock_guard<std::mutex> hold(lock_);
  if (inUse_ >= limit_) return ChunkLease();
  return LeaseLocked();
}

std::int32_t ChunkBuffers::PeakInUse() {
  std::lock_guard<std::mutex> hold(lock_);
  return peakInUse_;
}

ChunkLease ChunkBuffers::LeaseLocked() {
  ByteBuffer buffer;
  if (!shelf_.empty()) {
    buffer = std::move(shelf_.back());
    shelf_.pop_back();
  } else {
    // Zeroed once, when the buffer is made; reuse costs nothing.
    buffer = ByteBuffer::Zeroed(chunkSize_);
    if (buffer.Capacity() < chunkSize_) return ChunkLease();  // out of memory: the file fails
  }
  ++inUse_;
  peakInUse_ = std::max(peakInUse_, inUse_);
  return ChunkLease(this, std::move(buffer));
}

void ChunkBuffers::Give(ByteBuffer buffer) {
  {
    std::lock_guard<std::mutex> hold(lock_);
    --inUse_;
    // A buffer the reader had to shrink or release is not worth keeping.
    if (buffer.Capacity() >= chunkSize_) shelf_.push_back(std::move(buffer));
  }
  returned_.notify_one();
}
