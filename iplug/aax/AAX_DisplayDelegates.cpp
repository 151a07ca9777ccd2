#include "iplug/aax/AAX_DisplayDelegates.h"

#include <cmath>
#include <limits>
#include <type_traits>

namespace {

uint32_t LimitOf(int32_t maxLength) {
  return maxLength < 0 ? 0u : static_cast<uint32_t>(maxLength);
}

}  // namespace

// Number display

template <typename T, int32_t Precision, int32_t SpaceAfter>
AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>*
AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::Clone() const {
  return new AAX_CNumberDisplayDelegate(*this);
}

template <typename T, int32_t Precision, int32_t SpaceAfter>
bool AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::FormatValue(T value,
                                                                       AAX_CString& out) const {
  out.Clear();
  out.AppendNumber(static_cast<double>(value), Precision);
  return true;
}

template <typename T, int32_t Precision, int32_t SpaceAfter>
bool AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::FormatValue(T value, int32_t maxLength,
                                                                       AAX_CString& out) const {
  FormatValue(value, out);
  const uint32_t limit = LimitOf(maxLength);
  const uint32_t length = out.Length();
  if (length > limit) out.Erase(limit, length - limit);
  if (limit != 0 && out.Length() == limit && out[limit - 1] == '.') out.Erase(limit - 1, 1);
  return true;
}

template <typename T, int32_t Precision, int32_t SpaceAfter>
bool AAX_CNumberDisplayDelegate<T, Precision, SpaceAfter>::ParseText(const AAX_CString& text,
                                                                     T& out) const {
  double number = 0.0;
  if (!text.ToDouble(&number)) {
    out = T(0);
    return false;
  }
  if constexpr (std::is_integral_v<T>) {
    const double whole = std::trunc(number);
    // Only values that fit convert; anything else would be undefined.
    if (!(whole >= static_cast<double>(std::numeric_limits<T>::min()) &&
          whole <= static_cast<double>(std::numeric_limits<T>::max()))) {
      out = T(0);
      return false;
    }
    out = static_cast<T>(whole);
  } else {
    out = static_cast<T>(number);
  }
  return true;
}

template class AAX_CNumberDisplayDelegate<int32_t, 2, 0>;
template class AAX_CNumberDisplayDelegate<double, 2, 0>;

// Two-state display

AAX_CBinaryDisplayDelegate<bool>::AAX_CBinaryDisplayDelegate(const char* falseText,
                                                             const char* trueText)
    : mFalseText(falseText), mTrueText(trueText) {
  const uint32_t longer =
      mFalseText.Length() > mTrueText.Length() ? mFalseText.Length() : mTrueText.Length();
  mFullTextLength = longer > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())
                        ? std::numeric_limits<int32_t>::max()
                        : static_cast<int32_t>(longer);
}

AAX_CBinaryDisplayDelegate<bool>* AAX_CBinaryDisplayDelegate<bool>::Clone() const {
  return new AAX_CBinaryDisplayDelegate(*this);
}

bool AAX_CBinaryDisplayDelegate<bool>::FormatValue(bool value, AAX_CString& out) const {
  out = value ? mTrueText : mFalseText;
  return true;
}

bool AAX_CBinaryDisplayDelegate<bool>::FormatValue(bool value, int32_t maxLength,
                                                   AAX_CString& out) const {
  if (mShortPairs.empty()) return FormatValue(value, out);
  const int32_t limit = maxLength < 0 ? 0 : maxLength;
  if (limit >= mFullTextLength) return FormatValue(value, out);
  const ShortNamePair* chosen = &mShortPairs.front();
  for (auto pair = mShortPairs.rbegin(); pair != mShortPairs.rend(); ++pair) {
    if (pair->maxLength <= limit) {
      chosen = &*pair;
      break;
    }
  }
  out = value ? chosen->trueText : chosen->falseText;
  return true;
}

bool AAX_CBinaryDisplayDelegate<bool>::ParseText(const AAX_CString& text, bool& out) const {
  if (text == mTrueText) {
    out = true;
    return true;
  }
  out = false;
  return text == mFalseText;
}

// Decorators

template <typename T>
AAX_IDisplayDelegateDecorator<T>::AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& inner)
    : mInner(inner.Clone()) {}

template <typename T>
AAX_IDisplayDelegateDecorator<T>::AAX_IDisplayDelegateDecorator(
    const AAX_IDisplayDelegateDecorator& other)
    : AAX_IDisplayDelegate<T>(other), mInner(other.mInner->Clone()) {}

template <typename T>
AAX_IDisplayDelegateDecorator<T>::~AAX_IDisplayDelegateDecorator() {
  delete mInner;
}

template <typename T>
AAX_IDisplayDelegateDecorator<T>* AAX_IDisplayDelegateDecorator<T>::Clone() const {
  return new AAX_IDisplayDelegateDecorator(*this);
}

template <typename T>
bool AAX_IDisplayDelegateDecorator<T>::FormatValue(T value, AAX_CString& out) const {
  return mInner->FormatValue(value, out);
}

template <typename T>
bool AAX_IDisplayDelegateDecorator<T>::FormatValue(T value, int32_t maxLength,
                                                   AAX_CString& out) const {
  return mInner->FormatValue(value, maxLength, out);
}

template <typename T>
bool AAX_IDisplayDelegateDecorator<T>::ParseText(const AAX_CString& text, T& out) const {
  return mInner->ParseText(text, out);
}

template <typename T>
AAX_CUnitDisplayDelegateDecorator<T>::AAX_CUnitDisplayDelegateDecorator(
    const AAX_IDisplayDelegate<T>& inner, const AAX_CString& unit)
    : AAX_IDisplayDelegateDecorator<T>(inner), mUnit(unit) {}

template <typename T>
AAX_CUnitDisplayDelegateDecorator<T>* AAX_CUnitDisplayDelegateDecorator<T>::Clone() const {
  return new AAX_CUnitDisplayDelegateDecorator(*this);
}

template <typename T>
bool AAX_CUnitDisplayDelegateDecorator<T>::FormatValue(T value, AAX_CString& out) const {
  const bool result = this->Inner().FormatValue(value, out);
  out.Append(mUnit);
  return result;
}

template <typename T>
bool AAX_CUnitDisplayDelegateDecorator<T>::FormatValue(T value, int32_t maxLength,
                                                       AAX_CString& out) const {
  const bool result = this->Inner().FormatValue(value, maxLength, out);
  const uint32_t limit = LimitOf(maxLength);
  const uint32_t length = out.Length();
  if (limit > length && limit - length >= mUnit.Length()) out.Append(mUnit);
  return result;
}

template <typename T>
bool AAX_CUnitDisplayDelegateDecorator<T>::ParseText(const AAX_CString& text, T& out) const {
  const uint32_t length = text.Length();
  const uint32_t unitLength = mUnit.Length();
  if (length > unitLength) {
    AAX_CString tail;
    text.SubString(length - unitLength, unitLength, &tail);
    if (tail == mUnit) {
      AAX_CString number;
      text.SubString(0, length - unitLength, &number);
      return this->Inner().ParseText(number, out);
    }
  }
  return this->Inner().ParseText(text, out);
}

template class AAX_IDisplayDelegateDecorator<int32_t>;
template class AAX_IDisplayDelegateDecorator<double>;
template class AAX_CUnitDisplayDelegateDecorator<int32_t>;
template class AAX_CUnitDisplayDelegateDecorator<double>;
