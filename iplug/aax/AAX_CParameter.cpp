// The typed host parameter: value storage, normalized and text conversions, and the requests,
// reports and gestures it sends to the host's automation delegate.

#include "iplug/aax/AAX_CParameter.h"

#include <cstring>
#include <iterator>

#include "iplug/aax/AAX_VProxies.h"

namespace {

constexpr uint32_t kDefaultStepCount = 128;

}  // namespace

template <typename T>
AAX_CParameter<T>::AAX_CParameter(const char* identifier, const AAX_CString& name, T defaultValue,
                                  const AAX_ITaperDelegate<T>& taper,
                                  const AAX_IDisplayDelegate<T>& display, bool automatable)
    : mName(name),
      mAutomatable(automatable),
      mTaper(taper.Clone()),
      mDisplay(nullptr),
      mDefault(defaultValue) {
  try {
    mDisplay = display.Clone();
  } catch (...) {
    delete mTaper;
    throw;
  }
  const size_t length = identifier ? strnlen(identifier, kAAXMaxIdentifierLength) : 0;
  if (length) std::memcpy(mIdentifier, identifier, length);
  mIdentifier[length] = '\0';
  mStepCount = kDefaultStepCount;
  PostOrApply(mTaper->ValueToNormalized(mDefault));
}

template <typename T>
AAX_CParameter<T>::~AAX_CParameter() {
  AttachAutomationDelegate(nullptr);
  delete mTaper;
  delete mDisplay;
}

template <typename T>
void AAX_CParameter<T>::AddShortName(const AAX_CString& name) {
  mShortNames[name.Length()] = name;
}

template <typename T>
const AAX_CString& AAX_CParameter<T>::GetShortName(int32_t maxLength) const {
  if (maxLength < 0 || static_cast<uint32_t>(maxLength) >= mName.Length() || mShortNames.empty())
    return mName;
  auto longer = mShortNames.upper_bound(static_cast<uint32_t>(maxLength));
  if (longer == mShortNames.begin()) return longer->second;
  return std::prev(longer)->second;
}

template <typename T>
void AAX_CParameter<T>::AttachAutomationDelegate(AAX_IAutomationDelegate* automation) {
  if (mAutomation) mAutomation->DetachParameter(mIdentifier);
  mAutomation = automation;
  if (mAutomation) mAutomation->AttachParameter(mIdentifier);
}

template <typename T>
void AAX_CParameter<T>::BeginTouch() {
  if (mAutomation) mAutomation->TouchParameter(mIdentifier);
}

template <typename T>
void AAX_CParameter<T>::EndTouch() {
  if (mAutomation) mAutomation->ReleaseParameter(mIdentifier);
}

template <typename T>
void AAX_CParameter<T>::SetNormalized(double normalized) {
  PostOrApply(mTaper->ValueToNormalized(mTaper->NormalizedToValue(normalized)));
}

template <typename T>
void AAX_CParameter<T>::SetNormalizedDefault(double normalized) {
  mDefault = mTaper->ClampValue(mTaper->NormalizedToValue(normalized));
}

template <typename T>
void AAX_CParameter<T>::ResetToDefault() {
  PostOrApply(mTaper->ValueToNormalized(mDefault));
}

template <typename T>
uint32_t AAX_CParameter<T>::GetStep() const {
  const double count = static_cast<double>(GetStepCount());
  if (count < 2) return 0;
  const double x = GetNormalized() / (1.0 / (count - 1)) + 0.5;
  if (!(x > 0)) return 0;  // also a NaN position
  return static_cast<uint32_t>(x < count - 1 ? x : count - 1);
}

template <typename T>
void AAX_CParameter<T>::SetStep(uint32_t step) {
  const double count = static_cast<double>(GetStepCount());
  if (count < 2) return;
  double normalized = (1.0 / (count - 1)) * static_cast<double>(step);
  if (normalized < 0) normalized = 0;
  if (normalized > 1.0) normalized = 1.0;
  SetNormalized(normalized);
}

template <typename T>
bool AAX_CParameter<T>::GetValueText(int32_t, AAX_CString& out) const {
  return mDisplay->FormatValue(mValue, out);
}

template <typename T>
bool AAX_CParameter<T>::GetValueText(AAX_CString& out) const {
  return mDisplay->FormatValue(mValue, out);
}

template <typename T>
bool AAX_CParameter<T>::NormalizedFromText(const AAX_CString& text, double& normalized) const {
  T value{};
  if (!mDisplay->ParseText(text, value)) return false;
  normalized = mTaper->ValueToNormalized(value);
  return !(value > mTaper->MaximumValue() || value < mTaper->MinimumValue());
}

template <typename T>
bool AAX_CParameter<T>::TextFromNormalized(double normalized, int32_t maxLength,
                                           AAX_CString& out) const {
  const T value = mTaper->NormalizedToValue(normalized);
  const bool formatted = mDisplay->FormatValue(value, maxLength, out);
  return formatted && !(value > mTaper->MaximumValue() || value < mTaper->MinimumValue());
}

template <typename T>
bool AAX_CParameter<T>::TextFromNormalized(double normalized, AAX_CString& out) const {
  const T value = mTaper->NormalizedToValue(normalized);
  const bool formatted = mDisplay->FormatValue(value, out);
  return formatted && !(value > mTaper->MaximumValue() || value < mTaper->MinimumValue());
}

template <typename T>
bool AAX_CParameter<T>::SetValueFromText(const AAX_CString& text) {
  T value{};
  if (!mDisplay->ParseText(text, value)) return false;
  SetRealValue(value);
  return true;
}

template <typename T>
bool AAX_CParameter<T>::ReplaceTaper(const AAX_ITaperDelegateBase& taper, bool keepValue) {
  const auto* typed = dynamic_cast<const AAX_ITaperDelegate<T>*>(&taper);
  if (!typed) return false;
  const double oldNormalized = GetNormalized();
  AAX_ITaperDelegate<T>* copy = typed->Clone();
  delete mTaper;
  mTaper = copy;
  mNotifyPending = true;
  if (keepValue)
    SetRealValue(mValue);
  else
    ApplyNormalized(oldNormalized);
  return true;
}

template <typename T>
bool AAX_CParameter<T>::ReplaceDisplay(const AAX_IDisplayDelegateBase& display) {
  const auto* typed = dynamic_cast<const AAX_IDisplayDelegate<T>*>(&display);
  if (!typed) return false;
  AAX_IDisplayDelegate<T>* copy = typed->Clone();
  delete mDisplay;
  mDisplay = copy;
  if (mAutomation) mAutomation->ReportValue(mIdentifier, GetNormalized());
  return true;
}

// With a delegate attached the host owns the value: the plug-in side only asks for it, inside a
// gesture, and the host answers through ApplyNormalized.
template <typename T>
void AAX_CParameter<T>::PostOrApply(double normalized) {
  if (mAutomation) {
    BeginTouch();
    mAutomation->RequestValue(mIdentifier, normalized);
    EndTouch();
    return;
  }
  mNotifyPending = true;
  ApplyNormalized(normalized);
}

template <typename T>
void AAX_CParameter<T>::ApplyNormalized(double normalized) {
  const T value = mTaper->NormalizedToValue(normalized);
  if (!mNotifyPending && value == mValue) return;  // a NaN never equals, so it counts as changed
  mValue = value;
  if (mAutomation) mAutomation->ReportValue(mIdentifier, normalized);
  mNotifyPending = false;
}

template class AAX_CParameter<bool>;
template class AAX_CParameter<int32_t>;
template class AAX_CParameter<double>;
