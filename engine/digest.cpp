#include "engine/digest.h"

#include <algorithm>

namespace {

std::string HexOf(const Digest& digest, const char* digits) {
  std::string text;
  text.reserve(static_cast<std::size_t>(digest.length) * 2);
  for (std::size_t i = 0; i < digest.length; ++i) {
    text += digits[digest.bytes[i] >> 4];
    text += digits[digest.bytes[i] & 0x0F];
  }
  return text;
}

int ValueOfHexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

Digest DigestOf(DigestAlgorithm algorithm, const std::uint8_t* bytes, std::size_t count) {
  Digest digest;
  digest.algorithm = algorithm;
  count = std::min(count, kMaxDigestBytes);
  std::copy(bytes, bytes + count, digest.bytes.begin());
  digest.length = static_cast<std::uint8_t>(count);
  return digest;
}

std::string UpperHexOf(const Digest& digest) { return HexOf(digest, "0123456789ABCDEF"); }
std::string LowerHexOf(const Digest& digest) { return HexOf(digest, "0123456789abcdef"); }

bool ParseHexDigest(std::string_view digits, DigestAlgorithm algorithm, std::size_t expectedBytes,
                    Digest* digest) {
  if (expectedBytes == 0 || expectedBytes > kMaxDigestBytes || digits.size() != expectedBytes * 2)
    return false;
  Digest parsed;
  parsed.algorithm = algorithm;
  for (std::size_t i = 0; i < expectedBytes; ++i) {
    const int high = ValueOfHexDigit(digits[2 * i]);
    const int low = ValueOfHexDigit(digits[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    parsed.bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  parsed.length = static_cast<std::uint8_t>(expectedBytes);
  *digest = parsed;
  return true;
}
