// The MD5 block functions: each runs the compression function over whole
// 64-byte blocks, for one stream or for several independent streams at
// once. Free of Windows headers, so the native sanitizer build compiles
// them too. Every kernel has the same shape: `states[i]` and `data[i]` for
// each of its lanes, all lanes advancing by the same number of blocks.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kMd5BlockSize = 64;

struct Md5State {
  std::uint32_t word[4];
};

using Md5Kernel = void (*)(Md5State* const* states, const std::uint8_t* const* data,
                           std::size_t blocks);

// One stream, tuned C.
void Md5BlocksScalar(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks);
// Two streams interleaved in one instruction stream.
void Md5BlocksTwoStreams(Md5State* const* states, const std::uint8_t* const* data,
                         std::size_t blocks);
// Only on x86 processors that have them (see md5_lanes.cpp for the
// choice): four lanes of SSE2, two sets of four interleaved, eight lanes of
// AVX2, sixteen of AVX-512, and one stream in AVX-512 registers.
void Md5BlocksSse2(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks);
void Md5BlocksSse2x8(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks);
void Md5BlocksAvx2(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks);
void Md5BlocksAvx512(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks);
void Md5BlocksAvx512One(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks);
