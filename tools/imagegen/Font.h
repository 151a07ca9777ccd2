// A stroke font for the panel's labels: capitals, digits and a little punctuation drawn as
// polylines on a grid four units wide (a few glyphs are narrower) and six units high.
//
// At scale 1 with weight 1 every stroke falls on pixel centres, which gives a crisp
// five-by-seven pixel face; larger scales give smooth anti-aliased titles from the same data.
#pragma once

#include <string>

#include "tools/imagegen/Raster.h"

namespace corvane::imagegen {

enum class Align { Left, Centre, Right };

struct TextStyle {
  Colour colour;
  double scale = 1;     // pixels per grid unit
  double weight = 1;    // stroke width in pixels
  double tracking = 0;  // extra pixels between glyphs
};

// Width and height of the ink of a text set in a style.
double TextWidth(const std::string& text, const TextStyle& style);
double TextHeight(const TextStyle& style);

// Draws text with the top of its capitals at y; x is the left edge, the centre or the right
// edge of the ink by the alignment. Characters without a glyph are refused (std::invalid_argument),
// so a typo in a label cannot silently vanish from the artwork.
void DrawText(Canvas& canvas, double x, double y, const std::string& text, const TextStyle& style,
              Align align = Align::Left);

}  // namespace corvane::imagegen
