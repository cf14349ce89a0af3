#include "engine/md5_stream.h"

#include <cstring>

#include "engine/md5_lanes.h"

namespace {

void HashBlocks(Md5State& state, const std::uint8_t* data, std::size_t blocks) {
  static const Md5Kernel kernel = KernelOf(BestOneStreamVariant());
  Md5State* states[1] = {&state};
  const std::uint8_t* lanes[1] = {data};
  kernel(states, lanes, blocks);
}

}  // namespace

void Md5Stream::Reset() {
  state_ = Md5State{{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u}};
  length_ = 0;
  pendingLength_ = 0;
}

std::size_t Md5Stream::TopUp(const std::uint8_t* data, std::size_t length) {
  if (pendingLength_ == 0) return 0;
  const std::size_t taken = length < kMd5BlockSize - pendingLength_ ? length : kMd5BlockSize - pendingLength_;
  std::memcpy(pending_ + pendingLength_, data, taken);
  pendingLength_ += taken;
  length_ += taken;
  if (pendingLength_ == kMd5BlockSize) {
    HashBlocks(state_, pending_, 1);
    pendingLength_ = 0;
  }
  return taken;
}

void Md5Stream::KeepPartialBlock(const std::uint8_t* data, std::size_t length) {
  std::memcpy(pending_ + pendingLength_, data, length);
  pendingLength_ += length;
  length_ += length;
}

void Md5Stream::Add(const void* data, std::size_t length) {
  if (length == 0) return;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const std::size_t taken = TopUp(bytes, length);
  bytes += taken;
  length -= taken;
  if (pendingLength_ != 0) return;  // still short of a block
  const std::size_t blocks = length / kMd5BlockSize;
  HashBlocks(state_, bytes, blocks);
  CountBlocks(blocks);
  KeepPartialBlock(bytes + blocks * kMd5BlockSize, length % kMd5BlockSize);
}

void Md5Stream::Finish(std::uint8_t digest[16]) {
  const std::uint64_t bits = length_ * 8;
  std::uint8_t tail[2 * kMd5BlockSize] = {0x80};
  // Pad with 0x80 and zeros to 56 bytes past a block edge, then the length.
  const std::size_t padding = (pendingLength_ < 56 ? 56 : 120) - pendingLength_;
  for (int i = 0; i < 8; ++i) tail[padding + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
  Add(tail, padding + 8);
  for (int i = 0; i < 16; ++i) digest[i] = static_cast<std::uint8_t>(state_.word[i / 4] >> (8 * (i % 4)));
}
