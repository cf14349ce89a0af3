#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "services/text_chars.h"
#include "services/text_ops.h"

using text_chars::StartsTwoByteChar;

namespace {

constexpr int kNumberTextSize = 64;  // "%.13g" needs at most about 22
constexpr double kRoundingNudge = 1e-12;
constexpr std::int64_t kExactPowersOfTen = 22;  // 10^22 is the last exact double

// Full-width characters with a one-byte counterpart.
constexpr unsigned char kFullWidthAsciiLead = 0xA3;
constexpr unsigned char kFullWidthAsciiFirst = 0xA1;
constexpr unsigned char kFullWidthAsciiLast = 0xFE;
constexpr unsigned char kFullWidthAsciiOffset = 0x80;
constexpr unsigned char kSymbolLead = 0xA1;
constexpr unsigned char kFullWidthSpace = 0xA1;
constexpr unsigned char kFullWidthTilde = 0xAB;
constexpr unsigned char kStarFirst = 0xEE;
constexpr unsigned char kStarSecond = 0xEF;

// The one-byte counterpart of a two-byte character, or 0 when it has none.
char NarrowCounterpart(unsigned char lead, unsigned char trail) {
  if (lead == kFullWidthAsciiLead && trail >= kFullWidthAsciiFirst && trail <= kFullWidthAsciiLast)
    return static_cast<char>(trail - kFullWidthAsciiOffset);
  if (lead != kSymbolLead) return 0;
  if (trail == kFullWidthSpace) return ' ';
  if (trail == kFullWidthTilde) return '~';
  if (trail == kStarFirst || trail == kStarSecond) return '*';
  return 0;
}

std::string NarrowFullWidth(const Text& text) {
  std::string narrow;
  for (std::int32_t i = 0; i < text.Length(); ++i) {
    if (StartsTwoByteChar(text, i)) {
      if (const char single = NarrowCounterpart(text.ByteAt(i), text.ByteAt(i + 1))) {
        narrow += single;
      } else {
        narrow += text.Bytes().substr(static_cast<std::size_t>(i), 2);
      }
      ++i;
    } else {
      narrow += static_cast<char>(text.ByteAt(i));
    }
  }
  return narrow;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }  // as isspace in "C"

std::size_t SkipDigits(const std::string& s, std::size_t i) {
  while (i < s.size() && IsDigit(s[i])) ++i;
  return i;
}

std::size_t SkipSign(const std::string& s, std::size_t i) {
  return i < s.size() && (s[i] == '+' || s[i] == '-') ? i + 1 : i;
}

std::size_t SkipWhiteSpace(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size() && IsWhiteSpace(s[i])) ++i;
  return i;
}

// The leading decimal number the atof rules accept: sign, digits, point,
// exponent. Hexadecimal, "inf" and "nan" are not numbers here, on any C
// library. Empty when the text does not start with a number.
std::string LeadingReal(const std::string& s) {
  const std::size_t begin = SkipWhiteSpace(s);
  const std::size_t digitsBegin = SkipSign(s, begin);
  std::size_t end = SkipDigits(s, digitsBegin);
  std::size_t digitCount = end - digitsBegin;
  if (end < s.size() && s[end] == '.') {
    const std::size_t fractionEnd = SkipDigits(s, end + 1);
    digitCount += fractionEnd - end - 1;
    end = fractionEnd;
  }
  if (digitCount == 0) return std::string();
  if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
    const std::size_t exponentDigits = SkipSign(s, end + 1);
    const std::size_t exponentEnd = SkipDigits(s, exponentDigits);
    if (exponentEnd > exponentDigits) end = exponentEnd;
  }
  return s.substr(begin, end - begin);
}

double PowerOfTen(std::int64_t exponent) {
  if (exponent > kExactPowersOfTen) return std::pow(10.0, static_cast<double>(exponent));
  double power = 1.0;
  for (std::int64_t i = 0; i < exponent; ++i) power *= 10.0;
  return power;
}

}  // namespace

Text ToText(std::int32_t value) {
  char text[kNumberTextSize];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return Text(text);
}

Text ToText(double value) {
  char text[kNumberTextSize];
  std::snprintf(text, sizeof text, "%.13g", value);
  return Text(text);
}

Text HexText(std::int32_t value) {
  char text[kNumberTextSize];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
  return Text(text);
}

// Out-of-range values clamp to the int32 limits, as strtol does.
std::int32_t ToInt(const Text& text) {
  const std::string s = NarrowFullWidth(text);
  const std::size_t signAt = SkipWhiteSpace(s);
  const bool negative = signAt < s.size() && s[signAt] == '-';
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                                      : std::numeric_limits<std::int32_t>::max();
  const std::size_t digitsBegin = SkipSign(s, signAt);
  const std::size_t digitsEnd = SkipDigits(s, digitsBegin);
  std::int64_t magnitude = 0;
  for (std::size_t i = digitsBegin; i < digitsEnd && magnitude < limit; ++i)
    magnitude = std::min<std::int64_t>(magnitude * 10 + (s[i] - '0'), limit);
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

double ToReal(const Text& text) {
  const std::string number = LeadingReal(NarrowFullWidth(text));
  return number.empty() ? 0.0 : std::strtod(number.c_str(), nullptr);
}

double RoundTo(double value, std::int32_t places) {
  if (value == 0.0 || std::isnan(value)) return value;
  const double scale = PowerOfTen(std::abs(static_cast<std::int64_t>(places)));
  // Beyond the double range the literal steps give inf / inf = NaN.
  if (std::isinf(scale)) return places > 0 ? value : std::copysign(0.0, value);
  const double magnitude = std::fabs(value);
  const double scaled = places > 0 ? magnitude * scale : places < 0 ? magnitude / scale : magnitude;
  if (std::isinf(scaled)) return value;  // no digits left to round away
  double whole = 0.0;
  const double fraction = std::modf(scaled + kRoundingNudge, &whole);
  const double rounded = fraction >= 0.5 ? whole + 1.0 : whole;
  const double result = places > 0 ? rounded / scale : places < 0 ? rounded * scale : rounded;
  return std::copysign(result, value);
}

std::int32_t BitAnd(std::initializer_list<std::int32_t> values) {
  if (values.size() == 0) return 0;
  std::int32_t result = ~0;
  for (const std::int32_t value : values) result &= value;
  return result;
}

std::int32_t BitOr(std::initializer_list<std::int32_t> values) {
  std::int32_t result = 0;
  for (const std::int32_t value : values) result |= value;
  return result;
}

std::int32_t BitNot(std::int32_t value) { return ~value; }

std::uint32_t MakeRgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
  constexpr std::uint32_t kComponentMask = 0xFF;
  return (static_cast<std::uint32_t>(red) & kComponentMask) |
         (static_cast<std::uint32_t>(green) & kComponentMask) << 8 |
         (static_cast<std::uint32_t>(blue) & kComponentMask) << 16;
}
