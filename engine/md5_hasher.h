// Md5Hasher: MD5 (RFC 1321) over a stream of buffers, as text. Init, Update
// with each buffer, Final, then the digest text. One thread at a time.
#pragma once

#include <cstdint>

#include "engine/md5_stream.h"
#include "services/text.h"

class Md5Hasher {
 public:
  // Our own MD5 is always there; kept for callers that ask.
  static bool IsAvailable() { return true; }

  void Init();
  void UpdateFromPointer(const void* data, std::int32_t length);
  void Update(const ByteBuffer& buffer);
  void Final();
  Text GetDigestText() const;  // 32 lower-case hex digits after Final
  Text DigestOf(const ByteBuffer& buffer) const;

  // The running stream, for hashing it in lanes beside others (Md5Lanes);
  // Final ends it as after Update.
  Md5Stream& Stream() { return stream_; }

 private:
  Md5Stream stream_;
  Text digestText_;
};
