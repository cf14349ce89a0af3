// Eight MD5 streams in the eight 32-bit lanes of AVX2 registers, enabled on
// this function only (md5_lanes.cpp asks CPUID and XGETBV before calling
// it). GCC on Windows does not align the stack to 32 bytes, so this file is
// assembled with unaligned moves for every vector spill (see
// engine/CMakeLists.txt).
#include "engine/md5_kernels.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

#include "engine/md5_rounds.h"

namespace {

// Word k of the eight lanes in one register, for the eight words starting at
// `offset` of every lane's block: an 8x8 transpose.
__attribute__((target("avx2"), always_inline)) inline void Transpose8(const std::uint8_t* const* lane,
                                                                      int offset, __m256i* m) {
  __m256i r[8];
  for (int i = 0; i < 8; ++i) r[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lane[i] + offset));
  const __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]);
  const __m256i t1 = _mm256_unpackhi_epi32(r[0], r[1]);
  const __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]);
  const __m256i t3 = _mm256_unpackhi_epi32(r[2], r[3]);
  const __m256i t4 = _mm256_unpacklo_epi32(r[4], r[5]);
  const __m256i t5 = _mm256_unpackhi_epi32(r[4], r[5]);
  const __m256i t6 = _mm256_unpacklo_epi32(r[6], r[7]);
  const __m256i t7 = _mm256_unpackhi_epi32(r[6], r[7]);
  const __m256i u0 = _mm256_unpacklo_epi64(t0, t2);
  const __m256i u1 = _mm256_unpackhi_epi64(t0, t2);
  const __m256i u2 = _mm256_unpacklo_epi64(t1, t3);
  const __m256i u3 = _mm256_unpackhi_epi64(t1, t3);
  const __m256i u4 = _mm256_unpacklo_epi64(t4, t6);
  const __m256i u5 = _mm256_unpackhi_epi64(t4, t6);
  const __m256i u6 = _mm256_unpacklo_epi64(t5, t7);
  const __m256i u7 = _mm256_unpackhi_epi64(t5, t7);
  m[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
  m[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
  m[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
  m[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
  m[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
  m[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
  m[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
  m[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
}

__attribute__((target("avx2"), always_inline)) inline __m256i Gather(Md5State* const* states, int w) {
  return _mm256_set_epi32(static_cast<int>(states[7]->word[w]), static_cast<int>(states[6]->word[w]),
                          static_cast<int>(states[5]->word[w]), static_cast<int>(states[4]->word[w]),
                          static_cast<int>(states[3]->word[w]), static_cast<int>(states[2]->word[w]),
                          static_cast<int>(states[1]->word[w]), static_cast<int>(states[0]->word[w]));
}

}  // namespace

__attribute__((target("avx2"), force_align_arg_pointer)) void Md5BlocksAvx2(
    Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks) {
  const std::uint8_t* lane[8];
  for (int i = 0; i < 8; ++i) lane[i] = data[i];
  __m256i a = Gather(states, 0);
  __m256i b = Gather(states, 1);
  __m256i c = Gather(states, 2);
  __m256i d = Gather(states, 3);
  const __m256i ones = _mm256_set1_epi32(-1);
  for (; blocks > 0; --blocks) {
    __m256i m[16];
    Transpose8(lane, 0, m);
    Transpose8(lane, 32, m + 8);
    const __m256i a0 = a, b0 = b, c0 = c, d0 = d;
#define ROTL(x, n) _mm256_or_si256(_mm256_slli_epi32(x, n), _mm256_srli_epi32(x, 32 - (n)))
#define FN_F(b, c, d) _mm256_xor_si256(d, _mm256_and_si256(b, _mm256_xor_si256(c, d)))
#define FN_G(b, c, d) _mm256_xor_si256(c, _mm256_and_si256(d, _mm256_xor_si256(b, c)))
#define FN_H(b, c, d) _mm256_xor_si256(_mm256_xor_si256(b, c), d)
#define FN_I(b, c, d) _mm256_xor_si256(c, _mm256_or_si256(b, _mm256_xor_si256(d, ones)))
#define STEP_WITH(FN, a, b, c, d, k, r, t)                                                           \
  a = _mm256_add_epi32(                                                                            \
      b, ROTL(_mm256_add_epi32(_mm256_add_epi32(a, FN(b, c, d)),                                   \
                               _mm256_add_epi32(m[k], _mm256_set1_epi32(static_cast<int>(t)))), r));
#define STEP_F(a, b, c, d, k, r, t) STEP_WITH(FN_F, a, b, c, d, k, r, t)
#define STEP_G(a, b, c, d, k, r, t) STEP_WITH(FN_G, a, b, c, d, k, r, t)
#define STEP_H(a, b, c, d, k, r, t) STEP_WITH(FN_H, a, b, c, d, k, r, t)
#define STEP_I(a, b, c, d, k, r, t) STEP_WITH(FN_I, a, b, c, d, k, r, t)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
#undef STEP_WITH
#undef FN_F
#undef FN_G
#undef FN_H
#undef FN_I
#undef ROTL
    a = _mm256_add_epi32(a, a0);
    b = _mm256_add_epi32(b, b0);
    c = _mm256_add_epi32(c, c0);
    d = _mm256_add_epi32(d, d0);
    for (const std::uint8_t*& p : lane) p += kMd5BlockSize;
  }
  std::uint32_t out[4][8];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[0]), a);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[1]), b);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[2]), c);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out[3]), d);
  for (int i = 0; i < 8; ++i) {
    for (int w = 0; w < 4; ++w) states[i]->word[w] = out[w][i];
  }
  _mm256_zeroupper();
}

#endif
