#include <gtest/gtest.h>

#include "services/text_ops.h"
#include "tests/text/gbk_samples.h"

namespace {

const Text kCrLf("\r\n");

TEST(SplitText, CrLfLinesDropATrailingDelimiter) {
  EXPECT_EQ(SplitText("a\r\nb\r\n", kCrLf), (TextArray{"a", "b"}));
  EXPECT_EQ(SplitText("a\r\nb", kCrLf), (TextArray{"a", "b"}));
}

TEST(SplitText, LeadingAndDoubledDelimitersGiveEmptyElements) {
  EXPECT_EQ(SplitText("a\r\n\r\nb", kCrLf), (TextArray{"a", "", "b"}));
  EXPECT_EQ(SplitText("\r\na", kCrLf), (TextArray{"", "a"}));
  EXPECT_EQ(SplitText(",,"), (TextArray{"", ""}));
}

TEST(SplitText, EmptyTextGivesNoElement) {
  EXPECT_TRUE(SplitText(Text(), kCrLf).empty());
  EXPECT_TRUE(SplitText(Text()).empty());
}

TEST(SplitText, OmittedDelimiterIsAComma) {
  EXPECT_EQ(SplitText("a,b,c"), (TextArray{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a;b"), (TextArray{"a;b"}));
}

TEST(SplitText, MaximumStopsTheScanAndDropsTheRest) {
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 2), (TextArray{"a", "b"}));
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 1), (TextArray{"a"}));
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 3), (TextArray{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 9), (TextArray{"a", "b", "c"}));
  EXPECT_TRUE(SplitText("a,b,c", std::nullopt, 0).empty());
  EXPECT_TRUE(SplitText("a,b,c", std::nullopt, -1).empty());
}

TEST(SplitText, EmptyDelimiterGivesTheWholeText) {
  EXPECT_EQ(SplitText("a,b", Text()), (TextArray{"a,b"}));
}

TEST(SplitText, TextShorterThanTheDelimiterIsOneElement) {
  EXPECT_EQ(SplitText("a", kCrLf), (TextArray{"a"}));
}

TEST(SplitText, DigestLineFields) {
  EXPECT_EQ(SplitText("file.txt=D41D8CD98F00B204E9800998ECF8427E", Text("=")),
            (TextArray{"file.txt", "D41D8CD98F00B204E9800998ECF8427E"}));
}

TEST(SplitText, NeverCutsInsideATwoByteCharacter) {
  const Text chars5C = ConcatTexts({gbk::kChars5C, gbk::kChar855C});
  EXPECT_EQ(SplitText(ConcatTexts({chars5C, "\\x"}), Text("\\")), (TextArray{chars5C, "x"}));
  EXPECT_EQ(SplitText(ConcatTexts({gbk::kTrailLowerA, "a"}), Text("a")), (TextArray{gbk::kTrailLowerA}));
}

TEST(SplitText, ALeadByteBeforeTheEndEndsTheScan) {
  EXPECT_EQ(SplitText("a,\xB0"), (TextArray{"a", "\xB0"}));
  EXPECT_EQ(SplitText("a\xB0", Text("\xB0")), (TextArray{"a"}));  // the delimiter matches first
}

}  // namespace
