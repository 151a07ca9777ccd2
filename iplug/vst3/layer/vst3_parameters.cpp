#include "vst3_parameters.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "vst3_strings.h"

namespace Steinberg {
namespace Vst {

namespace {

constexpr int32 kTextUnits = 128;

ParamValue clampNormalized(ParamValue v) {
  if (std::isnan(v)) return 0.;
  return v < 0. ? 0. : (v > 1. ? 1. : v);
}

// The list index of a normalised value: truncate (v * (stepCount + 1)), at most stepCount.
ParamValue stepIndex(ParamValue valueNormalized, int32 stepCount) {
  const ParamValue index = std::floor(clampNormalized(valueNormalized) * (stepCount + 1.));
  return index > stepCount ? static_cast<ParamValue>(stepCount) : index;
}

// Fixed-point text with `precision` decimals (the C library's "%.*f"), cut to 127 units.
void numberToText(double value, int32 precision, TChar* string) {
  char text[kTextUnits * 4];
  if (std::snprintf(text, sizeof text, "%.*f", precision, value) < 0) text[0] = 0;
  widenString(string, kTextUnits, text);
}

// The leading number of a text (blanks skipped, the rest ignored); false without one.
bool textToNumber(const TChar* string, double& value) {
  char text[kTextUnits];
  narrowString(text, string);
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  if (end == text || !std::isfinite(v)) return false;
  value = v;
  return true;
}

bool textToInteger(const TChar* string, int64& value) {
  char text[kTextUnits];
  narrowString(text, string);
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || errno == ERANGE) return false;
  value = static_cast<int64>(v);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Parameter

Parameter::Parameter() : info_() {}

Parameter::Parameter(const ParameterInfo& info)
    : info_(info), valueNormalized_(info.defaultNormalizedValue) {}

Parameter::Parameter(const TChar* title, ParamID tag, const TChar* units,
                     ParamValue defaultValueNormalized, int32 stepCount, int32 flags,
                     UnitID unitID)
    : info_() {
  copyString16(info_.title, title);
  copyString16(info_.units, units);
  info_.id = tag;
  info_.stepCount = stepCount;
  info_.flags = flags;
  info_.unitId = unitID;
  info_.defaultNormalizedValue = valueNormalized_ = clampNormalized(defaultValueNormalized);
}

bool Parameter::setNormalized(ParamValue value) {
  if (std::isnan(value)) return false;
  value = clampNormalized(value);
  if (value == valueNormalized_) return false;
  valueNormalized_ = value;
  return true;
}

void Parameter::toString(ParamValue valueNormalized, TChar* string) const {
  if (!string) return;
  if (info_.stepCount == 1)
    widenString(string, kTextUnits, valueNormalized > 0.5 ? "On" : "Off");
  else
    numberToText(valueNormalized, precision_, string);
}

bool Parameter::fromString(const TChar* string, ParamValue& valueNormalized) const {
  double v = 0.;
  if (!textToNumber(string, v)) return false;
  valueNormalized = clampNormalized(v);
  return true;
}

bool Parameter::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "Parameter") || (askBaseClass && FObject::isTypeOf(name, true));
}

// ---------------------------------------------------------------------------------------------
// RangeParameter

RangeParameter::RangeParameter(const TChar* title, ParamID tag, const TChar* units,
                               ParamValue minPlain, ParamValue maxPlain,
                               ParamValue defaultValuePlain, int32 stepCount, int32 flags,
                               UnitID unitID)
    : Parameter(title, tag, units, 0., stepCount, flags, unitID),
      minPlain_(minPlain),
      maxPlain_(maxPlain) {
  info_.defaultNormalizedValue = valueNormalized_ =
      clampNormalized(toNormalized(defaultValuePlain));
}

RangeParameter::RangeParameter(const ParameterInfo& info, ParamValue min, ParamValue max)
    : Parameter(info), minPlain_(min), maxPlain_(max) {}

ParamValue RangeParameter::toPlain(ParamValue valueNormalized) const {
  if (info_.stepCount > 1) return stepIndex(valueNormalized, info_.stepCount) + minPlain_;
  return valueNormalized * (maxPlain_ - minPlain_) + minPlain_;
}

ParamValue RangeParameter::toNormalized(ParamValue plainValue) const {
  if (info_.stepCount > 1) return (plainValue - minPlain_) / info_.stepCount;
  const ParamValue range = maxPlain_ - minPlain_;
  return range != 0. ? (plainValue - minPlain_) / range : 0.;
}

void RangeParameter::toString(ParamValue valueNormalized, TChar* string) const {
  if (!string) return;
  if (info_.stepCount > 1) {
    // The integer part of the plain value (+ 0. turns a negative zero into "0").
    numberToText(std::trunc(toPlain(valueNormalized)) + 0., 0, string);
  } else {
    Parameter::toString(toPlain(valueNormalized), string);
  }
}

bool RangeParameter::fromString(const TChar* string, ParamValue& valueNormalized) const {
  if (info_.stepCount > 1) {
    int64 step = 0;
    if (!textToInteger(string, step)) return false;
    valueNormalized = clampNormalized(toNormalized(static_cast<ParamValue>(step)));
    return true;
  }
  double plain = 0.;
  if (!textToNumber(string, plain)) return false;
  const ParamValue lo = minPlain_ < maxPlain_ ? minPlain_ : maxPlain_;
  const ParamValue hi = minPlain_ < maxPlain_ ? maxPlain_ : minPlain_;
  plain = plain < lo ? lo : (plain > hi ? hi : plain);
  valueNormalized = clampNormalized(toNormalized(plain));
  return true;
}

bool RangeParameter::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "RangeParameter") || (askBaseClass && Parameter::isTypeOf(name, true));
}

// ---------------------------------------------------------------------------------------------
// StringListParameter

StringListParameter::StringListParameter(const TChar* title, ParamID tag, const TChar* units,
                                         int32 flags, UnitID unitID)
    : Parameter(title, tag, units, 0., -1, flags, unitID) {}

void StringListParameter::appendString(const TChar* string) {
  strings_.emplace_back(string ? string : u"");
  info_.stepCount++;
}

bool StringListParameter::replaceString(int32 index, const TChar* string) {
  if (index < 0 || index >= getStringCount()) return false;
  strings_[static_cast<std::size_t>(index)].assign(string ? string : u"");
  return true;
}

ParamValue StringListParameter::toPlain(ParamValue valueNormalized) const {
  if (info_.stepCount <= 0) return 0.;
  return stepIndex(valueNormalized, info_.stepCount);
}

ParamValue StringListParameter::toNormalized(ParamValue plainValue) const {
  if (info_.stepCount <= 0) return 0.;
  return plainValue / info_.stepCount;
}

void StringListParameter::toString(ParamValue valueNormalized, TChar* string) const {
  if (!string) return;
  const auto index = static_cast<std::size_t>(toPlain(valueNormalized));
  copyString16(string, kTextUnits, index < strings_.size() ? strings_[index].c_str() : u"");
}

bool StringListParameter::fromString(const TChar* string, ParamValue& valueNormalized) const {
  if (!string) return false;
  for (std::size_t i = 0; i < strings_.size(); ++i) {
    if (strCompare16(strings_[i].c_str(), string) == 0) {
      valueNormalized = toNormalized(static_cast<ParamValue>(i));
      return true;
    }
  }
  return false;
}

bool StringListParameter::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "StringListParameter") ||
         (askBaseClass && Parameter::isTypeOf(name, true));
}

// ---------------------------------------------------------------------------------------------
// ParameterContainer

Parameter* ParameterContainer::addParameter(Parameter* parameter) {
  auto held = IPtr<Parameter>::adopt(parameter);
  if (!parameter) return nullptr;
  params_.reserve(params_.size() + 1);
  byId_[parameter->getInfo().id] = params_.size();
  params_.push_back(std::move(held));
  return parameter;
}

Parameter* ParameterContainer::addParameter(const ParameterInfo& info) {
  return addParameter(new Parameter(info));
}

Parameter* ParameterContainer::addParameter(const TChar* title, const TChar* units,
                                            int32 stepCount, ParamValue defaultValueNormalized,
                                            int32 flags, int32 tag, UnitID unitID) {
  if (!title) return nullptr;
  const ParamID id = tag >= 0 ? static_cast<ParamID>(tag) : static_cast<ParamID>(params_.size());
  return addParameter(new Parameter(title, id, units, defaultValueNormalized, stepCount, flags, unitID));
}

Parameter* ParameterContainer::getParameterByIndex(int32 index) const {
  if (index < 0 || index >= getParameterCount()) return nullptr;
  return params_[static_cast<std::size_t>(index)].get();
}

Parameter* ParameterContainer::getParameter(ParamID tag) const {
  const auto it = byId_.find(tag);
  return it == byId_.end() ? nullptr : params_[it->second].get();
}

void ParameterContainer::removeAll() {
  byId_.clear();
  params_.clear();
}

}  // namespace Vst
}  // namespace Steinberg
