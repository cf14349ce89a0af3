// SHA-1 (FIPS 180-4, 6.1): the portable compression function, and the
// kernels of the algorithms' table.
#include <memory>
#include <span>

#include "engine/block_hasher.h"
#include "engine/sha2_rounds.h"
#include "engine/sha_blocks.h"

namespace {

struct Sha1Shape {
  using Word = std::uint32_t;
  static constexpr std::size_t kStateWords = 5;
  static constexpr std::size_t kBlockBytes = 64;
  static constexpr std::size_t kDigestBytes = 20;
  static constexpr DigestAlgorithm kAlgorithm = DigestAlgorithm::kSha1;
  static constexpr Word kInitial[5] = {0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u, 0xc3d2e1f0u};
};

// Inlined whole, so the five working words stay in registers.
#define SHA1_INLINE __attribute__((always_inline)) inline

inline std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The round function and constant of each twenty rounds.
template <int kQuarter>
inline std::uint32_t Mix(std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  if (kQuarter == 0) return d ^ (b & (c ^ d));
  if (kQuarter == 2) return (b & c) | (d & (b | c));
  return b ^ c ^ d;
}
constexpr std::uint32_t kConstants[4] = {0x5a827999u, 0x6ed9eba1u, 0x8f1bbcdcu, 0xca62c1d6u};

// One round; the caller rotates the names, so no value moves.
template <int kQuarter>
SHA1_INLINE void Round(std::uint32_t a, std::uint32_t& b, std::uint32_t c, std::uint32_t d, std::uint32_t& e,
                  std::uint32_t w) {
  e += Rotl(a, 5) + Mix<kQuarter>(b, c, d) + kConstants[kQuarter] + w;
  b = Rotl(b, 30);
}

SHA1_INLINE std::uint32_t Schedule(std::uint32_t* w, int i) {
  if (i >= 16) w[i & 15] = Rotl(w[(i - 3) & 15] ^ w[(i - 8) & 15] ^ w[(i - 14) & 15] ^ w[i & 15], 1);
  return w[i & 15];
}

template <int kQuarter>
SHA1_INLINE void TwentyRounds(std::uint32_t* w, std::uint32_t& a, std::uint32_t& b, std::uint32_t& c,
                              std::uint32_t& d, std::uint32_t& e) {
#pragma GCC unroll 4
  for (int i = 20 * kQuarter; i < 20 * kQuarter + 20; i += 5) {
    Round<kQuarter>(a, b, c, d, e, Schedule(w, i));
    Round<kQuarter>(e, a, b, c, d, Schedule(w, i + 1));
    Round<kQuarter>(d, e, a, b, c, Schedule(w, i + 2));
    Round<kQuarter>(c, d, e, a, b, Schedule(w, i + 3));
    Round<kQuarter>(b, c, d, e, a, Schedule(w, i + 4));
  }
}

std::unique_ptr<StreamHasher> MakeShaNi() { return std::make_unique<BlockHasher<Sha1Shape>>(Sha1BlocksShaNi); }
std::unique_ptr<StreamHasher> MakePortable() { return std::make_unique<BlockHasher<Sha1Shape>>(Sha1BlocksPortable); }

constexpr DigestKernel kKernels[] = {
    {"SHA-NI", ShaNiRuns, MakeShaNi},
    {"portable", RunsEverywhere, MakePortable},
};

}  // namespace

void Sha1BlocksPortable(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks) {
  for (; blocks > 0; --blocks, data += 64) {
    std::uint32_t w[16];
    for (int i = 0; i < 16; ++i) w[i] = sha2::BigEndianAt<std::uint32_t>(data + 4 * i);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    TwentyRounds<0>(w, a, b, c, d, e);
    TwentyRounds<1>(w, a, b, c, d, e);
    TwentyRounds<2>(w, a, b, c, d, e);
    TwentyRounds<3>(w, a, b, c, d, e);
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
  }
}

std::span<const DigestKernel> Sha1Kernels() { return kKernels; }
