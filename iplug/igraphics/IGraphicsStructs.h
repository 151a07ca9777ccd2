#pragma once
// Value types of the editor: colours, blends, frame bitmaps, text styles, mouse modifiers and
// key codes, and the shared value cell that lets the audio thread hand values to controls.

#include <atomic>
#include <cstring>

#include "drawing/lice_bitmap.h"

class LICE_CachedFont;

// A colour as four components 0..255.
struct IArgbColour {
  int alpha = 255, red = 0, green = 0, blue = 0;

  IArgbColour() = default;
  IArgbColour(int a, int r, int g, int b) : alpha(a), red(r), green(g), blue(b) {}

  // The drawing library's pixel word 0xAARRGGBB, each component cut to 8 bits.
  LICE_pixel Packed() const {
    return (static_cast<LICE_pixel>(alpha & 0xFF) << 24) | (static_cast<LICE_pixel>(red & 0xFF) << 16) |
           (static_cast<LICE_pixel>(green & 0xFF) << 8) | static_cast<LICE_pixel>(blue & 0xFF);
  }
  // The Win32 colour word: red | green << 8 | blue << 16.
  unsigned long Win32() const {
    return static_cast<unsigned long>(red & 0xFF) | (static_cast<unsigned long>(green & 0xFF) << 8) |
           (static_cast<unsigned long>(blue & 0xFF) << 16);
  }
  bool operator==(const IArgbColour& o) const {
    return alpha == o.alpha && red == o.red && green == o.green && blue == o.blue;
  }
};

const IArgbColour BlackColour(255, 0, 0, 0);
const IArgbColour WhiteColour(255, 255, 255, 255);
const IArgbColour ControlBoundsColour(255, 0, 255, 0);

// How a control's bitmaps are combined with what lies below them.
struct IBlendSpec {
  enum Method {
    kBlendAlpha = 0,       // copy using the source alpha
    kBlendCopy = 1,        // plain copy
    kBlendAdd = 2,         // add using the source alpha
    kBlendColourDodge = 3  // colour dodge using the source alpha
  };
  int method = kBlendAlpha;
  float weight = 1.0f;

  IBlendSpec() = default;
  IBlendSpec(int m, float w = 1.0f) : method(m), weight(w) {}

  // The drawing library's blend-mode word for the method; unknown methods blend with alpha.
  int LiceMode() const;
};

// The blend-mode word and weight for an optional blend (none: copy using the source alpha at
// full weight).
int LiceBlendMode(const IBlendSpec* blend);
float LiceBlendWeight(const IBlendSpec* blend);

// A bitmap of one or more frames. The bitmap lives in the process-wide bitmap cache.
struct IFrameBitmap {
  LICE_IBitmap* bitmap = nullptr;
  int width = 0, height = 0;  // of the whole image
  int frames = 1;
  bool horizontal = false;  // frames side by side; false: stacked from top to bottom

  IFrameBitmap() = default;
  IFrameBitmap(LICE_IBitmap* bm, int w, int h, int n = 1, bool horiz = false)
      : bitmap(bm), width(w), height(h), frames(n), horizontal(horiz) {}
};

// How a text is drawn and how its entry box looks.
struct ITextStyle {
  enum Style { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum Align { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };
  enum Quality { kQualityDefault = 0, kQualityNonAntiAliased = 1, kQualityAntiAliased = 2, kQualityClearType = 3 };
  static constexpr int kFaceSize = 32;

  char face[kFaceSize] = "Arial";
  int size = 12;  // font height in pixels
  IArgbColour colour = BlackColour;
  IArgbColour entryBackground = WhiteColour;
  IArgbColour entryText = BlackColour;
  int style = kStyleNormal;
  int align = kAlignCenter;
  int orientation = 0;  // degrees
  int quality = kQualityDefault;
  LICE_CachedFont* font = nullptr;  // filled in by IGraphics::GetCachedFont; not owned

  ITextStyle() = default;
  ITextStyle(int sz, const IArgbColour& c, const char* fontFace = "Arial", int st = kStyleNormal,
             int al = kAlignCenter, int orient = 0, int q = kQualityDefault)
      : size(sz), colour(c), style(st), align(al), orientation(orient), quality(q) {
    SetFace(fontFace);
  }
  void SetFace(const char* fontFace) {
    std::strncpy(face, fontFace ? fontFace : "", kFaceSize - 1);
    face[kFaceSize - 1] = 0;
  }
};

// The mouse buttons and modifier keys held during a mouse event.
struct IMouseMods {
  bool left = false, right = false, shift = false, ctrl = false, alt = false;

  IMouseMods() = default;
  IMouseMods(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : left(l), right(r), shift(s), ctrl(c), alt(a) {}
};

// Key codes handed to controls.
enum KeyCode {
  kKeySpace = 0,
  kKeyUp = 1,
  kKeyDown = 2,
  kKeyLeft = 3,
  kKeyRight = 4,
  kKeyDigit0 = 5,   // to kKeyDigit0 + 9
  kKeyLetterA = 15  // to kKeyLetterA + 25
};

// A value that the audio thread may write while the user-interface thread reads it. Every load
// and store is atomic and never takes a lock. A compound assignment is a load and a store: use
// it only on the user-interface thread, where no other such writer runs.
template <class T>
class SharedValue {
 public:
  static_assert(std::atomic<T>::is_always_lock_free, "the audio thread must not take a lock");

  SharedValue(T value = T()) : mValue(value) {}
  SharedValue(const SharedValue&) = delete;
  SharedValue& operator=(const SharedValue&) = delete;

  T Load() const { return mValue.load(); }
  void Store(T value) { mValue.store(value); }
  T Exchange(T value) { return mValue.exchange(value); }
  T FetchAdd(T d) { return mValue.fetch_add(d); }  // integral types
  // Stores desired only when the value still is expected; otherwise expected becomes the value.
  bool CompareExchange(T& expected, T desired) { return mValue.compare_exchange_strong(expected, desired); }

  operator T() const { return Load(); }
  SharedValue& operator=(T value) {
    Store(value);
    return *this;
  }
  SharedValue& operator+=(T d) { return *this = Load() + d; }
  SharedValue& operator-=(T d) { return *this = Load() - d; }

 private:
  std::atomic<T> mValue;
};
