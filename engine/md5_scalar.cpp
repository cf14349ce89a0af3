#include <cstring>

#include "engine/md5_kernels.h"
#include "engine/md5_rounds.h"

namespace {

// x86 and every target we build for is little-endian, as MD5's words are.
inline std::uint32_t WordAt(const std::uint8_t* block, int index) {
  std::uint32_t word;
  std::memcpy(&word, block + 4 * index, sizeof word);
  return word;
}

inline std::uint32_t Rotl(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// Each step adds a, the message word and the constant first, and the round
// function of b (the value the previous step just made) last, so that the
// chain from one step to the next is as short as it can be. G's two terms
// never both have a bit set, so they may be added: the one without b is
// then ready early too.
inline std::uint32_t F(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return d ^ (b & (c ^ d)); }
inline std::uint32_t H(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return b ^ (c ^ d); }
inline std::uint32_t I(std::uint32_t b, std::uint32_t c, std::uint32_t d) { return c ^ (b | ~d); }

}  // namespace

void Md5BlocksScalar(Md5State* const* states, const std::uint8_t* const* data, std::size_t blocks) {
  std::uint32_t* const s = states[0]->word;
  const std::uint8_t* block = data[0];
  std::uint32_t a = s[0], b = s[1], c = s[2], d = s[3];
  for (; blocks > 0; --blocks, block += kMd5BlockSize) {
    const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;
#define STEP_WITH(FN, a, b, c, d, k, r, t) a = b + Rotl((a + WordAt(block, k) + t) + FN(b, c, d), r);
#define STEP_F(a, b, c, d, k, r, t) STEP_WITH(F, a, b, c, d, k, r, t)
#define STEP_G(a, b, c, d, k, r, t) a = b + Rotl((a + WordAt(block, k) + t + (c & ~d)) + (b & d), r);
#define STEP_H(a, b, c, d, k, r, t) STEP_WITH(H, a, b, c, d, k, r, t)
#define STEP_I(a, b, c, d, k, r, t) STEP_WITH(I, a, b, c, d, k, r, t)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
#undef STEP_WITH
    a += a0;
    b += b0;
    c += c0;
    d += d0;
  }
  s[0] = a;
  s[1] = b;
  s[2] = c;
  s[3] = d;
}

// Each step twice, once per stream: the two dependency chains are
// independent, so the processor runs them side by side.
void Md5BlocksTwoStreams(Md5State* const* states, const std::uint8_t* const* data,
                         std::size_t blocks) {
  std::uint32_t* const s = states[0]->word;
  std::uint32_t* const z = states[1]->word;
  const std::uint8_t* block = data[0];
  const std::uint8_t* other = data[1];
  std::uint32_t a = s[0], b = s[1], c = s[2], d = s[3];
  std::uint32_t w = z[0], x = z[1], y = z[2], v = z[3];
  for (; blocks > 0; --blocks, block += kMd5BlockSize, other += kMd5BlockSize) {
    const std::uint32_t a0 = a, b0 = b, c0 = c, d0 = d;
    const std::uint32_t w0 = w, x0 = x, y0 = y, v0 = v;
    // The second stream's registers are named by position: a->w, b->x, c->y, d->v.
#define OTHER_a w
#define OTHER_b x
#define OTHER_c y
#define OTHER_d v
#define OTHER(r) OTHER_##r
#define STEP_WITH(FN, a, b, c, d, k, r, t)                                       \
  a = b + Rotl((a + WordAt(block, k) + t) + FN(b, c, d), r);                     \
  OTHER(a) = OTHER(b) + Rotl((OTHER(a) + WordAt(other, k) + t) + FN(OTHER(b), OTHER(c), OTHER(d)), r);
#define STEP_F(a, b, c, d, k, r, t) STEP_WITH(F, a, b, c, d, k, r, t)
#define STEP_G(a, b, c, d, k, r, t)                                              \
  a = b + Rotl((a + WordAt(block, k) + t + (c & ~d)) + (b & d), r);              \
  OTHER(a) = OTHER(b) + Rotl((OTHER(a) + WordAt(other, k) + t + (OTHER(c) & ~OTHER(d))) + (OTHER(b) & OTHER(d)), r);
#define STEP_H(a, b, c, d, k, r, t) STEP_WITH(H, a, b, c, d, k, r, t)
#define STEP_I(a, b, c, d, k, r, t) STEP_WITH(I, a, b, c, d, k, r, t)
    MD5_ROUND_F(STEP_F)
    MD5_ROUND_G(STEP_G)
    MD5_ROUND_H(STEP_H)
    MD5_ROUND_I(STEP_I)
#undef STEP_F
#undef STEP_G
#undef STEP_H
#undef STEP_I
#undef STEP_WITH
#undef OTHER
#undef OTHER_a
#undef OTHER_b
#undef OTHER_c
#undef OTHER_d
    a += a0;
    b += b0;
    c += c0;
    d += d0;
    w += w0;
    x += x0;
    y += y0;
    v += v0;
  }
  s[0] = a;
  s[1] = b;
  s[2] = c;
  s[3] = d;
  z[0] = w;
  z[1] = x;
  z[2] = y;
  z[3] = v;
}
