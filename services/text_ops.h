// The program's value and text operations. Pure functions: they never
// change their arguments and return new values the caller owns.
// Two-byte characters: a byte >= 0x80 that is not the last before the NUL
// starts a two-byte character; the operations marked so step over them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "services/text.h"

std::int32_t TextLength(const Text& text);
Text RightPart(const Text& text, std::int32_t count);
// Last 1-based position of `find` in the first (start - 1) bytes (the whole
// text when start is omitted); steps over two-byte characters. -1: none.
std::int32_t ReverseFind(const Text& text, const Text& find,
                         std::optional<std::int32_t> start = std::nullopt,
                         bool ignoreCase = false);
Text ToUpper(const Text& text);
Text ToLower(const Text& text);
Text TrimSpaces(const Text& text);  // 0x20 and the full-width 0xA1 0xA1
// Delimiter omitted: ","; maximum omitted: no limit, below 0 counts as 0.
TextArray SplitText(const Text& text, std::optional<Text> delimiter = std::nullopt,
                    std::optional<std::int32_t> maximum = std::nullopt);
Text Spaces(std::int32_t count);
Text ConcatTexts(std::initializer_list<Text> parts);
std::int32_t CompareTexts(const Text& a, const Text& b);  // -1, 0, 1
// A path up to, not including, its last backslash (found two-byte aware);
// empty when it has none.
Text PathFolder(const Text& path);

Text ToText(std::int32_t value);        // "%d"
Text ToText(double value);              // "%.13g"
Text ToText(const ByteBuffer& buffer);  // bytes up to the first NUL
std::int32_t ToInt(const Text& text);   // atoi after the full-width mapping, clamped
double ToReal(const Text& text);        // atof after the full-width mapping
double RoundTo(double value, std::int32_t places = 0);
Text HexText(std::int32_t value);       // "%X"
// All arguments combined in order; no arguments give 0.
std::int32_t BitAnd(std::initializer_list<std::int32_t> values);
std::int32_t BitOr(std::initializer_list<std::int32_t> values);
std::int32_t BitNot(std::int32_t value);
std::uint32_t MakeRgb(std::int32_t red, std::int32_t green, std::int32_t blue);

ByteBuffer ToBytes(const Text& text);  // without the NUL
std::int32_t ByteLength(const ByteBuffer& buffer);
ByteBuffer LeftBytes(const ByteBuffer& buffer, std::int32_t count);
ByteBuffer ZeroBytes(std::int32_t count);
