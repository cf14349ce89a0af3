// What this processor runs, and what the operating system saves of its
// registers on a thread switch: asked once, the same for every thread.
#pragma once

struct CpuFeatures {
  bool sse2 = false;
  bool ssse3 = false;
  bool sse41 = false;
  bool pclmul = false;  // carry-less multiply (PCLMULQDQ)
  bool sha = false;     // SHA-1 and SHA-256 instructions (SHA-NI)
  bool bmi2 = false;    // BMI1 and BMI2 (ANDN, RORX)
  bool avx2 = false;    // with the YMM state saved by the system
  // AVX-512 F, VL and BW, with the opmask and ZMM state saved by the system.
  bool avx512 = false;
  // A vector add, rotate or ternary logic takes two cycles, not one (AMD's
  // family 1Ah, Zen 5, measured; later AMD families assumed alike): a chain
  // of them is slower there than the same chain in general registers.
  bool slowVectorChains = false;
};

// Nothing on processors other than x86 (the native build's may be one).
const CpuFeatures& ProcessorFeatures();
