// The five cells of one row of 超级列表框. The run keeps the row's state
// (RunRows); the list asks for these texts when it needs them.
#pragma once

#include <cstdint>

inline constexpr std::int32_t kColumnNumber = 0;    // 1-based position in filePaths
inline constexpr std::int32_t kColumnPath = 1;      // path, or file name when verifying
inline constexpr std::int32_t kColumnSize = 2;      // size, then size " ->> " done, or failure
inline constexpr std::int32_t kColumnDigest = 3;    // computing text, then 32 upper-case digits
inline constexpr std::int32_t kColumnProgress = 4;  // "n%", drawn as a bar, or the verdict
inline constexpr std::int32_t kColumnCount = 5;
