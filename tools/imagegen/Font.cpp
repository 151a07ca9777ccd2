#include "tools/imagegen/Font.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace corvane::imagegen {

namespace {

struct Glyph {
  char ch;
  int width;            // grid units covered by the strokes
  const char* strokes;  // "x,y x,y ...; x,y ..." polylines, y down, capitals from 0 to 6
};

// Corners are cut at 45 degrees so that they soften evenly at every scale.
const Glyph kGlyphs[] = {
    {'A', 4, "0,6 0,1 1,0 3,0 4,1 4,6; 0,3 4,3"},
    {'B', 4, "0,0 3,0 4,1 4,2 3,3 0,3; 3,3 4,4 4,5 3,6 0,6 0,0"},
    {'C', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5"},
    {'D', 4, "0,0 3,0 4,1 4,5 3,6 0,6 0,0"},
    {'E', 4, "4,0 0,0 0,6 4,6; 0,3 3,3"},
    {'F', 4, "4,0 0,0 0,6; 0,3 3,3"},
    {'G', 4, "4,1 3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,3 2,3"},
    {'H', 4, "0,0 0,6; 4,0 4,6; 0,3 4,3"},
    {'I', 2, "0,0 2,0; 1,0 1,6; 0,6 2,6"},
    {'J', 4, "4,0 4,5 3,6 1,6 0,5"},
    {'K', 4, "0,0 0,6; 0,3 1,3 4,0; 1,3 4,6"},
    {'L', 4, "0,0 0,6 4,6"},
    {'M', 4, "0,6 0,0 2,2 4,0 4,6"},
    {'N', 4, "0,6 0,0; 0,1 4,5; 4,0 4,6"},
    {'O', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0"},
    {'P', 4, "0,6 0,0 3,0 4,1 4,2 3,3 0,3"},
    {'Q', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0; 2,4 4,6"},
    {'R', 4, "0,6 0,0 3,0 4,1 4,2 3,3 0,3; 2,3 4,5 4,6"},
    {'S', 4, "4,1 3,0 1,0 0,1 0,2 1,3 3,3 4,4 4,5 3,6 1,6 0,5"},
    {'T', 4, "0,0 4,0; 2,0 2,6"},
    {'U', 4, "0,0 0,5 1,6 3,6 4,5 4,0"},
    {'V', 4, "0,0 0,4 2,6 4,4 4,0"},
    {'W', 4, "0,0 0,6 2,4 4,6 4,0"},
    {'X', 4, "0,0 0,1 4,5 4,6; 4,0 4,1 0,5 0,6"},
    {'Y', 4, "0,0 0,1 2,3 4,1 4,0; 2,3 2,6"},
    {'Z', 4, "0,0 4,0 4,1 0,5 0,6 4,6"},
    {'0', 4, "1,0 3,0 4,1 4,5 3,6 1,6 0,5 0,1 1,0; 1,4 3,2"},
    {'1', 4, "1,1 2,0 2,6; 1,6 3,6"},
    {'2', 4, "0,1 1,0 3,0 4,1 4,2 0,6 4,6"},
    {'3', 4, "0,1 1,0 3,0 4,1 4,2 3,3 2,3; 3,3 4,4 4,5 3,6 1,6 0,5"},
    {'4', 4, "3,6 3,0 0,3 0,4 4,4"},
    {'5', 4, "4,0 0,0 0,2 3,2 4,3 4,5 3,6 1,6 0,5"},
    {'6', 4, "3,0 1,0 0,1 0,5 1,6 3,6 4,5 4,4 3,3 0,3"},
    {'7', 4, "0,0 4,0 4,1 1,4 1,6"},
    {'8', 4, "1,0 3,0 4,1 4,2 3,3 1,3 0,2 0,1 1,0; 1,3 0,4 0,5 1,6 3,6 4,5 4,4 3,3"},
    {'9', 4, "1,6 3,6 4,5 4,1 3,0 1,0 0,1 0,2 1,3 4,3"},
    {'.', 0, "0,6 0,6"},
    {',', 1, "1,5 1,6 0,7"},
    {':', 0, "0,2 0,2; 0,5 0,5"},
    {'-', 3, "0,3 3,3"},
    {'+', 4, "0,3 4,3; 2,1 2,5"},
    {'/', 3, "0,6 0,5 3,2 3,0"},
    {'%', 4, "0,0 0,1; 4,0 4,1 0,5 0,6; 4,5 4,6"},
    {'(', 2, "2,0 1,0 0,1 0,5 1,6 2,6"},
    {')', 2, "0,0 1,0 2,1 2,5 1,6 0,6"},
    {' ', 2, ""},
};

const Glyph& Find(char ch) {
  for (const Glyph& g : kGlyphs) {
    if (g.ch == ch) return g;
  }
  throw std::invalid_argument(std::string("no glyph for character '") + ch + "'");
}

struct Segment {
  double ax, ay, bx, by;
};

// Appends the glyph's strokes as pixel-space segments for a pen at (x, y).
void AddSegments(const Glyph& g, double x, double y, double scale,
                 std::vector<Segment>& out) {
  const char* p = g.strokes;
  bool havePrevious = false;
  double px = 0, py = 0;
  while (*p) {
    if (*p == ';') {
      havePrevious = false;
      ++p;
      continue;
    }
    if (*p == ' ') {
      ++p;
      continue;
    }
    int u = 0, v = 0, used = 0;
    if (std::sscanf(p, "%d,%d%n", &u, &v, &used) != 2) {
      throw std::logic_error(std::string("bad stroke data for glyph '") + g.ch + "'");
    }
    p += used;
    const double qx = x + u * scale, qy = y + v * scale;
    // A dot is a polyline of one point written twice.
    if (havePrevious) out.push_back({px, py, qx, qy});
    px = qx;
    py = qy;
    havePrevious = true;
  }
}

double Advance(const Glyph& g, const TextStyle& style) {
  return (g.width + 2) * style.scale + style.tracking;
}

}  // namespace

double TextWidth(const std::string& text, const TextStyle& style) {
  if (text.empty()) return 0;
  double w = 0;
  for (size_t i = 0; i + 1 < text.size(); ++i) w += Advance(Find(text[i]), style);
  return w + Find(text.back()).width * style.scale + style.weight;
}

double TextHeight(const TextStyle& style) { return 6 * style.scale + style.weight; }

void DrawText(Canvas& canvas, double x, double y, const std::string& text, const TextStyle& style,
              Align align) {
  const double width = TextWidth(text, style);
  if (align == Align::Centre) x -= width / 2;
  if (align == Align::Right) x -= width;
  // Centre the strokes so that their outer edges fall on x and y.
  const double half = style.weight / 2;
  std::vector<Segment> segments;
  double pen = x + half;
  for (char ch : text) {
    const Glyph& g = Find(ch);
    AddSegments(g, pen, y + half, style.scale, segments);
    pen += Advance(g, style);
  }
  if (segments.empty()) return;
  canvas.Fill(x, y, x + width, y + TextHeight(style) + style.scale,
              [&segments, half](double px, double py) {
                double best = 1e9;
                for (const Segment& s : segments) {
                  const double d = SdSegment(px, py, s.ax, s.ay, s.bx, s.by, half);
                  if (d < best) best = d;
                }
                return best;
              },
              style.colour);
}

}  // namespace corvane::imagegen
