// TrimSpaces: the result is a piece of the text that starts with no space
// character and, unless a lone lead byte was cut off, ends with none.
#include "services/text_ops.h"
#include "tests/native/fuzz_support.h"

namespace {

bool IsSpaceChar(const std::string& bytes, std::int32_t start) {
  const auto at = static_cast<std::size_t>(start);
  if (bytes[at] == ' ') return true;
  return IsTwoByteCharAt(bytes, start) && bytes.compare(at, 2, "\xA1\xA1") == 0;
}

bool EndsWithLoneLeadByte(const std::string& bytes) {
  const std::vector<std::int32_t> starts = CharStarts(bytes);
  return !starts.empty() && !IsTwoByteCharAt(bytes, starts.back()) &&
         static_cast<unsigned char>(bytes.back()) >= 0x80;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input(data, size);
  const Text text = input.TakeText();
  const std::string trimmed = TrimSpaces(text).Bytes();
  const std::string& bytes = text.Bytes();

  FUZZ_CHECK(trimmed.size() <= bytes.size());
  if (trimmed.empty()) return 0;
  FUZZ_CHECK(!IsSpaceChar(trimmed, 0));
  // The piece starts right after the leading spaces.
  std::size_t begin = 0;
  for (const std::int32_t start : CharStarts(bytes)) {
    if (!IsSpaceChar(bytes, start)) {
      begin = static_cast<std::size_t>(start);
      break;
    }
  }
  FUZZ_CHECK(bytes.compare(begin, trimmed.size(), trimmed) == 0);
  if (!EndsWithLoneLeadByte(bytes)) {
    const std::vector<std::int32_t> starts = CharStarts(trimmed);
    FUZZ_CHECK(!IsSpaceChar(trimmed, starts.back()));
    FUZZ_CHECK(TrimSpaces(Text(trimmed)).Bytes() == trimmed);
  }
  return 0;
}
