// The 64 steps of MD5 (RFC 1321, 3.4) as lists of one macro call per
// step, shared by every kernel: each kernel defines STEP(a, b, c, d, word,
// shift, constant) for its own registers and calls MD5_ROUND_F(STEP) and so
// on. Word is the index of the message word, constant the sine-table entry.
#pragma once

#define MD5_ROUND_F(STEP) \
  STEP(a, b, c, d, 0, 7, 0xd76aa478u) \
  STEP(d, a, b, c, 1, 12, 0xe8c7b756u) \
  STEP(c, d, a, b, 2, 17, 0x242070dbu) \
  STEP(b, c, d, a, 3, 22, 0xc1bdceeeu) \
  STEP(a, b, c, d, 4, 7, 0xf57c0fafu) \
  STEP(d, a, b, c, 5, 12, 0x4787c62au) \
  STEP(c, d, a, b, 6, 17, 0xa8304613u) \
  STEP(b, c, d, a, 7, 22, 0xfd469501u) \
  STEP(a, b, c, d, 8, 7, 0x698098d8u) \
  STEP(d, a, b, c, 9, 12, 0x8b44f7afu) \
  STEP(c, d, a, b, 10, 17, 0xffff5bb1u) \
  STEP(b, c, d, a, 11, 22, 0x895cd7beu) \
  STEP(a, b, c, d, 12, 7, 0x6b901122u) \
  STEP(d, a, b, c, 13, 12, 0xfd987193u) \
  STEP(c, d, a, b, 14, 17, 0xa679438eu) \
  STEP(b, c, d, a, 15, 22, 0x49b40821u)

#define MD5_ROUND_G(STEP) \
  STEP(a, b, c, d, 1, 5, 0xf61e2562u) \
  STEP(d, a, b, c, 6, 9, 0xc040b340u) \
  STEP(c, d, a, b, 11, 14, 0x265e5a51u) \
  STEP(b, c, d, a, 0, 20, 0xe9b6c7aau) \
  STEP(a, b, c, d, 5, 5, 0xd62f105du) \
  STEP(d, a, b, c, 10, 9, 0x02441453u) \
  STEP(c, d, a, b, 15, 14, 0xd8a1e681u) \
  STEP(b, c, d, a, 4, 20, 0xe7d3fbc8u) \
  STEP(a, b, c, d, 9, 5, 0x21e1cde6u) \
  STEP(d, a, b, c, 14, 9, 0xc33707d6u) \
  STEP(c, d, a, b, 3, 14, 0xf4d50d87u) \
  STEP(b, c, d, a, 8, 20, 0x455a14edu) \
  STEP(a, b, c, d, 13, 5, 0xa9e3e905u) \
  STEP(d, a, b, c, 2, 9, 0xfcefa3f8u) \
  STEP(c, d, a, b, 7, 14, 0x676f02d9u) \
  STEP(b, c, d, a, 12, 20, 0x8d2a4c8au)

#define MD5_ROUND_H(STEP) \
  STEP(a, b, c, d, 5, 4, 0xfffa3942u) \
  STEP(d, a, b, c, 8, 11, 0x8771f681u) \
  STEP(c, d, a, b, 11, 16, 0x6d9d6122u) \
  STEP(b, c, d, a, 14, 23, 0xfde5380cu) \
  STEP(a, b, c, d, 1, 4, 0xa4beea44u) \
  STEP(d, a, b, c, 4, 11, 0x4bdecfa9u) \
  STEP(c, d, a, b, 7, 16, 0xf6bb4b60u) \
  STEP(b, c, d, a, 10, 23, 0xbebfbc70u) \
  STEP(a, b, c, d, 13, 4, 0x289b7ec6u) \
  STEP(d, a, b, c, 0, 11, 0xeaa127fau) \
  STEP(c, d, a, b, 3, 16, 0xd4ef3085u) \
  STEP(b, c, d, a, 6, 23, 0x04881d05u) \
  STEP(a, b, c, d, 9, 4, 0xd9d4d039u) \
  STEP(d, a, b, c, 12, 11, 0xe6db99e5u) \
  STEP(c, d, a, b, 15, 16, 0x1fa27cf8u) \
  STEP(b, c, d, a, 2, 23, 0xc4ac5665u)

#define MD5_ROUND_I(STEP) \
  STEP(a, b, c, d, 0, 6, 0xf4292244u) \
  STEP(d, a, b, c, 7, 10, 0x432aff97u) \
  STEP(c, d, a, b, 14, 15, 0xab9423a7u) \
  STEP(b, c, d, a, 5, 21, 0xfc93a039u) \
  STEP(a, b, c, d, 12, 6, 0x655b59c3u) \
  STEP(d, a, b, c, 3, 10, 0x8f0ccc92u) \
  STEP(c, d, a, b, 10, 15, 0xffeff47du) \
  STEP(b, c, d, a, 1, 21, 0x85845dd1u) \
  STEP(a, b, c, d, 8, 6, 0x6fa87e4fu) \
  STEP(d, a, b, c, 15, 10, 0xfe2ce6e0u) \
  STEP(c, d, a, b, 6, 15, 0xa3014314u) \
  STEP(b, c, d, a, 13, 21, 0x4e0811a1u) \
  STEP(a, b, c, d, 4, 6, 0xf7537e82u) \
  STEP(d, a, b, c, 11, 10, 0xbd3af235u) \
  STEP(c, d, a, b, 2, 15, 0x2ad7d2bbu) \
  STEP(b, c, d, a, 9, 21, 0xeb86d391u)
