#include "effect/VemtraCorvaneBitmaps.h"

#include "drawing/lice_png.h"
#include "resources/resource.h"

namespace {

const EmbeddedBitmap kBitmaps[kEmbeddedBitmaps] = {
    {BKG_ID, BKG_FN, kEmbeddedPng_bkg, kEmbeddedPngSize_bkg},
    {KNOB_ID, KNOB_FN, kEmbeddedPng_knob, kEmbeddedPngSize_knob},
    {DOT_SWITCH_ID, DOT_SWITCH_FN, kEmbeddedPng_dot_switch, kEmbeddedPngSize_dot_switch},
    {BUTTON_ID, BUTTON_FN, kEmbeddedPng_button, kEmbeddedPngSize_button},
    {LOCK_ID, LOCK_FN, kEmbeddedPng_lock, kEmbeddedPngSize_lock},
    {ON_OFF_ID, ON_OFF_FN, kEmbeddedPng_on_off, kEmbeddedPngSize_on_off},
};

}  // namespace

const EmbeddedBitmap* FindEmbeddedBitmap(int resourceId) {
  for (const EmbeddedBitmap& bitmap : kBitmaps) {
    if (bitmap.resourceId == resourceId) return &bitmap;
  }
  return nullptr;
}

LICE_IBitmap* DecodeEmbeddedBitmap(int resourceId) {
  const EmbeddedBitmap* bitmap = FindEmbeddedBitmap(resourceId);
  return bitmap ? LICE_ReadPngMemory(bitmap->data, bitmap->size) : nullptr;
}
