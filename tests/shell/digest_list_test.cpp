// The digest list format: which lines of md5.ini become entries.
#include <gtest/gtest.h>

#include <string>

#include "shell/digest_list.h"

namespace {

std::vector<DigestListEntry> Parse(const std::string& content) {
  return ParseDigestList(ByteBuffer(content.data(), static_cast<std::int32_t>(content.size())),
                         Text("C:\\run"));
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
  EXPECT_EQ(entries[1].path, Text("C:\\run\\ spaced "));  // nothing trimmed
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

}  // namespace
