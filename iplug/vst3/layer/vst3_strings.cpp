#include "vst3_strings.h"

namespace Steinberg {

int32 strLength16(const char16* text) {
  int32 n = 0;
  if (text) {
    while (text[n] != 0) ++n;
  }
  return n;
}

int32 strCompare16(const char16* a, const char16* b) {
  static const char16 empty[1] = {0};
  if (!a) a = empty;
  if (!b) b = empty;
  for (;; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == 0) return 0;
  }
}

namespace {
// Copies at most size - 1 elements of src (stopping at its terminator), converted one by one,
// then terminates; with padRest the remainder of the buffer is zero-filled.
template <class Dst, class Src, class Convert>
void copyCut(Dst* dst, int32 size, const Src* src, bool padRest, Convert convert) {
  if (!dst || size <= 0) return;
  int32 i = 0;
  if (src) {
    for (; i < size - 1 && src[i] != 0; ++i) dst[i] = convert(src[i]);
  }
  dst[i] = 0;
  if (padRest) {
    for (++i; i < size; ++i) dst[i] = 0;
  }
}
}  // namespace

void copyString16(char16* dst, int32 dstUnits, const char16* src) {
  copyCut(dst, dstUnits, src, false, [](char16 c) { return c; });
}

void widenString(char16* dst, int32 dstUnits, const char8* src) {
  copyCut(dst, dstUnits, src, false,
          [](char8 c) { return static_cast<char16>(static_cast<unsigned char>(c)); });
}

void narrowString(char8* dst, int32 dstBytes, const char16* src) {
  copyCut(dst, dstBytes, src, false,
          [](char16 c) { return c <= 0xFF ? static_cast<char8>(c) : '?'; });
}

void copyFixedString8(char8* dst, int32 size, const char8* src) {
  copyCut(dst, size, src, true, [](char8 c) { return c; });
}

void widenFixedString(char16* dst, int32 units, const char8* src) {
  copyCut(dst, units, src, true,
          [](char8 c) { return static_cast<char16>(static_cast<unsigned char>(c)); });
}

bool isSameIDString(FIDString a, FIDString b) {
  if (!a || !b) return false;
  for (; *a == *b; ++a, ++b) {
    if (*a == 0) return true;
  }
  return false;
}

}  // namespace Steinberg
