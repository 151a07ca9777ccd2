// Blits, fills and lines on LICE bitmaps.
#pragma once

#include "drawing/lice_bitmap.h"
#include "drawing/lice_combine.h"

// Draws the source rectangle (null: the whole source) with its top-left corner at (x, y) of
// the destination, at the opacity alpha (1.0 = full) in the blend mode. Source and destination
// must be different bitmaps.
void LICE_BlitRect(LICE_IBitmap* dest, LICE_IBitmap* src, int x, int y, const LICE_Rect* srcrect,
                   float alpha, int mode);

// Covers the rectangle (x, y, w, h) with the colour word at the opacity alpha in the mode.
void LICE_FillRectangle(LICE_IBitmap* dest, int x, int y, int w, int h, LICE_pixel color,
                        float alpha, int mode);

// Cuts the segment to 0 <= x < width, 0 <= y < height. True when some part of it lies inside;
// the four coordinates are overwritten with the clipped end points in every case.
bool LICE_ClipLine(int* x1, int* y1, int* x2, int* y2, int width, int height);

// One-pixel line between two inclusive end points; the same pixels whichever end comes first.
// Only the low 8 bits of the mode count (0 to 5).
void LICE_DrawLine(LICE_IBitmap* dest, int x1, int y1, int x2, int y2, LICE_pixel color,
                   float alpha, int mode, bool antialias);
