// Four MD5 streams in the four 32-bit lanes of SSE2 registers, and eight
// in two such sets whose steps interleave. Built for the baseline target
// with SSE2 enabled on these functions only, so the 32-bit program still
// runs on processors without it (md5_lanes.cpp asks CPUID before calling
// them).
#include "engine/md5_kernels.h"

#if defined(__i386__) || defined(__x86_64__)

#include <emmintrin.h>

#include "engine/md5_rounds.h"

#define MD5_SSE2 __attribute__((target("sse2")))

namespace {

// Word k of four lanes in m[k]: four 4x4 transposes.
MD5_SSE2 __attribute__((always_inline)) inline void Transpose4(const std::uint8_t* const* lane, __m128i* m) {
  for (int group = 0; group < 4; ++group) {
    const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane[0] + 16 * group));
    const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane[1] + 16 * group));
    const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane[2] + 16 * group));
    const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane[3] + 16 * group));
    const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
    const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
    const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
    const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
    m[4 * group + 0] = _mm_unpacklo_epi64(t0, t1);
    m[4 * group + 1] = _mm_unpackhi_epi64(t0, t1);
    m[4 * group + 2] = _mm_unpacklo_epi64(t2, t3);
    m[4 * group + 3] = _mm_unpackhi_epi64(t2, t3);
  }
}

// Word w of four lanes' states in one register, and back.
MD5_SSE2 __attribute__((always_inline)) inline __m128i Gather(Md5State* const* states, int w) {
  return _mm_set_epi32(static_cast<int>(states[3]->word[w]), static_cast<int>(states[2]->word[w]),
                       static_cast<int>(states[1]->word[w]), static_cast<int>(states[0]->word[w]));
}

MD5_SSE2 __attribute__((always_inline)) inline void Scatter(Md5State* const* states, __m128i a, __m128i b,
                                                           __m128i c, __m128i d) {
  std::uint32_t out[4][4];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out[0]), a);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out[1]), b);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out[2]), c);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out[3]), d);
  for (int i = 0; i < 4; ++i) {
    for (int w = 0; w < 4; ++w) states[i]->word[w] = out[w][i];
  }
}

}  // namespace

#define ROTL(x, n) _mm_or_si128(_mm_slli_epi32(x, n), _mm_srli_epi32(x, 32 - (n)))
#define FN_F(b, c, d) _mm_xor_si128(d, _mm_and_si128(b, _mm_xor_si128(c, d)))
#define FN_G(b, c, d) _mm_xor_si128(c, _mm_and_si128(d, _mm_xor_si128(b, c)))
#define FN_H(b, c, d) _mm_xor_si128(_mm_xor_si128(b, c), d)
#define FN_I(b, c, d) _mm_xor_si128(c, _mm_or_si128(b, _mm_xor_si128(d, ones)))
#define SSE2_STEP(FN, a, b, c, d, word, r, t)                                                     \
  a = _mm_add_epi32(                                                                            \
      b, ROTL(_mm_add_epi32(_mm_add_epi32(a, FN(b, c, d)),                                      \
                            _mm_add_epi32(word, _mm_set1_epi32(static_cast<int>(t)))), r));

// 32-bit Windows keeps the stack 4-byte aligned only; the spilled message
// words need 16, so the entry realigns it.
MD5_SSE2 __attribute__((force_align_arg_pointer)) void Md5BlocksSse2(
    Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks) {
  const std::uint8_t* lane[4] = {data[0], data[1], data[2], data[3]};
  __m128i a = Gather(states, 0);
  __m128i b = Gather(states, 1);
  __m128i c = Gather(states, 2);
  __m128i d = Gather(states, 3);
  const __m128i ones = _mm_set1_epi32(-1);
  for (; blocks > 0; --blocks) {
    __m128i m[16];
    Transpose4(lane, m);
    const __m128i a0 = a, b0 = b, c0 = c, d0 = d;
#define STEP_F(a, b, c, d, k, r, t) SSE2_STEP(FN_F, a, b, c, d, m[k], r, t)
#define STEP_G(a, b, c, d, k, r, t) SSE2_STEP(FN_G, a, b, c, d, m[k], r, t)
#define STEP_H(a, b, c, d, k, r, t) SSE2_STEP(FN_H, a, b, c, d, m[k], r, t)
#define STEP_I(a, b, c, d, k, r, t) SSE2_STEP(FN_I, a, b, c, d, m[k], r, t)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
    a = _mm_add_epi32(a, a0);
    b = _mm_add_epi32(b, b0);
    c = _mm_add_epi32(c, c0);
    d = _mm_add_epi32(d, d0);
    for (const std::uint8_t*& p : lane) p += kMd5BlockSize;
  }
  Scatter(states, a, b, c, d);
}

// Two sets of four lanes, each step once per set: the second set's chain
// runs while the first waits on its own.
MD5_SSE2 __attribute__((force_align_arg_pointer)) void Md5BlocksSse2x8(
    Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks) {
  const std::uint8_t* lane[8];
  for (int i = 0; i < 8; ++i) lane[i] = data[i];
  __m128i a = Gather(states, 0), b = Gather(states, 1), c = Gather(states, 2), d = Gather(states, 3);
  __m128i w = Gather(states + 4, 0), x = Gather(states + 4, 1), y = Gather(states + 4, 2),
          v = Gather(states + 4, 3);
  const __m128i ones = _mm_set1_epi32(-1);
  for (; blocks > 0; --blocks) {
    __m128i m[16], n[16];
    Transpose4(lane, m);
    Transpose4(lane + 4, n);
    const __m128i a0 = a, b0 = b, c0 = c, d0 = d;
    const __m128i w0 = w, x0 = x, y0 = y, v0 = v;
    // The second set's registers are named by position: a->w, b->x, c->y, d->v.
#define OTHER_a w
#define OTHER_b x
#define OTHER_c y
#define OTHER_d v
#define OTHER(r) OTHER_##r
#define STEP_BOTH(FN, a, b, c, d, k, r, t)  \
  SSE2_STEP(FN, a, b, c, d, m[k], r, t) \
  SSE2_STEP(FN, OTHER(a), OTHER(b), OTHER(c), OTHER(d), n[k], r, t)
#define STEP_F(a, b, c, d, k, r, t) STEP_BOTH(FN_F, a, b, c, d, k, r, t)
#define STEP_G(a, b, c, d, k, r, t) STEP_BOTH(FN_G, a, b, c, d, k, r, t)
#define STEP_H(a, b, c, d, k, r, t) STEP_BOTH(FN_H, a, b, c, d, k, r, t)
#define STEP_I(a, b, c, d, k, r, t) STEP_BOTH(FN_I, a, b, c, d, k, r, t)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
#undef STEP_BOTH
#undef OTHER
#undef OTHER_a
#undef OTHER_b
#undef OTHER_c
#undef OTHER_d
    a = _mm_add_epi32(a, a0);
    b = _mm_add_epi32(b, b0);
    c = _mm_add_epi32(c, c0);
    d = _mm_add_epi32(d, d0);
    w = _mm_add_epi32(w, w0);
    x = _mm_add_epi32(x, x0);
    y = _mm_add_epi32(y, y0);
    v = _mm_add_epi32(v, v0);
    for (const std::uint8_t*& p : lane) p += kMd5BlockSize;
  }
  Scatter(states, a, b, c, d);
  Scatter(states + 4, w, x, y, v);
}

#undef SSE2_STEP
#undef ROTL
#undef FN_F
#undef FN_G
#undef FN_H
#undef FN_I

#endif
