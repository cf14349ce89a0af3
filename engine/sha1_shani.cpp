// SHA-1 on the SHA instructions: four rounds per SHA1RNDS4, the next E in
// SHA1NEXTE, the message schedule in SHA1MSG1/MSG2. Built for the baseline
// target with those instructions enabled on these functions only;
// sha1.cpp asks CPUID before choosing them.
#include "engine/sha_blocks.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

#define SHA_NI_TARGET __attribute__((target("sha,ssse3,sse4.1")))

namespace {

// Words are kept with the first of four in the highest lane, as the
// instructions want them; w0 the oldest four of the last sixteen.
SHA_NI_TARGET __attribute__((always_inline)) inline __m128i NextWords(__m128i w0, __m128i w4, __m128i w8,
                                                                      __m128i w12) {
  return _mm_sha1msg2_epu32(_mm_xor_si128(_mm_sha1msg1_epu32(w0, w4), w8), w12);
}

struct Rounds {
  __m128i w[4];
  __m128i abcd;
  __m128i e;         // E plus the next four words
  __m128i previous;  // abcd four rounds back, whose A gives the next E
};

// Twenty rounds, five groups of four, with one round function.
template <int kQuarter>
SHA_NI_TARGET __attribute__((always_inline)) inline void TwentyRounds(Rounds& r) {
#pragma GCC unroll 5
  for (int group = 5 * kQuarter; group < 5 * kQuarter + 5; ++group) {
    __m128i& words = r.w[group & 3];
    if (group >= 4) words = NextWords(words, r.w[(group + 1) & 3], r.w[(group + 2) & 3], r.w[(group + 3) & 3]);
    r.e = group == 0 ? _mm_add_epi32(r.e, words) : _mm_sha1nexte_epu32(r.previous, words);
    r.previous = r.abcd;
    r.abcd = _mm_sha1rnds4_epu32(r.abcd, r.e, kQuarter);
  }
}

}  // namespace

// 32-bit Windows keeps the stack 4-byte aligned only; spills need 16.
SHA_NI_TARGET __attribute__((force_align_arg_pointer)) void Sha1BlocksShaNi(std::uint32_t* state,
                                                                             const std::uint8_t* data,
                                                                             std::size_t blocks) {
  // Big-endian words, the first in the highest lane: all sixteen bytes
  // reversed.
  const __m128i reverse = _mm_set_epi64x(0x0001020304050607ll, 0x08090a0b0c0d0e0fll);
  Rounds r;
  r.abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1B);
  __m128i e = _mm_set_epi32(static_cast<int>(state[4]), 0, 0, 0);
  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abcdBefore = r.abcd, eBefore = e;
    for (int i = 0; i < 4; ++i) {
      r.w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), reverse);
    }
    r.e = e;
    TwentyRounds<0>(r);
    TwentyRounds<1>(r);
    TwentyRounds<2>(r);
    TwentyRounds<3>(r);
    e = _mm_sha1nexte_epu32(r.previous, eBefore);
    r.abcd = _mm_add_epi32(r.abcd, abcdBefore);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(r.abcd, 0x1B));
  state[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e, 3));
}

#endif
