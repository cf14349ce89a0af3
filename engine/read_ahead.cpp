#include "engine/read_ahead.h"

#include <utility>

ReadAhead::ReadAhead(HANDLE file, std::int64_t size, std::int32_t chunkSize, ByteBuffer& first,
                     ByteBuffer& second, std::function<bool()> shouldStop)
    : file_(file),
      size_(size),
      chunkSize_(chunkSize),
      shouldStop_(std::move(shouldStop)),
      slots_{{&first}, {&second}},
      readingThread_(&ReadAhead::ReadChunks, this) {}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
  }
  turned_.notify_all();
  readingThread_.join();
}

const ByteBuffer* ReadAhead::Next() {
  std::unique_lock<std::mutex> hold(lock_);
  Slot& slot = slots_[next_ % 2];
  turned_.wait(hold, [&] { return slot.filled || ended_; });
  // Slots are filled in order, so one still empty after the end stays so.
  return slot.filled ? slot.buffer : nullptr;
}

std::uint32_t ReadAhead::ReadError() {
  std::lock_guard<std::mutex> hold(lock_);
  return readError_;
}

void ReadAhead::Release() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    slots_[next_ % 2].filled = false;
    ++next_;
  }
  turned_.notify_all();
}

void ReadAhead::ReadChunks() {
  // As the pool's workers: below the window thread.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
  std::int64_t done = 0;
  for (std::int32_t turn = 0;; ++turn) {
    Slot& slot = slots_[turn % 2];
    {
      std::unique_lock<std::mutex> hold(lock_);
      turned_.wait(hold, [&] { return !slot.filled || cancelled_; });
      if (cancelled_) break;
    }
    if (shouldStop_()) break;
    // Only this thread touches the slot until it is marked filled.
    SetLastError(0);
    const std::int32_t bytesRead = reader_.Read(file_, *slot.buffer, chunkSize_);
    const DWORD error = bytesRead == 0 ? GetLastError() : 0;
    {
      std::lock_guard<std::mutex> hold(lock_);
      slot.filled = true;
      if (readError_ == 0) readError_ = error;
    }
    turned_.notify_all();
    done += bytesRead;
    if (bytesRead == 0 || done >= size_) break;
  }
  {
    std::lock_guard<std::mutex> hold(lock_);
    ended_ = true;
  }
  turned_.notify_all();
}
