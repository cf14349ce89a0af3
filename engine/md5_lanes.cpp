#include "engine/md5_lanes.h"

#include "engine/cpu_features.h"

namespace {

constexpr Md5Kernel kKernels[kMd5VariantCount] = {Md5BlocksScalar, Md5BlocksTwoStreams,
#if defined(__i386__) || defined(__x86_64__)
                                                  Md5BlocksSse2, Md5BlocksAvx2
#else
                                                  nullptr, nullptr
#endif
};
constexpr std::int32_t kWidths[kMd5VariantCount] = {1, 2, 4, 8};
constexpr const char* kNames[kMd5VariantCount] = {"scalar", "2 streams", "SSE2 x4", "AVX2 x8"};

std::int32_t Index(Md5Variant variant) { return static_cast<std::int32_t>(variant); }

// Scratch state for kernel lanes beyond the fed ones; never read. One per
// thread, as several Md5Lanes may run at once.
thread_local Md5State spareStates[Md5Lanes::kMaxLanes];

}  // namespace

std::int32_t WidthOf(Md5Variant variant) { return kWidths[Index(variant)]; }
const char* NameOf(Md5Variant variant) { return kNames[Index(variant)]; }

bool IsSupported(Md5Variant variant) {
  switch (variant) {
    case Md5Variant::kScalar:
    case Md5Variant::kTwoStreams:
      return true;
    case Md5Variant::kSse2:
      return ProcessorFeatures().sse2;
    case Md5Variant::kAvx2:
      return ProcessorFeatures().avx2;
  }
  return false;
}

Md5Variant BestMd5Variant() {
  if (IsSupported(Md5Variant::kAvx2)) return Md5Variant::kAvx2;
  if (IsSupported(Md5Variant::kSse2)) return Md5Variant::kSse2;
  return Md5Variant::kTwoStreams;
}

Md5Lanes::Md5Lanes(Md5Variant widest) : widest_(widest), width_(WidthOf(widest)) {}

void Md5Lanes::Feed(std::int32_t index, Md5Stream& stream, const void* data, std::size_t length) {
  Lane& lane = lanes_[index];
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const std::size_t taken = length == 0 ? 0 : stream.TopUp(bytes, length);
  bytes += taken;
  length -= taken;
  lane.stream = &stream;
  lane.data = bytes;
  lane.blocks = stream.HasPartialBlock() ? 0 : length / kMd5BlockSize;
  lane.tailLength = length - lane.blocks * kMd5BlockSize;
  DrainIfDone(lane);
}

void Md5Lanes::DrainIfDone(Lane& lane) {
  if (lane.stream == nullptr || lane.blocks != 0) return;
  lane.stream->KeepPartialBlock(lane.data, lane.tailLength);
  lane = Lane{};
}

void Md5Lanes::Run() {
  Md5State* states[kMaxLanes];
  const std::uint8_t* data[kMaxLanes];
  Lane* fed[kMaxLanes];
  std::int32_t count = 0;
  std::size_t step = 0;
  for (Lane& lane : lanes_) {
    if (lane.stream == nullptr) continue;
    step = count == 0 || lane.blocks < step ? lane.blocks : step;
    fed[count] = &lane;
    states[count] = &lane.stream->State();
    data[count] = lane.data;
    ++count;
  }
  if (count == 0) return;
  std::int32_t variant = 0;
  while (kWidths[variant] < count) ++variant;
  if (variant > Index(widest_)) variant = Index(widest_);  // never: Feed's lanes fit
  for (std::int32_t spare = count; spare < kWidths[variant]; ++spare) {
    states[spare] = &spareStates[spare];
    data[spare] = data[0];
  }
  kKernels[variant](states, data, step);
  for (std::int32_t i = 0; i < count; ++i) {
    Lane& lane = *fed[i];
    lane.data += step * kMd5BlockSize;
    lane.blocks -= step;
    lane.stream->CountBlocks(step);
    DrainIfDone(lane);
  }
}

void Md5Lanes::RunToEnd() {
  for (std::int32_t lane = 0; lane < width_; ++lane) {
    while (!IsDrained(lane)) Run();
  }
}
