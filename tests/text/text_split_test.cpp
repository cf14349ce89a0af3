#include <gtest/gtest.h>

#include "services/text_ops.h"
#include "tests/text/gbk_samples.h"

namespace {

const Text kCrLf("\r\n");

TEST(SplitText, CrLfLinesDropATrailingDelimiter) {
  EXPECT_EQ(SplitText("a\r\nb\r\n", kCrLf), (TextArray{"a", "b"}));
  EXPECT_EQ(SplitText("a", kCrLf), (TextArray{"a"}));
  EXPECT_TRUE(SplitText(Text(), kCrLf).empty());
}

TEST(SplitText, LeadingAndDoubledDelimitersGiveEmptyElements) {
  EXPECT_EQ(SplitText("a\r\n\r\nb", kCrLf), (TextArray{"a", "", "b"}));
  EXPECT_EQ(SplitText("\r\na", kCrLf), (TextArray{"", "a"}));
  EXPECT_EQ(SplitText(",,"), (TextArray{"", ""}));
}

TEST(SplitText, MaximumStopsTheScanAndDropsTheRest) {
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 2), (TextArray{"a", "b"}));
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 1), (TextArray{"a"}));
  EXPECT_EQ(SplitText("a,b,c", std::nullopt, 3), (TextArray{"a", "b", "c"}));
  EXPECT_EQ(SplitText("a,b", Text(), 5), (TextArray{"a,b"}));  // empty delimiter: the whole text
  EXPECT_TRUE(SplitText("a,b,c", std::nullopt, 0).empty());
  EXPECT_TRUE(SplitText("a,b,c", std::nullopt, -1).empty());
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
