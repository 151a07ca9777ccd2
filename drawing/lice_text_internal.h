// State of the text code shared between its source files (not part of the library's interface).
#pragma once

#include "drawing/lice_bitmap.h"

namespace lice_detail {

// Canvas for native text on destinations without a device context; destroyed with the last
// font.
extern LICE_SysBitmap* TextCanvas;

}  // namespace lice_detail
