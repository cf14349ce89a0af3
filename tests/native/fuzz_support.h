// Helpers shared by the fuzz targets: turning raw bytes into arguments and
// an independent walk over the characters of a text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "services/text.h"

// Stops the run with a message; libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                              \
  do {                                                                     \
    if (!(condition)) {                                                    \
      std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition,   \
                   __FILE__, __LINE__);                                     \
      std::abort();                                                        \
    }                                                                      \
  } while (0)

// Reads the fuzz input front to back: option bytes first, then texts
// separated by NUL bytes (a Text never holds one).
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : bytes_(reinterpret_cast<const char*>(data), size) {}

  std::uint8_t TakeByte() {
    if (position_ >= bytes_.size()) return 0;
    return static_cast<std::uint8_t>(bytes_[position_++]);
  }

  Text TakeText() {
    const std::size_t from = std::min(position_, bytes_.size());
    const std::size_t nul = bytes_.find('\0', from);
    const std::size_t end = nul == std::string::npos ? bytes_.size() : nul;
    Text text(bytes_.substr(from, end - from));
    position_ = end + 1;
    return text;
  }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
};

// 0-based starts of the characters of a text: a byte of 0x80 or more that
// is not the last one takes the next byte with it.
inline std::vector<std::int32_t> CharStarts(const std::string& bytes) {
  std::vector<std::int32_t> starts;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    starts.push_back(static_cast<std::int32_t>(i));
    if (static_cast<unsigned char>(bytes[i]) >= 0x80 && i + 1 < bytes.size()) ++i;
  }
  return starts;
}

inline bool IsTwoByteCharAt(const std::string& bytes, std::int32_t start) {
  return static_cast<unsigned char>(bytes[static_cast<std::size_t>(start)]) >= 0x80 &&
         static_cast<std::size_t>(start) + 1 < bytes.size();
}
