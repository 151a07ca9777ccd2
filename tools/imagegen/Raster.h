// A small anti-aliasing rasteriser for the editor's artwork.
//
// Shapes are described by signed distance functions (negative inside, in pixels); a pixel's
// coverage is the distance at its centre mapped to 0..1 over one pixel. Only IEEE-exact
// operations (+ - * / sqrt floor) are used, and the trigonometry is our own, so the same
// program produces the same pixels with every compiler and C library.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace corvane::imagegen {

constexpr double kPi = 3.14159265358979323846;

// A straight (not premultiplied) colour, every channel 0..1.
struct Colour {
  double r = 0, g = 0, b = 0, a = 1;
};

Colour Rgb(int r, int g, int b, int a = 255);
Colour Mix(const Colour& from, const Colour& to, double t);
Colour WithAlpha(const Colour& c, double alpha);

double Clamp01(double v);
double Sin(double x);
double Cos(double x);
double Atan2(double y, double x);

// Signed distances. Angles are in radians, 0 pointing up, growing clockwise (screen y down);
// an arc runs clockwise from `from` to `to` (to - from at most a full turn).
double SdBox(double px, double py, double left, double top, double right, double bottom,
             double radius = 0);
double SdCircle(double px, double py, double cx, double cy, double radius);
double SdSegment(double px, double py, double ax, double ay, double bx, double by,
                 double halfWidth);
double SdArc(double px, double py, double cx, double cy, double radius, double from, double to,
             double halfWidth);

// Finished image: 8-bit straight RGBA, rows top to bottom. Opaque images have alpha 255 in
// every pixel and are written without an alpha channel.
struct Image {
  int width = 0;
  int height = 0;
  bool opaque = false;
  std::vector<std::uint8_t> rgba;
};

class Canvas {
 public:
  using Paint = std::function<Colour(double x, double y)>;
  using Distance = std::function<double(double x, double y)>;

  Canvas(int width, int height);

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

  // Composites colour c over pixel (x, y) with the given coverage; outside pixels are ignored.
  void Blend(int x, int y, const Colour& c, double coverage);

  // Covers the shape within the box [left, right) x [top, bottom) (clipped to the canvas).
  void Fill(double left, double top, double right, double bottom, const Distance& shape,
            const Paint& paint);
  void Fill(double left, double top, double right, double bottom, const Distance& shape,
            const Colour& colour);

  // Axis-aligned, optionally rounded rectangles.
  void FillRect(double left, double top, double right, double bottom, const Colour& c,
                double radius = 0);
  void FillRect(double left, double top, double right, double bottom, const Paint& paint,
                double radius = 0);
  void FillCircle(double cx, double cy, double radius, const Colour& c);
  void FillCircle(double cx, double cy, double radius, const Paint& paint);
  void StrokeLine(double ax, double ay, double bx, double by, double width, const Colour& c);
  void StrokeCircle(double cx, double cy, double radius, double width, const Colour& c);
  void StrokeArc(double cx, double cy, double radius, double from, double to, double width,
                 const Colour& c);
  // A one-pixel rectangle outline on the pixel grid: rows top and bottom - 1, columns left
  // and right - 1.
  void Frame(int left, int top, int right, int bottom, const Colour& c);

  // Copies another canvas onto this one with its top-left corner at (x, y).
  void Draw(const Canvas& src, int x, int y);

  Image ToImage(bool opaque) const;

 private:
  int mWidth;
  int mHeight;
  std::vector<double> mPixels;  // premultiplied r, g, b, a per pixel
};

// Vertical gradient from colour `top` at y0 to `bottom` at y1.
Canvas::Paint VerticalGradient(double y0, const Colour& top, double y1, const Colour& bottom);

}  // namespace corvane::imagegen
