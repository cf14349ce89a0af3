// ReverseFind against a plain model: the last character start inside the
// search region where the needle matches wholly inside the region.
#include "services/text_ops.h"
#include "tests/native/fuzz_support.h"

namespace {

constexpr std::uint8_t kStartGiven = 0x01;
constexpr std::uint8_t kIgnoreCase = 0x02;

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchAt(const std::string& text, const std::string& find, std::size_t at, bool ignoreCase) {
  for (std::size_t i = 0; i < find.size(); ++i) {
    const char a = text[at + i];
    const char b = find[i];
    if (ignoreCase ? Fold(a) != Fold(b) : a != b) return false;
  }
  return true;
}

std::int32_t ExpectedPosition(const std::string& text, const std::string& find, std::int64_t region,
                              bool ignoreCase) {
  if (find.empty()) return region > 0 ? 1 : -1;
  std::int32_t last = -1;
  for (const std::int32_t start : CharStarts(text)) {
    if (start >= region) break;
    if (start + static_cast<std::int64_t>(find.size()) <= region && MatchAt(text, find, start, ignoreCase))
      last = start + 1;
  }
  return last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t options = input.TakeByte();
  const auto startByte = static_cast<std::int8_t>(input.TakeByte());
  const Text text = input.TakeText();
  const Text find = input.TakeText();

  std::optional<std::int32_t> start;
  std::int64_t region = text.Length();
  if (options & kStartGiven) {
    start = startByte;
    region = startByte <= 1 ? 0 : std::min<std::int64_t>(startByte - 1, text.Length());
  }
  const bool ignoreCase = (options & kIgnoreCase) != 0;
  const std::int32_t found = ReverseFind(text, find, start, ignoreCase);
  FUZZ_CHECK(found == ExpectedPosition(text.Bytes(), find.Bytes(), region, ignoreCase));
  return 0;
}
