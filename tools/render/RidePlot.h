#pragma once
// The picture of a ride: the input's and the output's short-term level (above, in dBFS) and
// both processors' published gains (below, in dB) on one time axis in seconds, drawn with the
// drawing library and written as PNG. The curves are the numbers the summary and the CSV are
// made of: the level meters' windows and the gain tap's steps.

#include <string>
#include <vector>

#include "drawing/lice_bitmap.h"
#include "tools/render/GainTap.h"
#include "tools/render/LevelMeter.h"

namespace Render {

struct Ride {
  double sampleRate = 0;
  long long frames = 0;
  std::vector<LevelPoint> inputLevel, outputLevel;
  std::vector<GainUpdate> gains;
};

// A value range and the distance between its ticks (the ends are ticks).
struct PlotAxis {
  double lo, hi, step;
};

// Where a panel's plot area lies in the picture and what its axes span; the mapping of time
// and value to pixel coordinates (pixel centres; the value axis grows upward).
struct PlotPanel {
  LICE_Rect area;
  PlotAxis time, value;
  double X(double seconds) const;
  double Y(double value) const;
};

struct RidePlotLayout {
  PlotPanel levels, gains;
};

constexpr int kRidePlotWidth = 1200;
constexpr int kRidePlotHeight = 740;

// The curves' colours. The input level and processor 1 are drawn wide and light, the output
// level and processor 2 narrow and dark on top of them.
constexpr LICE_pixel kInputLevelColour = 0xFFA3B4C8;
constexpr LICE_pixel kOutputLevelColour = 0xFF1B4F94;
constexpr LICE_pixel kProcessor1Colour = 0xFFF29A3F;
constexpr LICE_pixel kProcessor2Colour = 0xFF17753A;

RidePlotLayout LayOutRidePlot(const Ride& ride);

// Draws the picture into a bitmap of kRidePlotWidth x kRidePlotHeight pixels.
void DrawRidePlot(const Ride& ride, LICE_IBitmap* into);

// Draws the picture and writes it as a PNG file; false with the reason in `error`.
bool WriteRidePlot(const std::string& path, const Ride& ride, std::string* error);

}  // namespace Render
