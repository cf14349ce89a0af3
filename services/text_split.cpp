#include <algorithm>

#include "services/text_chars.h"
#include "services/text_ops.h"

using text_chars::CharWidth;
using text_chars::IsLoneLeadByte;
using text_chars::Slice;

namespace {

constexpr char kDefaultDelimiter[] = ",";

bool DelimiterAt(const Text& text, const Text& delimiter, std::int32_t position) {
  return text.Bytes().compare(static_cast<std::size_t>(position),
                              static_cast<std::size_t>(delimiter.Length()), delimiter.Bytes()) == 0;
}

}  // namespace

TextArray SplitText(const Text& text, std::optional<Text> delimiter, std::optional<std::int32_t> maximum) {
  const Text cutter = delimiter.value_or(Text(kDefaultDelimiter));
  std::optional<std::int32_t> allowance;
  if (maximum) allowance = std::max(*maximum, 0);
  if (text.IsEmpty() || allowance == 0) return {};
  if (cutter.IsEmpty()) return {text};

  TextArray parts;
  const std::int32_t length = text.Length();
  std::int32_t lastCut = 0;
  std::int32_t position = 0;
  while (length - position >= cutter.Length()) {
    if (DelimiterAt(text, cutter, position)) {
      parts.push_back(Slice(text, lastCut, position));
      position += cutter.Length();
      lastCut = position;
      if (allowance && --*allowance == 0) return parts;  // the rest is dropped
    } else if (IsLoneLeadByte(text, position)) {
      break;
    } else {
      position += CharWidth(text, position);
    }
  }
  if (lastCut < length) parts.push_back(Slice(text, lastCut, length));
  return parts;
}
