// MD5 written from RFC 1321 for the tests alone: expected digests must not
// come from the product's MD5 code nor from the platform's, which under Wine
// is the same ntdll code the product may call. Plain and slow on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ReferenceMd5Stream {
 public:
  ReferenceMd5Stream();
  void Add(const void* data, std::size_t length);
  // Upper-case hex of the 16 digest bytes; ends the stream.
  std::string Hex();

 private:
  void Block(const unsigned char* block);

  std::uint32_t state_[4];
  std::uint64_t length_ = 0;
  unsigned char pending_[64];
  std::size_t pendingLength_ = 0;
};
