#pragma once
// Tapers of the AAX host parameters: each maps a parameter's real value to and from the host's
// normalized range 0 to 1. Every host parameter keeps its own copy, made with Clone.

#include <cstdint>

class AAX_ITaperDelegateBase {
 public:
  virtual ~AAX_ITaperDelegateBase() = default;
};

template <typename T>
class AAX_ITaperDelegate : public AAX_ITaperDelegateBase {
 public:
  // A new heap copy of the same concrete taper; the caller owns it.
  virtual AAX_ITaperDelegate* Clone() const = 0;
  virtual T MaximumValue() const = 0;
  virtual T MinimumValue() const = 0;
  virtual T ClampValue(T value) const = 0;
  virtual T NormalizedToValue(double normalized) const = 0;
  virtual double ValueToNormalized(T value) const = 0;
};

// Two states: every normalized value above 0 is true.
template <typename T>
class AAX_CBinaryTaperDelegate;

template <>
class AAX_CBinaryTaperDelegate<bool> final : public AAX_ITaperDelegate<bool> {
 public:
  AAX_CBinaryTaperDelegate* Clone() const override;
  bool MaximumValue() const override { return true; }
  bool MinimumValue() const override { return false; }
  bool ClampValue(bool value) const override { return value; }
  bool NormalizedToValue(double normalized) const override;  // NaN counts as false
  double ValueToNormalized(bool value) const override { return value ? 1.0 : 0.0; }
};

// Whole numbers spread evenly over the normalized range; values are truncated toward zero, not
// rounded. The second template argument is part of the class's name only. Requires
// maximum > minimum.
template <typename T, int32_t RealPrecision>
class AAX_CLinearTaperDelegate;

template <>
class AAX_CLinearTaperDelegate<int32_t, 0> final : public AAX_ITaperDelegate<int32_t> {
 public:
  AAX_CLinearTaperDelegate(int32_t minimum, int32_t maximum);
  AAX_CLinearTaperDelegate* Clone() const override;
  int32_t MaximumValue() const override { return mMaximum; }
  int32_t MinimumValue() const override { return mMinimum; }
  int32_t ClampValue(int32_t value) const override;
  // Out-of-range results are clamped (before the conversion to int32, so nothing overflows);
  // a NaN gives the minimum.
  int32_t NormalizedToValue(double normalized) const override;
  double ValueToNormalized(int32_t value) const override;

 private:
  int32_t mMinimum;
  int32_t mMaximum;
};

// The framework parameter's shaped curve: normalized = proportion ^ (1 / shape). Requires
// maximum > minimum and shape > 0.
template <typename T>
class AAX_CIPlugTaperDelegate;

template <>
class AAX_CIPlugTaperDelegate<double> final : public AAX_ITaperDelegate<double> {
 public:
  AAX_CIPlugTaperDelegate(double minimum, double maximum, double shape);
  AAX_CIPlugTaperDelegate* Clone() const override;
  double MaximumValue() const override { return mMaximum; }
  double MinimumValue() const override { return mMinimum; }
  double ClampValue(double value) const override;  // a NaN gives the minimum
  // A NaN normalized value, or one the curve cannot map, gives the minimum.
  double NormalizedToValue(double normalized) const override;
  double ValueToNormalized(double value) const override;  // always within 0..1

 private:
  double mMinimum;
  double mMaximum;
  double mShape;
};
