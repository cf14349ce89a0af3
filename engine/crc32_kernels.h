// CRC-32 with the IEEE polynomial, bit-reflected, as zlib and SFV lists
// compute it. A kernel carries the register across buffers: start it at
// 0xFFFFFFFF and invert it at the end for the CRC. The portable one runs
// everywhere; the carry-less multiply one only where Crc32PclmulRuns().
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/cpu_features.h"

using Crc32Kernel = std::uint32_t (*)(std::uint32_t crc, const std::uint8_t* data, std::size_t length);

// The reflected form of x^32 + x^26 + x^23 + ... + 1 (without x^32).
inline constexpr std::uint32_t kCrc32ReflectedPolynomial = 0xEDB88320u;

std::uint32_t Crc32Portable(std::uint32_t crc, const std::uint8_t* data, std::size_t length);
std::uint32_t Crc32Pclmul(std::uint32_t crc, const std::uint8_t* data, std::size_t length);

inline bool Crc32PclmulRuns() {
  const CpuFeatures& features = ProcessorFeatures();
  return features.pclmul && features.sse2;
}
