// The drawing library: bitmaps, blends, blits, fills, lines, cached fonts and PNG loading.
#pragma once

#include "drawing/lice_bitmap.h"
#include "drawing/lice_combine.h"
#include "drawing/lice_draw.h"
#include "drawing/lice_png.h"
#include "drawing/lice_text.h"
