// The editor's committed bitmaps: their sizes and frames, what each strip shows, room on the
// background for the texts the editor prints, and that they are exactly what the generator
// draws today (a stale commit fails here).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "resources/resource.h"
#include "tests/resources/PngFile.h"
#include "tools/imagegen/Artwork.h"
#include "tools/imagegen/Font.h"
#include "tools/imagegen/Raster.h"

namespace {

using corvane::test::DecodedPng;
using corvane::test::DecodePngFile;
using corvane::test::SourcePath;

DecodedPng Load(const char* path) {
  DecodedPng png;
  const std::string error = DecodePngFile(SourcePath(path), png);
  if (!error.empty()) ADD_FAILURE() << error;
  return png;
}

bool FramesEqual(const DecodedPng& png, int frameHeight, int a, int b) {
  const size_t frameBytes = static_cast<size_t>(png.width) * frameHeight * 4;
  return std::memcmp(&png.rgba[frameBytes * a], &png.rgba[frameBytes * b], frameBytes) == 0;
}

struct Expected {
  int id;
  const char* path;
  int width, height, frames;
};

const Expected kExpected[] = {
    {100, "resources/img/bkg.png", 800, 500, 1},
    {101, "resources/img/knob.png", 40, 4040, 101},
    {102, "resources/img/dot-switch.png", 16, 32, 2},
    {103, "resources/img/button.png", 36, 72, 2},
    {104, "resources/img/lock.png", 12, 24, 2},
    {105, "resources/img/on-off.png", 16, 32, 2},
};

TEST(EditorBitmaps, EachFileHasItsIdSizeAndFrames) {
  const auto& all = corvane::imagegen::AllArtwork();
  ASSERT_EQ(all.size(), 6u);
  for (size_t i = 0; i < all.size(); ++i) {
    const Expected& e = kExpected[i];
    SCOPED_TRACE(e.path);
    EXPECT_EQ(all[i].resourceId, e.id);
    EXPECT_STREQ(all[i].path, e.path);
    EXPECT_EQ(all[i].frames, e.frames);
    const DecodedPng png = Load(e.path);
    EXPECT_EQ(png.width, e.width);
    EXPECT_EQ(png.height, e.height);
    EXPECT_EQ(png.height % e.frames, 0);
  }
  EXPECT_STREQ(BKG_FN, kExpected[0].path);
  EXPECT_EQ(ON_OFF_ID, 105);
}

TEST(EditorBitmaps, BackgroundIsOpaqueAndStripsAreNot) {
  const DecodedPng bkg = Load(BKG_FN);
  EXPECT_FALSE(bkg.hasAlpha);
  for (size_t i = 3; i < bkg.rgba.size(); i += 4) ASSERT_EQ(bkg.rgba[i], 255) << "pixel " << i / 4;
  // The knob's corners let the panel (and its scale) show through.
  const DecodedPng knob = Load(KNOB_FN);
  ASSERT_EQ(knob.width, 40);
  EXPECT_TRUE(knob.hasAlpha);
  EXPECT_EQ(knob.At(0, 0)[3], 0);
  EXPECT_EQ(knob.At(39, 39)[3], 0);
  EXPECT_EQ(knob.At(20, 20)[3], 255);
}

// Angle of the knob's pointer in degrees, 0 straight up, clockwise positive: the light pixels
// near the centre of one frame, weighted by how light they are.
double PointerAngle(const DecodedPng& knob, int frame) {
  double sx = 0, sy = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      const double dx = x + 0.5 - 20, dy = y + 0.5 - 20, r = std::sqrt(dx * dx + dy * dy);
      if (r < 3 || r > 12) continue;
      const std::uint8_t* p = knob.At(x, 40 * frame + y);
      const double light = (p[0] + p[1] + p[2]) / 3.0;
      if (p[3] > 128 && light > 170) {
        sx += dx * (light - 170);
        sy += dy * (light - 170);
      }
    }
  }
  return std::atan2(sx, -sy) * 180 / 3.14159265358979323846;
}

TEST(EditorBitmaps, KnobPointerSweepsClockwiseFromMinimumToMaximum) {
  const DecodedPng knob = Load(KNOB_FN);
  ASSERT_EQ(knob.height, 40 * KNOB_FRAMES);
  EXPECT_FALSE(FramesEqual(knob, 40, 0, KNOB_FRAMES - 1));
  double previous = PointerAngle(knob, 0);
  EXPECT_NEAR(previous, -135, 3);
  for (int k = 1; k < KNOB_FRAMES; ++k) {
    SCOPED_TRACE(k);
    EXPECT_FALSE(FramesEqual(knob, 40, k - 1, k));
    const double angle = PointerAngle(knob, k);
    EXPECT_GT(angle, previous + 1);  // 2.7 degrees a frame
    EXPECT_LT(angle, previous + 5);
    previous = angle;
  }
  EXPECT_NEAR(previous, 135, 3);
}

// Pixels in the accent colour of a lit switch.
int LitPixels(const DecodedPng& png, int frameHeight, int frame) {
  int n = 0;
  for (int y = 0; y < frameHeight; ++y) {
    for (int x = 0; x < png.width; ++x) {
      const std::uint8_t* p = png.At(x, frameHeight * frame + y);
      if (p[3] > 128 && p[0] >= 200 && p[0] - p[2] >= 60) ++n;
    }
  }
  return n;
}

TEST(EditorBitmaps, SwitchesShowOffOnTopAndOnBelow) {
  for (const char* path : {DOT_SWITCH_FN, BUTTON_FN, LOCK_FN, ON_OFF_FN}) {
    SCOPED_TRACE(path);
    const DecodedPng png = Load(path);
    ASSERT_GT(png.width, 0);
    const int frameHeight = png.height / 2;
    EXPECT_EQ(frameHeight, png.width);  // square frames
    EXPECT_FALSE(FramesEqual(png, frameHeight, 0, 1));
    EXPECT_EQ(LitPixels(png, frameHeight, 0), 0);
    EXPECT_GE(LitPixels(png, frameHeight, 1), 4);
  }
}

struct Box {
  int left, top, right, bottom;
};

// Every row of the box has one colour (the panels' gradients run vertically), so nothing is
// printed where the editor draws a text.
void ExpectBlank(const DecodedPng& bkg, const Box& b, const std::string& what) {
  for (int y = b.top; y < b.bottom; ++y) {
    const std::uint8_t* first = bkg.At(b.left, y);
    for (int x = b.left; x < b.right; ++x) {
      const std::uint8_t* p = bkg.At(x, y);
      for (int c = 0; c < 3; ++c) {
        if (std::abs(p[c] - first[c]) > 2) {
          ADD_FAILURE() << what << ": print at " << x << ", " << y;
          return;
        }
      }
    }
  }
}

TEST(EditorBitmaps, BackgroundLeavesRoomForTheEditorsTexts) {
  const DecodedPng bkg = Load(BKG_FN);
  ASSERT_EQ(bkg.width, 800);
  ASSERT_EQ(bkg.height, 500);
  // Value texts: a 16-pixel line below each 40 x 40 knob, centred, a little wider than it.
  const int knobs[][2] = {{15, 354},  {73, 354},  {132, 354}, {15, 434},  {73, 434},  {132, 434},
                          {221, 354}, {279, 354}, {338, 354}, {221, 434}, {279, 434}, {338, 434},
                          {437, 368}, {498, 368}, {553, 368}, {437, 440}, {498, 440},
                          {632, 368}, {693, 368}, {748, 368}, {632, 440}, {693, 440}};
  for (const auto& k : knobs) {
    ExpectBlank(bkg, {k[0] - 6, k[1] + 40, k[0] + 46, k[1] + 56},
                "value text of the knob at " + std::to_string(k[0]) + ", " + std::to_string(k[1]));
  }
  // Captions, the preset name, the version label and the lower gain-scale captions.
  const Box texts[] = {{73, 306, 143, 322},  {279, 306, 349, 322}, {498, 300, 568, 316},
                       {498, 324, 568, 340}, {692, 300, 762, 316}, {692, 324, 762, 340},
                       {27, 74, 107, 90},    {27, 120, 107, 136},  {344, 13, 579, 29},
                       {710, 7, 790, 19},    {200, 257, 220, 267}, {240, 257, 260, 267}};
  for (const Box& b : texts) {
    ExpectBlank(bkg, b, "text box at " + std::to_string(b.left) + ", " + std::to_string(b.top));
  }
}

TEST(EditorBitmaps, CommittedFilesAreWhatTheGeneratorDraws) {
  for (const auto& art : corvane::imagegen::AllArtwork()) {
    SCOPED_TRACE(art.path);
    const corvane::imagegen::Image drawn = art.make();
    const DecodedPng png = Load(art.path);
    ASSERT_EQ(png.width, drawn.width);
    ASSERT_EQ(png.height, drawn.height);
    EXPECT_EQ(png.hasAlpha, !drawn.opaque);
    ASSERT_EQ(png.rgba.size(), drawn.rgba.size());
    for (size_t i = 0; i < drawn.rgba.size(); ++i) {
      if (png.rgba[i] != drawn.rgba[i]) {
        const size_t pixel = i / 4;
        FAIL() << "stale file (run tools/imagegen/regen.sh): first difference at "
               << pixel % drawn.width << ", " << pixel / drawn.width;
      }
    }
  }
}

TEST(ImageGenerator, OwnTrigonometryMatchesTheLibrary) {
  using namespace corvane::imagegen;
  for (double x = -10; x <= 10; x += 0.0137) {
    ASSERT_NEAR(Sin(x), std::sin(x), 1e-12) << x;
    ASSERT_NEAR(Cos(x), std::cos(x), 1e-12) << x;
  }
  for (double y = -3; y <= 3; y += 0.25) {
    for (double x = -3; x <= 3; x += 0.25) {
      if (x == 0 && y == 0) continue;
      ASSERT_NEAR(Atan2(y, x), std::atan2(y, x), 1e-12) << y << ", " << x;
    }
  }
}

TEST(ImageGenerator, ShapesCoverWholePixelsInsideAndBlendAtTheirEdges) {
  using namespace corvane::imagegen;
  Canvas c(8, 8);
  c.FillRect(2, 2, 6, 6, Rgb(255, 0, 0));
  c.FillCircle(4, 4, 1.5, WithAlpha(Rgb(0, 0, 255), 0.5));
  const Image img = c.ToImage(false);
  auto px = [&](int x, int y) { return &img.rgba[(y * 8 + x) * 4]; };
  EXPECT_EQ(px(1, 1)[3], 0);                       // outside: untouched and transparent
  EXPECT_EQ(px(2, 2)[0], 255);                     // inside the rectangle: full red
  EXPECT_EQ(px(2, 2)[3], 255);
  EXPECT_EQ(px(4, 4)[0], 128);                     // half blue over red
  EXPECT_EQ(px(4, 4)[2], 128);
  EXPECT_THROW(c.ToImage(true), std::logic_error);  // not opaque everywhere
}

TEST(ImageGenerator, TextWithoutAGlyphIsRefused) {
  using namespace corvane::imagegen;
  Canvas c(40, 10);
  TextStyle s;
  EXPECT_THROW(DrawText(c, 0, 0, "GAIN~", s), std::invalid_argument);
  EXPECT_NO_THROW(DrawText(c, 0, 0, "GAIN 1.5%", s));
  EXPECT_DOUBLE_EQ(TextWidth("GATE", s), 4 * 6 - 1);  // five pixels a letter, one between
}

}  // namespace
