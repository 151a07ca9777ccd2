#pragma once
// Display delegates of the AAX host parameters: each turns a real value into text and text back
// into a value. Every host parameter keeps its own copy, made with Clone.

#include <cstdint>
#include <vector>

#include "iplug/aax/AAX_CString.h"

class AAX_IDisplayDelegateBase {
 public:
  virtual ~AAX_IDisplayDelegateBase() = default;
};

template <typename T>
class AAX_IDisplayDelegate : public AAX_IDisplayDelegateBase {
 public:
  // A new heap copy of the same concrete delegate; the caller owns it.
  virtual AAX_IDisplayDelegate* Clone() const = 0;
  // Text of at most maxLength characters where the delegate can shorten it (negative counts
  // as 0).
  virtual bool FormatValue(T value, int32_t maxLength, AAX_CString& out) const = 0;
  virtual bool FormatValue(T value, AAX_CString& out) const = 0;
  virtual bool ParseText(const AAX_CString& text, T& out) const = 0;
};

// Fixed notation with Precision decimals ("." as the point). The third template argument is part
// of the class's name only.
template <typename T, int32_t Precision, int32_t SpaceAfter>
class AAX_CNumberDisplayDelegate final : public AAX_IDisplayDelegate<T> {
 public:
  AAX_CNumberDisplayDelegate* Clone() const override;
  bool FormatValue(T value, AAX_CString& out) const override;  // always true
  // The text cut to maxLength characters; a point left dangling at the cut is dropped.
  bool FormatValue(T value, int32_t maxLength, AAX_CString& out) const override;
  // Reads a number from the start of the text (trailing characters ignored). An integer is
  // truncated toward zero; one outside the int32 range is refused. On failure out is 0.
  bool ParseText(const AAX_CString& text, T& out) const override;
};

// Two states shown as two texts, compared exactly.
template <typename T>
class AAX_CBinaryDisplayDelegate;

template <>
class AAX_CBinaryDisplayDelegate<bool> final : public AAX_IDisplayDelegate<bool> {
 public:
  // Shorter texts for narrow displays; this system adds none.
  struct ShortNamePair {
    int32_t maxLength = 0;
    AAX_CString falseText;
    AAX_CString trueText;
  };

  AAX_CBinaryDisplayDelegate(const char* falseText, const char* trueText);
  AAX_CBinaryDisplayDelegate* Clone() const override;
  bool FormatValue(bool value, AAX_CString& out) const override;
  bool FormatValue(bool value, int32_t maxLength, AAX_CString& out) const override;
  // The true text gives true; anything else gives false, with success only for the false text.
  bool ParseText(const AAX_CString& text, bool& out) const override;

 private:
  AAX_CString mFalseText;
  AAX_CString mTrueText;
  int32_t mFullTextLength;
  std::vector<ShortNamePair> mShortPairs;
};

// Wraps another display delegate (its own clone of it) and forwards everything to it.
template <typename T>
class AAX_IDisplayDelegateDecorator : public AAX_IDisplayDelegate<T> {
 public:
  explicit AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& inner);
  AAX_IDisplayDelegateDecorator(const AAX_IDisplayDelegateDecorator& other);
  AAX_IDisplayDelegateDecorator& operator=(const AAX_IDisplayDelegateDecorator&) = delete;
  ~AAX_IDisplayDelegateDecorator() override;

  AAX_IDisplayDelegateDecorator* Clone() const override;
  bool FormatValue(T value, AAX_CString& out) const override;
  bool FormatValue(T value, int32_t maxLength, AAX_CString& out) const override;
  bool ParseText(const AAX_CString& text, T& out) const override;

 protected:
  const AAX_IDisplayDelegate<T>& Inner() const { return *mInner; }

 private:
  AAX_IDisplayDelegate<T>* mInner;  // owned
};

// Appends a unit label (no separator) to the wrapped delegate's text and strips it again when
// parsing. The unit is left out when it does not fit whole in the limit.
template <typename T>
class AAX_CUnitDisplayDelegateDecorator final : public AAX_IDisplayDelegateDecorator<T> {
 public:
  AAX_CUnitDisplayDelegateDecorator(const AAX_IDisplayDelegate<T>& inner, const AAX_CString& unit);

  AAX_CUnitDisplayDelegateDecorator* Clone() const override;
  bool FormatValue(T value, AAX_CString& out) const override;
  bool FormatValue(T value, int32_t maxLength, AAX_CString& out) const override;
  bool ParseText(const AAX_CString& text, T& out) const override;

 private:
  AAX_CString mUnit;
};

extern template class AAX_CNumberDisplayDelegate<int32_t, 2, 0>;
extern template class AAX_CNumberDisplayDelegate<double, 2, 0>;
extern template class AAX_IDisplayDelegateDecorator<int32_t>;
extern template class AAX_IDisplayDelegateDecorator<double>;
extern template class AAX_CUnitDisplayDelegateDecorator<int32_t>;
extern template class AAX_CUnitDisplayDelegateDecorator<double>;
