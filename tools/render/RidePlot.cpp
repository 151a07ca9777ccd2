// The picture is laid out in whole pixels (title, level panel, gain panel, shared time labels)
// so that frames and grid lines stay crisp; only the curves and the text are anti-aliased.

#include "tools/render/RidePlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drawing/lice_draw.h"
#include "drawing/lice_text.h"
#include "tools/imagegen/PngWrite.h"
#include "tools/render/StrokeGlyphs.h"

namespace Render {

namespace {

constexpr LICE_pixel kBackground = 0xFFFFFFFF;
constexpr LICE_pixel kPlotBackground = 0xFFFAFBFC;
constexpr LICE_pixel kGrid = 0xFFE2E5E9;
constexpr LICE_pixel kZeroLine = 0xFF9AA1AA;
constexpr LICE_pixel kFrame = 0xFF9AA1AA;
constexpr LICE_pixel kText = 0xFF262A30;
constexpr LICE_pixel kDimText = 0xFF5A616B;

constexpr int kLeft = 96;
constexpr int kRight = kRidePlotWidth - 28;
constexpr LICE_Rect kLevelArea = {kLeft, 92, kRight, 404};
constexpr LICE_Rect kGainArea = {kLeft, 470, kRight, 668};
constexpr int kTickLabelGap = 8;

// A curve drawn underneath is wide, the one above it narrow, so that both stay visible where
// they coincide (the two processors' gains often do, the levels seldom). Widths are even.
constexpr int kNarrowCurve = 2;
constexpr int kWideLevel = 4;
constexpr int kWideGain = 6;

struct Curve {
  const char* name;
  LICE_pixel colour;
  int width;
};

// The plot's text styles, all drawn from the stroke face.
class Fonts {
 public:
  Fonts() {
    Set(mTitle, 2.5, 2.0, 0);
    Set(mLabel, 1.75, 1.5, 0);
    Set(mTick, 1.5, 1.25, 0);
    Set(mAxisTitle, 1.75, 1.5, FontFlagVertical | FontFlagBottomUp);
  }
  LICE_CachedFont& Title() { return mTitle; }
  LICE_CachedFont& Label() { return mLabel; }
  LICE_CachedFont& Tick() { return mTick; }
  LICE_CachedFont& AxisTitle() { return mAxisTitle; }

 private:
  static void Set(LICE_CachedFont& font, double scale, double weight, int flags) {
    font.SetFromHFont(new StrokeGlyphSource(scale, weight), FontFlagOwnsFont | flags);
  }
  LICE_CachedFont mTitle, mLabel, mTick, mAxisTitle;
};

void Text(LICE_IBitmap* bm, LICE_CachedFont& font, const std::string& text, LICE_Rect rect, int flags,
          LICE_pixel colour) {
  font.SetTextColor(colour);
  font.DrawText(bm, text.c_str(), -1, &rect, flags | LICE_DT_SINGLELINE | LICE_DT_NOCLIP);
}

int TextWidth(LICE_CachedFont& font, const std::string& text) {
  LICE_Rect r = {0, 0, 0, 0};
  font.DrawText(nullptr, text.c_str(), -1, &r, LICE_DT_SINGLELINE | LICE_DT_CALCRECT);
  return r.right;
}

// A range from lo to hi widened to at least minSpan and out to whole ticks, with at most
// maxTicks steps of 1, 2 or 5 times a power of ten.
PlotAxis NiceAxis(double lo, double hi, double minSpan, int maxTicks) {
  if (hi - lo < minSpan) {
    const double mid = (lo + hi) / 2;
    lo = mid - minSpan / 2;
    hi = mid + minSpan / 2;
  }
  double step = 0;
  for (double decade = 1e-6; step == 0 && decade < 1e12; decade *= 10) {
    for (double m : {1.0, 2.0, 5.0}) {
      if (step == 0 && (hi - lo) / (m * decade) <= maxTicks) step = m * decade;
    }
  }
  if (step == 0) step = hi - lo;
  return {std::floor(lo / step) * step, std::ceil(hi / step) * step, step};
}

// The ticks at whole multiples of the step within the axis.
std::vector<double> Ticks(const PlotAxis& axis) {
  std::vector<double> ticks;
  const double eps = axis.step * 1e-6;
  for (double k = std::ceil((axis.lo - eps) / axis.step); k * axis.step <= axis.hi + eps; ++k) {
    ticks.push_back(k * axis.step == 0 ? 0.0 : k * axis.step);  // no "-0"
  }
  return ticks;
}

std::string TickText(double value, double step, bool sign) {
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  char text[32];
  std::snprintf(text, sizeof text, sign && value > 0 ? "+%.*f" : "%.*f", decimals, value);
  return text;
}

PlotAxis TimeAxis(const Ride& ride) {
  const double seconds = ride.sampleRate > 0 ? static_cast<double>(ride.frames) / ride.sampleRate : 0.0;
  const double hi = seconds > 0 ? seconds : 1.0;
  return {0.0, hi, NiceAxis(0.0, hi, 0.0, 12).step};
}

// Draws a curve `width` pixels wide. Points that share a pixel column become a vertical stroke from
// their lowest to their highest value, so a long ride keeps its peaks without drawing every point;
// a NaN value breaks the curve.
class CurvePen {
 public:
  CurvePen(LICE_IBitmap* bm, const PlotPanel& panel, const Curve& curve) : mBm(bm), mPanel(panel), mCurve(curve) {}
  ~CurvePen() { Flush(); }

  void Add(double seconds, double value) {
    if (std::isnan(value)) {
      Flush();
      mHavePrevious = false;
      return;
    }
    const PlotAxis& v = mPanel.value;
    const int x = static_cast<int>(std::lround(mPanel.X(seconds)));
    const int y = static_cast<int>(std::lround(mPanel.Y(std::min(std::max(value, v.lo), v.hi))));
    if (mColumn.used && x == mColumn.x) {
      mColumn.last = y;
      mColumn.top = std::min(mColumn.top, y);
      mColumn.bottom = std::max(mColumn.bottom, y);
      return;
    }
    Flush();
    mColumn = {true, x, y, y, y, y};
  }

 private:
  struct Column {
    bool used;
    int x, first, last, top, bottom;
  };
  void Flush() {
    if (!mColumn.used) return;
    if (mHavePrevious) Stroke(mPrevious.x, mPrevious.last, mColumn.x, mColumn.first);
    Stroke(mColumn.x, mColumn.top, mColumn.x, mColumn.bottom);
    mPrevious = mColumn;
    mHavePrevious = true;
    mColumn.used = false;
  }
  // Side by side one-pixel lines, across the segment's main direction; every width is centred
  // half a pixel past the points.
  void Stroke(int x1, int y1, int x2, int y2) {
    const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
    for (int k = 1 - mCurve.width / 2; k <= mCurve.width / 2; ++k) {
      const int dx = steep ? k : 0, dy = steep ? 0 : k;
      LICE_DrawLine(mBm, x1 + dx, y1 + dy, x2 + dx, y2 + dy, mCurve.colour, 1.0f, 0, true);
    }
  }

  LICE_IBitmap* mBm;
  const PlotPanel& mPanel;
  Curve mCurve;
  Column mColumn{false, 0, 0, 0, 0, 0};
  Column mPrevious{false, 0, 0, 0, 0, 0};
  bool mHavePrevious = false;
};

void DrawLevelCurve(LICE_IBitmap* bm, const PlotPanel& panel, const std::vector<LevelPoint>& series, const Curve& c) {
  CurvePen pen(bm, panel, c);
  if (series.size() == 1) {  // a ride shorter than a window has one level for all of it
    pen.Add(panel.time.lo, series[0].db);
    pen.Add(panel.time.hi, series[0].db);
    return;
  }
  for (const LevelPoint& p : series) pen.Add(p.seconds, p.db);
}

void DrawGainCurve(LICE_IBitmap* bm, const PlotPanel& panel, const Ride& ride, double GainUpdate::*gain,
                   const Curve& c) {
  CurvePen pen(bm, panel, c);
  for (const GainUpdate& u : ride.gains) pen.Add(static_cast<double>(u.frame) / ride.sampleRate, u.*gain);
}

void HorizontalLine(LICE_IBitmap* bm, int x1, int x2, int y, LICE_pixel c) { LICE_DrawLine(bm, x1, y, x2, y, c, 1.0f, 0, false); }
void VerticalLine(LICE_IBitmap* bm, int x, int y1, int y2, LICE_pixel c) { LICE_DrawLine(bm, x, y1, x, y2, c, 1.0f, 0, false); }

// The plot area, its grid and its value labels; the time labels only under the lowest panel.
void DrawGrid(LICE_IBitmap* bm, Fonts& fonts, const PlotPanel& p, bool timeLabels, bool signedValues) {
  const LICE_Rect& a = p.area;
  LICE_FillRectangle(bm, a.left, a.top, a.right - a.left, a.bottom - a.top, kPlotBackground, 1.0f, 0);
  const int tickHeight = fonts.Tick().GetLineHeight();
  for (double t : Ticks(p.time)) {
    const int x = static_cast<int>(std::lround(p.X(t)));
    VerticalLine(bm, x, a.top, a.bottom - 1, kGrid);
    if (timeLabels) {
      Text(bm, fonts.Tick(), TickText(t, p.time.step, false), {x - 40, a.bottom + 6, x + 40, a.bottom + 6 + tickHeight},
           LICE_DT_CENTER, kDimText);
    }
  }
  for (double v : Ticks(p.value)) {
    const int y = static_cast<int>(std::lround(p.Y(v)));
    HorizontalLine(bm, a.left, a.right - 1, y, v == 0.0 && signedValues ? kZeroLine : kGrid);
    Text(bm, fonts.Tick(), TickText(v, p.value.step, signedValues),
         {a.left - 80, y - tickHeight / 2, a.left - kTickLabelGap, y - tickHeight / 2 + tickHeight}, LICE_DT_RIGHT, kDimText);
  }
}

void DrawFrame(LICE_IBitmap* bm, const LICE_Rect& a) {
  HorizontalLine(bm, a.left, a.right - 1, a.top, kFrame);
  HorizontalLine(bm, a.left, a.right - 1, a.bottom - 1, kFrame);
  VerticalLine(bm, a.left, a.top, a.bottom - 1, kFrame);
  VerticalLine(bm, a.right - 1, a.top, a.bottom - 1, kFrame);
}

// The panel's name on the left above it, its curves' legend on the right, its axis title
// turned upward along its left side.
void DrawHeader(LICE_IBitmap* bm, Fonts& fonts, const LICE_Rect& a, const std::string& name, const std::string& axis,
                const std::vector<Curve>& curves) {
  LICE_CachedFont& label = fonts.Label();
  const int h = label.GetLineHeight();
  const int top = a.top - h - 10;
  Text(bm, label, name, {a.left, top, a.right, top + h}, 0, kText);
  int x = a.right;
  for (auto c = curves.rbegin(); c != curves.rend(); ++c) {
    x -= TextWidth(label, c->name);
    Text(bm, label, c->name, {x, top, x + 400, top + h}, 0, kText);
    x -= 30;
    const int y = top + h / 2;
    LICE_FillRectangle(bm, x, y + 1 - c->width / 2, 22, c->width, c->colour, 1.0f, 0);
    x -= 26;
  }
  LICE_CachedFont& vertical = fonts.AxisTitle();
  const int w = vertical.GetLineHeight();
  Text(bm, vertical, axis, {16, a.top, 16 + w, a.bottom}, LICE_DT_VCENTER, kText);
}

}  // namespace

double PlotPanel::X(double seconds) const {
  return area.left + (seconds - time.lo) / (time.hi - time.lo) * (area.right - 1 - area.left);
}

double PlotPanel::Y(double v) const {
  return (area.bottom - 1) - (v - value.lo) / (value.hi - value.lo) * (area.bottom - 1 - area.top);
}

RidePlotLayout LayOutRidePlot(const Ride& ride) {
  RidePlotLayout layout;
  const PlotAxis time = TimeAxis(ride);

  double lo = HUGE_VAL, hi = -HUGE_VAL;
  for (const auto* series : {&ride.inputLevel, &ride.outputLevel}) {
    for (const LevelPoint& p : *series) {
      if (std::isnan(p.db)) continue;
      lo = std::min(lo, p.db);
      hi = std::max(hi, p.db);
    }
  }
  const PlotAxis silence = {-60, 0, 10};
  layout.levels = {kLevelArea, time, lo <= hi ? NiceAxis(lo - 2, hi + 2, 20, 8) : silence};

  lo = 0, hi = 0;
  for (const GainUpdate& u : ride.gains) {
    lo = std::min({lo, u.processor1Db, u.processor2Db});
    hi = std::max({hi, u.processor1Db, u.processor2Db});
  }
  layout.gains = {kGainArea, time, NiceAxis(lo - 0.5, hi + 0.5, 6, 6)};
  return layout;
}

void DrawRidePlot(const Ride& ride, LICE_IBitmap* bm) {
  const RidePlotLayout layout = LayOutRidePlot(ride);
  Fonts fonts;
  LICE_FillRectangle(bm, 0, 0, bm->GetWidth(), bm->GetHeight(), kBackground, 1.0f, 0);

  const int titleHeight = fonts.Title().GetLineHeight();
  Text(bm, fonts.Title(), "Level and gain over time", {kLeft, 18, kRight, 18 + titleHeight}, 0, kText);

  const Curve input{"Input", kInputLevelColour, kWideLevel}, output{"Output", kOutputLevelColour, kNarrowCurve};
  DrawGrid(bm, fonts, layout.levels, false, false);
  DrawLevelCurve(bm, layout.levels, ride.inputLevel, input);
  DrawLevelCurve(bm, layout.levels, ride.outputLevel, output);
  DrawFrame(bm, layout.levels.area);
  DrawHeader(bm, fonts, layout.levels.area, "Short-term level (3 s windows)", "Level (dBFS)", {input, output});

  const Curve gain1{"Processor 1", kProcessor1Colour, kWideGain}, gain2{"Processor 2", kProcessor2Colour, kNarrowCurve};
  DrawGrid(bm, fonts, layout.gains, true, true);
  DrawGainCurve(bm, layout.gains, ride, &GainUpdate::processor1Db, gain1);
  DrawGainCurve(bm, layout.gains, ride, &GainUpdate::processor2Db, gain2);
  DrawFrame(bm, layout.gains.area);
  DrawHeader(bm, fonts, layout.gains.area, "Gain", "Gain (dB)", {gain1, gain2});

  const LICE_Rect& g = layout.gains.area;
  const int h = fonts.Label().GetLineHeight();
  Text(bm, fonts.Label(), "Time (s)", {g.left, g.bottom + 36, g.right, g.bottom + 36 + h}, LICE_DT_CENTER, kText);
}

bool WriteRidePlot(const std::string& path, const Ride& ride, std::string* error) {
  LICE_MemBitmap bm(kRidePlotWidth, kRidePlotHeight);
  if (!bm.GetBits()) {
    *error = "no memory for the picture";
    return false;
  }
  DrawRidePlot(ride, &bm);
  corvane::imagegen::Image image;
  image.width = kRidePlotWidth;
  image.height = kRidePlotHeight;
  image.opaque = true;
  image.rgba.reserve(static_cast<size_t>(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    const LICE_pixel* row = bm.GetBits() + static_cast<ptrdiff_t>(y) * bm.GetRowSpan();
    for (int x = 0; x < image.width; ++x) {
      image.rgba.insert(image.rgba.end(), {static_cast<uint8_t>(LICE_GETR(row[x])), static_cast<uint8_t>(LICE_GETG(row[x])),
                                           static_cast<uint8_t>(LICE_GETB(row[x])), 255});
    }
  }
  return corvane::imagegen::WritePng(path, image, *error);
}

}  // namespace Render
