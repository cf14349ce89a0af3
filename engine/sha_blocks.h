// The compression functions of SHA-1, SHA-256 and SHA-512 (FIPS 180-4),
// each over whole blocks (64 bytes; SHA-512's 128) into its state. The
// portable ones run everywhere; the SHA-NI ones only where ShaNiRuns().
// Free of Windows headers, so the native sanitizer build compiles them too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/cpu_features.h"

void Sha1BlocksPortable(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks);
void Sha256BlocksPortable(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks);
void Sha512BlocksPortable(std::uint64_t* state, const std::uint8_t* data, std::size_t blocks);

// The SHA instructions with the SSSE3 and SSE4.1 ones they are used with.
inline bool ShaNiRuns() {
  const CpuFeatures& features = ProcessorFeatures();
  return features.sha && features.ssse3 && features.sse41;
}
void Sha1BlocksShaNi(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks);
void Sha256BlocksShaNi(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks);

// SHA-256's round constants: the first 32 bits of the fractional parts of
// the cube roots of the first 64 primes.
inline constexpr std::uint32_t kSha256Rounds[64] = {
    0x428a2f98u, 0x71374491u, 0xb5c0fbcfu, 0xe9b5dba5u, 0x3956c25bu, 0x59f111f1u, 0x923f82a4u, 0xab1c5ed5u,
    0xd807aa98u, 0x12835b01u, 0x243185beu, 0x550c7dc3u, 0x72be5d74u, 0x80deb1feu, 0x9bdc06a7u, 0xc19bf174u,
    0xe49b69c1u, 0xefbe4786u, 0x0fc19dc6u, 0x240ca1ccu, 0x2de92c6fu, 0x4a7484aau, 0x5cb0a9dcu, 0x76f988dau,
    0x983e5152u, 0xa831c66du, 0xb00327c8u, 0xbf597fc7u, 0xc6e00bf3u, 0xd5a79147u, 0x06ca6351u, 0x14292967u,
    0x27b70a85u, 0x2e1b2138u, 0x4d2c6dfcu, 0x53380d13u, 0x650a7354u, 0x766a0abbu, 0x81c2c92eu, 0x92722c85u,
    0xa2bfe8a1u, 0xa81a664bu, 0xc24b8b70u, 0xc76c51a3u, 0xd192e819u, 0xd6990624u, 0xf40e3585u, 0x106aa070u,
    0x19a4c116u, 0x1e376c08u, 0x2748774cu, 0x34b0bcb5u, 0x391c0cb3u, 0x4ed8aa4au, 0x5b9cca4fu, 0x682e6ff3u,
    0x748f82eeu, 0x78a5636fu, 0x84c87814u, 0x8cc70208u, 0x90befffau, 0xa4506cebu, 0xbef9a3f7u, 0xc67178f2u,
};
