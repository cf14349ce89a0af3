// ReadAhead: a file's chunks in order, read one chunk ahead of the caller
// on a thread of its own, so reading the next chunk overlaps hashing this
// one. (Wine reads disk files synchronously even through an overlapped
// handle, so only a second thread overlaps them there.)
//
// How it works: two buffers take turns. The reading thread fills the next
// free one and marks it filled; Next waits for the caller's next buffer to
// be filled, Release gives it back to the reader. The reader stops after a
// read that brings nothing, once the size is read, or when shouldStop
// holds before a read: no read starts after a stop was seen. The object
// waits for its thread when it is destroyed.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "engine/file_reader.h"
#include "services/text.h"

class ReadAhead {
 public:
  ReadAhead(HANDLE file, std::int64_t size, std::int32_t chunkSize, ByteBuffer& first,
            ByteBuffer& second, std::function<bool()> shouldStop);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next chunk in file order (possibly empty: a read that brought
  // nothing); null when reading has ended. Valid until Release.
  const ByteBuffer* Next();
  void Release();
  // The error of the read that brought nothing (0 when none failed); a
  // failing read's reason stays with the file, not with this thread.
  std::uint32_t ReadError();

 private:
  struct Slot {
    ByteBuffer* buffer;
    bool filled = false;
  };
  void ReadChunks();

  const FileReader reader_{};
  const HANDLE file_;
  const std::int64_t size_;
  const std::int32_t chunkSize_;
  const std::function<bool()> shouldStop_;
  std::mutex lock_;
  std::condition_variable turned_;
  Slot slots_[2];
  std::int32_t next_ = 0;  // the caller's next slot
  bool ended_ = false;     // the reader fills no more slots
  bool cancelled_ = false;
  std::uint32_t readError_ = 0;
  std::thread readingThread_;
};
