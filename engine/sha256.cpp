// SHA-256 (FIPS 180-4): the portable compression function, and the kernels
// of the algorithms' table.
#include <memory>
#include <span>

#include "engine/block_hasher.h"
#include "engine/sha2_rounds.h"
#include "engine/sha_blocks.h"

namespace {

struct Sha256Params {
  using Word = std::uint32_t;
  static constexpr int kRounds = 64;
  static constexpr const Word* kConstants = kSha256Rounds;
  static constexpr int kA[3] = {2, 13, 22};
  static constexpr int kE[3] = {6, 11, 25};
  static constexpr int kW15[3] = {7, 18, 3};
  static constexpr int kW2[3] = {17, 19, 10};
};

struct Sha256Shape {
  using Word = std::uint32_t;
  static constexpr std::size_t kStateWords = 8;
  static constexpr std::size_t kBlockBytes = 64;
  static constexpr std::size_t kDigestBytes = 32;
  static constexpr DigestAlgorithm kAlgorithm = DigestAlgorithm::kSha256;
  // The first 32 bits of the fractional parts of the square roots of the
  // first eight primes.
  static constexpr Word kInitial[8] = {0x6a09e667u, 0xbb67ae85u, 0x3c6ef372u, 0xa54ff53au,
                                       0x510e527fu, 0x9b05688cu, 0x1f83d9abu, 0x5be0cd19u};
};

std::unique_ptr<StreamHasher> MakeShaNi() { return std::make_unique<BlockHasher<Sha256Shape>>(Sha256BlocksShaNi); }
std::unique_ptr<StreamHasher> MakePortable() {
  return std::make_unique<BlockHasher<Sha256Shape>>(Sha256BlocksPortable);
}

constexpr DigestKernel kKernels[] = {
    {"SHA-NI", ShaNiRuns, MakeShaNi},
    {"portable", RunsEverywhere, MakePortable},
};

}  // namespace

void Sha256BlocksPortable(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks) {
  sha2::Blocks<Sha256Params>(state, data, blocks);
}

std::span<const DigestKernel> Sha256Kernels() { return kKernels; }
