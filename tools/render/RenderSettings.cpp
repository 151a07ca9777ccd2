#include "tools/render/RenderSettings.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace Render {

namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The index whose name (nameAt) equals `name`: exactly, else the only one ignoring case.
template <class NameAt>
int FindByName(int count, const std::string& name, NameAt nameAt) {
  for (int i = 0; i < count; ++i) {
    if (name == nameAt(i)) return i;
  }
  int found = -1;
  for (int i = 0; i < count; ++i) {
    if (SameIgnoringCase(name, nameAt(i))) {
      if (found >= 0) return -1;
      found = i;
    }
  }
  return found;
}

std::string Number(double v) {
  std::ostringstream out;
  out << v;
  return out.str();
}

std::string Range(const IPlugParameter* p) {
  const int n = p->CountDisplayTexts();
  if (n > 0) {
    std::string list;
    for (int k = 0; k < n; ++k) {
      const DisplayTextEntry* e = p->GetDisplayTextEntry(k);
      list += (k ? ", " : "") + std::to_string(e->mValue) + " \"" + e->mText + "\"";
    }
    return list;
  }
  std::string unit = p->GetLabelText();
  return Number(p->GetMin()) + " .. " + Number(p->GetMax()) + (unit.empty() ? "" : " " + unit);
}

}  // namespace

int FindPreset(const IPlugBase& plug, const std::string& name, std::string* error) {
  const int index = FindByName(plug.NPresets(), Trim(name), [&](int i) { return std::string(plug.PresetNameAt(i)); });
  if (index < 0 && error) {
    *error = "unknown preset \"" + name + "\"; the factory presets are:";
    for (int i = 0; i < plug.NPresets(); ++i) *error += std::string(i ? ", " : " ") + "\"" + plug.PresetNameAt(i) + "\"";
  }
  return index;
}

int FindParameter(const IPlugBase& plug, const std::string& name, std::string* error) {
  const std::string key = Trim(name);
  int index = FindByName(plug.NParams(), key, [&](int i) { return std::string(plug.GetParam(i)->GetName()); });
  if (index < 0 && !key.empty() && key.find_first_not_of("0123456789") == std::string::npos && key.size() < 6) {
    const int n = std::atoi(key.c_str());
    if (n < plug.NParams()) index = n;
  }
  if (index < 0 && error) {
    *error = "unknown parameter \"" + name + "\" (give a name as --list shows it, or an index from 0 to " +
             std::to_string(plug.NParams() - 1) + ")";
  }
  return index;
}

bool ParseValue(const IPlugBase& plug, int index, const std::string& text, double* value, std::string* error) {
  const IPlugParameter* p = plug.GetParam(index);
  if (!p) return false;
  const std::string t = Trim(text);
  auto refuse = [&](const std::string& why) {
    if (error) *error = "bad value \"" + text + "\" for \"" + p->GetName() + "\": " + why;
    return false;
  };

  for (int k = 0; k < p->CountDisplayTexts(); ++k) {
    const DisplayTextEntry* e = p->GetDisplayTextEntry(k);
    if (SameIgnoringCase(t, e->mText)) {
      *value = e->mValue;
      return true;
    }
  }

  const char* begin = t.c_str();
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(begin, &end);
  if (end == begin || errno == ERANGE) return refuse("expected " + Range(p));
  const std::string rest = Trim(end);
  if (!rest.empty() && !SameIgnoringCase(rest, p->GetLabelText())) return refuse("expected " + Range(p));
  if (!std::isfinite(v) || v < p->GetMin() || v > p->GetMax()) return refuse("outside " + Range(p));
  if (p->Kind() != kParamNumber && v != std::floor(v)) return refuse("expected one of " + Range(p));
  *value = v;
  return true;
}

bool ParseSetting(const IPlugBase& plug, const std::string& setting, int* index, double* value, std::string* error) {
  const size_t eq = setting.find('=');
  if (eq == std::string::npos) {
    if (error) *error = "bad setting \"" + setting + "\": expected NAME=VALUE";
    return false;
  }
  *index = FindParameter(plug, setting.substr(0, eq), error);
  return *index >= 0 && ParseValue(plug, *index, setting.substr(eq + 1), value, error);
}

std::string DescribeParameters(const IPlugBase& plug) {
  std::string out = "Parameters (index, name: values; default):\n";
  for (int i = 0; i < plug.NParams(); ++i) {
    const IPlugParameter* p = plug.GetParam(i);
    char def[kParamTextSize];
    p->FormatValueText(p->GetDefault(), false, def, true);
    out += "  " + std::to_string(i) + (i < 10 ? "   " : "  ") + "\"" + p->GetName() + "\": " + Range(p) + "; " + def + "\n";
  }
  out += "Factory presets:\n";
  for (int i = 0; i < plug.NPresets(); ++i) out += std::string("  \"") + plug.PresetNameAt(i) + "\"\n";
  return out;
}

}  // namespace Render
