#pragma once
// One automatable host parameter as the effect-parameters object sees it: identity, names,
// steps, normalized and real values, text conversions and the link to the host's automation.
// Module-side: the host is handed a parameter only as an opaque pointer and calls nothing
// through this table, so it may keep its virtual destructor.

#include <cstdint>

#include "iplug/aax/AAX_CString.h"

class AAX_IAutomationDelegate;
class AAX_ITaperDelegateBase;
class AAX_IDisplayDelegateBase;

// Identifiers hold at most this many characters; longer texts are cut.
constexpr uint32_t kAAXMaxIdentifierLength = 31;

class AAX_IParameter {
 public:
  virtual ~AAX_IParameter() = default;

  virtual const char* GetIdentifier() const = 0;
  virtual void SetName(const AAX_CString& name) = 0;
  virtual const AAX_CString& GetName() const = 0;
  virtual void AddShortName(const AAX_CString& name) = 0;
  virtual const AAX_CString& GetShortName(int32_t maxLength) const = 0;
  virtual void ClearShortNames() = 0;
  virtual bool IsAutomatable() const = 0;
  virtual void AttachAutomationDelegate(AAX_IAutomationDelegate* automation) = 0;
  virtual void BeginTouch() = 0;
  virtual void EndTouch() = 0;
  virtual void SetNormalized(double normalized) = 0;
  virtual double GetNormalized() const = 0;
  virtual void SetNormalizedDefault(double normalized) = 0;
  virtual double GetNormalizedDefault() const = 0;
  virtual void ResetToDefault() = 0;
  virtual void SetStepCount(uint32_t steps) = 0;
  virtual uint32_t GetStepCount() const = 0;
  virtual uint32_t GetStep() const = 0;
  virtual void SetStep(uint32_t step) = 0;
  // The full text: the limit is not applied.
  virtual bool GetValueText(int32_t maxLength, AAX_CString& out) const = 0;
  virtual bool GetValueText(AAX_CString& out) const = 0;
  // False for unparsable text (out untouched) and for a value outside the taper's range (out
  // written with the clamped value's position).
  virtual bool NormalizedFromText(const AAX_CString& text, double& normalized) const = 0;
  virtual bool TextFromNormalized(double normalized, int32_t maxLength, AAX_CString& out) const = 0;
  virtual bool TextFromNormalized(double normalized, AAX_CString& out) const = 0;
  virtual bool SetValueFromText(const AAX_CString& text) = 0;
  // Each reader and writer succeeds only for the parameter's own type; float and text never.
  virtual bool ReadBool(bool& out) const = 0;
  virtual bool ReadInt32(int32_t& out) const = 0;
  virtual bool ReadFloat(float& out) const = 0;
  virtual bool ReadDouble(double& out) const = 0;
  virtual bool ReadText(AAX_CString& out) const = 0;
  virtual bool WriteBool(bool value) = 0;
  virtual bool WriteInt32(int32_t value) = 0;
  virtual bool WriteFloat(float value) = 0;
  virtual bool WriteDouble(double value) = 0;
  virtual bool WriteText(const AAX_CString& value) = 0;
  virtual void SetParamType(int32_t type) = 0;
  virtual int32_t GetParamType() const = 0;
  virtual void SetOrientation(int32_t orientation) = 0;
  virtual int32_t GetOrientation() const = 0;
  // A taper or display delegate of another value type is refused (false, nothing changes).
  virtual bool ReplaceTaper(const AAX_ITaperDelegateBase& taper, bool keepValue) = 0;
  virtual bool ReplaceDisplay(const AAX_IDisplayDelegateBase& display) = 0;
  // The entry through which a value reaches the parameter (the host's answer to a request).
  virtual void ApplyNormalized(double normalized) = 0;
};
