// Each glyph is drawn by the face's own anti-aliasing rasteriser on a canvas of the cell's size
// and handed over as white on black, which is what the glyph cache takes its masks from.

#include "tools/render/StrokeGlyphs.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace Render {

namespace {

using corvane::imagegen::TextWidth;

// The face's character for a code, or 0 when it has none.
char FaceCharacter(unsigned short code) {
  if (code < 32 || code > 126) return 0;
  const char c = static_cast<char>(code >= 'a' && code <= 'z' ? code - 'a' + 'A' : code);
  try {
    TextWidth(std::string(1, c), {});
  } catch (const std::invalid_argument&) {
    return 0;
  }
  return c;
}

}  // namespace

StrokeGlyphSource::StrokeGlyphSource(double scale, double weight)
    : mTop(static_cast<int>(std::lround(scale))),
      mLineHeight(static_cast<int>(std::lround(8 * scale + weight))) {
  mStyle.colour = corvane::imagegen::Rgb(255, 255, 255);
  mStyle.scale = scale;
  mStyle.weight = weight;
}

bool StrokeGlyphSource::GetLineHeight(int* height) {
  *height = mLineHeight;
  return true;
}

void StrokeGlyphSource::MeasureGlyph(unsigned short code, int* advance, int* height) {
  const char c = FaceCharacter(code);
  // A glyph's advance is what it adds in front of another one.
  *advance = c ? static_cast<int>(std::lround(TextWidth(std::string{c, ' '}, mStyle) - TextWidth(" ", mStyle))) : 0;
  *height = c ? mLineHeight : 0;
}

void StrokeGlyphSource::RenderGlyph(unsigned short code, LICE_IBitmap* canvas) {
  const char c = FaceCharacter(code);
  LICE_pixel* bits = canvas->GetBits();
  if (!c || c == ' ' || !bits) return;
  const int w = std::min(static_cast<int>(std::ceil(TextWidth(std::string(1, c), mStyle))) + 1, canvas->GetWidth());
  const int h = std::min(mLineHeight, canvas->GetHeight());
  corvane::imagegen::Canvas glyph(w, h);
  corvane::imagegen::DrawText(glyph, 0, mTop, std::string(1, c), mStyle);
  const corvane::imagegen::Image image = glyph.ToImage(false);
  for (int y = 0; y < h; ++y) {
    LICE_pixel* row = bits + static_cast<ptrdiff_t>(y) * canvas->GetRowSpan();
    for (int x = 0; x < w; ++x) {
      const int coverage = image.rgba[(static_cast<size_t>(y) * w + x) * 4 + 3];
      row[x] = LICE_RGBA(coverage, coverage, coverage, 255);
    }
  }
}

}  // namespace Render
