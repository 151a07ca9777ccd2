#pragma once
// Glyphs for the drawing library's cached fonts off Windows, where there is no system font to
// ask: the artwork generator's stroke face (capitals, digits, a little punctuation), so that the
// renderer's pictures carry text as legible as the editor's labels without a font dependency.
// Small letters are drawn as capitals; a character the face lacks has no cell.

#include "drawing/lice_text.h"
#include "tools/imagegen/Font.h"

namespace Render {

class StrokeGlyphSource : public LICE_GlyphSource {
 public:
  // `scale` pixels per grid unit of the face, strokes `weight` pixels wide.
  StrokeGlyphSource(double scale, double weight);

  bool GetLineHeight(int* height) override;
  void MeasureGlyph(unsigned short code, int* advance, int* height) override;
  void RenderGlyph(unsigned short code, LICE_IBitmap* canvas) override;

 private:
  corvane::imagegen::TextStyle mStyle;
  int mTop;         // from the top of the cell to the top of the capitals
  int mLineHeight;  // room for a unit above the capitals and one below for descenders
};

}  // namespace Render
