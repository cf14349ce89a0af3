// Digest lists: which lines of md5.ini and of md5sum lists become entries.
#include <gtest/gtest.h>

#include <string>

#include "services/code_page.h"
#include "shell/digest_list.h"

namespace {

constexpr char kHex[] = "0123456789abcdef0123456789ABCDEF";
constexpr char kUpperHex[] = "0123456789ABCDEF0123456789ABCDEF";
// "中文" in UTF-8 and in GBK.
constexpr char kUtf8Chinese[] = "\xE4\xB8\xAD\xE6\x96\x87";
constexpr char kGbkChinese[] = "\xD6\xD0\xCE\xC4";

std::vector<DigestListEntry> Parse(const std::string& content,
                                   DigestListKind kind = DigestListKind::kIni) {
  return ParseDigestList(ByteBuffer(content.data(), static_cast<std::int32_t>(content.size())),
                         Text("C:\\run"), kind, Utf8ToAnsi);
}

TEST(DigestListTest, UsableLinesInFileOrderWithOrWithoutFinalLineEnd) {
  for (const std::string ending : {"\r\n", ""}) {
    const auto entries = Parse("setup.exe=0123456789ABCDEF0123456789ABCDEF\r\n"
                               "data\\readme.txt=FEDCBA9876543210FEDCBA9876543210" + ending);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, Text("C:\\run\\setup.exe"));
    EXPECT_EQ(entries[0].digest, Text("0123456789ABCDEF0123456789ABCDEF"));
    EXPECT_EQ(entries[1].path, Text("C:\\run\\data\\readme.txt"));
    EXPECT_EQ(entries[1].digest, Text("FEDCBA9876543210FEDCBA9876543210"));
  }
}

TEST(DigestListTest, LinesWithoutExactlyOneSeparatorAndADigestAreSkipped) {
  const auto entries = Parse("no separator\r\n"
                             "ends=\r\n"
                             "two==signs\r\n"
                             "a=b=\r\n"
                             "a=b=c\r\n"
                             "\r\n"
                             "=ABC\r\n"
                             " spaced = D \r\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].path, Text("C:\\run\\"));  // names the folder: fails to open
  EXPECT_EQ(entries[0].digest, Text("ABC"));
  // No Windows name ends in a space; one may start with one. The digest
  // stays as written (compared as a number later).
  EXPECT_EQ(entries[1].path, Text("C:\\run\\ spaced"));
  EXPECT_EQ(entries[1].digest, Text(" D "));
}

TEST(DigestListTest, OnlyCrLfSeparatesLines) {
  EXPECT_TRUE(Parse("a=1\nb=2\n").empty());  // one line with two "="
  const auto single = Parse("a=1\n");
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].digest, Text("1\n"));
  const auto carriage = Parse("a=1\rb");
  ASSERT_EQ(carriage.size(), 1u);
  EXPECT_EQ(carriage[0].digest, Text("1\rb"));
}

TEST(DigestListTest, NothingAfterTheFirstNulCounts) {
  const std::string content("a=1\r\nb=2\r\n\0c=3\r\n", 16);
  const auto entries = Parse(content);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].digest, Text("2"));
}

TEST(DigestListTest, TwoByteCharactersAreUnits) {
  // 乗 is GBK 81 5C: its second byte is a backslash, and it must stay whole.
  const auto entries = Parse("\x81\x5C.txt=ABC\r\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, Text("C:\\run\\\x81\x5C.txt"));
  EXPECT_TRUE(Parse("").empty());
  // A lead byte before a final "=" takes it as its second byte: one "=".
  const auto trailing = Parse("x=y\x81=\r\n");
  ASSERT_EQ(trailing.size(), 1u);
  EXPECT_EQ(trailing[0].digest, Text("y\x81="));
}

TEST(DigestListTest, Md5sumLinesInBothModesAndBothLineEnds) {
  for (const DigestListKind kind : {DigestListKind::kIni, DigestListKind::kMd5sum}) {
    const auto entries = Parse(std::string(kHex) + " *sub/a.bin\n" +  // binary mode, LF
                                   "# comment\r\n; comment\r\n\r\n" +
                                   kHex + "  b c.txt\r\n" +         // text mode, CR LF
                                   kHex + " b.txt\r\n" +            // one space: not md5sum
                                   "0123456789abcdef0123456789abcdeg *x\r\n" +
                                   kHex + " *\r\n",                 // no name
                               kind);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].path, Text("C:\\run\\sub\\a.bin"));
    EXPECT_EQ(entries[0].digest, Text(kUpperHex));  // the shown digest is upper-case
    EXPECT_EQ(entries[1].path, Text("C:\\run\\b c.txt"));
  }
}

TEST(DigestListTest, Md5IniKeepsItsOwnReadingOfNameDigestLines) {
  // A line that name=digest accepts keeps that meaning in md5.ini; a list
  // of another name reads the md5sum form first.
  const std::string line = std::string(kHex) + " *a=b.txt\r\n";
  const auto ini = Parse(line + "c=" + kHex + "\r\n");
  ASSERT_EQ(ini.size(), 2u);
  EXPECT_EQ(ini[0].path, Text(std::string("C:\\run\\") + kHex + " *a"));
  EXPECT_EQ(ini[0].digest, Text("b.txt"));
  EXPECT_EQ(ini[1].digest, Text(kHex));  // exact: no case change
  const auto md5 = Parse(line + "#c=D\r\nc=" + kHex + "\n", DigestListKind::kMd5sum);
  ASSERT_EQ(md5.size(), 2u);
  EXPECT_EQ(md5[0].path, Text("C:\\run\\a=b.txt"));
  EXPECT_EQ(md5[1].path, Text("C:\\run\\c"));
  EXPECT_EQ(md5[1].digest, Text(kHex));
  // LF-ended name=digest lines in md5.ini stay one unusable line, as ever.
  EXPECT_TRUE(Parse("a=1\nb=2\n").empty());
}

TEST(DigestListTest, ByteOrderMarkMakesNamesUtf8) {
  const std::string mark = "\xEF\xBB\xBF";
  const std::string list = mark + kHex + " *" + kUtf8Chinese + "/" + kUtf8Chinese + ".txt\n" +
                           kHex + " *\xF0\x9F\x98\x80.txt\n" +  // no GBK counterpart
                           kHex + " *\xE4\xB8.txt\n";              // cut UTF-8
  for (const DigestListKind kind : {DigestListKind::kIni, DigestListKind::kMd5sum}) {
    const auto entries = Parse(list, kind);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].path,
              Text(std::string("C:\\run\\") + kGbkChinese + "\\" + kGbkChinese + ".txt"));
    for (const std::size_t failed : {1u, 2u})
      EXPECT_NE(entries[failed].path.Bytes().find('?'), std::string::npos) << entries[failed].path.Bytes();
  }
  // With the mark, md5.ini's name=digest lines are UTF-8 too.
  const auto ini = Parse(mark + kUtf8Chinese + "=" + kHex + "\r\n");
  ASSERT_EQ(ini.size(), 1u);
  EXPECT_EQ(ini[0].path, Text(std::string("C:\\run\\") + kGbkChinese));
  const auto md5 = Parse(mark + kUtf8Chinese + "=" + kHex + "\r\n", DigestListKind::kMd5sum);
  ASSERT_EQ(md5.size(), 1u);
  EXPECT_EQ(md5[0].path, Text(std::string("C:\\run\\") + kGbkChinese));
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(DigestListTest, EncodingsAndLineFormsUsersGet) {
  const std::string chinese = std::string("C:\\run\\") + kGbkChinese;
  // UTF-16 with its mark, either order, in any list.
  for (const bool bigEndian : {false, true}) {
    const std::u16string list = u"\u4E2D\u6587=0123456789abcdef0123456789ABCDEF\r\n"
                                u"0123456789abcdef0123456789ABCDEF *\u4E2D/\u6587\r\n";
    for (const DigestListKind kind : {DigestListKind::kIni, DigestListKind::kMd5sum}) {
      const auto entries = Parse(Utf16(list, bigEndian), kind);
      ASSERT_EQ(entries.size(), 2u) << bigEndian;
      EXPECT_EQ(entries[0].path, Text(chinese));
      EXPECT_EQ(entries[1].path, Text(std::string("C:\\run\\\xD6\xD0\\\xCE\xC4")));
    }
  }
  // Without a mark: a .md5 list that is all UTF-8 is UTF-8, else ANSI;
  // md5.ini is always ANSI.
  const std::string utf8Line = std::string(kHex) + "  " + kUtf8Chinese + "\n";
  EXPECT_EQ(Parse(utf8Line, DigestListKind::kMd5sum)[0].path, Text(chinese));
  const std::string gbkLine = std::string(kHex) + "  " + kGbkChinese + "\n";
  EXPECT_EQ(Parse(utf8Line + gbkLine, DigestListKind::kMd5sum)[1].path, Text(chinese));
  EXPECT_EQ(Parse(utf8Line)[0].path, Text(std::string("C:\\run\\") + kUtf8Chinese));
  // Tag lines (md5sum --tag, BSD md5, openssl dgst) and md5sum's escaped
  // lines, in either kind of list; a mismatching digest is kept as given.
  const std::string forms = std::string("MD5 (a (1).txt) = ") + kHex + "\n" +
                            "MD5(sub/b.txt)= " + kHex + "\n" +
                            "\\" + kHex + "  c\\\\d\\nx\n" +
                            "\\MD5 (e\\\\f) = 00000000000000000000000000000000\n" +
                            "\\" + kHex + "  bad\\q\n";  // no such escape
  for (const DigestListKind kind : {DigestListKind::kIni, DigestListKind::kMd5sum}) {
    const auto entries = Parse(forms, kind);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].path, Text("C:\\run\\a (1).txt"));
    EXPECT_EQ(entries[0].digest, Text(kUpperHex));
    EXPECT_EQ(entries[1].path, Text("C:\\run\\sub\\b.txt"));
    EXPECT_EQ(entries[2].path, Text("C:\\run\\c\\d\nx"));
    EXPECT_EQ(entries[3].path, Text("C:\\run\\e\\f"));
    EXPECT_EQ(entries[3].digest, Text("00000000000000000000000000000000"));
  }
}

TEST(DigestListTest, NamesOfSharesDevicesAndStreamsAreRefusedOthersOpenAsTheyStand) {
  std::string list;
  for (const char* name : {"\\\\server\\share\\a", "//server/share/a", "\\\\.\\PhysicalDrive0",
                           "\\\\?\\C:\\a", "a.txt:secret", "C:\\x\\a:b", "..\\up.txt", "C:\\x\\a",
                           "sub\\a"})
    list += std::string(name) + "=" + kHex + "\r\n";
  const auto entries = Parse(list);
  ASSERT_EQ(entries.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(entries[i].refused, i < 6) << i;
  EXPECT_EQ(entries[0].path, Text("\\\\server\\share\\a"));  // shown as the list names it
  EXPECT_EQ(entries[6].path, Text("C:\\run\\..\\up.txt"));
  EXPECT_EQ(entries[7].path, Text("C:\\x\\a"));
}

TEST(DigestListTest, Md5sumNamesKeepTwoByteCharactersWhole) {
  // 乗 is GBK 81 5C; a "/" after it is still a separator, and the
  // two-byte character stays as it was in an ANSI list.
  const auto entries = Parse(std::string(kHex) + " *\x81\x5C/x\r\n", DigestListKind::kMd5sum);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, Text("C:\\run\\\x81\x5C\\x"));
}

}  // namespace
