// Fonts that cache each character's coverage mask and draw text by blending the masks.
//
// On Windows a font wraps a GDI font (HFONT): GDI renders each character once, white on black,
// into a shared canvas and the red channel becomes the glyph's coverage mask. Elsewhere the
// font handle is a LICE_GlyphSource, which supplies the same three things GDI does: the line
// height, a character's advance and height, and its white-on-black rendering.
#pragma once

#include <vector>

#include "drawing/lice_bitmap.h"

#ifdef _WIN32
typedef HFONT LICE_FontHandle;
#else
class LICE_GlyphSource {
 public:
  virtual ~LICE_GlyphSource() {}
  // The font's line height; false when the font has no metrics.
  virtual bool GetLineHeight(int* height) = 0;
  // The cell of one UTF-16 code unit drawn on one line: advance (right edge) and height.
  virtual void MeasureGlyph(unsigned short code, int* advance, int* height) = 0;
  // Draws the code unit white on black with its cell's top-left at (0, 0) of the canvas; the
  // canvas is already black there. Ink may pass the advance (overhang).
  virtual void RenderGlyph(unsigned short code, LICE_IBitmap* canvas) = 0;
};
typedef LICE_GlyphSource* LICE_FontHandle;

// A deterministic rasteriser for builds without GDI. Codes below 32 have no cell; every other
// code has a cell of advance lineHeight / 2 + code % 3 and the line height; a space has no ink;
// other codes are inked on rows 1 to lineHeight - 2 with coverage
// (x * 53 + y * 29 + code * 17) % 256 at column x, row y, and odd codes ink one column past
// the advance. A line height of 0 or less stands for a font whose metrics cannot be read.
class LICE_TestGlyphSource : public LICE_GlyphSource {
 public:
  explicit LICE_TestGlyphSource(int lineHeight) : m_lineHeight(lineHeight) {}
  bool GetLineHeight(int* height) override;
  void MeasureGlyph(unsigned short code, int* advance, int* height) override;
  void RenderGlyph(unsigned short code, LICE_IBitmap* canvas) override;

 private:
  int m_lineHeight;
};
#endif

// Text flags: the Windows DT_ values the library understands, and two of its own.
enum {
  LICE_DT_CENTER = 0x1,
  LICE_DT_RIGHT = 0x2,
  LICE_DT_VCENTER = 0x4,
  LICE_DT_BOTTOM = 0x8,
  LICE_DT_SINGLELINE = 0x20,
  LICE_DT_NOCLIP = 0x100,
  LICE_DT_CALCRECT = 0x400,
  TextFlagColourAlpha = 0x40000000,  // opacity times the text colour's alpha; no native drawing
  TextFlagNoNative = (int)0x80000000,  // no native drawing
};

// Font flags (SetFromHFont).
enum {
  FontFlagVertical = 0x1,     // glyphs turned 90 degrees, text runs downward, lines go right
  FontFlagBottomUp = 0x2,     // with 0x1: turned the other way, text runs upward
  FontFlagAsciiOnly = 0x4,    // codes 0..127 rendered when the font is set, others never cached
  FontFlagBlur = 0x10,        // glyphs blurred before their masks are taken
  FontFlagInvert = 0x20,      // masks hold 255 - coverage
  FontFlagMono = 0x40,        // masks thresholded to 0 or 255
  FontFlagShadow = 0x80,      // thresholded masks with a one-pixel shadow (128) to the lower right
  FontFlagOutline = 0x100,    // thresholded masks with a one-pixel outline (128); not with 0x80
  FontFlagOwnsFont = 0x200,   // the font deletes its handle when replaced or destroyed
  FontFlagNative = 0x400,     // whole strings may go to GDI (native-text builds only)
};

class LICE_IFont {
 public:
  virtual ~LICE_IFont() {}
  virtual void SetFromHFont(LICE_FontHandle font, int flags = 0) = 0;
  virtual LICE_pixel SetTextColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetBkColor(LICE_pixel color) = 0;
  virtual LICE_pixel SetEffectColor(LICE_pixel color) = 0;
  virtual int SetBkMode(int mode) = 0;  // 2: opaque background; anything else: transparent
  virtual void SetCombineMode(int mode, float alpha = 1.0f) = 0;
  // Draws (or with LICE_DT_CALCRECT measures) UTF-8 text; length < 0: up to the terminating
  // zero. Returns the height drawn (width for vertical fonts), 0 when nothing was drawn.
  virtual int DrawText(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags) = 0;
  virtual LICE_pixel GetTextColor() = 0;
  virtual LICE_FontHandle GetHFont() = 0;
  virtual int GetLineHeight() = 0;
};

class LICE_CachedFont : public LICE_IFont {
 public:
  struct GlyphEntry {
    int offset;   // 1 + position of the first coverage byte; 0 not rendered; -1 empty
    int width;    // mask columns
    int height;   // mask rows
    int advance;  // pen movement after the glyph
    int code;
  };

  LICE_CachedFont();
  ~LICE_CachedFont() override;

  void SetFromHFont(LICE_FontHandle font, int flags = 0) override;
  LICE_pixel SetTextColor(LICE_pixel color) override;
  LICE_pixel SetBkColor(LICE_pixel color) override;
  LICE_pixel SetEffectColor(LICE_pixel color) override;
  int SetBkMode(int mode) override;
  void SetCombineMode(int mode, float alpha = 1.0f) override;
  int DrawText(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags) override;
  LICE_pixel GetTextColor() override { return m_fg; }
  LICE_FontHandle GetHFont() override { return m_font; }
  int GetLineHeight() override { return m_lineHeight; }

  // Draws one cached glyph with its top-left at (x, y), limited to the clip rectangle (null:
  // the whole bitmap). Never renders: false when the code is not cached or nothing is visible.
  virtual bool DrawGlyph(LICE_IBitmap* bm, int code, int x, int y, const LICE_Rect* clip);

  // The cache entry of a code (taken as 16 bits), or null.
  GlyphEntry* FindGlyph(int code);
  // Renders a code into the cache; false when it cannot be cached at all.
  bool RenderGlyph(int code);
  // The coverage bytes of a rendered entry (height rows of width bytes), or null.
  const unsigned char* GetGlyphMask(const GlyphEntry* e) const;

  int GetFlags() const { return m_flags; }

 private:
  LICE_CachedFont(const LICE_CachedFont&) = delete;
  LICE_CachedFont& operator=(const LICE_CachedFont&) = delete;

  GlyphEntry* FindOrRender(int code);
  void MeasureGlyphText(const char* str, int length, int flags, int* w, int* h);
  int DrawGlyphText(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags);
  bool DrawGlyphAt(LICE_IBitmap* bm, int code, int x, int y, const LICE_Rect* clip, float alpha);
  void FinishMask(GlyphEntry* e, unsigned char* mask, int w, int h);
#ifdef _WIN32
  // The native path (defined only in builds with CORVANE_NATIVE_TEXT).
  bool UseNativePath(LICE_IBitmap* bm, int callFlags);
  int DrawNative(LICE_IBitmap* bm, const char* str, int length, LICE_Rect* rect, int flags);
#endif

  LICE_pixel m_fg;
  LICE_pixel m_bg;
  LICE_pixel m_effectcol;
  int m_bgmode;
  int m_comb;
  float m_alpha;
  int m_flags;
  int m_lineHeight;
  bool m_metricsFailed;  // the font's metrics could not be read: nothing is cached or drawn
  GlyphEntry m_direct[128];
  std::vector<GlyphEntry> m_extended;  // codes 128 and above, sorted by code
  std::vector<unsigned char> m_store;  // every rendered glyph's coverage bytes
  LICE_FontHandle m_font;
};

// Blurs the top-left w x h pixels of the shared glyph canvas in place (nothing when either is
// below 2).
void LICE_BlurGlyphBitmap(int w, int h);

// The number of fonts alive; the shared canvases live while it is above 0.
int LICE_LiveFontCount();
// The shared canvas glyphs are rendered into, or null before the first font needs it.
LICE_SysBitmap* LICE_GlyphCanvas();
#ifdef _WIN32
// 1 when HKEY_LOCAL_MACHINE "Software\Wine" exists, 0 when not; looked up once per process.
// Only in the native-text build (corvane_drawing_native_text).
int LICE_WineState();
#endif
