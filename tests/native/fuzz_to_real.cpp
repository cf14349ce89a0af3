// ToReal: digits followed by "%" give the digits' value, in ASCII or in
// full-width form, whatever follows; a leading full-width space changes
// nothing.
#include <cstdlib>

#include "services/text_ops.h"
#include "tests/native/fuzz_support.h"

namespace {

constexpr std::size_t kMostDigits = 30;
constexpr char kFullWidthLead = '\xA3';
constexpr int kFullWidthOffset = 0x80;

std::string DigitsOf(const std::string& bytes) {
  std::string digits;
  for (const char c : bytes)
    if (c >= '0' && c <= '9' && digits.size() < kMostDigits) digits += c;
  return digits;
}

std::string FullWidth(const std::string& ascii) {
  std::string wide;
  for (const char c : ascii) {
    wide += kFullWidthLead;
    wide += static_cast<char>(static_cast<unsigned char>(c) + kFullWidthOffset);
  }
  return wide;
}

bool SameReal(double a, double b) { return a == b || (a != a && b != b); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const Text text = input.TakeText();
  const double value = ToReal(text);
  FUZZ_CHECK(SameReal(ToReal(ConcatTexts({"\xA1\xA1", text})), value));

  const std::string digits = DigitsOf(text.Bytes());
  if (digits.empty()) return 0;
  const double expected = std::strtod(digits.c_str(), nullptr);
  const Text tail = input.TakeText();
  FUZZ_CHECK(ToReal(ConcatTexts({Text(digits), "%", tail})) == expected);
  FUZZ_CHECK(ToReal(ConcatTexts({Text(FullWidth(digits + "%")), tail})) == expected);
  return 0;
}
