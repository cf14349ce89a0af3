#include "services/text_ops.h"

#include <algorithm>
#include <exception>
#include <string>

#include "services/text_chars.h"

using text_chars::At;
using text_chars::CharWidth;
using text_chars::IsLoneLeadByte;
using text_chars::Slice;
using text_chars::SpaceWidthAt;

namespace {

constexpr char kPathSeparator[] = "\\";
constexpr int kCaseDistance = 'a' - 'A';

// Bytes before `start`; the whole text when it is omitted or beyond the end.
std::int32_t SearchRegionLength(const Text& text, std::optional<std::int32_t> start) {
  if (!start) return text.Length();
  if (*start <= 1) return 0;  // also keeps start - 1 from overflowing
  return std::min(*start - 1, text.Length());
}

unsigned char FoldAsciiCase(unsigned char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + kCaseDistance) : byte;
}

bool MatchesAt(const Text& text, const Text& find, std::int32_t position, bool ignoreCase) {
  for (std::int32_t i = 0; i < find.Length(); ++i) {
    unsigned char a = text.ByteAt(position + i);
    unsigned char b = find.ByteAt(i);
    if (ignoreCase) {
      a = FoldAsciiCase(a);
      b = FoldAsciiCase(b);
    }
    if (a != b) return false;
  }
  return true;
}

// Adds `delta` to every byte in [first, last]; two-byte characters stay.
Text ShiftLetters(const Text& text, char first, char last, int delta) {
  std::string copy = text.Bytes();
  for (std::int32_t i = 0; i < text.Length(); i += CharWidth(text, i)) {
    const unsigned char byte = text.ByteAt(i);
    if (byte >= first && byte <= last) copy[static_cast<std::size_t>(i)] = static_cast<char>(byte + delta);
  }
  return Text(copy);
}

}  // namespace

std::int32_t TextLength(const Text& text) { return text.Length(); }

Text RightPart(const Text& text, std::int32_t count) {
  if (count <= 0) return Text();
  const std::int32_t length = text.Length();
  return Slice(text, length - std::min(count, length), length);
}

std::int32_t ReverseFind(const Text& text, const Text& find, std::optional<std::int32_t> start,
                         bool ignoreCase) {
  const std::int32_t region = SearchRegionLength(text, start);
  if (find.IsEmpty()) return region > 0 ? 1 : -1;
  std::int32_t lastMatch = -1;
  // A lone lead byte before the NUL is one byte wide, so the scan ends there.
  for (std::int32_t position = 0; position < region; position += CharWidth(text, position)) {
    if (find.Length() <= region - position && MatchesAt(text, find, position, ignoreCase))
      lastMatch = position + 1;
  }
  return lastMatch;
}

Text ToUpper(const Text& text) { return ShiftLetters(text, 'a', 'z', -kCaseDistance); }

Text ToLower(const Text& text) { return ShiftLetters(text, 'A', 'Z', kCaseDistance); }

Text TrimSpaces(const Text& text) {
  const std::int32_t length = text.Length();
  std::int32_t begin = 0;
  while (const std::int32_t width = SpaceWidthAt(text, begin)) begin += width;

  std::int32_t runStart = -1;  // where the current run of trailing spaces began
  for (std::int32_t position = begin; position < length;) {
    // A lead byte without its second byte goes alone; spaces before it stay.
    if (IsLoneLeadByte(text, position)) return Slice(text, begin, position);
    if (const std::int32_t width = SpaceWidthAt(text, position)) {
      if (runStart < 0) runStart = position;
      position += width;
    } else {
      runStart = -1;
      position += CharWidth(text, position);
    }
  }
  return Slice(text, begin, runStart < 0 ? length : runStart);
}

Text Spaces(std::int32_t count) {
  if (count <= 0) return Text();
  try {
    return Text(std::string(static_cast<std::size_t>(count), ' '));
  } catch (const std::exception&) {
    return Text();  // more than memory holds: nothing to give
  }
}

Text ConcatTexts(std::initializer_list<Text> parts) {
  std::string joined;
  for (const Text& part : parts) joined += part.Bytes();
  return Text(joined);
}

std::int32_t CompareTexts(const Text& a, const Text& b) {
  // char_traits<char> compares as unsigned bytes; the empty text is least.
  const int order = a.Bytes().compare(b.Bytes());
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

Text PathFolder(const Text& path) {
  const std::int32_t separator = ReverseFind(path, Text(kPathSeparator));
  return separator < 0 ? Text() : Slice(path, 0, separator - 1);
}
