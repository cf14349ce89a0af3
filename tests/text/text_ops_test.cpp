#include "services/text_ops.h"

#include <gtest/gtest.h>

#include <climits>

#include "services/texts.h"
#include "tests/text/gbk_samples.h"

namespace {

Text Cat(std::initializer_list<Text> parts) { return ConcatTexts(parts); }

TEST(RightPart, TakesTheLastBytes) {
  EXPECT_EQ(RightPart("abc", 5), Text("abc"));
  EXPECT_EQ(RightPart("abc", 1), Text("c"));
  EXPECT_EQ(RightPart("abc", 0), Text());
  EXPECT_EQ(RightPart("abc", INT_MIN), Text());
  EXPECT_EQ(RightPart(texts::kStopButton, 1), Text("\xB9"));  // second byte of "止"
}

TEST(ReverseFind, FindsTheLastBackslashOfAPath) {
  EXPECT_EQ(ReverseFind("C:\\dir\\file.txt", "\\"), 7);
  EXPECT_EQ(ReverseFind("file.txt", "\\"), -1);
  EXPECT_EQ(ReverseFind(Text(), "\\"), -1);
}

TEST(ReverseFind, NeverFindsTheSecondByteOfATwoByteCharacter) {
  for (const char* gbk5C : {gbk::kChars5C, gbk::kChar825C, gbk::kChar855C}) {
    EXPECT_EQ(ReverseFind(Cat({"C:\\tmp\\", gbk5C, ".txt"}), "\\"), 7);
    EXPECT_EQ(ReverseFind(Cat({gbk5C, gbk5C}), "\\"), -1);
  }
  // 0xA1 0xA1 straddling "啊" and a lone lead byte is no match either.
  EXPECT_EQ(ReverseFind(Cat({gbk::kTrailA1, "\xA1"}), gbk::kFullWidthSpace), -1);
}

TEST(ReverseFind, FindsTwoByteCharacters) {
  EXPECT_EQ(ReverseFind(texts::kWindowCaption, "\xD1\xE9"), 6);  // "验"
  EXPECT_EQ(ReverseFind("a\xB0", "\xB0"), 2);  // a lone lead byte is a character
}

TEST(ReverseFind, SearchesOnlyBeforeStart) {
  EXPECT_EQ(ReverseFind("a\\b\\c", "\\", 4), 2);
  EXPECT_EQ(ReverseFind("a\\b\\c", "\\", 5), 4);
  EXPECT_EQ(ReverseFind("a\\b\\c", "\\", 99), 4);
  EXPECT_EQ(ReverseFind("abcabc", "abc", 6), 1);  // the match must lie wholly inside
  EXPECT_EQ(ReverseFind("a\\b", "\\", 1), -1);
  EXPECT_EQ(ReverseFind("a\\b", "\\", INT_MIN), -1);
}

TEST(ReverseFind, EmptyNeedleDependsOnTheRegion) {
  EXPECT_EQ(ReverseFind("abc", ""), 1);
  EXPECT_EQ(ReverseFind("abc", "", 2), 1);
  EXPECT_EQ(ReverseFind("abc", "", 1), -1);
  EXPECT_EQ(ReverseFind("", ""), -1);
}

TEST(ReverseFind, IgnoresAsciiCaseOnRequest) {
  EXPECT_EQ(ReverseFind("ABCabc", "B"), 2);
  EXPECT_EQ(ReverseFind("aaa", "aa"), 2);
  EXPECT_EQ(ReverseFind("ABCabc", "b", std::nullopt, true), 5);
  EXPECT_EQ(ReverseFind("xMD5.INI", "md5.ini", std::nullopt, true), 2);
}

TEST(CaseMapping, ChangesOnlyAsciiLetters) {
  EXPECT_EQ(ToUpper("d41d8cd98f00b204e9800998ecf8427e"), Text("D41D8CD98F00B204E9800998ECF8427E"));
  EXPECT_EQ(ToLower(HexText(11)), Text("b"));
  EXPECT_EQ(ToUpper("az@[`{AZ"), Text("AZ@[`{AZ"));
}

TEST(CaseMapping, LeavesTwoByteCharactersWhole) {
  EXPECT_EQ(ToUpper(gbk::kTrailLowerA), Text(gbk::kTrailLowerA));
  EXPECT_EQ(ToLower(gbk::kTrailUpperA), Text(gbk::kTrailUpperA));
  EXPECT_EQ(ToUpper(Cat({"md5", gbk::kTrailLowerA, "a"})), Cat({"MD5", gbk::kTrailLowerA, "A"}));
  EXPECT_EQ(ToUpper("ab\xB0"), Text("AB\xB0"));  // a lead byte before the NUL stays
}

TEST(TrimSpaces, RemovesSpacesAtBothEnds) {
  EXPECT_EQ(TrimSpaces("  12.5 KB  "), Text("12.5 KB"));
  EXPECT_EQ(TrimSpaces(Cat({gbk::kFullWidthSpace, " 12.5 KB", gbk::kFullWidthSpace, " "})), Text("12.5 KB"));
  EXPECT_EQ(TrimSpaces(Cat({"  ", gbk::kFullWidthSpace, " "})), Text());
}

TEST(TrimSpaces, ASecondByteIsNotHalfAFullWidthSpace) {
  // "啊" then a lone 0xA1: the lone lead byte goes, "啊" stays.
  EXPECT_EQ(TrimSpaces(Cat({"x", gbk::kTrailA1, "\xA1"})), Cat({"x", gbk::kTrailA1}));
  EXPECT_EQ(TrimSpaces(Cat({gbk::kTrailA1, gbk::kFullWidthSpace})), Text(gbk::kTrailA1));
}

TEST(TrimSpaces, CutsALoneLeadByteButKeepsSpacesBeforeIt) {
  EXPECT_EQ(TrimSpaces("ab \xB0"), Text("ab "));
  EXPECT_EQ(TrimSpaces("  \xA1"), Text());
}

TEST(CompareTexts, OrdersUnsignedBytesWithEmptyLeast) {
  EXPECT_EQ(CompareTexts("", ""), 0);
  EXPECT_EQ(CompareTexts("", "a"), -1);
  EXPECT_EQ(CompareTexts("a", ""), 1);
  EXPECT_EQ(CompareTexts("abc", "abd"), -1);
  EXPECT_EQ(CompareTexts("ab", "abc"), -1);
  EXPECT_EQ(CompareTexts("\xB0", "a"), 1);
  EXPECT_EQ(CompareTexts("a", "A"), 1);
}

TEST(PathFolder, EndsBeforeTheLastRealBackslash) {
  EXPECT_EQ(PathFolder("C:\\dir\\file.txt"), Text("C:\\dir"));
  EXPECT_EQ(PathFolder(Cat({"C:\\", gbk::kChars5C, "\\", gbk::kChar855C, ".exe"})),
            Cat({"C:\\", gbk::kChars5C}));
  EXPECT_EQ(PathFolder("\\file"), Text());
  EXPECT_EQ(PathFolder("file"), Text());
}

}  // namespace
