// StreamHasher: one algorithm's running digest of a byte stream, whatever
// the algorithm: Init, Update with each buffer in order, Final. One thread
// at a time; Init again before reuse after Final.
#pragma once

#include <cstddef>
#include <memory>

#include "engine/digest.h"

class StreamHasher {
 public:
  virtual ~StreamHasher() = default;
  virtual void Init() = 0;
  virtual void Update(const void* data, std::size_t length) = 0;
  virtual Digest Final() = 0;
};

// One way of computing an algorithm: a fast path for some processors, or
// the portable code every processor runs.
struct DigestKernel {
  const char* name;  // shown by the benches and the tests' skip messages
  bool (*isSupported)();
  std::unique_ptr<StreamHasher> (*make)();
};

inline bool RunsEverywhere() { return true; }
