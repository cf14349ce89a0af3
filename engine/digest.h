// Digest: what an algorithm made of a file's bytes, kept as bytes beside
// the algorithm's name. It becomes text only where it is shown, compared
// with a list's text or written to a list.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Each one's name, digest length and list extension: digest_algorithms.h.
enum class DigestAlgorithm : std::uint8_t {
  kMd5 = 0,  // the default everywhere
  kSha1,
  kSha256,
  kSha512,
  kCrc32,  // the IEEE polynomial, as SFV lists use it
};

// The longest digest any algorithm gives (SHA-512's 64 bytes).
inline constexpr std::size_t kMaxDigestBytes = 64;
inline constexpr std::size_t kMd5DigestBytes = 16;

struct Digest {
  DigestAlgorithm algorithm = DigestAlgorithm::kMd5;
  std::uint8_t length = 0;  // 0: no digest
  // Bytes past `length` stay zero, so two digests compare whole.
  std::array<std::uint8_t, kMaxDigestBytes> bytes{};

  bool IsEmpty() const { return length == 0; }
  friend bool operator==(const Digest&, const Digest&) = default;
};

// `count` bytes (at most kMaxDigestBytes) made by `algorithm`.
Digest DigestOf(DigestAlgorithm algorithm, const std::uint8_t* bytes, std::size_t count);
// Two hexadecimal digits per byte, upper case as the window shows them;
// empty for no digest.
std::string UpperHexOf(const Digest& digest);
std::string LowerHexOf(const Digest& digest);
// Hexadecimal digits of either case, exactly two per byte of `algorithm`'s
// digest (`expectedBytes`); false for anything else (other characters, an
// odd count, too short or too long), leaving `digest` untouched.
bool ParseHexDigest(std::string_view digits, DigestAlgorithm algorithm, std::size_t expectedBytes,
                    Digest* digest);
