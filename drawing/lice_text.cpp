#include "drawing/lice_text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "drawing/lice_draw.h"
#include "drawing/lice_internal.h"
#include "drawing/lice_text_internal.h"

using lice_detail::Rows;

// Process-wide state shared by all fonts (user-interface thread only).
static LICE_SysBitmap* GlyphCanvas;
static int LiveFontCount;
LICE_SysBitmap* lice_detail::TextCanvas;

int LICE_LiveFontCount() { return LiveFontCount; }
LICE_SysBitmap* LICE_GlyphCanvas() { return GlyphCanvas; }

namespace {

const int kDirectGlyphs = 128;
const int kMaxCachedLineHeight = 1023;
const int kEffectCoverage = 128;

int CompareGlyphEntries(const LICE_CachedFont::GlyphEntry& a, const LICE_CachedFont::GlyphEntry& b) {
  return a.code - b.code;
}

int SaturateInt(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return (int)v;
}

// Makes sure the glyph canvas exists and is at least size x size; white text on black.
LICE_SysBitmap* EnsureGlyphCanvas(int size) {
  if (!GlyphCanvas) GlyphCanvas = new LICE_SysBitmap(0, 0);
  if (GlyphCanvas->GetWidth() < size || GlyphCanvas->GetHeight() < size) {
    GlyphCanvas->Resize(size, size);
#ifdef _WIN32
    if (HDC dc = GlyphCanvas->GetDC()) {
      ::SetTextColor(dc, RGB(255, 255, 255));
      ::SetBkMode(dc, OPAQUE);
      ::SetBkColor(dc, RGB(0, 0, 0));
    }
#endif
  }
  return GlyphCanvas;
}

// A font made current on the glyph canvas for the lifetime of the object; the three questions
// the glyph cache asks of a font.
class CanvasFont {
 public:
  CanvasFont(LICE_SysBitmap* canvas, LICE_FontHandle font) : m_canvas(canvas), m_font(font) {
#ifdef _WIN32
    m_dc = canvas ? canvas->GetDC() : 0;
    m_old = (m_dc && font) ? SelectObject(m_dc, font) : 0;
#endif
  }
  ~CanvasFont() {
#ifdef _WIN32
    if (m_old) SelectObject(m_dc, m_old);
#endif
  }

  bool LineHeight(int* lh) {
#ifdef _WIN32
    TEXTMETRICA tm;
    if (!m_dc || !GetTextMetricsA(m_dc, &tm)) return false;
    *lh = tm.tmHeight;
    return true;
#else
    return m_font && m_font->GetLineHeight(lh);
#endif
  }

  void Measure(unsigned short code, int* advance, int* height) {
    *advance = *height = 0;
#ifdef _WIN32
    if (!m_dc) return;
    RECT r = {0, 0, 0, 0};
    WCHAR wc = (WCHAR)code;
    ::DrawTextW(m_dc, &wc, 1, &r, DT_NOPREFIX | DT_CALCRECT | DT_SINGLELINE);
    *advance = r.right;
    *height = r.bottom;
#else
    if (m_font) m_font->MeasureGlyph(code, advance, height);
#endif
  }

  void Render(unsigned short code, int w, int h) {
#ifdef _WIN32
    if (!m_dc) return;
    RECT r = {0, 0, w, h};
    WCHAR wc = (WCHAR)code;
    ::DrawTextW(m_dc, &wc, 1, &r, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE);
    GdiFlush();  // the pixels are read right after
#else
    if (m_font) m_font->RenderGlyph(code, m_canvas);
#endif
  }

 private:
  LICE_SysBitmap* m_canvas;
  LICE_FontHandle m_font;
#ifdef _WIN32
  HDC m_dc;
  HGDIOBJ m_old;
#endif
};

void DeleteFontHandle(LICE_FontHandle font) {
#ifdef _WIN32
  DeleteObject(font);
#else
  delete font;
#endif
}

// UTF-8 walk of the glyph path: at most length bytes (length < 0: no limit), stopping at a zero
// byte. Two- and three-byte sequences become their 16-bit code, a four-byte one a space, any
// other byte is a character of its own value. Never reads past a zero byte or the length.
class Utf8Walk {
 public:
  Utf8Walk(const char* s, int length) : m_s((const unsigned char*)s), m_len(length), m_pos(0) {}

  int Next() {
    if (!Has(m_pos) || m_s[m_pos] == 0) return -1;
    const int b0 = m_s[m_pos];
    if (b0 >= 0xC2 && b0 <= 0xDF && Cont(1)) {
      const int c = ((b0 & 0x1F) << 6) | (m_s[m_pos + 1] & 0x3F);
      m_pos += 2;
      return c;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && Cont(1) && Cont(2)) {
      const int c = ((b0 & 0x0F) << 12) | ((m_s[m_pos + 1] & 0x3F) << 6) | (m_s[m_pos + 2] & 0x3F);
      m_pos += 3;
      return c;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && Cont(1) && Cont(2) && Cont(3)) {
      m_pos += 4;
      return ' ';
    }
    ++m_pos;
    return b0;
  }

 private:
  bool Has(int i) const { return m_len < 0 || i < m_len; }
  // Checked in order, so a byte is only read when every byte before it was non-zero.
  bool Cont(int k) const {
    const int i = m_pos + k;
    return Has(i) && m_s[i] >= 0x80 && m_s[i] <= 0xC0;
  }

  const unsigned char* m_s;
  int m_len;
  int m_pos;
};

// Thresholds a mask to 0 and 255.
void Threshold(unsigned char* m, int n) {
  for (int i = 0; i < n; ++i) m[i] = m[i] > 130 ? 255 : 0;
}

// ---------------------------------------------------------------------------------------------
// Glyph blending. (r, g, b) is the text colour, W the weight trunc(alpha x 256).

// Antialiased masks in mode 0: with k = 255 - v at full weight, else 256 - u, colour channels
// d = c + (d - c) * k / 256 and alpha d = 255 + (d - 255) * k / 256.
inline void LICE_GlyphBlitCopy(LICE_pixel* p, int r, int g, int b, int k) {
  const LICE_pixel d = *p;
  *p = LICE_RGBA(r + (LICE_GETR(d) - r) * k / 256, g + (LICE_GETG(d) - g) * k / 256,
                 b + (LICE_GETB(d) - b) * k / 256, 255 + (LICE_GETA(d) - 255) * k / 256);
}

// Multiply at weight u: colour channels (((c - 256) * u + 65536) * d) >> 16, alpha
// ((65536 - u) * d) >> 16.
inline void LICE_GlyphBlitMultiply(LICE_pixel* p, int r, int g, int b, int u) {
  const LICE_pixel d = *p;
  *p = LICE_RGBA(((r - 256) * u + 65536) * LICE_GETR(d) >> 16, ((g - 256) * u + 65536) * LICE_GETG(d) >> 16,
                 ((b - 256) * u + 65536) * LICE_GETB(d) >> 16, (65536 - u) * LICE_GETA(d) >> 16);
}

// One pixel of a mask at weight u in a mode; mode 0 uses the blend factor k.
inline void BlendGlyphPixel(LICE_pixel* p, int mode, int r, int g, int b, int u, int k) {
  switch (mode) {
    case LICE_BLIT_MODE_COPY: LICE_GlyphBlitCopy(p, r, g, b, k); break;
    case LICE_BLIT_MODE_ADD: LICE_CombineAdd(p, r, g, b, 255, u); break;
    case LICE_BLIT_MODE_DODGE: LICE_CombineDodge(p, r, g, b, 255, u); break;
    case LICE_BLIT_MODE_MUL: LICE_GlyphBlitMultiply(p, r, g, b, u); break;
    case LICE_BLIT_MODE_OVERLAY: LICE_CombineOverlay(p, r, g, b, 255, u); break;
    case LICE_BLIT_MODE_HSVADJ: LICE_CombineHSVAdjust(p, r, g, b, 255, u); break;
    default: break;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// LICE_CachedFont

LICE_CachedFont::LICE_CachedFont()
    : m_fg(0),
      m_bg(0xFFFFFFFF),
      m_effectcol(0xFFFFFFFF),
      m_bgmode(1),
      m_comb(0),
      m_alpha(1.0f),
      m_flags(0),
      m_lineHeight(0),
      m_metricsFailed(false),
      m_font(0) {
  memset(m_direct, 0, sizeof(m_direct));
  ++LiveFontCount;
}

LICE_CachedFont::~LICE_CachedFont() {
  if ((m_flags & FontFlagOwnsFont) && m_font) DeleteFontHandle(m_font);
  if (--LiveFontCount == 0) {
    delete GlyphCanvas;
    GlyphCanvas = nullptr;
    delete lice_detail::TextCanvas;
    lice_detail::TextCanvas = nullptr;
  }
}

void LICE_CachedFont::SetFromHFont(LICE_FontHandle font, int flags) {
  if ((m_flags & FontFlagOwnsFont) && m_font && m_font != font) DeleteFontHandle(m_font);
  m_flags = flags;
  m_font = font;
  if (font) {
    LICE_SysBitmap* canvas = EnsureGlyphCanvas(256);
    CanvasFont sel(canvas, font);
    int lh = 0;
    m_metricsFailed = !sel.LineHeight(&lh);
    m_lineHeight = m_metricsFailed ? 0 : lh;
  }
  memset(m_direct, 0, sizeof(m_direct));
  m_extended.clear();
  m_store.clear();
  m_store.shrink_to_fit();
  if (m_flags & FontFlagAsciiOnly) {
    for (int c = 0; c < kDirectGlyphs; ++c) RenderGlyph(c);
  }
}

LICE_pixel LICE_CachedFont::SetTextColor(LICE_pixel color) { return std::exchange(m_fg, color); }

LICE_pixel LICE_CachedFont::SetBkColor(LICE_pixel color) { return std::exchange(m_bg, color); }

LICE_pixel LICE_CachedFont::SetEffectColor(LICE_pixel color) { return std::exchange(m_effectcol, color); }

int LICE_CachedFont::SetBkMode(int mode) { return std::exchange(m_bgmode, mode); }

void LICE_CachedFont::SetCombineMode(int mode, float alpha) {
  m_comb = mode;
  m_alpha = alpha;
}

LICE_CachedFont::GlyphEntry* LICE_CachedFont::FindGlyph(int code) {
  code &= 0xFFFF;
  if (code < kDirectGlyphs) return &m_direct[code];
  if (m_extended.empty()) return nullptr;
  GlyphEntry key = {0, 0, 0, 0, code};
  auto it = std::lower_bound(m_extended.begin(), m_extended.end(), key,
                             [](const GlyphEntry& a, const GlyphEntry& b) { return CompareGlyphEntries(a, b) < 0; });
  return (it != m_extended.end() && it->code == code) ? &*it : nullptr;
}

const unsigned char* LICE_CachedFont::GetGlyphMask(const GlyphEntry* e) const {
  if (!e || e->offset <= 0) return nullptr;
  const size_t start = (size_t)e->offset - 1;
  const size_t bytes = (size_t)e->width * (size_t)e->height;
  if (start > m_store.size() || bytes > m_store.size() - start) return nullptr;
  return m_store.data() + start;
}

bool LICE_CachedFont::RenderGlyph(int code) {
  code &= 0xFFFF;
  if (m_lineHeight > kMaxCachedLineHeight || m_metricsFailed) return false;

  GlyphEntry* e;
  bool appended = false;
  if (code < kDirectGlyphs) {
    e = &m_direct[code];
  } else {
    e = FindGlyph(code);
    if (!e) {
      if (m_flags & FontFlagAsciiOnly) return false;
      try {
        m_extended.push_back(GlyphEntry{0, 0, 0, 0, code});
      } catch (...) {
        return false;  // the table cannot grow: the code stays uncached
      }
      e = &m_extended.back();
      appended = true;
    }
  }

  LICE_SysBitmap* canvas = EnsureGlyphCanvas(std::max(m_lineHeight, 1) * 2 + 8);
  int advance = 0, height = 0, renderWidth = 0;
  {
    CanvasFont sel(canvas, m_font);
    sel.Measure((unsigned short)code, &advance, &height);
    renderWidth = advance + (m_lineHeight >= 16 ? m_lineHeight / 16 : 0) + 2;
    if (advance >= 1 && height >= 1) {
      LICE_FillRectangle(canvas, 0, 0, renderWidth, height, 0, 1.0f, 0);
      sel.Render((unsigned short)code, renderWidth, height);
    }
    advance = std::min(advance, canvas->GetWidth());
    renderWidth = std::min(renderWidth, canvas->GetWidth());
    height = std::min(height, canvas->GetHeight());
  }

  const LICE_pixel* bits = canvas->GetBits();
  const int span = canvas->GetRowSpan();
  const size_t oldSize = m_store.size();
  const long long bytes = (long long)renderWidth * height;
  bool stored = false;
  if (advance >= 1 && height >= 1 && bits && oldSize + bytes < (size_t)INT_MAX) {
    e->advance = advance;
    if (m_flags & FontFlagBlur) LICE_BlurGlyphBitmap(renderWidth, height);
    try {
      m_store.resize(oldSize + (size_t)bytes);
      stored = true;
    } catch (...) {
    }
  }
  if (!stored) {
    e->offset = -1;
    e->width = e->height = e->advance = 0;
  } else {
    e->offset = (int)oldSize + 1;
    unsigned char* mask = &m_store[oldSize];
    const bool invert = (m_flags & FontFlagInvert) != 0;
    for (int y = 0; y < height; ++y) {
      const LICE_pixel* row = bits + (ptrdiff_t)y * span;
      for (int x = 0; x < renderWidth; ++x) {
        const int v = LICE_GETR(row[x]);
        mask[y * renderWidth + x] = (unsigned char)(invert ? 255 - v : v);
      }
    }
    // Packed to the inked width: the advance, or further when ink passes it.
    int maskWidth = advance;
    for (int x = renderWidth - 1; x >= advance && maskWidth == advance; --x) {
      for (int y = 0; y < height; ++y) {
        if (LICE_GETR(bits[(ptrdiff_t)y * span + x])) {
          maskWidth = x + 1;
          break;
        }
      }
    }
    if (maskWidth < renderWidth) {
      for (int y = 1; y < height; ++y) memmove(mask + y * maskWidth, mask + y * renderWidth, (size_t)maskWidth);
      m_store.resize(oldSize + (size_t)maskWidth * height);
      mask = &m_store[oldSize];
    }
    FinishMask(e, mask, maskWidth, height);
  }

  if (appended) {
    std::sort(m_extended.begin(), m_extended.end(),
              [](const GlyphEntry& a, const GlyphEntry& b) { return CompareGlyphEntries(a, b) < 0; });
  }
  return true;
}

// Rotation, thresholds and effects of a freshly copied mask; sets the entry's size.
void LICE_CachedFont::FinishMask(GlyphEntry* e, unsigned char* mask, int w, int h) {
  const int n = w * h;
  if (m_flags & FontFlagVertical) {
    // The canvas's pixels (at least four bytes per mask byte) hold the unturned mask.
    unsigned char* old = (unsigned char*)GlyphCanvas->GetBits();
    memcpy(old, mask, (size_t)n);
    const bool bottomUp = (m_flags & FontFlagBottomUp) != 0;
    for (int r = 0; r < w; ++r) {
      for (int c = 0; c < h; ++c) {
        mask[r * h + c] = bottomUp ? old[c * w + (w - 1 - r)] : old[(h - 1 - c) * w + r];
      }
    }
    std::swap(w, h);
  }
  if (m_flags & FontFlagMono) Threshold(mask, n);
  if (m_flags & (FontFlagShadow | FontFlagOutline)) {
    Threshold(mask, n);
    const bool shadow = (m_flags & FontFlagShadow) != 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        unsigned char* p = mask + y * w + x;
        if (*p) continue;
        const bool left = x > 0 && p[-1] == 255;
        const bool above = y > 0 && p[-w] == 255;
        bool mark;
        if (shadow) {
          mark = left || above || (x > 0 && y > 0 && p[-w - 1] == 255);
        } else {
          mark = left || above || (x + 1 < w && p[1] == 255) || (y + 1 < h && p[w] == 255);
        }
        if (mark) *p = kEffectCoverage;
      }
    }
  }
  e->width = w;
  e->height = h;
}

void LICE_BlurGlyphBitmap(int w, int h) {
  LICE_SysBitmap* canvas = GlyphCanvas;
  if (!canvas || !canvas->GetBits()) return;
  w = std::min(w, canvas->GetWidth());
  h = std::min(h, canvas->GetHeight());
  if (w < 2 || h < 2) return;

  LICE_pixel* bits = canvas->GetBits();
  const int span = canvas->GetRowSpan();
  // Two row copies: the row being blurred as it was, and the row above as it was.
  LICE_pixel stackRows[2][1024];
  std::vector<LICE_pixel> heapRows;
  LICE_pixel* rowCopy[2] = {stackRows[0], stackRows[1]};
  bool haveCopies = true;
  if (w > 1024) {
    try {
      heapRows.resize((size_t)w * 2);
      rowCopy[0] = heapRows.data();
      rowCopy[1] = heapRows.data() + w;
    } catch (...) {
      haveCopies = false;  // the row above is then read already blurred
    }
  }

  for (int y = 0; y < h; ++y) {
    LICE_pixel* row = bits + (ptrdiff_t)y * span;
    const LICE_pixel* below = y + 1 < h ? row + span : nullptr;
    const LICE_pixel* above = nullptr;
    if (y > 0) above = (haveCopies && y < h - 1) ? rowCopy[(y - 1) & 1] : row - span;
    LICE_pixel* self = haveCopies ? rowCopy[y & 1] : nullptr;
    if (self) memcpy(self, row, (size_t)w * 4);

    LICE_pixel left = 0;
    for (int x = 0; x < w; ++x) {
      const LICE_pixel cur = row[x];
      LICE_pixel sum = LICE_Half(cur);
      if (x == 0)
        sum += LICE_Quarter(row[1]);
      else if (x == w - 1)
        sum += LICE_Quarter(left);
      else
        sum += LICE_Eighth(left) + LICE_Eighth(row[x + 1]);
      if (!above)
        sum += LICE_Quarter(below[x]);
      else if (!below)
        sum += LICE_Quarter(above[x]);
      else
        sum += LICE_Eighth(above[x]) + LICE_Eighth(below[x]);
      left = cur;
      row[x] = sum;
    }
  }
}

LICE_CachedFont::GlyphEntry* LICE_CachedFont::FindOrRender(int code) {
  GlyphEntry* e = FindGlyph(code);
  if (!e) {
    const size_t before = m_extended.size();
    RenderGlyph(code);
    if (m_extended.size() != before) e = FindGlyph(code);
  } else if (e->offset == 0) {
    RenderGlyph(code);
  }
  return e;
}

void LICE_CachedFont::MeasureGlyphText(const char* str, int length, int flags, int* outW, int* outH) {
  const bool vertical = (m_flags & FontFlagVertical) != 0;
  long long penX = 0, penY = 0, extW = 0, extH = 0;
  Utf8Walk walk(str, length);
  for (int c = walk.Next(); c >= 0; c = walk.Next()) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!(flags & LICE_DT_SINGLELINE)) {
        if (vertical) {
          penY = 0;
          penX += m_lineHeight;
        } else {
          penX = 0;
          penY += m_lineHeight;
        }
        continue;
      }
      c = ' ';
    }
    const GlyphEntry* e = FindOrRender(c);
    if (!e || e->offset <= 0) continue;
    if (vertical) {
      extW = std::max(extW, penX + e->width);
      extH = std::max({extH, penY + e->height, penY + e->advance});
      penY += e->advance;
    } else {
      extW = std::max({extW, penX + e->advance, penX + e->width});
      extH = std::max(extH, penY + e->height);
      penX += e->advance;
    }
  }
  *outW = SaturateInt(extW);
  *outH = SaturateInt(extH);
}

bool LICE_CachedFont::DrawGlyph(LICE_IBitmap* bm, int code, int x, int y, const LICE_Rect* clip) {
  return DrawGlyphAt(bm, code, x, y, clip, m_alpha);
}

bool LICE_CachedFont::DrawGlyphAt(LICE_IBitmap* bm, int code, int x, int y, const LICE_Rect* clip, float alpha) {
  const GlyphEntry* e = FindGlyph(code);
  const unsigned char* mask = GetGlyphMask(e);
  Rows rows;
  if (!mask || !lice_detail::GetRows(bm, &rows)) return false;

  // The clip, held inside the bitmap; all sums in 64 bits.
  const long long cl = std::max(clip ? clip->left : 0, 0), ct = std::max(clip ? clip->top : 0, 0);
  const long long cr = std::min(clip ? clip->right : rows.width, rows.width);
  const long long cb = std::min(clip ? clip->bottom : rows.height, rows.height);
  const long long X = x, Y = y;
  if (X >= cr || Y >= cb || cl >= X + e->width || ct >= Y + e->height) return false;

  // Columns and rows left of and above the clip are skipped; what remains is limited by the
  // clip's right and bottom edges as seen from where drawing starts.
  const long long skipX = std::max(0LL, cl - X), skipY = std::max(0LL, ct - Y);
  const long long drawX = X + skipX, drawY = Y + skipY;
  const int visW = (int)std::min(e->width - skipX, cr - drawX);
  const int visH = (int)std::min(e->height - skipY, cb - drawY);
  if (visW <= 0 || visH <= 0) return false;

  if (m_bgmode == 2) {
    LICE_FillRectangle(bm, (int)drawX, (int)drawY, visW, visH, m_bg, alpha, m_comb & ~LICE_BLIT_USE_ALPHA);
  }

  const int mode = m_comb & LICE_BLIT_MODE_MASK;
  const int W = LICE_WeightFromAlpha(alpha);
  const int r = LICE_GETR(m_fg), g = LICE_GETG(m_fg), b = LICE_GETB(m_fg);
  const unsigned char* src = mask + skipY * e->width + skipX;

  if (m_flags & (FontFlagMono | FontFlagShadow | FontFlagOutline)) {
    const bool effects = (m_flags & (FontFlagShadow | FontFlagOutline)) != 0;
    const bool exact = mode == LICE_BLIT_MODE_COPY && alpha == 1.0f;
    const int wt = std::min(W, 256);
    if (!exact && wt == 0) return true;
    const int er = LICE_GETR(m_effectcol), eg = LICE_GETG(m_effectcol), eb = LICE_GETB(m_effectcol);
    for (int j = 0; j < visH; ++j) {
      LICE_pixel* p = rows.At((int)drawX, (int)drawY + j);
      const unsigned char* m = src + (ptrdiff_t)j * e->width;
      for (int i = 0; i < visW; ++i) {
        const int v = m[i];
        if (!v) continue;
        const bool effect = effects && v == kEffectCoverage;
        if (exact) {
          p[i] = effect ? m_effectcol : m_fg;
        } else if (effect) {
          BlendGlyphPixel(p + i, mode, er, eg, eb, wt, 256 - wt);
        } else {
          BlendGlyphPixel(p + i, mode, r, g, b, wt, 256 - wt);
        }
      }
    }
    return true;
  }

  if (W == 0 || (mode == LICE_BLIT_MODE_COPY && W < 0)) return true;
  for (int j = 0; j < visH; ++j) {
    LICE_pixel* p = rows.At((int)drawX, (int)drawY + j);
    const unsigned char* m = src + (ptrdiff_t)j * e->width;
    for (int i = 0; i < visW; ++i) {
      const int v = m[i];
      if (!v) continue;
      const int u = W == 256 ? v + 1 : (W * v < 65792 ? W * v / 256 : 256);
      const int k = W == 256 ? 255 - v : 256 - u;
      BlendGlyphPixel(p + i, mode, r, g, b, u, k);
    }
  }
  return true;
}

int LICE_CachedFont::DrawText(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags) {
  if (!bm && !(flags & LICE_DT_CALCRECT)) return 0;
  if (!str || !rect) return 0;
  const int callFlags = flags;
  flags &= ~TextFlagNoNative;
#if defined(_WIN32) && defined(CORVANE_NATIVE_TEXT)
  if (UseNativePath(bm, callFlags)) return DrawNative(bm, str, length, rect, flags);
#else
  (void)callFlags;
#endif
  return DrawGlyphText(bm, str, length, rect, flags);
}

int LICE_CachedFont::DrawGlyphText(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags) {
  const bool vertical = (m_flags & FontFlagVertical) != 0;
  const bool bottomUp = (m_flags & (FontFlagVertical | FontFlagBottomUp)) == (FontFlagVertical | FontFlagBottomUp);

  if (flags & LICE_DT_CALCRECT) {
    int w = 0, h = 0;
    MeasureGlyphText(str, length, flags, &w, &h);
    rect->right = SaturateInt((long long)rect->left + w);
    rect->bottom = SaturateInt((long long)rect->top + h);
    return vertical ? w : h;
  }

  float alpha = m_alpha;
  if (flags & TextFlagColourAlpha) alpha *= (float)LICE_GETA(m_fg) / 255.0f;
  if (alpha == 0.0f) return 0;
  Rows rows;
  if (!lice_detail::GetRows(bm, &rows)) return 0;

  long long x = rect->left, y = rect->top;
  int tw = 0, th = 0;
  bool measured = false;
  if (flags & (LICE_DT_CENTER | LICE_DT_RIGHT | LICE_DT_VCENTER | LICE_DT_BOTTOM)) {
    MeasureGlyphText(str, length, flags & LICE_DT_SINGLELINE, &tw, &th);
    measured = true;
    if (flags & LICE_DT_CENTER)
      x = rect->left + ((long long)rect->right - rect->left - tw) / 2;
    else if (flags & LICE_DT_RIGHT)
      x = (long long)rect->right - tw;
    if (flags & LICE_DT_VCENTER)
      y = rect->top + ((long long)rect->bottom - rect->top - th) / 2;
    else if (flags & LICE_DT_BOTTOM)
      y = (long long)rect->bottom - th;
  }
  if (bottomUp) {
    if (!measured) MeasureGlyphText(str, length, flags & LICE_DT_SINGLELINE, &tw, &th);
    y += th;
  }

  LICE_Rect clip = {0, 0, rows.width, rows.height};
  if (!(flags & LICE_DT_NOCLIP)) {
    clip.left = std::max(rect->left, 0);
    clip.top = std::max(rect->top, 0);
    clip.right = std::min(rect->right, rows.width);
    clip.bottom = std::min(rect->bottom, rows.height);
  }
  if (clip.right <= clip.left || clip.bottom <= clip.top) return 0;

  const long long startX = x, startY = y;
  long long drawnRight = x, drawnBottom = y;
  Utf8Walk walk(str, length);
  for (int c = walk.Next(); c >= 0; c = walk.Next()) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!(flags & LICE_DT_SINGLELINE)) {
        if (vertical) {
          x += m_lineHeight;
          y = startY;
        } else {
          x = startX;
          y += m_lineHeight;
        }
        continue;
      }
      c = ' ';
    }
    const GlyphEntry* e = FindOrRender(c);
    if (!GetGlyphMask(e)) continue;
    const int gw = e->width, gh = e->height, adv = e->advance;
    if (bottomUp) y -= gh;
    const bool drawn = DrawGlyphAt(bm, c, SaturateInt(x), SaturateInt(y), &clip, alpha);
    if (vertical) {
      y += bottomUp ? gh - adv : adv;
      if (drawn) drawnRight = std::max(drawnRight, x + gw);
    } else {
      x += adv;
      if (drawn) drawnBottom = std::max(drawnBottom, y + gh);
    }
  }
  return SaturateInt(vertical ? drawnRight - startX : drawnBottom - startY);
}

#ifndef _WIN32
// ---------------------------------------------------------------------------------------------
// LICE_TestGlyphSource

bool LICE_TestGlyphSource::GetLineHeight(int* height) {
  if (m_lineHeight <= 0) return false;
  *height = m_lineHeight;
  return true;
}

void LICE_TestGlyphSource::MeasureGlyph(unsigned short code, int* advance, int* height) {
  *advance = code < 32 ? 0 : m_lineHeight / 2 + code % 3;
  *height = m_lineHeight;
}

void LICE_TestGlyphSource::RenderGlyph(unsigned short code, LICE_IBitmap* canvas) {
  Rows rows;
  if (code <= 32 || !lice_detail::GetRows(canvas, &rows)) return;
  const int inked = m_lineHeight / 2 + code % 3 + (code & 1);
  for (int y = 1; y < m_lineHeight - 1 && y < rows.height; ++y) {
    for (int x = 0; x < inked && x < rows.width; ++x) {
      const int v = (x * 53 + y * 29 + code * 17) % 256;
      *rows.At(x, y) = LICE_RGBA(v, v, v, 255);
    }
  }
}
#endif
