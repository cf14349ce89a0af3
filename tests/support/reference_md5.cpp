#include "tests/support/reference_md5.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

std::uint32_t RotateLeft(std::uint32_t value, int bits) {
  return (value << bits) | (value >> (32 - bits));
}

// The sine table as the RFC derives it, so no constant is copied in by hand.
struct SineTable {
  std::uint32_t k[64];
  SineTable() {
    for (int i = 0; i < 64; ++i)
      k[i] = static_cast<std::uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
  }
};

const int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

}  // namespace

ReferenceMd5Stream::ReferenceMd5Stream()
    : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u}, pending_{} {}

void ReferenceMd5Stream::Block(const unsigned char* block) {
  static const SineTable sine;
  std::uint32_t words[16];
  for (int i = 0; i < 16; ++i)
    words[i] = block[i * 4] | (block[i * 4 + 1] << 8) | (block[i * 4 + 2] << 16) |
               (static_cast<std::uint32_t>(block[i * 4 + 3]) << 24);
  std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    const int round = i / 16;
    std::uint32_t f;
    int word;
    switch (round) {
      case 0: f = (b & c) | (~b & d); word = i; break;
      case 1: f = (d & b) | (~d & c); word = (5 * i + 1) % 16; break;
      case 2: f = b ^ c ^ d; word = (3 * i + 5) % 16; break;
      default: f = c ^ (b | ~d); word = (7 * i) % 16; break;
    }
    const std::uint32_t next = b + RotateLeft(a + f + sine.k[i] + words[word], kShifts[round][i % 4]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void ReferenceMd5Stream::Add(const void* data, std::size_t length) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  length_ += length;
  while (length > 0) {
    const std::size_t take = length < 64 - pendingLength_ ? length : 64 - pendingLength_;
    std::memcpy(pending_ + pendingLength_, bytes, take);
    pendingLength_ += take;
    bytes += take;
    length -= take;
    if (pendingLength_ == 64) {
      Block(pending_);
      pendingLength_ = 0;
    }
  }
}

std::string ReferenceMd5Stream::Hex() {
  const std::uint64_t bits = length_ * 8;
  const unsigned char one = 0x80, zero = 0;
  Add(&one, 1);
  while (pendingLength_ != 56) Add(&zero, 1);
  unsigned char tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<unsigned char>(bits >> (8 * i));
  Add(tail, 8);
  std::string hex;
  char two[3];
  for (std::uint32_t word : state_)
    for (int i = 0; i < 4; ++i) {
      std::snprintf(two, sizeof two, "%02X", static_cast<unsigned>((word >> (8 * i)) & 0xff));
      hex += two;
    }
  return hex;
}
