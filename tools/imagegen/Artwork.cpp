#include "tools/imagegen/Artwork.h"

#include <cstring>
#include <string>

#include "resources/resource.h"
#include "tools/imagegen/Font.h"

namespace corvane::imagegen {

namespace {

double Rad(double degrees) { return degrees * kPi / 180; }

// Knob travel: 135 degrees either side of straight up.
constexpr double kSweep = 135;

// Palette.
const Colour kBaseTop = Rgb(42, 45, 50);
const Colour kBaseBottom = Rgb(30, 32, 36);
const Colour kHeaderTop = Rgb(22, 23, 26);
const Colour kHeaderBottom = Rgb(30, 32, 35);
const Colour kPanelTop = Rgb(53, 56, 62);
const Colour kPanelBottom = Rgb(43, 46, 51);
const Colour kPanelEdge = Rgb(20, 21, 23);
const Colour kFieldTop = Rgb(15, 16, 18);
const Colour kFieldBottom = Rgb(22, 23, 26);
const Colour kScreenTop = Rgb(9, 12, 15);
const Colour kScreenBottom = Rgb(13, 18, 22);
const Colour kGrid = Rgb(26, 35, 43);
const Colour kGridCentre = Rgb(34, 46, 56);
const Colour kLabel = Rgb(200, 196, 185);
const Colour kTitle = Rgb(236, 232, 221);
const Colour kDim = Rgb(125, 128, 136);
const Colour kTick = Rgb(104, 108, 116);
const Colour kAccent = Rgb(255, 180, 60);
const Colour kAccentHot = Rgb(255, 236, 180);
const Colour kBlack = Rgb(0, 0, 0);
const Colour kWhite = Rgb(255, 255, 255);

// Oscilloscope colours of the four graphs, for the legend.
const Colour kGraphColours[4] = {Rgb(255, 128, 0), Rgb(0, 190, 0), Rgb(0, 200, 200),
                                 Rgb(200, 200, 0)};

TextStyle Small(const Colour& c) {
  TextStyle s;
  s.colour = c;
  return s;
}

TextStyle Heading() {
  TextStyle s = Small(kTitle);
  s.tracking = 1;
  return s;
}

// ---- background pieces ----

void Panel(Canvas& c, int l, int t, int r, int b) {
  c.FillRect(l - 1, t, r + 1, b + 2, WithAlpha(kBlack, 0.35), 5);  // soft drop shadow
  c.FillRect(l, t, r, b, kPanelEdge, 4);
  c.FillRect(l + 1, t + 1, r - 1, b - 1, VerticalGradient(t, kPanelTop, b, kPanelBottom), 3);
  c.FillRect(l + 4, t + 1, r - 4, t + 2, WithAlpha(kWhite, 0.09));  // top light
}

// A recessed field for a text that the editor prints (captions, the preset name).
void Field(Canvas& c, int l, int t, int r, int b) {
  c.FillRect(l, t, r, b + 1, WithAlpha(kWhite, 0.07), 2.5);  // lower lip catches the light
  c.FillRect(l, t, r, b, Rgb(8, 9, 10), 2.5);
  c.FillRect(l + 1, t + 1, r - 1, b - 1, VerticalGradient(t, kFieldTop, b, kFieldBottom), 1.5);
}

// An engraved horizontal rule.
void Rule(Canvas& c, int l, int r, int y) {
  c.FillRect(l, y, r, y + 1, WithAlpha(kBlack, 0.45));
  c.FillRect(l, y + 1, r, y + 2, WithAlpha(kWhite, 0.06));
}

void SectionTitle(Canvas& c, int x, int centreY, const std::string& text) {
  c.FillRect(x, centreY - 4, x + 2, centreY + 4, kAccent);
  DrawText(c, x + 6, centreY - 3, text, Heading());
}

// Scale dots around a knob placed at (x, y), outside the knob bitmap's disc.
void KnobScale(Canvas& c, int x, int y) {
  const double cx = x + 20, cy = y + 20, r = 22.5;
  for (int i = 0; i <= 10; ++i) {
    const double a = Rad(-kSweep + 2 * kSweep * i / 10);
    const bool end = i == 0 || i == 10;
    c.FillCircle(cx + r * Sin(a), cy - r * Cos(a), end ? 1.1 : 0.8, end ? kDim : kTick);
  }
}

struct KnobSpot {
  int x, y;
  const char* label;
};

// Label centred over the knob; the value text sits below it.
void Knob(Canvas& c, const KnobSpot& k, int dx) {
  KnobScale(c, k.x + dx, k.y);
  DrawText(c, k.x + dx + 20, k.y - 13, k.label, Small(kLabel), Align::Centre);
}

const KnobSpot kDetectorKnobs[] = {
    {15, 354, "GATE"}, {73, 354, "HI PASS"}, {132, 354, "ATTACK"},
    {15, 434, "GAIN"}, {73, 434, "LO PASS"}, {132, 434, "RELEASE"},
};

const KnobSpot kProcessorKnobs[] = {
    {437, 368, "MIN GAIN"}, {498, 368, "MAX GAIN"}, {553, 368, "SCALER"},
    {437, 440, "ATTACK"},   {498, 440, "RELEASE"},
};

constexpr int kDetectorStep = 206;   // detector 2 lies this far right of detector 1
constexpr int kProcessorStep = 195;  // likewise for the processors
constexpr int kBottomTop = 272, kBottomEnd = 497;

void Detector(Canvas& c, int n) {
  const int dx = kDetectorStep * n;
  Panel(c, 6 + dx, kBottomTop, 202 + dx, kBottomEnd);
  SectionTitle(c, 14 + dx, 284, n == 0 ? "DETECTOR 1" : "DETECTOR 2");  // power switch at 168, 276
  Rule(c, 12 + dx, 196 + dx, 297);
  DrawText(c, 15 + dx, 311, "SOURCE", Small(kLabel));
  Field(c, 69 + dx, 305, 147 + dx, 323);  // caption 73, 306 - 143, 322
  for (const KnobSpot& k : kDetectorKnobs) Knob(c, k, dx);
  // Attack and release can be linked: a bracket from both knobs to the lock at 181, 406.
  const double bx = 187.5 + dx;
  const Colour line = WithAlpha(kTick, 0.8);
  c.StrokeLine(177 + dx, 374.5, bx, 374.5, 1, line);
  c.StrokeLine(bx, 374.5, bx, 401, 1, line);
  c.StrokeLine(177 + dx, 454.5, bx, 454.5, 1, line);
  c.StrokeLine(bx, 423, bx, 454.5, 1, line);
}

void Processor(Canvas& c, int n) {
  const int dx = kProcessorStep * n;
  Panel(c, 423 + dx, kBottomTop, 601 + dx, kBottomEnd);
  SectionTitle(c, 431 + dx, 284, n == 0 ? "PROCESSOR 1" : "PROCESSOR 2");
  Rule(c, 429 + dx, 595 + dx, 294);
  DrawText(c, 437 + dx, 305, "REFERENCE", Small(kLabel));
  Field(c, 494 + dx, 299, 572 + dx, 317);  // caption 498, 300 - 568, 316
  DrawText(c, 437 + dx, 329, "MODE", Small(kLabel));
  Field(c, 494 + dx, 323, 572 + dx, 341);  // caption 498, 324 - 568, 340
  for (const KnobSpot& k : kProcessorKnobs) Knob(c, k, dx);
  DrawText(c, 572 + dx, 427, "REVERSE", Small(kLabel), Align::Centre);  // button at 554, 443
  // A well for the button.
  c.FillRect(553 + dx, 442, 591 + dx, 480, WithAlpha(kBlack, 0.35), 5);
}

void LeftColumn(Canvas& c) {
  Panel(c, 6, 44, 190, 268);
  DrawText(c, 27, 61, "AUTOMATION", Small(kLabel));
  Field(c, 23, 73, 111, 91);  // caption 27, 74 - 107, 90
  DrawText(c, 27, 107, "MODE", Small(kLabel));
  Field(c, 23, 119, 111, 137);  // caption 27, 120 - 107, 136
  Rule(c, 14, 182, 150);
  DrawText(c, 23, 157, "GRAPHS", Heading());
  const int rows[4] = {169, 190, 212, 234};  // dot switches at x 23
  const char* names[4] = {"DETECTOR 1", "DETECTOR 2", "PROCESSOR 1", "PROCESSOR 2"};
  for (int i = 0; i < 4; ++i) {
    DrawText(c, 45, rows[i] + 5, names[i], Small(kLabel));
    c.StrokeLine(150, rows[i] + 8.5, 176, rows[i] + 8.5, 2, kGraphColours[i]);
  }
}

// The graph screen: the oscilloscopes draw rows 48 to 255 of columns 200 to 759.
void Graph(Canvas& c) {
  Panel(c, 194, 44, 796, 268);
  const int l = 200, t = 48, r = 760, b = 256;
  c.Frame(l - 2, t - 2, r + 2, b + 2, WithAlpha(kWhite, 0.05));
  c.Frame(l - 1, t - 1, r + 1, b + 1, Rgb(6, 7, 8));
  c.FillRect(l, t, r, b, VerticalGradient(t, kScreenTop, b, kScreenBottom));
  for (int k = 1; k < 10; ++k) c.FillRect(l + 56 * k, t, l + 56 * k + 1, b, kGrid);
  // Value v is drawn at row 255 - 207 v: quarter lines at 203, 151 and 100.
  for (int k = 1; k < 4; ++k) {
    const int y = 255 - (207 * k + 2) / 4;
    c.FillRect(l, y, r, y + 1, k == 2 ? kGridCentre : kGrid);
  }
  // Fine ticks along both edges.
  for (int x = l + 14; x < r; x += 14) {
    c.FillRect(x, t, x + 1, t + 3, kGridCentre);
    c.FillRect(x, b - 3, x + 1, b, kGridCentre);
  }
  // The four small captions print the processors' gain limits at 200 - 260, 49 - 60 (top) and
  // 257 - 267 (bottom); the right margin names the two ends.
  DrawText(c, 779, 49, "MAX", Small(kDim), Align::Centre);
  DrawText(c, 779, 248, "MIN", Small(kDim), Align::Centre);
}

void Header(Canvas& c) {
  c.FillRect(0, 0, 800, 38, VerticalGradient(0, kHeaderTop, 38, kHeaderBottom));
  c.FillRect(0, 38, 800, 39, Rgb(12, 13, 14));
  c.FillRect(0, 39, 800, 40, WithAlpha(kWhite, 0.05));
  TextStyle brand = Small(kAccent);
  brand.tracking = 2;
  DrawText(c, 16, 8, "VEMTRA", brand);
  TextStyle title = Small(kTitle);
  title.scale = 2;
  title.weight = 2;
  title.tracking = 1;
  DrawText(c, 16, 18, "CORVANE", title);
  TextStyle tag = Small(kDim);
  tag.tracking = 1;
  DrawText(c, 124, 25, "GAIN RIDER", tag);
  // The preset name field: text 344, 13 - 579, 29, with a menu arrow after it.
  DrawText(c, 333, 18, "PRESET", Small(kLabel), Align::Right);
  Field(c, 340, 11, 598, 31);
  c.Fill(584, 18, 594, 24,
         [](double x, double y) {
           // A down-pointing triangle, 9 wide and 5 high: the largest of its three edge distances.
           const double n = 6.7268120235;  // length of the edge normal (5, 4.5)
           const double top = 18.5 - y;
           const double left = (-(x - 584.5) * 5 + (y - 18.5) * 4.5) / n;
           const double right = ((x - 593.5) * 5 + (y - 18.5) * 4.5) / n;
           const double d = top > left ? top : left;
           return d > right ? d : right;
         },
         kAccent);
  // The version label is printed by the editor at 710, 7 - 790, 19.
}

// ---- strips ----

Canvas Strip(int width, int frameHeight, int frames) { return Canvas(width, frameHeight * frames); }

void DrawKnob(Canvas& c, int top, double value) {
  const double cx = 20, cy = top + 20;
  const double angle = Rad(-kSweep + 2 * kSweep * value);
  // Track and value arc.
  c.StrokeArc(cx, cy, 17.5, Rad(-kSweep), Rad(kSweep), 2.6, Rgb(17, 18, 20));
  if (value > 0) c.StrokeArc(cx, cy, 17.5, Rad(-kSweep), angle, 2.0, kAccent);
  // Shadow, body and cap.
  c.Fill(cx - 16, cy - 14, cx + 16, cy + 18,
         [=](double x, double y) { return SdCircle(x, y, cx, cy + 1.5, 13.5) / 3; },
         WithAlpha(kBlack, 0.55));
  c.FillCircle(cx, cy, 14, Rgb(12, 13, 14));
  c.FillCircle(cx, cy, 13, VerticalGradient(cy - 13, Rgb(104, 108, 116), cy + 13, Rgb(40, 42, 46)));
  c.FillCircle(cx, cy, 11, VerticalGradient(cy - 11, Rgb(66, 70, 76), cy + 11, Rgb(52, 55, 60)));
  c.StrokeArc(cx, cy, 11, Rad(-70), Rad(70), 0.7, WithAlpha(kWhite, 0.18));
  // Pointer.
  const double s = Sin(angle), co = Cos(angle);
  c.StrokeLine(cx + 4 * s, cy - 4 * co, cx + 10 * s, cy - 10 * co, 2.2, Rgb(242, 239, 230));
}

// An LED dome: lit or dark.
void Led(Canvas& c, double cx, double cy, double r, bool lit) {
  if (lit) {
    c.Fill(cx - r - 3, cy - r - 3, cx + r + 3, cy + r + 3,
           [=](double x, double y) { return SdCircle(x, y, cx, cy, r) / 3; },
           WithAlpha(kAccent, 0.45));
    c.FillCircle(cx, cy, r, [=](double x, double y) {
      const double d = SdCircle(x, y, cx - 0.8, cy - 0.8, 0) / (r + 1);
      return Mix(kAccentHot, kAccent, Clamp01(d));
    });
  } else {
    c.FillCircle(cx, cy, r, VerticalGradient(cy - r, Rgb(70, 66, 60), cy + r, Rgb(42, 40, 38)));
    c.StrokeArc(cx, cy, r - 1.2, Rad(-60), Rad(60), 0.8, WithAlpha(kWhite, 0.15));
  }
}

void DrawDot(Canvas& c, int top, bool on) {
  const double cx = 8, cy = top + 8;
  c.FillCircle(cx, cy + 0.5, 7, WithAlpha(kWhite, 0.08));  // lip
  c.FillCircle(cx, cy, 7, Rgb(10, 11, 12));                 // socket
  c.FillCircle(cx, cy, 6, Rgb(24, 25, 28));
  Led(c, cx, cy, 4, on);
}

void DrawOnOff(Canvas& c, int top, bool on) {
  const double cx = 8, cy = top + 8;
  c.FillCircle(cx, cy, 7.5, Rgb(10, 11, 12));
  c.FillCircle(cx, cy, 6.7, VerticalGradient(cy - 7, Rgb(86, 90, 97), cy + 7, Rgb(38, 40, 44)));
  const Colour icon = on ? kAccent : Rgb(120, 124, 131);
  if (on) {
    c.Fill(cx - 8, cy - 8, cx + 8, cy + 8,
           [=](double x, double y) { return SdArc(x, y, cx, cy, 3.6, Rad(35), Rad(325), 0.7) / 2.5; },
           WithAlpha(kAccent, 0.5));
  }
  c.StrokeArc(cx, cy + 0.3, 3.6, Rad(40), Rad(320), 1.4, on ? kAccentHot : icon);
  c.StrokeLine(cx, cy - 4.6, cx, cy - 0.6, 1.4, on ? kAccentHot : icon);
}

void DrawLock(Canvas& c, int top, bool locked) {
  const Colour body = locked ? kAccent : Rgb(128, 132, 140);
  const double cx = 6, bodyTop = top + 5.5;
  // Shackle: closed sits in the body, open is lifted and swung off its right leg.
  const double lift = locked ? 0 : 1.5;
  const double sy = top + 3.6 - lift;
  c.StrokeArc(cx, sy, 2.4, Rad(-90), Rad(90), 1.3, body);
  c.StrokeLine(cx - 2.4, sy, cx - 2.4, bodyTop + 0.5 - (locked ? 0 : 1.8), 1.3, body);
  c.StrokeLine(cx + 2.4, sy, cx + 2.4, bodyTop + 0.5, 1.3, body);
  c.FillRect(1.5, bodyTop, 10.5, top + 11.5, body, 1.2);
  c.FillRect(5.5, top + 7.5, 6.5, top + 9.5, Rgb(30, 32, 36));  // keyhole
}

void DrawButton(Canvas& c, int top, bool on) {
  const double t = top;
  c.FillRect(1, t + 2, 35, t + 36, WithAlpha(kBlack, 0.45), 5);  // shadow
  c.FillRect(1, t + 1, 35, t + 35, Rgb(12, 13, 14), 5);
  const double press = on ? 1 : 0;
  const Colour faceTop = on ? Rgb(58, 61, 66) : Rgb(88, 92, 99);
  const Colour faceBottom = on ? Rgb(46, 48, 53) : Rgb(46, 49, 54);
  c.FillRect(2, t + 2 + press, 34, t + 34, VerticalGradient(t + 2, faceTop, t + 34, faceBottom), 4);
  c.FillRect(5, t + 3 + press, 31, t + 4 + press, WithAlpha(kWhite, on ? 0.05 : 0.14));
  // Indicator bar and legend.
  if (on) {
    c.Fill(8, t + 5, 28, t + 15,
           [=](double x, double y) { return SdBox(x, y, 12, t + 9 + press, 24, t + 11 + press, 1) / 2.5; },
           WithAlpha(kAccent, 0.5));
  }
  c.FillRect(12, t + 9 + press, 24, t + 11 + press, on ? kAccentHot : Rgb(30, 28, 26), 1);
  DrawText(c, 18, t + 19 + press, "REV", Small(on ? kAccent : Rgb(150, 154, 160)), Align::Centre);
}

template <class DrawFrame>
Image TwoFrames(int width, int height, DrawFrame draw) {
  Canvas c = Strip(width, height, 2);
  draw(c, 0, false);
  draw(c, height, true);
  return c.ToImage(false);
}

}  // namespace

Image MakeBackground() {
  Canvas c(800, 500);
  c.FillRect(0, 0, 800, 500, VerticalGradient(0, kBaseTop, 500, kBaseBottom));
  Header(c);
  LeftColumn(c);
  Graph(c);
  Detector(c, 0);
  Detector(c, 1);
  Processor(c, 0);
  Processor(c, 1);
  return c.ToImage(true);
}

Image MakeKnobStrip() {
  Canvas c = Strip(40, 40, KNOB_FRAMES);
  for (int k = 0; k < KNOB_FRAMES; ++k) DrawKnob(c, 40 * k, k / double(KNOB_FRAMES - 1));
  return c.ToImage(false);
}

Image MakeDotSwitch() { return TwoFrames(16, 16, DrawDot); }
Image MakeButton() { return TwoFrames(36, 36, DrawButton); }
Image MakeLock() { return TwoFrames(12, 12, DrawLock); }
Image MakeOnOff() { return TwoFrames(16, 16, DrawOnOff); }

const std::vector<Artwork>& AllArtwork() {
  static const std::vector<Artwork> all = {
      {BKG_ID, BKG_FN, 1, MakeBackground},
      {KNOB_ID, KNOB_FN, KNOB_FRAMES, MakeKnobStrip},
      {DOT_SWITCH_ID, DOT_SWITCH_FN, DOT_SWITCH_FRAMES, MakeDotSwitch},
      {BUTTON_ID, BUTTON_FN, BUTTON_FRAMES, MakeButton},
      {LOCK_ID, LOCK_FN, LOCK_FRAMES, MakeLock},
      {ON_OFF_ID, ON_OFF_FN, ON_OFF_FRAMES, MakeOnOff},
  };
  return all;
}

const char* FileName(const Artwork& art) {
  const char* slash = std::strrchr(art.path, '/');
  return slash ? slash + 1 : art.path;
}

}  // namespace corvane::imagegen
