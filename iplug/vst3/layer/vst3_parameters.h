// Parameters as a controller describes them to the host, and the container that holds them.
//
// Normalised values are 0 ... 1. A step count of 0 is a continuous parameter, 1 a toggle and
// n > 1 gives n + 1 discrete values.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "vst3_object.h"

namespace Steinberg {
namespace Vst {

// The plain value is the normalised value. Display precision starts at 4 decimals.
class Parameter : public FObject {
 public:
  Parameter();
  // Copies the description; the current value is its default.
  explicit Parameter(const ParameterInfo& info);
  // title must not be null; title and units are cut to 127 units. shortTitle stays empty.
  Parameter(const TChar* title, ParamID tag, const TChar* units = nullptr,
            ParamValue defaultValueNormalized = 0., int32 stepCount = 0,
            int32 flags = ParameterInfo::kCanAutomate, UnitID unitID = kRootUnitId);

  const ParameterInfo& getInfo() const { return info_; }
  ParameterInfo& getInfo() { return info_; }
  void setUnitID(UnitID id) { info_.unitId = id; }
  UnitID getUnitID() const { return info_.unitId; }

  virtual ParamValue getNormalized() const { return valueNormalized_; }
  // Clamps to 0 ... 1 (NaN is refused); true when the stored value changed.
  virtual bool setNormalized(ParamValue value);

  // Text of a normalised value into a String128 buffer: "On"/"Off" for a toggle (value > 0.5),
  // else the number with `precision` decimals.
  virtual void toString(ParamValue valueNormalized, TChar* string) const;
  // Reads a number (leading blanks skipped, trailing text ignored) and clamps it to 0 ... 1;
  // false when the text holds no number.
  virtual bool fromString(const TChar* string, ParamValue& valueNormalized) const;
  virtual ParamValue toPlain(ParamValue valueNormalized) const { return valueNormalized; }
  virtual ParamValue toNormalized(ParamValue plainValue) const { return plainValue; }

  int32 getPrecision() const { return precision_; }
  void setPrecision(int32 precision) { precision_ = precision; }

  const char* className() const override { return "Parameter"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  ParameterInfo info_;
  ParamValue valueNormalized_ = 0.;
  int32 precision_ = 4;
};

// A plain range min ... max. With a step count above 1 the plain values are min + 0, 1, ...,
// stepCount.
class RangeParameter : public Parameter {
 public:
  RangeParameter(const TChar* title, ParamID tag, const TChar* units = nullptr,
                 ParamValue minPlain = 0., ParamValue maxPlain = 1., ParamValue defaultValuePlain = 0.,
                 int32 stepCount = 0, int32 flags = ParameterInfo::kCanAutomate,
                 UnitID unitID = kRootUnitId);
  RangeParameter(const ParameterInfo& info, ParamValue min, ParamValue max);

  ParamValue getMin() const { return minPlain_; }
  void setMin(ParamValue value) { minPlain_ = value; }
  ParamValue getMax() const { return maxPlain_; }
  void setMax(ParamValue value) { maxPlain_ = value; }

  // Stepped: the decimal integer of the plain value; otherwise the base text of the plain value.
  void toString(ParamValue valueNormalized, TChar* string) const override;
  // Stepped: an integer; otherwise a number clamped to min ... max. The result is clamped to
  // 0 ... 1; false when the text holds no number.
  bool fromString(const TChar* string, ParamValue& valueNormalized) const override;
  ParamValue toPlain(ParamValue valueNormalized) const override;
  // An empty range (min = max) gives 0.
  ParamValue toNormalized(ParamValue plainValue) const override;

  const char* className() const override { return "RangeParameter"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  ParamValue minPlain_;
  ParamValue maxPlain_;
};

// A list of texts: n texts give step count n - 1; the plain value is the list index.
class StringListParameter : public Parameter {
 public:
  StringListParameter(const TChar* title, ParamID tag, const TChar* units = nullptr,
                      int32 flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsList,
                      UnitID unitID = kRootUnitId);

  // Appends the whole text (null = empty) and raises the step count.
  void appendString(const TChar* string);
  // False for an index outside the list.
  bool replaceString(int32 index, const TChar* string);
  int32 getStringCount() const { return static_cast<int32>(strings_.size()); }

  // The entry of the index (cut to 127 units); an empty text when the list has no such entry.
  void toString(ParamValue valueNormalized, TChar* string) const override;
  // Exact, case-sensitive match against the entries in list order.
  bool fromString(const TChar* string, ParamValue& valueNormalized) const override;
  ParamValue toPlain(ParamValue valueNormalized) const override;
  ParamValue toNormalized(ParamValue plainValue) const override;

  const char* className() const override { return "StringListParameter"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 private:
  std::vector<std::u16string> strings_;
};

// Parameters in insertion order, found by index or by id. Holds one reference to each.
class ParameterContainer {
 public:
  ParameterContainer() = default;
  ParameterContainer(const ParameterContainer&) = delete;
  ParameterContainer& operator=(const ParameterContainer&) = delete;

  // Appends the parameter, taking over the caller's reference; returns it. A second parameter
  // with an id already present takes over the id lookup (the first one stays in the list).
  Parameter* addParameter(Parameter* parameter);
  Parameter* addParameter(const ParameterInfo& info);
  // Null title: nothing added, null returned. tag < 0: the id is the current count.
  Parameter* addParameter(const TChar* title, const TChar* units = nullptr, int32 stepCount = 0,
                          ParamValue defaultValueNormalized = 0.,
                          int32 flags = ParameterInfo::kCanAutomate, int32 tag = -1,
                          UnitID unitID = kRootUnitId);

  int32 getParameterCount() const { return static_cast<int32>(params_.size()); }
  // Null for an index outside 0 ... count - 1.
  Parameter* getParameterByIndex(int32 index) const;
  // Null for an unknown id.
  Parameter* getParameter(ParamID tag) const;
  void removeAll();

 private:
  std::vector<IPtr<Parameter>> params_;
  std::map<ParamID, std::size_t> byId_;
};

}  // namespace Vst
}  // namespace Steinberg
