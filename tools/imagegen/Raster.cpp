#include "tools/imagegen/Raster.h"

#include <cmath>
#include <stdexcept>

namespace corvane::imagegen {

Colour Rgb(int r, int g, int b, int a) { return {r / 255.0, g / 255.0, b / 255.0, a / 255.0}; }

Colour Mix(const Colour& from, const Colour& to, double t) {
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
          from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

Colour WithAlpha(const Colour& c, double alpha) { return {c.r, c.g, c.b, alpha}; }

double Clamp01(double v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// Taylor series on [-pi/2, pi/2] after folding; accurate to about 1e-13.
double Sin(double x) {
  x -= 2 * kPi * std::floor((x + kPi) / (2 * kPi));  // now in [-pi, pi)
  if (x > kPi / 2) x = kPi - x;
  if (x < -kPi / 2) x = -kPi - x;
  const double x2 = x * x;
  double term = x, sum = x;
  for (int n = 1; n <= 9; ++n) {
    term = -term * x2 / ((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

double Cos(double x) { return Sin(x + kPi / 2); }

namespace {
// arctan on [0, 1]: two angle halvings bring the argument below tan(pi/16), then a series.
double AtanUnit(double t) {
  for (int i = 0; i < 2; ++i) t = t / (1 + std::sqrt(1 + t * t));
  const double t2 = t * t;
  double term = t, sum = t;
  for (int n = 1; n <= 10; ++n) {
    term = -term * t2;
    sum += term / (2 * n + 1);
  }
  return 4 * sum;
}
}  // namespace

double Atan2(double y, double x) {
  if (x == 0 && y == 0) return 0;
  const double ax = std::fabs(x), ay = std::fabs(y);
  double a = ay <= ax ? AtanUnit(ay / ax) : kPi / 2 - AtanUnit(ax / ay);
  if (x < 0) a = kPi - a;
  return y < 0 ? -a : a;
}

double SdBox(double px, double py, double left, double top, double right, double bottom,
             double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double qx = std::fabs(px - cx) - ((right - left) / 2 - radius);
  const double qy = std::fabs(py - cy) - ((bottom - top) / 2 - radius);
  const double ox = qx > 0 ? qx : 0, oy = qy > 0 ? qy : 0;
  const double inside = qx > qy ? qx : qy;
  return std::sqrt(ox * ox + oy * oy) + (inside < 0 ? inside : 0) - radius;
}

double SdCircle(double px, double py, double cx, double cy, double radius) {
  const double dx = px - cx, dy = py - cy;
  return std::sqrt(dx * dx + dy * dy) - radius;
}

double SdSegment(double px, double py, double ax, double ay, double bx, double by,
                 double halfWidth) {
  const double vx = bx - ax, vy = by - ay, wx = px - ax, wy = py - ay;
  const double len2 = vx * vx + vy * vy;
  double t = len2 > 0 ? (wx * vx + wy * vy) / len2 : 0;
  t = Clamp01(t);
  const double dx = wx - vx * t, dy = wy - vy * t;
  return std::sqrt(dx * dx + dy * dy) - halfWidth;
}

double SdArc(double px, double py, double cx, double cy, double radius, double from, double to,
             double halfWidth) {
  const double dx = px - cx, dy = py - cy;
  double angle = Atan2(dx, -dy);
  while (angle < from) angle += 2 * kPi;  // arcs may run past straight down
  if (angle <= to) {
    return std::fabs(std::sqrt(dx * dx + dy * dy) - radius) - halfWidth;
  }
  const double d0 = SdCircle(px, py, cx + radius * Sin(from), cy - radius * Cos(from), 0);
  const double d1 = SdCircle(px, py, cx + radius * Sin(to), cy - radius * Cos(to), 0);
  return (d0 < d1 ? d0 : d1) - halfWidth;
}

Canvas::Canvas(int width, int height)
    : mWidth(width), mHeight(height), mPixels(static_cast<size_t>(width) * height * 4, 0.0) {}

void Canvas::Blend(int x, int y, const Colour& c, double coverage) {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return;
  const double a = c.a * Clamp01(coverage);
  if (a <= 0) return;
  double* p = &mPixels[(static_cast<size_t>(y) * mWidth + x) * 4];
  const double keep = 1 - a;
  p[0] = c.r * a + p[0] * keep;
  p[1] = c.g * a + p[1] * keep;
  p[2] = c.b * a + p[2] * keep;
  p[3] = a + p[3] * keep;
}

void Canvas::Fill(double left, double top, double right, double bottom, const Distance& shape,
                  const Paint& paint) {
  const int x0 = static_cast<int>(std::floor(left)) - 1, y0 = static_cast<int>(std::floor(top)) - 1;
  const int x1 = static_cast<int>(std::ceil(right)) + 1, y1 = static_cast<int>(std::ceil(bottom)) + 1;
  for (int y = y0 < 0 ? 0 : y0; y < y1 && y < mHeight; ++y) {
    for (int x = x0 < 0 ? 0 : x0; x < x1 && x < mWidth; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double coverage = Clamp01(0.5 - shape(px, py));
      if (coverage > 0) Blend(x, y, paint(px, py), coverage);
    }
  }
}

void Canvas::Fill(double left, double top, double right, double bottom, const Distance& shape,
                  const Colour& colour) {
  Fill(left, top, right, bottom, shape, [colour](double, double) { return colour; });
}

void Canvas::FillRect(double left, double top, double right, double bottom, const Colour& c,
                      double radius) {
  FillRect(left, top, right, bottom, [c](double, double) { return c; }, radius);
}

void Canvas::FillRect(double left, double top, double right, double bottom, const Paint& paint,
                      double radius) {
  Fill(left, top, right, bottom,
       [=](double x, double y) { return SdBox(x, y, left, top, right, bottom, radius); }, paint);
}

void Canvas::FillCircle(double cx, double cy, double radius, const Colour& c) {
  FillCircle(cx, cy, radius, [c](double, double) { return c; });
}

void Canvas::FillCircle(double cx, double cy, double radius, const Paint& paint) {
  Fill(cx - radius, cy - radius, cx + radius, cy + radius,
       [=](double x, double y) { return SdCircle(x, y, cx, cy, radius); }, paint);
}

void Canvas::StrokeLine(double ax, double ay, double bx, double by, double width,
                        const Colour& c) {
  const double h = width / 2;
  Fill((ax < bx ? ax : bx) - h, (ay < by ? ay : by) - h, (ax > bx ? ax : bx) + h,
       (ay > by ? ay : by) + h,
       [=](double x, double y) { return SdSegment(x, y, ax, ay, bx, by, h); }, c);
}

void Canvas::StrokeCircle(double cx, double cy, double radius, double width, const Colour& c) {
  const double h = width / 2, r = radius + h;
  Fill(cx - r, cy - r, cx + r, cy + r,
       [=](double x, double y) { return std::fabs(SdCircle(x, y, cx, cy, radius)) - h; }, c);
}

void Canvas::StrokeArc(double cx, double cy, double radius, double from, double to, double width,
                       const Colour& c) {
  const double h = width / 2, r = radius + h;
  Fill(cx - r, cy - r, cx + r, cy + r,
       [=](double x, double y) { return SdArc(x, y, cx, cy, radius, from, to, h); }, c);
}

void Canvas::Frame(int left, int top, int right, int bottom, const Colour& c) {
  for (int x = left; x < right; ++x) {
    Blend(x, top, c, 1);
    if (bottom - 1 > top) Blend(x, bottom - 1, c, 1);
  }
  for (int y = top + 1; y < bottom - 1; ++y) {
    Blend(left, y, c, 1);
    if (right - 1 > left) Blend(right - 1, y, c, 1);
  }
}

void Canvas::Draw(const Canvas& src, int x, int y) {
  for (int sy = 0; sy < src.mHeight; ++sy) {
    for (int sx = 0; sx < src.mWidth; ++sx) {
      const int dx = x + sx, dy = y + sy;
      if (dx < 0 || dy < 0 || dx >= mWidth || dy >= mHeight) continue;
      const double* s = &src.mPixels[(static_cast<size_t>(sy) * src.mWidth + sx) * 4];
      double* d = &mPixels[(static_cast<size_t>(dy) * mWidth + dx) * 4];
      const double keep = 1 - s[3];
      for (int i = 0; i < 4; ++i) d[i] = s[i] + d[i] * keep;
    }
  }
}

namespace {
std::uint8_t ToByte(double v) { return static_cast<std::uint8_t>(std::floor(Clamp01(v) * 255 + 0.5)); }
}  // namespace

Image Canvas::ToImage(bool opaque) const {
  Image img;
  img.width = mWidth;
  img.height = mHeight;
  img.opaque = opaque;
  img.rgba.resize(mPixels.size());
  for (size_t i = 0; i < mPixels.size(); i += 4) {
    const std::uint8_t alpha = ToByte(mPixels[i + 3]);
    if (opaque && alpha != 255) throw std::logic_error("an opaque image has a translucent pixel");
    for (int c = 0; c < 3; ++c) {
      img.rgba[i + c] = alpha == 0 ? 0 : ToByte(mPixels[i + c] / mPixels[i + 3]);
    }
    img.rgba[i + 3] = alpha;
  }
  return img;
}

Canvas::Paint VerticalGradient(double y0, const Colour& top, double y1, const Colour& bottom) {
  return [=](double, double y) { return Mix(top, bottom, Clamp01((y - y0) / (y1 - y0))); };
}

}  // namespace corvane::imagegen
