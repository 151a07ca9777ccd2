#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "iplug/core/IPlugParameter.h"

namespace {
std::string Text(const IPlugParameter& p, double value, bool normalized = false, bool displayTexts = true) {
  char out[kParamTextSize];
  p.FormatValueText(value, normalized, out, displayTexts);
  return out;
}
}  // namespace

TEST(IPlugParameter, InitNumberPrecisionAndMaximum) {
  IPlugParameter a;
  a.InitNumber("a", 0, 0, 0, 0.5);
  EXPECT_EQ(a.GetMax(), 0.5);  // at least min + step
  EXPECT_EQ(a.GetPrecision(), 1);
  IPlugParameter b;
  b.InitNumber("b", 0, 0, 1, 0.001);
  EXPECT_EQ(b.GetPrecision(), 3);
  IPlugParameter c;
  c.InitNumber("c", 0, 0, 1, 0.0000001);
  EXPECT_EQ(c.GetPrecision(), 6);
  IPlugParameter d;
  d.InitNumber("d", 500, 1, 3000, 1, "ms", "", 0.0);  // shape 0 keeps the previous shape
  EXPECT_EQ(d.GetPrecision(), 0);
  EXPECT_EQ(d.GetShape(), 1.0);
  EXPECT_EQ(d.Kind(), kParamNumber);
  EXPECT_EQ(d.Value(), 500.0);
  EXPECT_EQ(d.GetDefault(), 500.0);
  EXPECT_STREQ(d.GetLabelText(), "ms");
  d.SetCurveShape(0.0);
  EXPECT_EQ(d.GetShape(), 1.0);
  d.SetCurveShape(2.0);
  EXPECT_EQ(d.GetShape(), 2.0);
}

TEST(IPlugParameter, TextsAreCutTo31Characters) {
  IPlugParameter p;
  const std::string longText(40, 'x');
  p.InitNumber(longText.c_str(), 0, 0, 1, 1, longText.c_str(), longText.c_str());
  p.AddDisplayText(0, longText.c_str());
  EXPECT_EQ(std::string(p.GetName()), std::string(31, 'x'));
  EXPECT_EQ(std::string(p.GetGroup()), std::string(31, 'x'));
  EXPECT_EQ(std::string(p.FindDisplayText(0)), std::string(31, 'x'));
}

TEST(IPlugParameter, BooleanRoundsToTenths) {
  IPlugParameter p;
  p.InitBoolean("on", false, "unit");
  EXPECT_EQ(p.Kind(), kParamBoolean);
  EXPECT_EQ(p.GetPrecision(), 1);
  p.SetFromNormalized(0.4);
  EXPECT_DOUBLE_EQ(p.Value(), 0.4);
  EXPECT_EQ(Text(p, p.Value()), "off");
  EXPECT_STREQ(p.GetLabelText(), "");  // the display text hides the label
  p.SetFromNormalized(0.96);
  EXPECT_EQ(p.Value(), 1.0);
  EXPECT_EQ(Text(p, p.Value()), "on");
  EXPECT_STREQ(p.GetLabelText(), "");
  EXPECT_EQ(Text(p, p.Value(), false, false), "1.0");
}

TEST(IPlugParameter, EnumerationKeepsAnEarlierKind) {
  IPlugParameter p;
  p.InitEnumeration("mode", 1, 3);
  EXPECT_EQ(p.Kind(), kParamEnumeration);
  EXPECT_EQ(p.GetMax(), 2.0);
  EXPECT_EQ(p.Value(), 1.0);
  p.AddDisplayText(0, "Classic");
  p.AddDisplayText(1, "Stereo");
  p.AddDisplayText(2, "Mid / Side");
  p.SetFromNormalized(0.5);
  EXPECT_EQ(Text(p, p.Value()), "Stereo");
  EXPECT_EQ(Text(p, 1.0, true), "Mid / Side");
  EXPECT_STREQ(p.FindDisplayText(2), "Mid / Side");
  EXPECT_STREQ(p.FindDisplayText(7), "");
  ASSERT_NE(p.GetDisplayTextEntry(1), nullptr);
  EXPECT_EQ(p.GetDisplayTextEntry(1)->mValue, 1);
  EXPECT_EQ(p.GetDisplayTextEntry(3), nullptr);
  IPlugParameter q;
  q.InitNumber("q", 0, 0, 10, 1);  // a kind once set stays
  q.InitEnumeration("q", 0, 3);
  EXPECT_EQ(q.Kind(), kParamNumber);
}

TEST(IPlugParameter, StepRounding) {
  IPlugParameter unit;
  unit.InitNumber("n", 0, -10, 10, 1);
  unit.SetFromNormalized(0.625);  // 2.5
  EXPECT_EQ(unit.Value(), 3.0);
  unit.SetFromNormalized(0.375);  // -2.5: halves away from zero
  EXPECT_EQ(unit.Value(), -3.0);
  IPlugParameter half;
  half.InitNumber("h", 0, 0, 10, 0.5);
  half.SetFromNormalized(0.123);  // numbers with another step are not rounded
  EXPECT_DOUBLE_EQ(half.Value(), 1.23);
  // An enumeration rounds to its step of 0.1.
  IPlugParameter kinded;
  kinded.InitEnumeration("k", 0, 5);
  kinded.SetFromNormalized(0.34);  // 1.36 -> 1.4
  EXPECT_DOUBLE_EQ(kinded.Value(), 1.4);
}

TEST(IPlugParameter, ShapeMapping) {
  IPlugParameter p;
  p.InitNumber("f", 0, 0, 100, 0.01, "", "", 2.0);
  p.SetFromNormalized(0.5);
  EXPECT_DOUBLE_EQ(p.Value(), 25.0);
  EXPECT_DOUBLE_EQ(p.GetNormalizedValue(), 0.5);
  p.Set(150.0);
  EXPECT_EQ(p.GetNormalizedValue(), 1.0);
  p.Set(-5.0);
  EXPECT_EQ(p.GetNormalizedValue(), 0.0);
  EXPECT_DOUBLE_EQ(p.ToNormalized(25.0), 0.5);
  EXPECT_EQ(p.ToNormalized(std::nan("")), 0.0);
  // Hi-pass mapping of the effect: 20 + 2980 x 0.25 = 765 Hz.
  IPlugParameter hp;
  hp.InitNumber("hp", 20, 20, 3000, 1);
  hp.SetCurveShape(2.0);
  hp.SetFromNormalized(0.5);
  EXPECT_EQ(hp.Value(), 765.0);
  hp.SetFromNormalized(1.2);  // capped at the maximum
  EXPECT_EQ(hp.Value(), 3000.0);
}

TEST(IPlugParameter, NonFiniteInputIsRefused) {
  IPlugParameter p;
  p.InitNumber("p", 5, 0, 10, 0.1);
  p.SetFromNormalized(std::nan(""));
  EXPECT_EQ(p.Value(), 5.0);
  IPlugParameter fractional;
  fractional.InitNumber("s", 1, 0, 10, 0.1, "", "", 0.5);
  fractional.SetFromNormalized(-0.5);  // a negative base with a fractional shape is NaN
  EXPECT_EQ(fractional.Value(), 1.0);
  // A stepped kind with a zero step keeps its value unrounded instead of turning into NaN.
  IPlugParameter zeroStep;
  zeroStep.InitEnumeration("z", 0, 3);
  zeroStep.InitNumber("z", 0, 0, 2, 0.0);
  zeroStep.SetFromNormalized(0.3);
  EXPECT_DOUBLE_EQ(zeroStep.Value(), 0.6);
  // SetClamped: NaN and infinities load as the default.
  p.SetClamped(std::nan(""));
  EXPECT_EQ(p.Value(), 5.0);
  p.SetClamped(-std::numeric_limits<double>::infinity());
  EXPECT_EQ(p.Value(), 5.0);
  p.SetClamped(42.0);
  EXPECT_EQ(p.Value(), 10.0);
  p.SetClamped(-1.0);
  EXPECT_EQ(p.Value(), 0.0);
}

TEST(IPlugParameter, ValueTexts) {
  IPlugParameter p;
  p.InitNumber("g", 0, -30, 30, 1);
  EXPECT_EQ(Text(p, -3.7), "-3");
  IPlugParameter tenth;
  tenth.InitNumber("g", 0, -30, 30, 0.1);
  tenth.SetNegateDisplay(true);
  EXPECT_EQ(Text(tenth, -3.7), "3.7");
  // Numbers far outside the int range are clamped, not converted with undefined results.
  EXPECT_EQ(Text(p, 1e300), "2147483647");
  EXPECT_EQ(Text(p, -1e300), "-2147483648");
  // A huge value with decimals is cut to the field.
  const std::string huge = Text(tenth, 1e300);
  EXPECT_EQ(huge.size(), static_cast<size_t>(kParamTextSize - 1));
  // A display text entry with an empty text shows the number; later entries are not consulted.
  IPlugParameter e;
  e.InitEnumeration("e", 0, 3);
  e.AddDisplayText(1, "");
  e.AddDisplayText(1, "one");
  e.AddDisplayText(2, "two");
  EXPECT_EQ(Text(e, 1.0), "1.0");
  EXPECT_EQ(Text(e, 2.9), "two");  // truncated toward zero
  e.Set(1.0);
  EXPECT_STREQ(e.GetLabelText(), "");
}

TEST(IPlugParameter, DecibelsToGain) {
  IPlugParameter p;
  p.InitNumber("db", -6, -100, 100, 0.1, "dB");
  EXPECT_NEAR(p.DecibelsToGain(), 0.501187, 1e-6);
  p.Set(0.0);
  EXPECT_EQ(p.DecibelsToGain(), 1.0);
}
