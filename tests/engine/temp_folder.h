// Test data for the engine tests: the shared temp folder, and bytes that
// differ from chunk to chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

// Writes the bytes to a new file of that name in the folder; its path.
inline std::string WriteBytes(const TempFolder& folder, const std::string& name,
                              const std::vector<std::uint8_t>& bytes) {
  const std::string path = folder.Join(name);
  WriteTextFile(path, std::string(bytes.begin(), bytes.end()));
  return path;
}

// A chunk read twice or skipped changes the digest.
inline std::vector<std::uint8_t> PatternBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + (i >> 16));
  return bytes;
}
