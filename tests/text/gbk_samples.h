// GBK texts for the two-byte cases, as byte escapes (the readable text in
// the comment). Shared by the Wine and the native test programs.
#pragma once

namespace gbk {

// Characters whose second byte is 0x5C, the byte of "\".
inline constexpr char kChars5C[] = "\x81\x5C";  // 乗
inline constexpr char kChar825C[] = "\x82\x5C";  // 俓
inline constexpr char kChar855C[] = "\x85\x5C";  // 匼
// Characters whose second byte is an ASCII letter.
inline constexpr char kTrailLowerA[] = "\x81\x61";  // 乤: 81 'a'
inline constexpr char kTrailUpperA[] = "\x81\x41";  // 丄: 81 'A'
// "啊": its second byte 0xA1 is also the byte of the full-width space.
inline constexpr char kTrailA1[] = "\xB0\xA1";
inline constexpr char kFullWidthSpace[] = "\xA1\xA1";  // "　"
inline constexpr char kFullWidthDigits45Percent[] = "\xA3\xB4\xA3\xB5\xA3\xA5";  // "４５％"

}  // namespace gbk
