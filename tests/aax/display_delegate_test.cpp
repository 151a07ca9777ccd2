#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "iplug/aax/AAX_DisplayDelegates.h"

namespace {

using IntNumber = AAX_CNumberDisplayDelegate<int32_t, 2, 0>;
using DoubleNumber = AAX_CNumberDisplayDelegate<double, 2, 0>;

template <typename T>
std::string Format(const AAX_IDisplayDelegate<T>& d, T value) {
  AAX_CString out("stale");
  EXPECT_TRUE(d.FormatValue(value, out));
  return out.Get();
}

template <typename T>
std::string Format(const AAX_IDisplayDelegate<T>& d, T value, int32_t limit) {
  AAX_CString out("stale");
  EXPECT_TRUE(d.FormatValue(value, limit, out));
  return out.Get();
}

TEST(NumberDisplay, FixedNotationWithTwoDecimals) {
  DoubleNumber d;
  EXPECT_EQ(Format<double>(d, 5.0), "5.00");
  EXPECT_EQ(Format<double>(d, -0.004), "-0.00");
  EXPECT_EQ(Format<double>(d, 0.126), "0.13");
  EXPECT_EQ(Format<double>(d, -12.5), "-12.50");
  IntNumber i;
  EXPECT_EQ(Format<int32_t>(i, 7), "7.00");
  EXPECT_EQ(Format<int32_t>(i, -2147483647 - 1), "-2147483648.00");
}

TEST(NumberDisplay, LimitCutsAndDropsADanglingPoint) {
  DoubleNumber d;
  EXPECT_EQ(Format<double>(d, 123.45, 4), "123");
  EXPECT_EQ(Format<double>(d, 5.0, 3), "5.0");
  EXPECT_EQ(Format<double>(d, 5.0, 2), "5");
  EXPECT_EQ(Format<double>(d, 5.0, 10), "5.00");
  EXPECT_EQ(Format<double>(d, 123.45, 0), "");
  EXPECT_EQ(Format<double>(d, 123.45, -3), "");
  EXPECT_EQ(Format<double>(d, 123.45, 6), "123.45");
}

TEST(NumberDisplay, ParsesLikeStreamExtraction) {
  DoubleNumber d;
  double v = -1.0;
  EXPECT_TRUE(d.ParseText(AAX_CString("  -1.5e2xyz"), v));
  EXPECT_EQ(v, -150.0);
  EXPECT_TRUE(d.ParseText(AAX_CString("+0.25"), v));
  EXPECT_EQ(v, 0.25);
  v = 9.0;
  EXPECT_FALSE(d.ParseText(AAX_CString("abc"), v));
  EXPECT_EQ(v, 0.0);
  v = 9.0;
  EXPECT_FALSE(d.ParseText(AAX_CString(""), v));
  EXPECT_EQ(v, 0.0);
  v = 9.0;
  EXPECT_FALSE(d.ParseText(AAX_CString("1e999"), v));  // out of range for a double
  EXPECT_EQ(v, 0.0);
}

TEST(NumberDisplay, IntegerParseTruncatesAndRefusesWhatDoesNotFit) {
  IntNumber d;
  int32_t v = 0;
  EXPECT_TRUE(d.ParseText(AAX_CString("3.9"), v));
  EXPECT_EQ(v, 3);
  EXPECT_TRUE(d.ParseText(AAX_CString("-3.9"), v));
  EXPECT_EQ(v, -3);
  EXPECT_TRUE(d.ParseText(AAX_CString("2147483647.7"), v));
  EXPECT_EQ(v, 2147483647);
  EXPECT_TRUE(d.ParseText(AAX_CString("-2147483648"), v));
  EXPECT_EQ(v, -2147483647 - 1);
  v = 5;
  EXPECT_FALSE(d.ParseText(AAX_CString("2147483648"), v));
  EXPECT_EQ(v, 0);
  v = 5;
  EXPECT_FALSE(d.ParseText(AAX_CString("-1e12"), v));
  EXPECT_EQ(v, 0);
  v = 5;
  EXPECT_FALSE(d.ParseText(AAX_CString("x1"), v));
  EXPECT_EQ(v, 0);
}

TEST(NumberDisplay, TextRoundTrip) {
  DoubleNumber d;
  for (double value : {-60.0, -12.25, 0.0, 0.5, 3000.0}) {
    AAX_CString text;
    ASSERT_TRUE(d.FormatValue(value, text));
    double back = 1e9;
    ASSERT_TRUE(d.ParseText(text, back));
    EXPECT_EQ(back, value) << text.Get();
  }
}

TEST(BinaryDisplay, MasterBypassTexts) {
  AAX_CBinaryDisplayDelegate<bool> d("bypass", "on");
  EXPECT_EQ(Format<bool>(d, false), "bypass");
  EXPECT_EQ(Format<bool>(d, true), "on");
  // No short texts: the limit changes nothing.
  EXPECT_EQ(Format<bool>(d, false, 2), "bypass");
  EXPECT_EQ(Format<bool>(d, true, -1), "on");
  bool v = false;
  EXPECT_TRUE(d.ParseText(AAX_CString("on"), v));
  EXPECT_TRUE(v);
  v = true;
  EXPECT_TRUE(d.ParseText(AAX_CString("bypass"), v));
  EXPECT_FALSE(v);
  v = true;
  EXPECT_FALSE(d.ParseText(AAX_CString("Bypass"), v));
  EXPECT_FALSE(v);
  v = true;
  EXPECT_FALSE(d.ParseText(AAX_CString("on "), v));
  EXPECT_FALSE(v);
  std::unique_ptr<AAX_IDisplayDelegate<bool>> copy(d.Clone());
  EXPECT_EQ(Format<bool>(*copy, false), "bypass");
  EXPECT_TRUE(copy->ParseText(AAX_CString("on"), v));
  EXPECT_TRUE(v);
}

TEST(UnitDecorator, UnitAppearsOnlyWhenItFitsWhole) {
  IntNumber number;
  AAX_CUnitDisplayDelegateDecorator<int32_t> d(number, AAX_CString("ms"));
  EXPECT_EQ(Format<int32_t>(d, 500, 5), "500.0");
  EXPECT_EQ(Format<int32_t>(d, 500, 7), "500.00");
  EXPECT_EQ(Format<int32_t>(d, 500, 8), "500.00ms");
  EXPECT_EQ(Format<int32_t>(d, 500), "500.00ms");
  EXPECT_EQ(Format<int32_t>(d, 500, -1), "");
}

TEST(UnitDecorator, ParsingStripsTheUnit) {
  DoubleNumber number;
  AAX_CUnitDisplayDelegateDecorator<double> d(number, AAX_CString("dB"));
  double v = 0.0;
  EXPECT_TRUE(d.ParseText(AAX_CString("12.50dB"), v));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(d.ParseText(AAX_CString("12.50 dB"), v));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(d.ParseText(AAX_CString("-3"), v));
  EXPECT_EQ(v, -3.0);
  v = 4.0;
  EXPECT_FALSE(d.ParseText(AAX_CString("dB"), v));
  EXPECT_EQ(v, 0.0);
  // Round trip through the full text.
  AAX_CString text;
  ASSERT_TRUE(d.FormatValue(-24.75, text));
  EXPECT_STREQ(text.Get(), "-24.75dB");
  ASSERT_TRUE(d.ParseText(text, v));
  EXPECT_EQ(v, -24.75);

  IntNumber intNumber;
  AAX_CUnitDisplayDelegateDecorator<int32_t> ms(intNumber, AAX_CString("ms"));
  int32_t i = 0;
  EXPECT_TRUE(ms.ParseText(AAX_CString("250ms"), i));
  EXPECT_EQ(i, 250);
  i = 3;
  EXPECT_FALSE(ms.ParseText(AAX_CString("ms"), i));
  EXPECT_EQ(i, 0);
}

TEST(Decorators, ForwardAndCloneTheirInnerDelegate) {
  IntNumber inner;
  auto* base = new AAX_IDisplayDelegateDecorator<int32_t>(inner);
  EXPECT_EQ(Format<int32_t>(*base, 12), "12.00");
  EXPECT_EQ(Format<int32_t>(*base, 12, 3), "12");
  int32_t v = 8;
  EXPECT_TRUE(base->ParseText(AAX_CString("-6.5"), v));
  EXPECT_EQ(v, -6);
  EXPECT_FALSE(base->ParseText(AAX_CString("x"), v));
  EXPECT_EQ(v, 0);
  std::unique_ptr<AAX_IDisplayDelegate<int32_t>> baseCopy(base->Clone());
  delete base;  // the copy owns its own inner delegate
  EXPECT_EQ(Format<int32_t>(*baseCopy, -1), "-1.00");

  DoubleNumber number;
  auto* unit = new AAX_CUnitDisplayDelegateDecorator<double>(number, AAX_CString("Hz"));
  std::unique_ptr<AAX_IDisplayDelegate<double>> unitCopy(unit->Clone());
  delete unit;
  ASSERT_NE(dynamic_cast<AAX_CUnitDisplayDelegateDecorator<double>*>(unitCopy.get()), nullptr);
  EXPECT_EQ(Format<double>(*unitCopy, 440.0), "440.00Hz");
  std::unique_ptr<AAX_IDisplayDelegate<double>> second(unitCopy->Clone());
  unitCopy.reset();
  EXPECT_EQ(Format<double>(*second, 20.0, 7), "20.00Hz");
}

}  // namespace
