// The two-byte character rule shared by the text operations. Internal to
// the text core (services/text*.cpp and its tests).
#pragma once

#include <cstdint>

#include "services/text.h"

namespace text_chars {

inline constexpr unsigned char kLeadByteMin = 0x80;
inline constexpr unsigned char kSpace = 0x20;
inline constexpr unsigned char kFullWidthSpaceByte = 0xA1;  // 0xA1 0xA1

inline bool IsLeadByte(unsigned char byte) { return byte >= kLeadByteMin; }

// The byte at a 0-based index, reading the terminating NUL at Length().
inline unsigned char At(const Text& text, std::int32_t index) {
  return index < text.Length() ? text.ByteAt(index) : 0;
}

// True when a two-byte character starts here: a lead byte that is not the
// last byte before the NUL.
inline bool StartsTwoByteChar(const Text& text, std::int32_t index) {
  return IsLeadByte(At(text, index)) && index + 1 < text.Length();
}

// True at a lead byte directly followed by the NUL, where scans stop.
inline bool IsLoneLeadByte(const Text& text, std::int32_t index) {
  return IsLeadByte(At(text, index)) && index + 1 == text.Length();
}

// Width of the character starting at index: 2 for a two-byte character.
inline std::int32_t CharWidth(const Text& text, std::int32_t index) {
  return StartsTwoByteChar(text, index) ? 2 : 1;
}

// 0x20, or the full-width space 0xA1 0xA1 as a whole character; 0 otherwise.
inline std::int32_t SpaceWidthAt(const Text& text, std::int32_t index) {
  if (At(text, index) == kSpace) return 1;
  if (At(text, index) == kFullWidthSpaceByte && StartsTwoByteChar(text, index) &&
      At(text, index + 1) == kFullWidthSpaceByte)
    return 2;
  return 0;
}

inline Text Slice(const Text& text, std::int32_t begin, std::int32_t end) {
  return end > begin ? Text(text.CStr() + begin, static_cast<std::size_t>(end - begin)) : Text();
}

}  // namespace text_chars
