// SHA-256 on the SHA instructions: two rounds per SHA256RNDS2, the message
// schedule in SHA256MSG1/MSG2. Built for the baseline target with those
// instructions enabled on these functions only; sha256.cpp asks CPUID
// before choosing them.
#include "engine/sha_blocks.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

#define SHA_NI_TARGET __attribute__((target("sha,ssse3,sse4.1")))

namespace {

// The next four schedule words from the last sixteen, w0 the oldest four.
SHA_NI_TARGET __attribute__((always_inline)) inline __m128i NextWords(__m128i w0, __m128i w4, __m128i w8,
                                                                      __m128i w12) {
  const __m128i partial = _mm_add_epi32(_mm_sha256msg1_epu32(w0, w4), _mm_alignr_epi8(w12, w8, 4));
  return _mm_sha256msg2_epu32(partial, w12);
}

}  // namespace

// 32-bit Windows keeps the stack 4-byte aligned only; spills need 16.
SHA_NI_TARGET __attribute__((force_align_arg_pointer)) void Sha256BlocksShaNi(std::uint32_t* state,
                                                                               const std::uint8_t* data,
                                                                               std::size_t blocks) {
  // Big-endian words: the bytes of each 32-bit lane reversed.
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bll, 0x0405060700010203ll);
  // The instructions keep the state as (A, B, E, F) and (C, D, G, H), the
  // first in the highest lane.
  const __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  const __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i w[4];
    for (int i = 0; i < 4; ++i) {
      w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
    }
#pragma GCC unroll 16
    for (int group = 0; group < 16; ++group) {
      __m128i& words = w[group & 3];
      if (group >= 4) words = NextWords(words, w[(group + 1) & 3], w[(group + 2) & 3], w[(group + 3) & 3]);
      const __m128i input =
          _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha256Rounds + 4 * group)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, input);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(input, 0x0E));
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

#endif
