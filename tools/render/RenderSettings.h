#pragma once
// What the renderer's options name: factory presets and parameters by name or index, and
// parameter values as numbers (with or without their unit) or as display texts.

#include <string>

#include "iplug/core/IPlugBase.h"

namespace Render {

// The preset index for a name: exact, else the one name equal to it ignoring case. -1 when
// there is none; `error` then says which names exist.
int FindPreset(const IPlugBase& plug, const std::string& name, std::string* error);

// The parameter index for a name (exact, else ignoring case) or a decimal index. -1 when there
// is none, with the reason in `error`.
int FindParameter(const IPlugBase& plug, const std::string& name, std::string* error);

// A value for parameter `index`: one of its display texts (ignoring case), or a number in its
// range, optionally followed by its unit ("-6 dB", "500ms"). Booleans and enumerations take
// whole numbers only. False, with the reason in `error`, when the text is none of these.
bool ParseValue(const IPlugBase& plug, int index, const std::string& text, double* value, std::string* error);

// "NAME=VALUE" (blanks around either side allowed) into a parameter index and a value.
bool ParseSetting(const IPlugBase& plug, const std::string& setting, int* index, double* value, std::string* error);

// One line per parameter (index, name, range or texts, default) and the presets, for --list.
std::string DescribeParameters(const IPlugBase& plug);

}  // namespace Render
