#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "services/text_ops.h"
#include "tests/text/gbk_samples.h"

namespace {

TEST(ToText, WholeRealsHaveNoDecimalPoint) {
  EXPECT_EQ(ToText(100.0), Text("100"));
  EXPECT_EQ(ToText(45.0), Text("45"));
  EXPECT_EQ(ToText(0.0), Text("0"));
  EXPECT_EQ(ToText(-5), Text("-5"));
}

TEST(ToText, RealsKeepThirteenSignificantDigits) {
  EXPECT_EQ(ToText(12.5), Text("12.5"));
  EXPECT_EQ(ToText(1.0 / 3.0), Text("0.3333333333333"));
  EXPECT_EQ(ToText(-2.0 / 3.0), Text("-0.6666666666667"));
}

TEST(HexText, UpperCaseWithoutPrefixOrPadding) {
  EXPECT_EQ(HexText(0), Text("0"));
  EXPECT_EQ(HexText(11), Text("B"));
  EXPECT_EQ(HexText(255), Text("FF"));
  EXPECT_EQ(HexText(-1), Text("FFFFFFFF"));
}

TEST(ToReal, ReadsTheLeadingNumber) {
  EXPECT_EQ(ToReal("45%"), 45.0);
  EXPECT_EQ(ToReal("100%"), 100.0);
  EXPECT_EQ(ToReal(" \t-12.5e1x"), -125.0);
  EXPECT_EQ(ToReal("+.5"), 0.5);
  EXPECT_EQ(ToReal("7."), 7.0);
  EXPECT_EQ(ToReal("2e"), 2.0);
  EXPECT_EQ(ToReal("2e+"), 2.0);
  EXPECT_EQ(ToReal(Text()), 0.0);
  EXPECT_EQ(ToReal("."), 0.0);
}

TEST(ToReal, OnlyDecimalNumbersOnEveryCLibrary) {
  EXPECT_EQ(ToReal("0x10"), 0.0);
  EXPECT_EQ(ToReal("inf"), 0.0);
  EXPECT_EQ(ToReal("nan"), 0.0);
}

TEST(ToReal, MapsFullWidthCharactersFirst) {
  EXPECT_EQ(ToReal(gbk::kFullWidthDigits45Percent), 45.0);
  EXPECT_EQ(ToReal(ConcatTexts({gbk::kFullWidthSpace, "12"})), 12.0);
  EXPECT_EQ(ToReal("\xA3\xAD\xA3\xB3"), -3.0);  // "－３"
  EXPECT_EQ(ToReal("\xA1\xAB" "1"), 0.0);       // "～" maps to "~", no number
}

TEST(ToInt, ReadsTheLeadingInteger) {
  EXPECT_EQ(ToInt("45%"), 45);
  EXPECT_EQ(ToInt(" -7x"), -7);
  EXPECT_EQ(ToInt("12.9"), 12);
  EXPECT_EQ(ToInt("\xA3\xB3"), 3);  // "３"
  EXPECT_EQ(ToInt("x1"), 0);
}

TEST(ToInt, ClampsOutOfRangeNumbers) {
  EXPECT_EQ(ToInt("2147483647"), INT_MAX);
  EXPECT_EQ(ToInt("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ToInt("-2147483648"), INT_MIN);
  EXPECT_EQ(ToInt("-99999999999999999999"), INT_MIN);
}

TEST(RoundTo, HalfAwayFromZero) {
  EXPECT_EQ(RoundTo(45.5), 46.0);
  EXPECT_EQ(RoundTo(-45.5), -46.0);
  EXPECT_EQ(RoundTo(45.4), 45.0);
  EXPECT_TRUE(std::isnan(RoundTo(std::numeric_limits<double>::quiet_NaN())));
}

TEST(RoundTo, NudgeRoundsValuesJustBelowAHalfUp) {
  EXPECT_EQ(RoundTo(44.49999999999999), 45.0);
  EXPECT_EQ(RoundTo(2.4999999999999), 3.0);
  EXPECT_EQ(RoundTo(1.005, 2), 1.01);
}

TEST(RoundTo, NegativePlacesRoundToTensAndHundreds) {
  EXPECT_EQ(RoundTo(1234.5, -2), 1200.0);
  EXPECT_EQ(RoundTo(1250.0, -2), 1300.0);
  EXPECT_EQ(RoundTo(-15.0, -1), -20.0);
}

TEST(RoundTo, ScalesBeyondTheDoubleRangeGiveNoNaN) {
  EXPECT_EQ(RoundTo(1.5, 400), 1.5);
  EXPECT_EQ(RoundTo(1.5, INT_MAX), 1.5);
  EXPECT_EQ(RoundTo(1e300, 20), 1e300);
  EXPECT_EQ(RoundTo(1.5, -400), 0.0);
  EXPECT_EQ(RoundTo(-1.5, INT_MIN), -0.0);
  EXPECT_EQ(RoundTo(std::numeric_limits<double>::infinity()), std::numeric_limits<double>::infinity());
}

TEST(MakeRgb, RedInTheLowByteComponentsCutToEightBits) {
  EXPECT_EQ(MakeRgb(0xFF, 0, 0), 0xFFu);
  EXPECT_EQ(MakeRgb(0x12, 0x34, 0x56), 0x563412u);
  EXPECT_EQ(MakeRgb(0x101, -1, 0), 0x00FF01u);
}

}  // namespace
