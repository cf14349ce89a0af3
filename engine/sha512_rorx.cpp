// SHA-512 for 64-bit x86 processors with BMI1/BMI2: each round in 25
// instructions (RORX for the rotations, ANDN for the choice), the message
// schedule two words at a time in SSE2 registers (rotated by AVX-512's
// VPRORQ where there is one), each pair worked out between two rounds,
// sixteen rounds ahead of its use. The rounds are written out in assembly
// because the compiler's own order and choice of instructions for them ran
// at two thirds of this speed; the interleaving keeps the schedule from
// holding up the rounds (a core shared by two threads gives each half its
// window of instructions). Everything beyond SSE2 is in the assembly, so
// the functions need no target options of their own.
#include "engine/sha_blocks.h"

#if defined(__x86_64__)

#include <immintrin.h>

namespace {

#define SHA512_INLINE __attribute__((always_inline)) inline

using Word = std::uint64_t;

// One round (FIPS 180-4, 6.4.2) with the names rotated by the caller: h
// becomes T1 + T2 (the next a) and d becomes d + T1 (the next e). bc holds
// b ^ c and leaves as a ^ b, the next round's b ^ c, so that
// Maj(a, b, c) = b ^ ((a ^ b) & (b ^ c)) costs two instructions.
SHA512_INLINE void Round(Word a, Word b, Word& d, Word e, Word f, Word g, Word& h, Word constantAndWord, Word& bc) {
  Word t0, t1;
  asm("rorx $14, %[e], %[t0]\n\t"
      "rorx $18, %[e], %[t1]\n\t"
      "add %[kw], %[h]\n\t"
      "xor %[t1], %[t0]\n\t"
      "rorx $41, %[e], %[t1]\n\t"
      "xor %[t1], %[t0]\n\t"      // t0 = Sigma1(e)
      "andn %[g], %[e], %[t1]\n\t"  // ~e & g
      "add %[t1], %[h]\n\t"
      "mov %[e], %[t1]\n\t"
      "and %[f], %[t1]\n\t"       // e & f: the two halves of Ch never overlap
      "add %[t1], %[h]\n\t"
      "add %[t0], %[h]\n\t"       // h = T1
      "add %[h], %[d]\n\t"
      "rorx $28, %[a], %[t0]\n\t"
      "rorx $34, %[a], %[t1]\n\t"
      "xor %[t1], %[t0]\n\t"
      "rorx $39, %[a], %[t1]\n\t"
      "xor %[t1], %[t0]\n\t"      // t0 = Sigma0(a)
      "add %[t0], %[h]\n\t"
      "mov %[a], %[t0]\n\t"
      "xor %[b], %[t0]\n\t"       // a ^ b
      "and %[t0], %[bc]\n\t"
      "xor %[b], %[bc]\n\t"       // Maj(a, b, c)
      "add %[bc], %[h]\n\t"
      "mov %[t0], %[bc]\n\t"
      : [h] "+r"(h), [d] "+r"(d), [bc] "+r"(bc), [t0] "=&r"(t0), [t1] "=&r"(t1)
      : [a] "r"(a), [b] "r"(b), [e] "r"(e), [f] "r"(f), [g] "r"(g), [kw] "rm"(constantAndWord)
      : "cc");
}

template <bool kAvx512, int n>
SHA512_INLINE __m128i Rotr(__m128i x) {
  if constexpr (kAvx512) {
    __m128i rotated;
    asm("vprorq %[n], %[x], %[rotated]" : [rotated] "=v"(rotated) : [x] "v"(x), [n] "i"(n));
    return rotated;
  } else {
    return _mm_or_si128(_mm_srli_epi64(x, n), _mm_slli_epi64(x, 64 - n));
  }
}

// Each 64-bit word's bytes reversed, in SSE2 alone: the bytes of each
// 16-bit half swapped, then the four halves reversed.
SHA512_INLINE __m128i BigEndianWords(const std::uint8_t* bytes) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
  const __m128i swapped = _mm_or_si128(_mm_slli_epi16(x, 8), _mm_srli_epi16(x, 8));
  return _mm_shufflehi_epi16(_mm_shufflelo_epi16(swapped, 0x1B), 0x1B);
}

// The high word of `low` and the low word of `high`.
SHA512_INLINE __m128i Straddle(__m128i low, __m128i high) {
  return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(low), _mm_castsi128_pd(high), 1));
}

// With t = i + 16, ring[k] holds schedule words t - 16 + 2k and
// t - 15 + 2k; pair k becomes words t + 2k and t + 2k + 1, and they go to
// wk with their constants.
template <bool kAvx512, int k>
SHA512_INLINE void NextPair(__m128i* ring, Word* wk, int i) {
  const __m128i w16 = ring[k], w2 = ring[(k + 7) & 7];
  const __m128i w15 = Straddle(w16, ring[(k + 1) & 7]);
  const __m128i w7 = Straddle(ring[(k + 4) & 7], ring[(k + 5) & 7]);
  const __m128i sigma0 =
      _mm_xor_si128(_mm_xor_si128(Rotr<kAvx512, 1>(w15), Rotr<kAvx512, 8>(w15)), _mm_srli_epi64(w15, 7));
  const __m128i sigma1 =
      _mm_xor_si128(_mm_xor_si128(Rotr<kAvx512, 19>(w2), Rotr<kAvx512, 61>(w2)), _mm_srli_epi64(w2, 6));
  ring[k] = _mm_add_epi64(_mm_add_epi64(w16, sigma0), _mm_add_epi64(w7, sigma1));
  const int t = i + 16 + 2 * k;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(wk + t),
                   _mm_add_epi64(ring[k], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha512Rounds + t))));
}

struct Working {
  Word a, b, c, d, e, f, g, h;
  Word bc;
};

// Rounds i + 2 * kFirst to i + 2 * kFirst + 7 of the sixteen from i, and
// with them pairs kFirst to kFirst + 3 of the sixteen words after these
// sixteen, unless `expand` is false (the last sixteen rounds).
template <bool kAvx512, int kFirst>
SHA512_INLINE void EightRounds(Working& s, __m128i* ring, Word* wk, int i, bool expand) {
  const Word* w = wk + i + 2 * kFirst;
  if (expand) NextPair<kAvx512, kFirst + 0>(ring, wk, i);
  Round(s.a, s.b, s.d, s.e, s.f, s.g, s.h, w[0], s.bc);
  Round(s.h, s.a, s.c, s.d, s.e, s.f, s.g, w[1], s.bc);
  if (expand) NextPair<kAvx512, kFirst + 1>(ring, wk, i);
  Round(s.g, s.h, s.b, s.c, s.d, s.e, s.f, w[2], s.bc);
  Round(s.f, s.g, s.a, s.b, s.c, s.d, s.e, w[3], s.bc);
  if (expand) NextPair<kAvx512, kFirst + 2>(ring, wk, i);
  Round(s.e, s.f, s.h, s.a, s.b, s.c, s.d, w[4], s.bc);
  Round(s.d, s.e, s.g, s.h, s.a, s.b, s.c, w[5], s.bc);
  if (expand) NextPair<kAvx512, kFirst + 3>(ring, wk, i);
  Round(s.c, s.d, s.f, s.g, s.h, s.a, s.b, w[6], s.bc);
  Round(s.b, s.c, s.e, s.f, s.g, s.h, s.a, w[7], s.bc);
}

template <bool kAvx512>
SHA512_INLINE void Blocks(std::uint64_t* state, const std::uint8_t* data, std::size_t blocks) {
  for (; blocks > 0; --blocks, data += 128) {
    __m128i ring[8];
    Word wk[80];
    for (int k = 0; k < 8; ++k) {
      ring[k] = BigEndianWords(data + 16 * k);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(wk + 2 * k),
                       _mm_add_epi64(ring[k], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kSha512Rounds + 2 * k))));
    }
    Working s{state[0], state[1], state[2], state[3], state[4], state[5], state[6], state[7], state[1] ^ state[2]};
    for (int i = 0; i < 80; i += 16) {
      EightRounds<kAvx512, 0>(s, ring, wk, i, i < 64);
      EightRounds<kAvx512, 4>(s, ring, wk, i, i < 64);
    }
    state[0] += s.a;
    state[1] += s.b;
    state[2] += s.c;
    state[3] += s.d;
    state[4] += s.e;
    state[5] += s.f;
    state[6] += s.g;
    state[7] += s.h;
  }
}

}  // namespace

void Sha512BlocksRorx(std::uint64_t* state, const std::uint8_t* data, std::size_t blocks) {
  Blocks<false>(state, data, blocks);
}

void Sha512BlocksRorxAvx512(std::uint64_t* state, const std::uint8_t* data, std::size_t blocks) {
  Blocks<true>(state, data, blocks);
}

#endif
