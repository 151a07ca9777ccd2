// PNG decoding into memory bitmaps (8-bit ARGB words, whatever the PNG's colour type and depth).
#pragma once

#include "drawing/lice_bitmap.h"

// Decodes a PNG held in memory. Returns a new bitmap owned by the caller, or null for anything
// that is not a complete, valid PNG within the size limits below.
LICE_MemBitmap* LICE_ReadPngMemory(const void* data, int length);

// Decodes a PNG file named in UTF-8 into bmp (resized) or, with bmp null, into a new bitmap
// owned by the caller. Null on failure; a given bitmap is never deleted (its size and content
// are unspecified after a failure).
LICE_MemBitmap* LICE_ReadPngFile(const char* filename, LICE_MemBitmap* bmp = nullptr);

// Images the decoder accepts: each side at most LICE_PngMaxSide pixels, at most
// LICE_PngMaxPixels pixels in all, and no more decoded image data than the compressed input
// could possibly hold (deflate expands at most 1032 times), so a few kilobytes of input can
// never ask for a huge bitmap. The header chunk comes first; chunks other than IHDR, PLTE,
// tRNS, IDAT and IEND are skipped unread (none of them changes a decoded pixel), and libpng may
// hold at most 1 MiB plus two rows of the image at once, so no chunk can make the decoder
// allocate what it declares.
const int LICE_PngMaxSide = 65535;
const long long LICE_PngMaxPixels = 1LL << 26;

// One entry of the process-wide list of image loaders.
struct ImageLoaderEntry {
  LICE_MemBitmap* (*loadfunc)(const char* filename, bool checkExtension, LICE_MemBitmap* bmp);
  const char* (*filtertext)();
  ImageLoaderEntry* next;
};

// Head of the image-loader list; the PNG loader registers itself when the module loads.
ImageLoaderEntry* LICE_GetImageLoaderList();

// The PNG loader: with checkExtension, only names ending in ".png" (any case) are read.
LICE_MemBitmap* LICE_PngLoaderLoad(const char* filename, bool checkExtension, LICE_MemBitmap* bmp);
const char* LICE_PngLoaderFilterText();  // "PNG files (*.PNG)"
