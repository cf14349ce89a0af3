// The SHA-2 compression function in plain integer code, shared by SHA-256
// (32-bit words, 64 rounds) and SHA-512 (64-bit words, 80 rounds), which
// differ only in their word, rotations and constants (FIPS 180-4, 6.2 and
// 6.4). A Params type gives Word, kRounds, kConstants and the rotations.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sha2 {

// Inlined whole, so the eight working words stay in registers and every
// index into the schedule's ring is a constant.
#define SHA2_INLINE __attribute__((always_inline)) inline

template <typename Word>
inline Word Rotr(Word x, int n) {
  return static_cast<Word>((x >> n) | (x << (8 * sizeof(Word) - static_cast<std::size_t>(n))));
}

template <typename Word>
inline Word BigEndianAt(const std::uint8_t* bytes) {
  Word word = 0;
  for (std::size_t i = 0; i < sizeof(Word); ++i) word = static_cast<Word>(word << 8 | bytes[i]);
  return word;
}

// One round; the caller rotates the names, so no value moves.
template <typename P, typename Word = typename P::Word>
SHA2_INLINE void Round(Word a, Word b, Word c, Word& d, Word e, Word f, Word g, Word& h, Word constantAndWord) {
  const Word bigSigma1 = Rotr(e, P::kE[0]) ^ Rotr(e, P::kE[1]) ^ Rotr(e, P::kE[2]);
  const Word bigSigma0 = Rotr(a, P::kA[0]) ^ Rotr(a, P::kA[1]) ^ Rotr(a, P::kA[2]);
  const Word choose = g ^ (e & (f ^ g));
  const Word majority = (a & b) | (c & (a | b));
  h += bigSigma1 + choose + constantAndWord;
  d += h;
  h += bigSigma0 + majority;
}

// Word i of the schedule, in a ring of the last sixteen.
template <typename P, bool kExpand, typename Word = typename P::Word>
SHA2_INLINE Word Schedule(Word* w, int i) {
  if (kExpand) {
    const Word w15 = w[(i - 15) & 15], w2 = w[(i - 2) & 15];
    const Word sigma0 = Rotr(w15, P::kW15[0]) ^ Rotr(w15, P::kW15[1]) ^ (w15 >> P::kW15[2]);
    const Word sigma1 = Rotr(w2, P::kW2[0]) ^ Rotr(w2, P::kW2[1]) ^ (w2 >> P::kW2[2]);
    w[i & 15] += sigma1 + w[(i - 7) & 15] + sigma0;
  }
  return w[i & 15];
}

template <typename P, bool kExpand, typename Word = typename P::Word>
SHA2_INLINE void EightRounds(Word* w, int i, Word& a, Word& b, Word& c, Word& d, Word& e, Word& f, Word& g,
                             Word& h) {
  Round<P>(a, b, c, d, e, f, g, h, P::kConstants[i + 0] + Schedule<P, kExpand>(w, i + 0));
  Round<P>(h, a, b, c, d, e, f, g, P::kConstants[i + 1] + Schedule<P, kExpand>(w, i + 1));
  Round<P>(g, h, a, b, c, d, e, f, P::kConstants[i + 2] + Schedule<P, kExpand>(w, i + 2));
  Round<P>(f, g, h, a, b, c, d, e, P::kConstants[i + 3] + Schedule<P, kExpand>(w, i + 3));
  Round<P>(e, f, g, h, a, b, c, d, P::kConstants[i + 4] + Schedule<P, kExpand>(w, i + 4));
  Round<P>(d, e, f, g, h, a, b, c, P::kConstants[i + 5] + Schedule<P, kExpand>(w, i + 5));
  Round<P>(c, d, e, f, g, h, a, b, P::kConstants[i + 6] + Schedule<P, kExpand>(w, i + 6));
  Round<P>(b, c, d, e, f, g, h, a, P::kConstants[i + 7] + Schedule<P, kExpand>(w, i + 7));
}

template <typename P, typename Word = typename P::Word>
inline void Blocks(Word* state, const std::uint8_t* data, std::size_t blocks) {
  for (; blocks > 0; --blocks, data += 16 * sizeof(Word)) {
    Word w[16];
    for (int i = 0; i < 16; ++i) w[i] = BigEndianAt<Word>(data + static_cast<std::size_t>(i) * sizeof(Word));
    Word a = state[0], b = state[1], c = state[2], d = state[3];
    Word e = state[4], f = state[5], g = state[6], h = state[7];
#pragma GCC unroll 2
    for (int i = 0; i < 16; i += 8) EightRounds<P, false>(w, i, a, b, c, d, e, f, g, h);
#pragma GCC unroll 8
    for (int i = 16; i < P::kRounds; i += 8) EightRounds<P, true>(w, i, a, b, c, d, e, f, g, h);
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#undef SHA2_INLINE

}  // namespace sha2
