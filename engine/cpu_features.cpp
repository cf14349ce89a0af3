#include "engine/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

#if defined(__i386__) || defined(__x86_64__)
// XCR0: the SSE and AVX register state, and AVX-512's opmask, upper ZMM
// halves and upper sixteen registers.
constexpr unsigned long long kXmmYmmState = 0x6;
constexpr unsigned long long kZmmState = 0xE0;
// CPUID 1
constexpr unsigned kSse2Bit = 1u << 26;     // EDX
constexpr unsigned kPclmulBit = 1u << 1;    // ECX
constexpr unsigned kSsse3Bit = 1u << 9;     // ECX
constexpr unsigned kSse41Bit = 1u << 19;    // ECX
constexpr unsigned kOsxsaveBit = 1u << 27;  // ECX
constexpr unsigned kAvxBit = 1u << 28;      // ECX
// CPUID 7, EBX
constexpr unsigned kBmi1Bit = 1u << 3;
constexpr unsigned kAvx2Bit = 1u << 5;
constexpr unsigned kBmi2Bit = 1u << 8;
constexpr unsigned kAvx512FBit = 1u << 16;
constexpr unsigned kShaBit = 1u << 29;
constexpr unsigned kAvx512BwBit = 1u << 30;
constexpr unsigned kAvx512VlBit = 1u << 31;

__attribute__((target("xsave"))) unsigned long long EnabledRegisterState() {
  return __builtin_ia32_xgetbv(0);
}

bool Has(unsigned word, unsigned bits) { return (word & bits) == bits; }

// "AuthenticAMD" in EBX, EDX, ECX of CPUID 0.
bool IsAmd(unsigned ebx, unsigned ecx, unsigned edx) {
  return ebx == 0x68747541u && edx == 0x69746e65u && ecx == 0x444d4163u;
}

// The family as AMD and Intel count it: the base, plus the extended one
// when the base is 0Fh (CPUID 1, EAX).
unsigned FamilyOf(unsigned eax) {
  const unsigned base = (eax >> 8) & 0xF;
  return base == 0xF ? base + ((eax >> 20) & 0xFF) : base;
}

constexpr unsigned kFirstSlowVectorAmdFamily = 0x1A;

CpuFeatures DetectFeatures() {
  CpuFeatures features;
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) return features;  // no CPUID at all
  const bool amd = IsAmd(ebx, ecx, edx);
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return features;
  features.slowVectorChains = amd && FamilyOf(eax) >= kFirstSlowVectorAmdFamily;
  features.sse2 = Has(edx, kSse2Bit);
  features.ssse3 = Has(ecx, kSsse3Bit);
  features.sse41 = Has(ecx, kSse41Bit);
  features.pclmul = Has(ecx, kPclmulBit);
  // Wider registers need the processor to have them and the system to save
  // them on a thread switch.
  const unsigned long long saved = Has(ecx, kOsxsaveBit) ? EnabledRegisterState() : 0;
  const bool osSavesYmm = Has(ecx, kAvxBit) && (saved & kXmmYmmState) == kXmmYmmState;
  const bool osSavesZmm = osSavesYmm && (saved & kZmmState) == kZmmState;
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return features;
  features.sha = Has(ebx, kShaBit);
  features.bmi2 = Has(ebx, kBmi1Bit | kBmi2Bit);
  features.avx2 = osSavesYmm && Has(ebx, kAvx2Bit);
  features.avx512 = osSavesZmm && Has(ebx, kAvx512FBit | kAvx512BwBit | kAvx512VlBit);
  return features;
}
#else
CpuFeatures DetectFeatures() { return CpuFeatures{}; }
#endif

}  // namespace

const CpuFeatures& ProcessorFeatures() {
  static const CpuFeatures features = DetectFeatures();
  return features;
}
