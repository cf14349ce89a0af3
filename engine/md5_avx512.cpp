// Sixteen MD5 streams in the sixteen 32-bit lanes of AVX-512 registers:
// vpternlogd makes each round function one instruction and vprold the
// rotate one. Enabled on this function only (md5_lanes.cpp asks CPUID and
// XGETBV first); assembled with unaligned moves for every vector spill, as
// GCC on Windows does not align the stack to 64 bytes (see
// engine/CMakeLists.txt).
#include "engine/md5_kernels.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

#include "engine/md5_rounds.h"

#define MD5_AVX512 __attribute__((target("avx512f,avx512vl")))

namespace {

// Word k of the sixteen lanes in m[k]: a 16x16 transpose of 32-bit words,
// first within each 128-bit quarter, then of the quarters.
MD5_AVX512 __attribute__((always_inline)) inline void Transpose16(const std::uint8_t* const* lane,
                                                                  __m512i* m) {
  __m512i t[16];
  for (int i = 0; i < 16; i += 2) {
    const __m512i even = _mm512_loadu_si512(lane[i]);
    const __m512i odd = _mm512_loadu_si512(lane[i + 1]);
    t[i] = _mm512_unpacklo_epi32(even, odd);
    t[i + 1] = _mm512_unpackhi_epi32(even, odd);
  }
  // u[4g + k], quarter q: word 4q + k of lanes 4g to 4g + 3.
  __m512i u[16];
  for (int g = 0; g < 4; ++g) {
    u[4 * g + 0] = _mm512_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 1] = _mm512_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 2] = _mm512_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
    u[4 * g + 3] = _mm512_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
  }
  for (int k = 0; k < 4; ++k) {
    const __m512i low01 = _mm512_shuffle_i32x4(u[k], u[4 + k], 0x44);    // quarters 0, 1 of each
    const __m512i high01 = _mm512_shuffle_i32x4(u[k], u[4 + k], 0xEE);   // quarters 2, 3
    const __m512i low23 = _mm512_shuffle_i32x4(u[8 + k], u[12 + k], 0x44);
    const __m512i high23 = _mm512_shuffle_i32x4(u[8 + k], u[12 + k], 0xEE);
    m[k] = _mm512_shuffle_i32x4(low01, low23, 0x88);
    m[4 + k] = _mm512_shuffle_i32x4(low01, low23, 0xDD);
    m[8 + k] = _mm512_shuffle_i32x4(high01, high23, 0x88);
    m[12 + k] = _mm512_shuffle_i32x4(high01, high23, 0xDD);
  }
}

MD5_AVX512 __attribute__((always_inline)) inline __m512i Gather(Md5State* const* states, int w) {
  std::uint32_t words[16];
  for (int i = 0; i < 16; ++i) words[i] = states[i]->word[w];
  return _mm512_loadu_si512(words);
}

// Keeps the compiler from folding a's early sum into the late one: added
// after the round function, the word and constant would lengthen each
// step's chain.
MD5_AVX512 __attribute__((always_inline)) inline void SettleBeforeUse(__m512i& value) {
  asm("" : "+v"(value));
}

}  // namespace

MD5_AVX512 __attribute__((force_align_arg_pointer)) void Md5BlocksAvx512(
    Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks) {
  const std::uint8_t* lane[16];
  for (int i = 0; i < 16; ++i) lane[i] = data[i];
  __m512i a = Gather(states, 0);
  __m512i b = Gather(states, 1);
  __m512i c = Gather(states, 2);
  __m512i d = Gather(states, 3);
  for (; blocks > 0; --blocks) {
    __m512i m[16];
    Transpose16(lane, m);
    const __m512i a0 = a, b0 = b, c0 = c, d0 = d;
    // The round functions as truth tables of (d, b, c), d first as the
    // instruction overwrites its first operand, and d is the oldest of the
    // three: F = b ? c : d, G = d ? b : c, H = b ^ c ^ d, I = c ^ (b | ~d).
#define STEP_WITH(TABLE, a, b, c, d, k, r, t)                                                 \
  a = _mm512_add_epi32(_mm512_add_epi32(a, m[k]), _mm512_set1_epi32(static_cast<int>(t))); \
  SettleBeforeUse(a);                                                                      \
  a = _mm512_add_epi32(b, _mm512_rol_epi32(_mm512_add_epi32(a, _mm512_ternarylogic_epi32(d, b, c, TABLE)), r));
#define STEP_F(a, b, c, d, k, r, t) STEP_WITH(0xB8, a, b, c, d, k, r, t)
#define STEP_G(a, b, c, d, k, r, t) STEP_WITH(0xCA, a, b, c, d, k, r, t)
#define STEP_H(a, b, c, d, k, r, t) STEP_WITH(0x96, a, b, c, d, k, r, t)
#define STEP_I(a, b, c, d, k, r, t) STEP_WITH(0x65, a, b, c, d, k, r, t)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
#undef STEP_WITH
    a = _mm512_add_epi32(a, a0);
    b = _mm512_add_epi32(b, b0);
    c = _mm512_add_epi32(c, c0);
    d = _mm512_add_epi32(d, d0);
    for (const std::uint8_t*& p : lane) p += kMd5BlockSize;
  }
  std::uint32_t out[4][16];
  _mm512_storeu_si512(out[0], a);
  _mm512_storeu_si512(out[1], b);
  _mm512_storeu_si512(out[2], c);
  _mm512_storeu_si512(out[3], d);
  for (int i = 0; i < 16; ++i) {
    for (int w = 0; w < 4; ++w) states[i]->word[w] = out[w][i];
  }
  _mm256_zeroupper();
}

#endif
