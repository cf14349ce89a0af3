// Md5Hasher: MD5 (RFC 1321) over a stream of buffers, on the MD5Init,
// MD5Update and MD5Final of the system's cryptdll.dll. One thread at a time.
#pragma once

#include <cstdint>

#include "services/text.h"

class Md5Hasher {
 public:
  // The platform's MD5_CTX record (104 bytes).
  struct Context {
    std::uint32_t bitCount[2];
    std::uint32_t state[4];
    std::uint8_t input[64];
    std::uint8_t digest[16];
  };
  static_assert(sizeof(Context) == 104);

  // False when cryptdll.dll or one of its MD5 entry points cannot be loaded;
  // then nothing is hashed and the digest text stays empty after Final.
  static bool IsAvailable();

  void Init();
  void UpdateFromPointer(const void* data, std::int32_t length);
  void Update(const ByteBuffer& buffer);
  void Final();
  Text GetDigestText() const;  // 32 lower-case hex digits after Final
  Text DigestOf(const ByteBuffer& buffer) const;

 private:
  Context context_{};
  Text digestText_;
};
