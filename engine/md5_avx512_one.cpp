// One MD5 stream in the first 32-bit lane of AVX-512 registers (the other
// lanes compute nothing anyone reads). Worth it for its instructions, not
// its width: vpternlogd makes each round function one instruction and
// vprold a rotate one, so a step's chain from b is four instructions long
// instead of four and a half on average for the scalar form; faster only
// where those take a cycle each, as general ones do (md5_lanes.cpp
// chooses). Enabled on this function only (md5_lanes.cpp asks CPUID and
// XGETBV first); assembled with unaligned moves for every vector spill
// (see engine/CMakeLists.txt).
#include "engine/md5_kernels.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

#include "engine/md5_rounds.h"

#define MD5_AVX512 __attribute__((target("avx512f,avx512vl")))

namespace {

// Each round's constants by the message word its step takes, so that
// word plus constant of every step of a round are one vector sum.
struct RoundConstants {
  alignas(64) std::int32_t byWord[16];
};
#define CONSTANT_BY_WORD(a, b, c, d, k, r, t) constants.byWord[k] = static_cast<std::int32_t>(t);
#define ROUND_CONSTANTS(ROUND)    \
  [] {                            \
    RoundConstants constants{};   \
    ROUND(CONSTANT_BY_WORD)       \
    return constants;             \
  }()
constexpr RoundConstants kConstants[4] = {ROUND_CONSTANTS(MD5_ROUND_F), ROUND_CONSTANTS(MD5_ROUND_G),
                                          ROUND_CONSTANTS(MD5_ROUND_H), ROUND_CONSTANTS(MD5_ROUND_I)};
#undef ROUND_CONSTANTS
#undef CONSTANT_BY_WORD

// Keeps the compiler from folding a's early sum into the late one: added
// after the round function, the word would lengthen each step's chain.
MD5_AVX512 __attribute__((always_inline)) inline void SettleBeforeUse(__m128i& value) {
  asm("" : "+v"(value));
}

}  // namespace

MD5_AVX512 __attribute__((force_align_arg_pointer)) void Md5BlocksAvx512One(
    Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks) {
  std::uint32_t* const s = states[0]->word;
  const std::uint8_t* block = data[0];
  __m128i a = _mm_cvtsi32_si128(static_cast<int>(s[0]));
  __m128i b = _mm_cvtsi32_si128(static_cast<int>(s[1]));
  __m128i c = _mm_cvtsi32_si128(static_cast<int>(s[2]));
  __m128i d = _mm_cvtsi32_si128(static_cast<int>(s[3]));
  for (; blocks > 0; --blocks, block += kMd5BlockSize) {
    // Each word plus the constant its step adds, per round.
    const __m512i words = _mm512_loadu_si512(block);
    __m512i w[4];
    for (int round = 0; round < 4; ++round) w[round] = _mm512_add_epi32(words, _mm512_load_si512(kConstants[round].byWord));
    const __m128i a0 = a, b0 = b, c0 = c, d0 = d;
    // The round functions as truth tables of (d, b, c), d first as the
    // instruction overwrites its first operand, and d is the oldest of the
    // three: F = b ? c : d, G = d ? b : c, H = b ^ c ^ d, I = c ^ (b | ~d).
#define STEP_WITH(TABLE, ROUND, a, b, c, d, k, r)                                                 \
  a = _mm_add_epi32(a, _mm512_castsi512_si128(_mm512_alignr_epi32(w[ROUND], w[ROUND], k)));      \
  SettleBeforeUse(a);                                                                            \
  a = _mm_add_epi32(b, _mm_rol_epi32(_mm_add_epi32(a, _mm_ternarylogic_epi32(d, b, c, TABLE)), r));
#define STEP_F(a, b, c, d, k, r, t) STEP_WITH(0xB8, 0, a, b, c, d, k, r)
#define STEP_G(a, b, c, d, k, r, t) STEP_WITH(0xCA, 1, a, b, c, d, k, r)
#define STEP_H(a, b, c, d, k, r, t) STEP_WITH(0x96, 2, a, b, c, d, k, r)
#define STEP_I(a, b, c, d, k, r, t) STEP_WITH(0x65, 3, a, b, c, d, k, r)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
#undef STEP_WITH
    a = _mm_add_epi32(a, a0);
    b = _mm_add_epi32(b, b0);
    c = _mm_add_epi32(c, c0);
    d = _mm_add_epi32(d, d0);
  }
  s[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(a));
  s[1] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(b));
  s[2] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(c));
  s[3] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(d));
  _mm256_zeroupper();
}

#endif
