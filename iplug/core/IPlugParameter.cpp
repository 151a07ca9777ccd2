#include "iplug/core/IPlugParameter.h"

#include "dsp/Maths.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr double kDbToGain = 0.1151292546497;
constexpr int kMaxPrecision = 6;
}  // namespace

void IPlugParameter::InitBoolean(const char* name, bool defaultValue, const char* label, const char* group) {
  if (mKind == kParamNone) mKind = kParamBoolean;
  InitNumber(name, defaultValue ? 1.0 : 0.0, 0.0, 1.0, 0.1, label, group, 1.0);
  AddDisplayText(0, "off");
  AddDisplayText(1, "on");
}

void IPlugParameter::InitEnumeration(const char* name, int defaultValue, int count, const char* label,
                                     const char* group) {
  if (mKind == kParamNone) mKind = kParamEnumeration;
  InitNumber(name, defaultValue, 0.0, count - 1.0, 0.1, label, group, 1.0);
}

void IPlugParameter::InitNumber(const char* name, double defaultValue, double minValue, double maxValue,
                                double step, const char* label, const char* group, double shape) {
  if (mKind == kParamNone) mKind = kParamNumber;
  CopyTextField(mName, kParamTextSize, name);
  CopyTextField(mLabel, kParamTextSize, label);
  CopyTextField(mGroup, kParamTextSize, group);
  mMin = minValue;
  mValue = defaultValue;
  mStep = step;
  mDefault = defaultValue;

  mPrecision = 0;
  for (double s = step; std::floor(s) != s && mPrecision < kMaxPrecision; s *= 10.0) ++mPrecision;

  mMax = maxValue > minValue + step ? maxValue : minValue + step;
  SetCurveShape(shape);
}

void IPlugParameter::SetCurveShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

void IPlugParameter::AddDisplayText(int value, const char* text) {
  const int size = mDisplayTexts.GetSize();
  mDisplayTexts.Resize(size + static_cast<int>(sizeof(DisplayTextEntry)), false);
  if (mDisplayTexts.GetSize() != size + static_cast<int>(sizeof(DisplayTextEntry))) return;
  DisplayTextEntry* entry = static_cast<DisplayTextEntry*>(mDisplayTexts.Get()) + size / sizeof(DisplayTextEntry);
  entry->mValue = value;
  CopyTextField(entry->mText, kParamTextSize, text);
}

void IPlugParameter::SetClamped(double value) {
  if (!std::isfinite(value)) {
    value = mDefault;
    if (!std::isfinite(value)) value = mMin;
  }
  if (value < mMin) value = mMin;
  else if (value > mMax) value = mMax;
  mValue = value;
}

double IPlugParameter::DecibelsToGain() const { return Dsp::Exp(mValue * kDbToGain); }

void IPlugParameter::SetFromNormalized(double normalized) {
  // The normalized value of the current value keeps it as it is: a host that sends back what it
  // read changes nothing, however the way back would round.
  if (mValue >= mMin && mValue <= mMax && normalized == ToNormalized(mValue)) return;
  double value = mMin + (mMax - mMin) * std::pow(normalized, mShape);
  if (mKind != kParamNumber) {
    if (mStep != 0.0) value = std::floor(value / mStep + 0.5) * mStep;
  } else if (mStep == 1.0) {
    value = std::round(value);
  }
  if (value > mMax) value = mMax;
  if (std::isnan(value)) return;
  mValue = value;
}

double IPlugParameter::ToNormalized(double plain) const {
  if (!(mMax > mMin)) return 0.0;
  if (!(plain >= mMin)) plain = mMin;  // NaN too
  if (plain > mMax) plain = mMax;
  double n = std::pow((plain - mMin) / (mMax - mMin), 1.0 / mShape);
  if (!(n >= 0.0)) n = 0.0;
  if (n > 1.0) n = 1.0;
  return n;
}

void IPlugParameter::FormatValueText(double value, bool valueIsNormalized, char* out, bool useDisplayTexts) const {
  if (!out) return;
  if (valueIsNormalized) value = mMin + (mMax - mMin) * std::pow(value, mShape);
  if (useDisplayTexts) {
    const DisplayTextEntry* entry = MatchDisplayText(value);
    if (entry && entry->mText[0]) {
      CopyTextField(out, kParamTextSize, entry->mText);
      return;
    }
  }
  if (mNegateDisplay) value = -value;
  if (mPrecision > 0) {
    std::snprintf(out, kParamTextSize, "%.*f", mPrecision, value);
  } else {
    std::snprintf(out, kParamTextSize, "%d", ClampToInt(value));
  }
}

const char* IPlugParameter::GetLabelText() const {
  const DisplayTextEntry* entry = MatchDisplayText(mValue);
  return entry && entry->mText[0] ? "" : mLabel;
}

int IPlugParameter::CountDisplayTexts() const {
  return mDisplayTexts.GetSize() / static_cast<int>(sizeof(DisplayTextEntry));
}

const char* IPlugParameter::FindDisplayText(int value) const {
  const int n = CountDisplayTexts();
  for (int i = 0; i < n; ++i) {
    if (Entries()[i].mValue == value) return Entries()[i].mText;
  }
  return "";
}

const DisplayTextEntry* IPlugParameter::GetDisplayTextEntry(int index) const {
  return index >= 0 && index < CountDisplayTexts() ? Entries() + index : nullptr;
}

const DisplayTextEntry* IPlugParameter::MatchDisplayText(double value) const {
  const int key = ClampToInt(value);
  const int n = CountDisplayTexts();
  for (int i = 0; i < n; ++i) {
    if (Entries()[i].mValue == key) return Entries() + i;
  }
  return nullptr;
}
