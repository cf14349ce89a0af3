// BlockHasher: the streaming half that SHA-1, SHA-256 and SHA-512 share
// (FIPS 180-4): bytes gathered into whole blocks for a compression
// function, then padding with 0x80, zeros and the bit count in the block's
// last two words, and the state written out as big-endian words.
//
// A Shape names the algorithm: Word (the state's word), kStateWords,
// kBlockBytes, kDigestBytes, kAlgorithm and kInitial (the starting state).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/stream_hasher.h"

template <typename Shape>
class BlockHasher final : public StreamHasher {
 public:
  using Word = typename Shape::Word;
  using Blocks = void (*)(Word* state, const std::uint8_t* data, std::size_t blocks);

  explicit BlockHasher(Blocks blocks) : blocks_(blocks) { Init(); }

  void Init() override {
    std::copy(std::begin(Shape::kInitial), std::end(Shape::kInitial), state_);
    bytes_ = 0;
    pendingLength_ = 0;
  }

  void Update(const void* data, std::size_t length) override {
    if (length == 0) return;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    bytes_ += length;
    if (pendingLength_ != 0) {
      const std::size_t taken = std::min(length, kBlock - pendingLength_);
      std::memcpy(pending_ + pendingLength_, bytes, taken);
      pendingLength_ += taken;
      bytes += taken;
      length -= taken;
      if (pendingLength_ < kBlock) return;
      blocks_(state_, pending_, 1);
      pendingLength_ = 0;
    }
    const std::size_t blocks = length / kBlock;
    if (blocks != 0) blocks_(state_, bytes, blocks);
    pendingLength_ = length % kBlock;
    std::memcpy(pending_, bytes + blocks * kBlock, pendingLength_);
  }

  Digest Final() override {
    // The count is of bits: the byte count's top three bits go to the
    // word above (only SHA-512's 128-bit count has room for them).
    const std::uint64_t lowBits = bytes_ << 3;
    const std::uint64_t highBits = bytes_ >> 61;
    std::uint8_t tail[2 * kBlock] = {0x80};
    const std::size_t end = (pendingLength_ < kBlock - kCountBytes ? kBlock : 2 * kBlock) - pendingLength_;
    for (std::size_t i = 0; i < 8; ++i) {
      tail[end - 1 - i] = static_cast<std::uint8_t>(lowBits >> (8 * i));
      if (kCountBytes == 16) tail[end - 9 - i] = static_cast<std::uint8_t>(highBits >> (8 * i));
    }
    Update(tail, end);
    std::uint8_t out[Shape::kStateWords * sizeof(Word)];
    for (std::size_t i = 0; i < sizeof out; ++i) {
      const std::size_t shift = 8 * (sizeof(Word) - 1 - i % sizeof(Word));
      out[i] = static_cast<std::uint8_t>(state_[i / sizeof(Word)] >> shift);
    }
    return DigestOf(Shape::kAlgorithm, out, Shape::kDigestBytes);
  }

 private:
  static constexpr std::size_t kBlock = Shape::kBlockBytes;
  static constexpr std::size_t kCountBytes = 2 * sizeof(Word);

  Blocks blocks_;
  Word state_[Shape::kStateWords];
  std::uint64_t bytes_ = 0;
  std::uint8_t pending_[kBlock];
  std::size_t pendingLength_ = 0;
};
