#include "iplug/aax/AAX_CString.h"

#include <cstdio>
#include <cstring>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

void CheckPosition(uint32_t position, size_t length) {
  if (position > length) throw std::out_of_range("invalid string position");
}

}  // namespace

AAX_CString::AAX_CString(const char* text) { Set(text); }

AAX_CString::AAX_CString(const AAX_IString& other) { Set(other.Get()); }

AAX_CString& AAX_CString::operator=(const AAX_CString& other) {
  if (this != &other) mText = other.mText;
  return *this;
}

void AAX_CString::Replace(const char* text, size_t length) {
  if (length > kMaxLength) throw std::length_error("string too long");
  mText.assign(text, length);
}

uint32_t AAX_CString::Length() const { return static_cast<uint32_t>(mText.size()); }

uint32_t AAX_CString::MaxLength() const { return kMaxLength; }

const char* AAX_CString::Get() const { return mText.c_str(); }

void AAX_CString::Set(const char* text) {
  if (!text) {
    mText.clear();
    return;
  }
  Replace(text, std::strlen(text));
}

AAX_CString& AAX_CString::AssignText(const char* text) {
  Set(text);
  return *this;
}

AAX_CString& AAX_CString::AssignString(const AAX_IString& other) {
  if (&other != this) Set(other.Get());
  return *this;
}

void AAX_CString::Clear() { mText.clear(); }

void AAX_CString::Erase(uint32_t position, uint32_t count) {
  CheckPosition(position, mText.size());
  mText.erase(position, count);
}

void AAX_CString::SubString(uint32_t position, uint32_t count, AAX_IString* out) const {
  CheckPosition(position, mText.size());
  if (!out) return;
  const std::string part = mText.substr(position, count);
  out->Set(part.c_str());
}

void AAX_CString::Append(const AAX_CString& other) {
  if (static_cast<uint64_t>(mText.size()) + other.mText.size() > kMaxLength)
    throw std::length_error("string too long");
  mText += other.mText;  // appending itself is fine: std::string copes with aliasing
}

void AAX_CString::AppendNumber(double number, int32_t precision) {
  if (precision < 0) precision = 0;
  const int needed = std::snprintf(nullptr, 0, "%.*f", precision, number);
  if (needed <= 0) return;
  std::vector<char> buffer(static_cast<size_t>(needed) + 1);
  std::snprintf(buffer.data(), buffer.size(), "%.*f", precision, number);
  Append(AAX_CString(buffer.data()));
}

char AAX_CString::operator[](uint32_t index) const { return mText.at(index); }

bool AAX_CString::ToDouble(double* out) const {
  std::istringstream stream(mText);
  stream.imbue(std::locale::classic());
  double value = 0.0;
  stream >> value;
  const bool ok = !stream.fail();
  if (out) *out = ok ? value : 0.0;
  return ok;
}

bool AAX_CString::operator==(const AAX_CString& other) const {
  return std::strcmp(Get(), other.Get()) == 0;
}
