// SHA-512 (FIPS 180-4): the portable compression function in plain integer
// code (64-bit words: at its best in the 64-bit build, right if slower in
// the 32-bit one), and the kernels of the algorithms' table.
#include <memory>
#include <span>

#include "engine/block_hasher.h"
#include "engine/sha2_rounds.h"
#include "engine/sha_blocks.h"

namespace {

struct Sha512Params {
  using Word = std::uint64_t;
  static constexpr int kRounds = 80;
  static constexpr const Word* kConstants = kSha512Rounds;
  static constexpr int kA[3] = {28, 34, 39};
  static constexpr int kE[3] = {14, 18, 41};
  static constexpr int kW15[3] = {1, 8, 7};
  static constexpr int kW2[3] = {19, 61, 6};
};

struct Sha512Shape {
  using Word = std::uint64_t;
  static constexpr std::size_t kStateWords = 8;
  static constexpr std::size_t kBlockBytes = 128;
  static constexpr std::size_t kDigestBytes = 64;
  static constexpr DigestAlgorithm kAlgorithm = DigestAlgorithm::kSha512;
  // The first 64 bits of the fractional parts of the square roots of the
  // first eight primes.
  static constexpr Word kInitial[8] = {0x6a09e667f3bcc908ull, 0xbb67ae8584caa73bull, 0x3c6ef372fe94f82bull,
                                       0xa54ff53a5f1d36f1ull, 0x510e527fade682d1ull, 0x9b05688c2b3e6c1full,
                                       0x1f83d9abfb41bd6bull, 0x5be0cd19137e2179ull};
};

std::unique_ptr<StreamHasher> MakePortable() {
  return std::make_unique<BlockHasher<Sha512Shape>>(Sha512BlocksPortable);
}

#if defined(__x86_64__)
std::unique_ptr<StreamHasher> MakeRorxAvx512() {
  return std::make_unique<BlockHasher<Sha512Shape>>(Sha512BlocksRorxAvx512);
}
std::unique_ptr<StreamHasher> MakeRorx() { return std::make_unique<BlockHasher<Sha512Shape>>(Sha512BlocksRorx); }
#endif

constexpr DigestKernel kKernels[] = {
#if defined(__x86_64__)
    {"RORX+AVX-512", RorxAvx512Runs, MakeRorxAvx512},
    {"RORX", RorxRuns, MakeRorx},
#endif
    {"portable", RunsEverywhere, MakePortable},
};

}  // namespace

void Sha512BlocksPortable(std::uint64_t* state, const std::uint8_t* data, std::size_t blocks) {
  sha2::Blocks<Sha512Params>(state, data, blocks);
}

std::span<const DigestKernel> Sha512Kernels() { return kKernels; }
