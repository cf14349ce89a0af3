// Md5Lanes: several independent MD5 streams hashed together, one per lane,
// so one thread keeps a processor's execution units busy (MD5 itself is one
// serial chain per stream).
//
// How it works: Feed gives a lane a stream and the next bytes of it. Run
// hashes the whole blocks of every fed lane in step, with the narrowest
// kernel that holds all fed lanes (spare kernel lanes repeat a fed lane's
// bytes into a scratch state; a lane fed alone runs the fastest one-stream
// kernel of the processor), until one lane has no whole block left; that
// lane's last partial block goes into its stream and the lane is drained,
// ready to be fed again (the same stream's next bytes, or another stream),
// while the others keep their place. RunToEnd drains every lane. The bytes
// fed must stay in place until the lane is drained.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/md5_kernels.h"
#include "engine/md5_stream.h"

// The kernels, by the lanes they hold: one stream (kScalar, the portable
// form, and kAvx512One), two interleaved, SSE2 x 4, SSE2 2 x 4, AVX2 x 8 and
// AVX-512 x 16.
enum class Md5Variant : std::int32_t {
  kScalar = 0,
  kTwoStreams = 1,
  kSse2 = 2,
  kAvx2 = 3,
  kAvx512 = 4,
  kAvx512One = 5,
  kSse2x8 = 6,
};
inline constexpr std::int32_t kMd5VariantCount = 7;

std::int32_t WidthOf(Md5Variant variant);
const char* NameOf(Md5Variant variant);
Md5Kernel KernelOf(Md5Variant variant);
// Whether this processor (and, for AVX2 and AVX-512, the operating
// system's saving of their registers) runs the variant.
bool IsSupported(Md5Variant variant);
// The widest supported variant.
Md5Variant BestMd5Variant();
// The fastest supported variant of one stream.
Md5Variant BestOneStreamVariant();

class Md5Lanes {
 public:
  static constexpr std::int32_t kMaxLanes = 16;

  // Lanes up to `widest`'s width, kernels up to `widest` (which must be
  // supported) and the narrower ones it builds on.
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

  std::int32_t width_;
  // For n fed lanes: the kernel and how many lanes it hashes.
  Md5Kernel kernelFor_[kMaxLanes + 1] = {};
  std::int32_t kernelWidthFor_[kMaxLanes + 1] = {};
  Lane lanes_[kMaxLanes];
};
