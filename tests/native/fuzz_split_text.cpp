// SplitText: elements rejoined with the delimiter are a prefix of the text,
// and all of it when no maximum is given and the text does not end with the
// delimiter; a maximum bounds the count.
#include "services/text_ops.h"
#include "tests/native/fuzz_support.h"

namespace {

constexpr std::uint8_t kDelimiterGiven = 0x01;
constexpr std::uint8_t kMaximumGiven = 0x02;

std::string Join(const TextArray& parts, const std::string& delimiter) {
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined += delimiter;
    joined += parts[i].Bytes();
  }
  return joined;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const std::uint8_t options = input.TakeByte();
  const auto maximumByte = static_cast<std::int8_t>(input.TakeByte());
  const Text text = input.TakeText();
  const Text delimiter = input.TakeText();

  std::optional<Text> givenDelimiter;
  if (options & kDelimiterGiven) givenDelimiter = delimiter;
  std::optional<std::int32_t> maximum;
  if (options & kMaximumGiven) maximum = maximumByte;
  const std::string cutter = givenDelimiter.value_or(Text(",")).Bytes();

  const TextArray parts = SplitText(text, givenDelimiter, maximum);
  if (text.IsEmpty() || (maximum && *maximum <= 0)) {
    FUZZ_CHECK(parts.empty());
    return 0;
  }
  if (maximum) FUZZ_CHECK(parts.size() <= static_cast<std::size_t>(*maximum));
  if (cutter.empty()) {
    FUZZ_CHECK(parts.size() == 1 && parts[0] == text);
    return 0;
  }
  const std::string joined = Join(parts, cutter);
  FUZZ_CHECK(text.Bytes().compare(0, joined.size(), joined) == 0);
  if (!maximum && !EndsWith(text.Bytes(), cutter)) FUZZ_CHECK(joined == text.Bytes());
  return 0;
}
