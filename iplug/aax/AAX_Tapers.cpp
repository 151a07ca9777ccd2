#include "iplug/aax/AAX_Tapers.h"

#include <cmath>

AAX_CBinaryTaperDelegate<bool>* AAX_CBinaryTaperDelegate<bool>::Clone() const {
  return new AAX_CBinaryTaperDelegate(*this);
}

bool AAX_CBinaryTaperDelegate<bool>::NormalizedToValue(double normalized) const {
  return normalized > 0.0;
}

AAX_CLinearTaperDelegate<int32_t, 0>::AAX_CLinearTaperDelegate(int32_t minimum, int32_t maximum)
    : mMinimum(minimum), mMaximum(maximum) {}

AAX_CLinearTaperDelegate<int32_t, 0>* AAX_CLinearTaperDelegate<int32_t, 0>::Clone() const {
  return new AAX_CLinearTaperDelegate(*this);
}

int32_t AAX_CLinearTaperDelegate<int32_t, 0>::ClampValue(int32_t value) const {
  if (value > mMaximum) return mMaximum;
  if (value < mMinimum) return mMinimum;
  return value;
}

int32_t AAX_CLinearTaperDelegate<int32_t, 0>::NormalizedToValue(double normalized) const {
  const double min = static_cast<double>(mMinimum);
  const double x = min + (static_cast<double>(mMaximum) - min) * normalized;
  // Clamping first gives the same result as truncating and then clamping, but keeps the
  // conversion defined for huge or non-finite products.
  if (std::isnan(x)) return mMinimum;
  if (x >= static_cast<double>(mMaximum)) return mMaximum;
  if (x <= min) return mMinimum;
  return ClampValue(static_cast<int32_t>(x));  // truncation toward zero
}

double AAX_CLinearTaperDelegate<int32_t, 0>::ValueToNormalized(int32_t value) const {
  const double min = static_cast<double>(mMinimum);
  const double c = static_cast<double>(ClampValue(value));
  return (c - min) / (static_cast<double>(mMaximum) - min);
}

AAX_CIPlugTaperDelegate<double>::AAX_CIPlugTaperDelegate(double minimum, double maximum,
                                                         double shape)
    : mMinimum(minimum), mMaximum(maximum), mShape(shape) {}

AAX_CIPlugTaperDelegate<double>* AAX_CIPlugTaperDelegate<double>::Clone() const {
  return new AAX_CIPlugTaperDelegate(*this);
}

double AAX_CIPlugTaperDelegate<double>::ClampValue(double value) const {
  if (std::isnan(value)) return mMinimum;
  if (value > mMaximum) return mMaximum;
  if (value < mMinimum) return mMinimum;
  return value;
}

double AAX_CIPlugTaperDelegate<double>::NormalizedToValue(double normalized) const {
  const double value = std::pow(normalized, mShape) * (mMaximum - mMinimum) + mMinimum;
  return ClampValue(value);
}

double AAX_CIPlugTaperDelegate<double>::ValueToNormalized(double value) const {
  const double x = (ClampValue(value) - mMinimum) / (mMaximum - mMinimum);
  const double n = std::pow(x, 1.0 / mShape);
  if (!(n > 0.0)) return 0.0;  // also a NaN
  if (n > 1.0) return 1.0;
  return n;
}
