#pragma once
// One automatable value of the plug-in: kind, plain value and range, the curve that maps it to
// the normalised 0..1 range of hosts and controls, step, display precision, texts, and an
// optional list of display texts that replace numbers by words.

#include <cstdint>

#include "iplug/core/IPlugUtilities.h"

enum ParamKind : int32_t {
  kParamNone = 0,
  kParamBoolean = 1,
  kParamInteger = 2,
  kParamEnumeration = 3,
  kParamNumber = 4,
};

// Size of the name, label, group and display-text fields (31 characters and a zero). Value
// texts written by FormatValueText fill at most this many bytes too.
constexpr int kParamTextSize = 32;

struct DisplayTextEntry {
  int32_t mValue;
  char mText[kParamTextSize];
};

class IPlugParameter {
 public:
  IPlugParameter() = default;
  IPlugParameter(const IPlugParameter&) = delete;
  IPlugParameter& operator=(const IPlugParameter&) = delete;

  void InitBoolean(const char* name, bool defaultValue, const char* label = "", const char* group = "");
  void InitEnumeration(const char* name, int defaultValue, int count, const char* label = "",
                       const char* group = "");
  void InitNumber(const char* name, double defaultValue, double minValue, double maxValue, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);
  void SetCurveShape(double shape);
  void AddDisplayText(int value, const char* text);

  // Plain value access. Set stores the value as given; SetClamped takes it into
  // [minimum, maximum] and loads a non-finite value as the default.
  double Value() const { return mValue; }
  int Int() const { return ClampToInt(mValue); }
  bool Bool() const { return mValue >= 0.5; }
  void Set(double value) { mValue = value; }
  void SetClamped(double value);

  double DecibelsToGain() const;

  // minimum + (maximum - minimum) x x^shape, rounded to the step (numbers only with a step of
  // exactly 1), capped at the maximum. A value that comes out NaN is refused; the normalized
  // value of the current value leaves it as it is.
  void SetFromNormalized(double normalized);
  double GetNormalizedValue() const { return ToNormalized(mValue); }
  double ToNormalized(double plain) const;

  // Writes the value text into out, which holds kParamTextSize bytes.
  void FormatValueText(double value, bool valueIsNormalized, char* out, bool useDisplayTexts) const;

  const char* GetName() const { return mName; }
  const char* GetLabelText() const;
  const char* GetGroup() const { return mGroup; }
  int CountDisplayTexts() const;
  const char* FindDisplayText(int value) const;
  // The entry at index in order of addition, null outside the list.
  const DisplayTextEntry* GetDisplayTextEntry(int index) const;

  ParamKind Kind() const { return mKind; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  double GetDefault() const { return mDefault; }
  int GetPrecision() const { return mPrecision; }
  bool GetNegateDisplay() const { return mNegateDisplay; }
  void SetNegateDisplay(bool negate) { mNegateDisplay = negate; }
  bool GetAutomatable() const { return mAutomatable; }
  void SetAutomatable(bool automatable) { mAutomatable = automatable; }

 private:
  // The first entry whose value equals value truncated toward zero, or null.
  const DisplayTextEntry* MatchDisplayText(double value) const;
  const DisplayTextEntry* Entries() const { return static_cast<const DisplayTextEntry*>(mDisplayTexts.Get()); }

  ParamKind mKind = kParamNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mPrecision = 0;
  char mName[kParamTextSize] = "";
  char mLabel[kParamTextSize] = "";
  char mGroup[kParamTextSize] = "";
  bool mNegateDisplay = false;
  bool mAutomatable = true;
  HeapBuffer mDisplayTexts{4096};
};
