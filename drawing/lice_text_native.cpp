// Native text: whole strings handed to GDI. Only the x86-64 VST3 module is built with
// CORVANE_NATIVE_TEXT; every other build draws all text from the glyph cache.
#if defined(_WIN32) && defined(CORVANE_NATIVE_TEXT)

#include <algorithm>
#include <cstring>
#include <vector>

#include "drawing/lice_draw.h"
#include "drawing/lice_text.h"
#include "drawing/lice_text_internal.h"

namespace {

const int kGlyphPathQuery = 0x59555678;
const int kAlignmentBits = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;
// Font flags whose effects only the glyph cache can draw.
const int kGlyphOnlyFontFlags = 0x1F7;

int WineState = -1;

// True when the first n bytes hold a UTF-8 sequence of two or three bytes.
bool HasUtf8(const char* str, int n) {
  const unsigned char* s = (const unsigned char*)str;
  auto cont = [&](int i) { return i < n && s[i] >= 0x80 && s[i] <= 0xBF; };
  for (int i = 0; i < n; ++i) {
    if (s[i] >= 0xC2 && s[i] <= 0xDF && cont(i + 1)) return true;
    if (s[i] >= 0xE0 && s[i] <= 0xF4 && cont(i + 1) && cont(i + 2)) return true;
  }
  return false;
}

// The text converted from UTF-8 when it holds UTF-8 sequences; text() is null otherwise or
// when the conversion fails (the bytes are then drawn as they are).
class WideText {
 public:
  WideText(const char* str, int n) : m_text(nullptr) {
    if (!HasUtf8(str, n)) return;
    const int need = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, str, n, nullptr, 0);
    if (need <= 0) return;
    WCHAR* buf = m_stack;
    int capacity = (int)(sizeof(m_stack) / sizeof(m_stack[0]));
    if (need > 999) {
      try {
        m_heap.resize((size_t)need + 32);
      } catch (...) {
        return;
      }
      buf = m_heap.data();
      capacity = need + 1;
    }
    const int got = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, str, n, buf, capacity - 1);
    if (got <= 0) return;
    buf[got] = 0;
    m_text = buf;
  }
  const WCHAR* text() const { return m_text; }

 private:
  WCHAR m_stack[1024];
  std::vector<WCHAR> m_heap;
  const WCHAR* m_text;
};

}  // namespace

int LICE_WineState() {
  if (WineState < 0) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) == ERROR_SUCCESS) {
      RegCloseKey(key);
      WineState = 1;
    } else {
      WineState = 0;
    }
  }
  return WineState;
}

bool LICE_CachedFont::UseNativePath(LICE_IBitmap* bm, int callFlags) {
  if (bm && bm->GetExtra(kGlyphPathQuery, nullptr)) return false;
  if (!m_font) return false;  // nothing to hand to GDI
  if ((m_flags & FontFlagNative) && !(callFlags & (TextFlagNoNative | TextFlagColourAlpha)) &&
      !(m_flags & kGlyphOnlyFontFlags) && LICE_WineState() == 0) {
    return true;
  }
  return m_lineHeight >= 256;
}

int LICE_CachedFont::DrawNative(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags) {
  // GDI never reads past the terminating zero, never gets the library's own bits, and never
  // writes into the caller's text.
  const int n = (int)(length < 0 ? strlen(str) : strnlen(str, (size_t)length));
  flags &= ~(TextFlagColourAlpha | TextFlagNoNative | DT_MODIFYSTRING);
  const WideText wide(str, n);
  auto draw = [&](HDC dc, RECT* r, int f) {
    return wide.text() ? ::DrawTextW(dc, wide.text(), -1, r, (UINT)f) : ::DrawTextA(dc, str, n, r, (UINT)f);
  };
  auto setColours = [&](HDC dc) {
    ::SetTextColor(dc, RGB(LICE_GETR(m_fg), LICE_GETG(m_fg), LICE_GETB(m_fg)));
    ::SetBkMode(dc, m_bgmode == 2 ? OPAQUE : TRANSPARENT);
    if (m_bgmode == 2) ::SetBkColor(dc, RGB(LICE_GETR(m_bg), LICE_GETG(m_bg), LICE_GETB(m_bg)));
  };

  if (bm && bm->GetDC()) {
    HDC dc = bm->GetDC();
    HGDIOBJ old = SelectObject(dc, m_font);
    setColours(dc);
    RECT r = {rect->left, rect->top, rect->right, rect->bottom};
    const int ret = draw(dc, &r, flags | DT_NOPREFIX);
    if (flags & DT_CALCRECT) *rect = LICE_Rect{(int)r.left, (int)r.top, (int)r.right, (int)r.bottom};
    if (old) SelectObject(dc, old);
    GdiFlush();
    return ret;
  }

  // No device context: draw over a copy of the destination's box in the text canvas.
  LICE_SysBitmap*& canvas = lice_detail::TextCanvas;
  if (!canvas) canvas = new LICE_SysBitmap(0, 0);
  if (canvas->GetWidth() < 4 || canvas->GetHeight() < 4) {
    canvas->Resize(std::max(canvas->GetWidth(), 4), std::max(canvas->GetHeight(), 4));
  }
  HDC dc = canvas->GetDC();
  if (!dc || !canvas->GetBits()) return 0;
  HGDIOBJ old = SelectObject(dc, m_font);
  RECT m = {0, 0, 0, 0};
  int ret = draw(dc, &m, (flags & ~kAlignmentBits) | DT_CALCRECT | DT_NOPREFIX);
  const long long tw = m.right, th = m.bottom;

  if (flags & DT_CALCRECT) {
    rect->right = (int)std::min<long long>((long long)rect->left + tw, 0x7FFFFFFF);
    rect->bottom = (int)std::min<long long>((long long)rect->top + th, 0x7FFFFFFF);
  } else if (bm) {
    const bool clip = !(flags & DT_NOCLIP);
    long long x = rect->left, y = rect->top;
    if (flags & DT_RIGHT)
      x = (long long)rect->right - tw;
    else if (flags & DT_CENTER)
      x = ((long long)rect->left + rect->right - tw) / 2;
    if (flags & DT_BOTTOM)
      y = (long long)rect->bottom - th;
    else if (flags & DT_VCENTER)
      y = ((long long)rect->top + rect->bottom - th) / 2;

    long long bl = x, bt = y, br = std::min<long long>(x + tw, bm->GetWidth()),
              bb = std::min<long long>(y + th, bm->GetHeight());
    if (clip) {
      br = std::min<long long>(br, rect->right);
      bb = std::min<long long>(bb, rect->bottom);
    }
    const long long minL = clip ? std::max(rect->left, 0) : 0, minT = clip ? std::max(rect->top, 0) : 0;
    long long ox = 0, oy = 0;  // the text's origin inside the box
    if (bl < minL) {
      ox -= minL - bl;
      bl = minL;
    }
    if (bt < minT) {
      oy -= minT - bt;
      bt = minT;
    }
    if (br > bl && bb > bt) {
      const int bw = (int)(br - bl), bh = (int)(bb - bt);
      if (canvas->GetWidth() < bw || canvas->GetHeight() < bh) {
        SelectObject(dc, old);
        canvas->Resize(std::max(canvas->GetWidth(), bw), std::max(canvas->GetHeight(), bh));
        dc = canvas->GetDC();
        old = SelectObject(dc, m_font);
      }
      if (canvas->GetBits() && canvas->GetWidth() >= bw && canvas->GetHeight() >= bh) {
        const LICE_Rect box = {(int)bl, (int)bt, (int)br, (int)bb};
        LICE_BlitRect(canvas, bm, 0, 0, &box, 1.0f, 0);
        setColours(dc);
        RECT tr = {(LONG)ox, (LONG)oy, (LONG)(ox + tw), (LONG)(oy + th)};
        ret = draw(dc, &tr, (flags & ~(kAlignmentBits | DT_NOCLIP)) | DT_NOPREFIX);
        GdiFlush();
        const LICE_Rect back = {0, 0, bw, bh};
        LICE_BlitRect(bm, canvas, (int)bl, (int)bt, &back, m_alpha, 0);
      }
    }
  }
  if (old) SelectObject(dc, old);
  return ret;
}

#endif
