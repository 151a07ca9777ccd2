// UTF-16 and fixed-field text helpers for the VST3 layer.
//
// Every copy into a fixed buffer is cut to fit and terminated: at most size - 1 units (or
// bytes), then a zero. 8-bit text is treated as Latin-1 (each byte is one code point); the
// reverse conversion keeps code points up to U+00FF and turns the others into '?'.
#pragma once

#include "vst3_types.h"

namespace Steinberg {

// Units before the terminator; a null string has length 0.
int32 strLength16(const char16* text);

// Compares unit by unit: < 0, 0 or > 0. A null string compares like the empty string.
int32 strCompare16(const char16* a, const char16* b);

// UTF-16 into a buffer of dstUnits units (dstUnits <= 0: nothing written).
void copyString16(char16* dst, int32 dstUnits, const char16* src);

// 8-bit text into a UTF-16 buffer of dstUnits units.
void widenString(char16* dst, int32 dstUnits, const char8* src);

// UTF-16 into an 8-bit buffer of dstBytes bytes.
void narrowString(char8* dst, int32 dstBytes, const char16* src);

// Fixed-length fields of the factory records: the text, cut to size - 1 and terminated, and
// the rest of the field zero-filled.
void copyFixedString8(char8* dst, int32 size, const char8* src);
void widenFixedString(char16* dst, int32 units, const char8* src);

// Zero-terminated 8-bit identifiers (view types, view names): both non-null and equal.
bool isSameIDString(FIDString a, FIDString b);

template <std::size_t N>
inline void copyString16(char16 (&dst)[N], const char16* src) {
  copyString16(dst, static_cast<int32>(N), src);
}
template <std::size_t N>
inline void widenString(char16 (&dst)[N], const char8* src) {
  widenString(dst, static_cast<int32>(N), src);
}
template <std::size_t N>
inline void narrowString(char8 (&dst)[N], const char16* src) {
  narrowString(dst, static_cast<int32>(N), src);
}

// A UTF-16 text of at most N - 1 units held in place, e.g. to hand 8-bit names to the
// parameter and bus classes: FixedString16<128> title ("Gain").
template <int32 N>
class FixedString16 {
 public:
  static_assert(N > 0, "room for the terminator");
  FixedString16() { text_[0] = 0; }
  explicit FixedString16(const char8* text) { widenString(text_, N, text); }
  explicit FixedString16(const char16* text) { copyString16(text_, N, text); }

  const char16* get() const { return text_; }
  operator const char16*() const { return text_; }
  char16* data() { return text_; }
  int32 length() const { return strLength16(text_); }

 private:
  char16 text_[N];
};

using String128Text = FixedString16<128>;

}  // namespace Steinberg
