// The editor's six bitmaps, drawn from scratch. Each strip stacks its frames vertically with
// frame 0 (the minimum, or "off") on top.
#pragma once

#include <vector>

#include "tools/imagegen/Raster.h"

namespace corvane::imagegen {

Image MakeBackground();  // 800 x 500, opaque
Image MakeKnobStrip();   // 101 frames of 40 x 40
Image MakeDotSwitch();   // 2 frames of 16 x 16
Image MakeButton();      // 2 frames of 36 x 36
Image MakeLock();        // 2 frames of 12 x 12
Image MakeOnOff();       // 2 frames of 16 x 16

struct Artwork {
  int resourceId;
  const char* path;  // relative to the source tree, for example "resources/img/bkg.png"
  int frames;        // 1 for the background
  Image (*make)();
};

// The six bitmaps in resource id order (100 to 105).
const std::vector<Artwork>& AllArtwork();

// The file name part of an artwork's path ("bkg.png").
const char* FileName(const Artwork& art);

}  // namespace corvane::imagegen
