#pragma once
// The editor's six PNG bitmaps built into the program, byte for byte the files the Windows
// modules carry as "PNG" resources. The headless editor decodes them from here.

#include "drawing/lice_bitmap.h"

struct EmbeddedBitmap {
  int resourceId;
  const char* name;  // the resource's file name in the source tree
  const unsigned char* data;
  int size;
};

constexpr int kEmbeddedBitmaps = 6;

// The bitmap of a resource identifier (100 to 105), or null.
const EmbeddedBitmap* FindEmbeddedBitmap(int resourceId);

// Decodes the bitmap of a resource identifier into a new bitmap (the caller owns it); null for
// an unknown identifier.
LICE_IBitmap* DecodeEmbeddedBitmap(int resourceId);

// The arrays, written by effect/EmbedBitmaps.cmake.
extern const unsigned char kEmbeddedPng_bkg[];
extern const int kEmbeddedPngSize_bkg;
extern const unsigned char kEmbeddedPng_knob[];
extern const int kEmbeddedPngSize_knob;
extern const unsigned char kEmbeddedPng_dot_switch[];
extern const int kEmbeddedPngSize_dot_switch;
extern const unsigned char kEmbeddedPng_button[];
extern const int kEmbeddedPngSize_button;
extern const unsigned char kEmbeddedPng_lock[];
extern const int kEmbeddedPngSize_lock;
extern const unsigned char kEmbeddedPng_on_off[];
extern const int kEmbeddedPngSize_on_off;
