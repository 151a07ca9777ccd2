#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "iplug/aax/AAX_Tapers.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(BinaryTaper, AnythingAboveZeroIsTrue) {
  AAX_CBinaryTaperDelegate<bool> taper;
  EXPECT_TRUE(taper.NormalizedToValue(0.0001));
  EXPECT_TRUE(taper.NormalizedToValue(1.0));
  EXPECT_TRUE(taper.NormalizedToValue(kInf));
  EXPECT_FALSE(taper.NormalizedToValue(0.0));
  EXPECT_FALSE(taper.NormalizedToValue(-0.5));
  EXPECT_FALSE(taper.NormalizedToValue(kNaN));
  EXPECT_EQ(taper.ValueToNormalized(true), 1.0);
  EXPECT_EQ(taper.ValueToNormalized(false), 0.0);
  EXPECT_TRUE(taper.MaximumValue());
  EXPECT_FALSE(taper.MinimumValue());
  EXPECT_TRUE(taper.ClampValue(true));
  EXPECT_FALSE(taper.ClampValue(false));
}

TEST(LinearTaper, TruncatesTowardZeroAndClamps) {
  AAX_CLinearTaperDelegate<int32_t, 0> taper(-10, 10);
  EXPECT_EQ(taper.NormalizedToValue(0.26), -4);  // -4.8
  EXPECT_EQ(taper.NormalizedToValue(0.74), 4);   // 4.8
  EXPECT_EQ(taper.NormalizedToValue(1.5), 10);
  EXPECT_EQ(taper.NormalizedToValue(-1.0), -10);
  EXPECT_EQ(taper.NormalizedToValue(0.5), 0);
  AAX_CLinearTaperDelegate<int32_t, 0> tens(0, 10);
  EXPECT_EQ(tens.NormalizedToValue(0.99), 9);
  EXPECT_EQ(tens.ValueToNormalized(15), 1.0);
  EXPECT_EQ(tens.ValueToNormalized(-3), 0.0);
  EXPECT_DOUBLE_EQ(tens.ValueToNormalized(3), 0.3);
  EXPECT_EQ(tens.ClampValue(11), 10);
  EXPECT_EQ(tens.ClampValue(-1), 0);
  EXPECT_EQ(tens.ClampValue(7), 7);
  EXPECT_EQ(tens.MinimumValue(), 0);
  EXPECT_EQ(tens.MaximumValue(), 10);
}

TEST(LinearTaper, HugeAndNonFiniteInputStayInRange) {
  AAX_CLinearTaperDelegate<int32_t, 0> taper(-10, 10);
  EXPECT_EQ(taper.NormalizedToValue(1e300), 10);
  EXPECT_EQ(taper.NormalizedToValue(-1e300), -10);
  EXPECT_EQ(taper.NormalizedToValue(kInf), 10);
  EXPECT_EQ(taper.NormalizedToValue(-kInf), -10);
  EXPECT_EQ(taper.NormalizedToValue(kNaN), -10);
  // The full int32 range: the difference does not overflow.
  const int32_t lo = std::numeric_limits<int32_t>::min();
  const int32_t hi = std::numeric_limits<int32_t>::max();
  AAX_CLinearTaperDelegate<int32_t, 0> wide(lo, hi);
  EXPECT_EQ(wide.ValueToNormalized(hi), 1.0);
  EXPECT_EQ(wide.ValueToNormalized(lo), 0.0);
  EXPECT_EQ(wide.NormalizedToValue(1.0), hi);
  EXPECT_EQ(wide.NormalizedToValue(0.0), lo);
}

TEST(LinearTaper, EveryValueSurvivesTheRoundTrip) {
  AAX_CLinearTaperDelegate<int32_t, 0> taper(-7, 13);
  for (int32_t v = -7; v <= 13; ++v)
    EXPECT_EQ(taper.NormalizedToValue(taper.ValueToNormalized(v)), v) << v;
}

TEST(IPlugTaper, ShapedCurveMatchesHandValues) {
  AAX_CIPlugTaperDelegate<double> taper(20.0, 3000.0, 2.0);
  EXPECT_EQ(taper.ValueToNormalized(20.0), 0.0);
  EXPECT_EQ(taper.ValueToNormalized(3000.0), 1.0);
  EXPECT_DOUBLE_EQ(taper.ValueToNormalized(765.0), 0.5);  // (745 / 2980) ^ 0.5
  EXPECT_DOUBLE_EQ(taper.NormalizedToValue(0.5), 765.0);  // 0.25 * 2980 + 20
  EXPECT_EQ(taper.ValueToNormalized(5000.0), 1.0);
  EXPECT_EQ(taper.ValueToNormalized(-5.0), 0.0);
  EXPECT_EQ(taper.NormalizedToValue(2.0), 3000.0);
  // The normalized value is not limited before the curve: with shape 2 a negative one squares.
  EXPECT_DOUBLE_EQ(taper.NormalizedToValue(-0.5), 765.0);
  EXPECT_EQ(taper.ClampValue(3001.0), 3000.0);
  EXPECT_EQ(taper.ClampValue(19.0), 20.0);
  EXPECT_EQ(taper.ClampValue(100.0), 100.0);
}

TEST(IPlugTaper, ShapeOneIsLinear) {
  AAX_CIPlugTaperDelegate<double> taper(-60.0, 12.0, 1.0);
  EXPECT_DOUBLE_EQ(taper.ValueToNormalized(-24.0), 0.5);
  EXPECT_DOUBLE_EQ(taper.NormalizedToValue(0.25), -42.0);
}

TEST(IPlugTaper, RoundTripsAcrossTheRange) {
  for (double shape : {0.5, 1.0, 2.0, 3.3}) {
    AAX_CIPlugTaperDelegate<double> taper(20.0, 3000.0, shape);
    for (double v = 20.0; v <= 3000.0; v += 37.25)
      EXPECT_NEAR(taper.NormalizedToValue(taper.ValueToNormalized(v)), v, 1e-9) << shape;
    for (double n = 0.0; n <= 1.0; n += 0.0625)
      EXPECT_NEAR(taper.ValueToNormalized(taper.NormalizedToValue(n)), n, 1e-12) << shape;
  }
}

TEST(IPlugTaper, NonFiniteInputGivesValuesInRange) {
  AAX_CIPlugTaperDelegate<double> taper(20.0, 3000.0, 2.5);
  EXPECT_EQ(taper.NormalizedToValue(kNaN), 20.0);
  EXPECT_EQ(taper.NormalizedToValue(-0.5), 20.0);  // no real power of a negative: minimum
  EXPECT_EQ(taper.NormalizedToValue(kInf), 3000.0);
  EXPECT_EQ(taper.ValueToNormalized(kNaN), 0.0);
  EXPECT_EQ(taper.ValueToNormalized(kInf), 1.0);
  EXPECT_EQ(taper.ValueToNormalized(-kInf), 0.0);
  EXPECT_EQ(taper.ClampValue(kNaN), 20.0);
}

TEST(Tapers, ClonesAreIndependentCopiesOfTheSameClass) {
  AAX_CIPlugTaperDelegate<double> shaped(20.0, 3000.0, 2.0);
  std::unique_ptr<AAX_ITaperDelegate<double>> copy(shaped.Clone());
  ASSERT_NE(dynamic_cast<AAX_CIPlugTaperDelegate<double>*>(copy.get()), nullptr);
  EXPECT_EQ(copy->MinimumValue(), 20.0);
  EXPECT_EQ(copy->MaximumValue(), 3000.0);
  EXPECT_DOUBLE_EQ(copy->NormalizedToValue(0.5), 765.0);

  AAX_CLinearTaperDelegate<int32_t, 0> linear(-10, 10);
  std::unique_ptr<AAX_ITaperDelegate<int32_t>> linearCopy(linear.Clone());
  EXPECT_EQ(linearCopy->NormalizedToValue(0.26), -4);
  EXPECT_EQ(linearCopy->MinimumValue(), -10);

  AAX_CBinaryTaperDelegate<bool> binary;
  std::unique_ptr<AAX_ITaperDelegate<bool>> binaryCopy(binary.Clone());
  EXPECT_NE(dynamic_cast<AAX_CBinaryTaperDelegate<bool>*>(binaryCopy.get()), nullptr);
}

}  // namespace
