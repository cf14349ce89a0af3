// Md5Stream: the running MD5 of one byte stream (RFC 1321): the chaining
// state, the bytes of a block not yet complete, and the length so far.
// Bytes go in through Add (one stream, in the processor's fastest one-stream
// kernel) or through Md5Lanes (several streams at once); Finish pads and
// gives the 16 digest bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/md5_kernels.h"

class Md5Stream {
 public:
  Md5Stream() { Reset(); }
  void Reset();
  void Add(const void* data, std::size_t length);
  // Pads, and writes the digest; the stream must be Reset before reuse.
  void Finish(std::uint8_t digest[16]);

  // For Md5Lanes: takes bytes up to the end of a pending partial block and
  // hashes it when complete; returns how many bytes it took.
  std::size_t TopUp(const std::uint8_t* data, std::size_t length);
  bool HasPartialBlock() const { return pendingLength_ != 0; }
  // Whole blocks hashed elsewhere into State(), and the bytes after them.
  Md5State& State() { return state_; }
  void CountBlocks(std::size_t blocks) { length_ += blocks * kMd5BlockSize; }
  void KeepPartialBlock(const std::uint8_t* data, std::size_t length);

 private:
  Md5State state_;
  std::uint64_t length_ = 0;
  std::uint8_t pending_[kMd5BlockSize];
  std::size_t pendingLength_ = 0;
};
