// MD5's kernels in the algorithms' table: our one-stream MD5 (Md5Stream).
// The runs hash MD5 in lanes (Md5Lanes) and keep doing so; this entry is
// for whoever asks the table for an MD5 hasher.
#include <memory>
#include <span>

#include "engine/md5_stream.h"
#include "engine/stream_hasher.h"

namespace {

class Md5StreamHasher final : public StreamHasher {
 public:
  void Init() override { stream_.Reset(); }
  void Update(const void* data, std::size_t length) override { stream_.Add(data, length); }
  Digest Final() override {
    std::uint8_t digest[kMd5DigestBytes];
    stream_.Finish(digest);
    return DigestOf(DigestAlgorithm::kMd5, digest, sizeof digest);
  }

 private:
  Md5Stream stream_;
};

std::unique_ptr<StreamHasher> MakeOneStream() { return std::make_unique<Md5StreamHasher>(); }

constexpr DigestKernel kKernels[] = {
    {"one stream", RunsEverywhere, MakeOneStream},
};

}  // namespace

std::span<const DigestKernel> Md5Kernels() { return kKernels; }
