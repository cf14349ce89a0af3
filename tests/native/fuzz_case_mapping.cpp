// ToUpper / ToLower never change the length nor any byte of a two-byte
// character, and change single bytes only between the two letter ranges.
#include "services/text_ops.h"
#include "tests/native/fuzz_support.h"

namespace {

void CheckMapping(const std::string& text, const std::string& mapped, char from, char to) {
  FUZZ_CHECK(mapped.size() == text.size());
  for (const std::int32_t start : CharStarts(text)) {
    const auto at = static_cast<std::size_t>(start);
    if (IsTwoByteCharAt(text, start)) {
      FUZZ_CHECK(mapped.compare(at, 2, text, at, 2) == 0);
    } else if (text[at] >= from && text[at] <= from + 25) {
      FUZZ_CHECK(mapped[at] == text[at] - from + to);
    } else {
      FUZZ_CHECK(mapped[at] == text[at]);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const Text text = input.TakeText();
  const Text upper = ToUpper(text);
  CheckMapping(text.Bytes(), upper.Bytes(), 'a', 'A');
  CheckMapping(text.Bytes(), ToLower(text).Bytes(), 'A', 'a');
  FUZZ_CHECK(ToUpper(ToLower(text)) == upper);
  return 0;
}
