#include "engine/md5_lanes.h"

#include "engine/cpu_features.h"

namespace {

#if defined(__i386__) || defined(__x86_64__)
#define X86_KERNEL(kernel) kernel
#else
#define X86_KERNEL(kernel) nullptr
#endif

struct VariantInfo {
  Md5Kernel kernel;
  std::int32_t width;
  const char* name;
  // What Md5Lanes falls back on when fewer lanes are fed than this one
  // would need; itself for one stream.
  Md5Variant narrower;
};

constexpr VariantInfo kVariants[kMd5VariantCount] = {
    {Md5BlocksScalar, 1, "scalar", Md5Variant::kScalar},
    {Md5BlocksTwoStreams, 2, "2 streams", Md5Variant::kScalar},
    {X86_KERNEL(Md5BlocksSse2), 4, "SSE2 x4", Md5Variant::kTwoStreams},
    {X86_KERNEL(Md5BlocksAvx2), 8, "AVX2 x8", Md5Variant::kSse2},
    {X86_KERNEL(Md5BlocksAvx512), 16, "AVX-512 x16", Md5Variant::kAvx2},
    {X86_KERNEL(Md5BlocksAvx512One), 1, "AVX-512 one stream", Md5Variant::kAvx512One},
    {X86_KERNEL(Md5BlocksSse2x8), 8, "SSE2 2x4", Md5Variant::kSse2},
};

const VariantInfo& InfoOf(Md5Variant variant) { return kVariants[static_cast<std::int32_t>(variant)]; }

// Scratch state for kernel lanes beyond the fed ones; never read. One per
// thread, as several Md5Lanes may run at once.
thread_local Md5State spareStates[Md5Lanes::kMaxLanes];

}  // namespace

std::int32_t WidthOf(Md5Variant variant) { return InfoOf(variant).width; }
const char* NameOf(Md5Variant variant) { return InfoOf(variant).name; }
Md5Kernel KernelOf(Md5Variant variant) { return InfoOf(variant).kernel; }

bool IsSupported(Md5Variant variant) {
  switch (variant) {
    case Md5Variant::kScalar:
    case Md5Variant::kTwoStreams:
      return true;
    case Md5Variant::kSse2:
    case Md5Variant::kSse2x8:
      return ProcessorFeatures().sse2;
    case Md5Variant::kAvx2:
      return ProcessorFeatures().avx2;
    case Md5Variant::kAvx512:
    case Md5Variant::kAvx512One:
      return ProcessorFeatures().avx512;
  }
  return false;
}

Md5Variant BestMd5Variant() {
  if (IsSupported(Md5Variant::kAvx512)) return Md5Variant::kAvx512;
  if (IsSupported(Md5Variant::kAvx2)) return Md5Variant::kAvx2;
  if (IsSupported(Md5Variant::kSse2x8)) return Md5Variant::kSse2x8;
  return Md5Variant::kTwoStreams;
}

// One stream is one chain of dependent steps: AVX-512 shortens each step
// by an instruction, but where vector instructions take twice as long as
// general ones the scalar chain is the shorter.
Md5Variant BestOneStreamVariant() {
  const bool shorterChain = IsSupported(Md5Variant::kAvx512One) && !ProcessorFeatures().slowVectorChains;
  return shorterChain ? Md5Variant::kAvx512One : Md5Variant::kScalar;
}

Md5Lanes::Md5Lanes(Md5Variant widest) : width_(WidthOf(widest)) {
  // From the widest down, each kernel takes the lane counts up to its
  // width, leaving the fewer to the narrower ones; one lane gets the
  // fastest one-stream kernel.
  for (Md5Variant variant = widest;; variant = InfoOf(variant).narrower) {
    if (variant == widest || IsSupported(variant)) {
      for (std::int32_t count = 1; count <= WidthOf(variant); ++count) {
        kernelFor_[count] = KernelOf(variant);
        kernelWidthFor_[count] = WidthOf(variant);
      }
    }
    if (WidthOf(variant) == 1) break;
  }
  if (width_ > 1) kernelFor_[1] = KernelOf(BestOneStreamVariant());
}

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
  for (std::int32_t spare = count; spare < kernelWidthFor_[count]; ++spare) {
    states[spare] = &spareStates[spare];
    data[spare] = data[0];
  }
  kernelFor_[count](states, data, step);
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
