// CRC-32 by folding with carry-less multiplies (PCLMULQDQ): four 16-byte
// accumulators each move 64 bytes along per step, by multiplying their
// halves with x^n mod P, and take in the next 64 bytes. What is left is a
// 16-byte value with the same remainder as the bytes it replaced, which the
// portable kernel finishes with the tail. Built for the baseline target
// with the instructions enabled on this function only.
#include "engine/crc32_kernels.h"

#if defined(__i386__) || defined(__x86_64__)

#include <immintrin.h>

namespace {

// x^n mod P, bit d holding x^d.
constexpr std::uint32_t PowerOfXModP(unsigned n) {
  constexpr std::uint32_t kPolynomial = 0x04C11DB7u;  // P without x^32
  std::uint32_t remainder = 1;
  for (unsigned i = 0; i < n; ++i) remainder = (remainder << 1) ^ ((remainder >> 31) != 0 ? kPolynomial : 0);
  return remainder;
}

// The bytes are bit-reflected: in a 16-byte accumulator bit k holds
// x^(127-k), so its low half is its high-degree half. A reflected 64-bit
// operand holds x^d at bit 63 - d, and the product of two comes out as
// their product times x, hence n - 1 below.
constexpr std::uint64_t ReflectedPowerOfX(unsigned n) {
  const std::uint32_t remainder = PowerOfXModP(n - 1);
  std::uint64_t reflected = 0;
  for (unsigned d = 0; d < 32; ++d) {
    if ((remainder >> d & 1) != 0) reflected |= std::uint64_t{1} << (63 - d);
  }
  return reflected;
}

// Multipliers that move an accumulator `bits` further: its high-degree
// half by x^(bits + 64), its low-degree half by x^bits.
struct Fold {
  std::uint64_t highHalf;
  std::uint64_t lowHalf;
};
constexpr Fold FoldBy(unsigned bits) { return {ReflectedPowerOfX(bits + 64), ReflectedPowerOfX(bits)}; }
constexpr Fold kBy512 = FoldBy(512);
constexpr Fold kBy128 = FoldBy(128);

__attribute__((target("pclmul,sse2"), always_inline)) inline __m128i Multipliers(Fold fold) {
  return _mm_set_epi64x(static_cast<long long>(fold.lowHalf), static_cast<long long>(fold.highHalf));
}

// `value` moved along by the multipliers' distance, plus `next`.
__attribute__((target("pclmul,sse2"), always_inline)) inline __m128i FoldInto(__m128i value, __m128i multipliers,
                                                                             __m128i next) {
  const __m128i high = _mm_clmulepi64_si128(value, multipliers, 0x00);
  const __m128i low = _mm_clmulepi64_si128(value, multipliers, 0x11);
  return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

__attribute__((target("sse2"), always_inline)) inline __m128i Load(const std::uint8_t* data) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
}

}  // namespace

// 32-bit Windows keeps the stack 4-byte aligned only; spills need 16.
__attribute__((target("pclmul,sse2"), force_align_arg_pointer)) std::uint32_t Crc32Pclmul(
    std::uint32_t crc, const std::uint8_t* data, std::size_t length) {
  if (length < 64) return Crc32Portable(crc, data, length);
  // The register goes into the first four bytes, as the tables take it.
  __m128i a0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i a1 = Load(data + 16), a2 = Load(data + 32), a3 = Load(data + 48);
  data += 64;
  length -= 64;
  const __m128i by512 = Multipliers(kBy512);
  for (; length >= 64; length -= 64, data += 64) {
    a0 = FoldInto(a0, by512, Load(data));
    a1 = FoldInto(a1, by512, Load(data + 16));
    a2 = FoldInto(a2, by512, Load(data + 32));
    a3 = FoldInto(a3, by512, Load(data + 48));
  }
  const __m128i by128 = Multipliers(kBy128);
  __m128i folded = FoldInto(FoldInto(FoldInto(a0, by128, a1), by128, a2), by128, a3);
  for (; length >= 16; length -= 16, data += 16) folded = FoldInto(folded, by128, Load(data));
  std::uint8_t rest[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), folded);
  return Crc32Portable(Crc32Portable(0, rest, sizeof rest), data, length);
}

#endif
