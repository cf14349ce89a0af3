// Md5Lanes: several independent MD5 streams hashed together, one per lane,
// so one thread keeps a processor's execution units busy (MD5 itself is one
// serial chain per stream).
//
// How it works: Feed gives a lane a stream and the next bytes of it. Run
// hashes the whole blocks of every fed lane in step, with the narrowest
// kernel that holds all fed lanes (spare kernel lanes repeat a fed lane's
// bytes into a scratch state), until one lane has no whole block left; that
// lane's last partial block goes into its stream and the lane is drained,
// ready to be fed again (the same stream's next bytes, or another stream),
// while the others keep their place. RunToEnd drains every lane. The bytes
// fed must stay in place until the lane is drained.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/md5_kernels.h"
#include "engine/md5_stream.h"

enum class Md5Variant : std::int32_t { kScalar = 0, kTwoStreams = 1, kSse2 = 2, kAvx2 = 3 };
inline constexpr std::int32_t kMd5VariantCount = 4;

std::int32_t WidthOf(Md5Variant variant);
const char* NameOf(Md5Variant variant);
// Whether this processor (and, for AVX2, the operating system's saving of
// its registers) runs the variant.
bool IsSupported(Md5Variant variant);
// The widest supported variant.
Md5Variant BestMd5Variant();

class Md5Lanes {
 public:
  static constexpr std::int32_t kMaxLanes = 8;

  // Lanes up to `widest`'s width, kernels up to `widest` (which must be
  // supported).
  explicit Md5Lanes(Md5Variant widest = BestMd5Variant());

  std::int32_t Width() const { return width_; }
  // The lane must be drained; `stream` and `data` stay the caller's.
  void Feed(std::int32_t lane, Md5Stream& stream, const void* data, std::size_t length);
  bool IsDrained(std::int32_t lane) const { return lanes_[lane].stream == nullptr; }
  void Run();
  void RunToEnd();

 private:
  struct Lane {
    Md5Stream* stream = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t blocks = 0;
    std::size_t tailLength = 0;  // after the blocks, for the stream's partial block
  };
  void DrainIfDone(Lane& lane);

  Md5Variant widest_;
  std::int32_t width_;
  Lane lanes_[kMaxLanes];
};
