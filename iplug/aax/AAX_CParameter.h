#pragma once
// The typed host parameter: a real value of type T (bool, int32 or double) converted to and
// from the host's normalized range by a taper and to and from text by a display delegate, with
// changes and gestures reported through the host's automation delegate.

#include <cstdint>
#include <map>
#include <type_traits>

#include "iplug/aax/AAX_DisplayDelegates.h"
#include "iplug/aax/AAX_IParameter.h"
#include "iplug/aax/AAX_Tapers.h"

template <typename T>
class AAX_CParameter final : public AAX_IParameter {
 public:
  // Keeps clones of both delegates. A null identifier counts as empty; a longer one than
  // kAAXMaxIdentifierLength is cut.
  AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue,
                 const AAX_ITaperDelegate<T>& taper, const AAX_IDisplayDelegate<T>& display,
                 bool automatable);
  ~AAX_CParameter() override;
  AAX_CParameter(const AAX_CParameter&) = delete;
  AAX_CParameter& operator=(const AAX_CParameter&) = delete;

  const char* GetIdentifier() const override { return mIdentifier; }
  void SetName(const AAX_CString& name) override { mName = name; }
  const AAX_CString& GetName() const override { return mName; }
  void AddShortName(const AAX_CString& name) override;
  const AAX_CString& GetShortName(int32_t maxLength) const override;
  void ClearShortNames() override { mShortNames.clear(); }
  bool IsAutomatable() const override { return mAutomatable; }
  void AttachAutomationDelegate(AAX_IAutomationDelegate* automation) override;
  void BeginTouch() override;
  void EndTouch() override;
  void SetNormalized(double normalized) override;
  double GetNormalized() const override { return mTaper->ValueToNormalized(mValue); }
  void SetNormalizedDefault(double normalized) override;
  double GetNormalizedDefault() const override { return mTaper->ValueToNormalized(mDefault); }
  void ResetToDefault() override;
  void SetStepCount(uint32_t steps) override { mStepCount = steps; }
  uint32_t GetStepCount() const override { return mStepCount; }
  uint32_t GetStep() const override;
  void SetStep(uint32_t step) override;
  bool GetValueText(int32_t maxLength, AAX_CString& out) const override;
  bool GetValueText(AAX_CString& out) const override;
  bool NormalizedFromText(const AAX_CString& text, double& normalized) const override;
  bool TextFromNormalized(double normalized, int32_t maxLength, AAX_CString& out) const override;
  bool TextFromNormalized(double normalized, AAX_CString& out) const override;
  bool SetValueFromText(const AAX_CString& text) override;
  bool ReadBool(bool& out) const override { return Read(out); }
  bool ReadInt32(int32_t& out) const override { return Read(out); }
  bool ReadFloat(float&) const override { return false; }
  bool ReadDouble(double& out) const override { return Read(out); }
  bool ReadText(AAX_CString&) const override { return false; }
  bool WriteBool(bool value) override { return Write(value); }
  bool WriteInt32(int32_t value) override { return Write(value); }
  bool WriteFloat(float) override { return false; }
  bool WriteDouble(double value) override { return Write(value); }
  bool WriteText(const AAX_CString&) override { return false; }
  void SetParamType(int32_t type) override { mParamType = type; }
  int32_t GetParamType() const override { return mParamType; }
  void SetOrientation(int32_t orientation) override { mOrientation = orientation; }
  int32_t GetOrientation() const override { return mOrientation; }
  bool ReplaceTaper(const AAX_ITaperDelegateBase& taper, bool keepValue) override;
  bool ReplaceDisplay(const AAX_IDisplayDelegateBase& display) override;
  void ApplyNormalized(double normalized) override;

  // Posts (with a delegate attached) or applies the real value's normalized position.
  void SetRealValue(T value) { PostOrApply(mTaper->ValueToNormalized(value)); }
  T GetRealValue() const { return mValue; }
  const AAX_IAutomationDelegate* AutomationDelegate() const { return mAutomation; }

 private:
  void PostOrApply(double normalized);
  template <typename U>
  bool Read(U& out) const;
  template <typename U>
  bool Write(U value);

  char mIdentifier[kAAXMaxIdentifierLength + 1];
  AAX_CString mName;
  std::map<uint32_t, AAX_CString> mShortNames;  // keyed by length
  bool mAutomatable;
  uint32_t mStepCount = 0;
  int32_t mParamType = 1;
  int32_t mOrientation = 0;
  AAX_ITaperDelegate<T>* mTaper;        // owned
  AAX_IDisplayDelegate<T>* mDisplay;    // owned
  AAX_IAutomationDelegate* mAutomation = nullptr;
  bool mNotifyPending = true;
  T mValue{};
  T mDefault;
};

template <typename T>
template <typename U>
bool AAX_CParameter<T>::Read(U& out) const {
  if constexpr (std::is_same_v<T, U>) {
    out = mValue;
    return true;
  } else {
    return false;
  }
}

template <typename T>
template <typename U>
bool AAX_CParameter<T>::Write(U value) {
  if constexpr (std::is_same_v<T, U>) {
    SetRealValue(value);
    return true;
  } else {
    return false;
  }
}

extern template class AAX_CParameter<bool>;
extern template class AAX_CParameter<int32_t>;
extern template class AAX_CParameter<double>;
