// Drawing library on the editor's 800 x 500 surface: blits, fills, one graph frame of lines, a
// label from a warm glyph cache and decoding a full-size PNG. The blit and fill fast paths are
// measured next to the plain per-pixel reference the tests use, and checked bit for bit first.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "drawing/lice.h"
#include "tests/drawing/lice_reference.h"
#include "tests/drawing/png_fixture.h"

namespace {

const int kW = 800, kH = 500;

// A surface like the editor's background: smooth gradients, opaque.
void PaintBackground(LICE_IBitmap* bm) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      bm->GetBits()[y * bm->GetRowSpan() + x] = LICE_RGBA(40 + x * 100 / kW, 50 + y * 80 / kH, 60 + (x ^ y) % 40, 255);
}

// A control bitmap with realistic alpha: knobs and buttons with antialiased edges and soft
// shadows on a transparent field (most pixels fully transparent or fully opaque).
void PaintControls(LICE_IBitmap* bm) {
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int cx = (x / 100) * 100 + 50, cy = (y / 100) * 100 + 50;
      const double d = std::sqrt((double)(x - cx) * (x - cx) + (double)(y - cy) * (y - cy));
      int a = 0;
      if (d < 30)
        a = 255;
      else if (d < 31.5)
        a = (int)((31.5 - d) / 1.5 * 255);
      else if (d < 40 && y > cy)
        a = (int)((40 - d) * 8);  // shadow below the knob
      const int v = 120 + (int)(d * 3) % 100;
      bm->GetBits()[y * bm->GetRowSpan() + x] = LICE_RGBA(v, v - 20, v / 2, a);
    }
  }
}

struct Surfaces {
  LICE_MemBitmap dest{kW, kH};
  LICE_MemBitmap src{kW, kH};
  explicit Surfaces(bool controls) {
    PaintBackground(&dest);
    if (controls)
      PaintControls(&src);
    else
      PaintBackground(&src);
  }
};

// The plain per-pixel reference of a whole-surface blit.
void ReferenceBlit(LICE_IBitmap* dest, LICE_IBitmap* src, float alpha, int mode) {
  for (int y = 0; y < kH; ++y) {
    LICE_pixel* d = dest->GetBits() + y * dest->GetRowSpan();
    const LICE_pixel* s = src->GetBits() + y * src->GetRowSpan();
    for (int x = 0; x < kW; ++x) d[x] = ref::BlitPixel(d[x], s[x], alpha, mode);
  }
}

void ReferenceFill(LICE_IBitmap* dest, LICE_pixel c, float alpha, int mode) {
  for (int y = 0; y < kH; ++y) {
    LICE_pixel* d = dest->GetBits() + y * dest->GetRowSpan();
    for (int x = 0; x < kW; ++x) d[x] = ref::FillPixel(d[x], c, alpha, mode);
  }
}

bool SamePixels(LICE_IBitmap* a, LICE_IBitmap* b) {
  for (int y = 0; y < kH; ++y)
    if (memcmp(a->GetBits() + y * a->GetRowSpan(), b->GetBits() + y * b->GetRowSpan(), kW * 4)) return false;
  return true;
}

bool BlitIsExact(float alpha, int mode, bool controls) {
  Surfaces lib(controls), ref(controls);
  LICE_BlitRect(&lib.dest, &lib.src, 0, 0, nullptr, alpha, mode);
  ReferenceBlit(&ref.dest, &ref.src, alpha, mode);
  return SamePixels(&lib.dest, &ref.dest);
}

void BM_Blit(benchmark::State& state, float alpha, int mode, bool controls, bool reference) {
  if (!BlitIsExact(alpha, mode, controls)) {
    state.SkipWithError("fast path differs from the reference");
    return;
  }
  Surfaces s(controls);
  for (auto _ : state) {
    if (reference)
      ReferenceBlit(&s.dest, &s.src, alpha, mode);
    else
      LICE_BlitRect(&s.dest, &s.src, 0, 0, nullptr, alpha, mode);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

BENCHMARK_CAPTURE(BM_Blit, copy_1_0, 1.0f, 0, false, false);
BENCHMARK_CAPTURE(BM_Blit, copy_1_0_reference, 1.0f, 0, false, true);
BENCHMARK_CAPTURE(BM_Blit, copy_0_5, 0.5f, 0, false, false);
BENCHMARK_CAPTURE(BM_Blit, copy_0_5_reference, 0.5f, 0, false, true);
BENCHMARK_CAPTURE(BM_Blit, copy_0_39, 0.39f, 0, false, false);
BENCHMARK_CAPTURE(BM_Blit, copy_0_39_reference, 0.39f, 0, false, true);
BENCHMARK_CAPTURE(BM_Blit, srcalpha_1_0, 1.0f, 0x10000, true, false);
BENCHMARK_CAPTURE(BM_Blit, srcalpha_1_0_reference, 1.0f, 0x10000, true, true);
BENCHMARK_CAPTURE(BM_Blit, srcalpha_0_5, 0.5f, 0x10000, true, false);
BENCHMARK_CAPTURE(BM_Blit, srcalpha_0_5_reference, 0.5f, 0x10000, true, true);

void BM_Fill(benchmark::State& state, float alpha, bool reference) {
  {
    Surfaces lib(false), ref(false);
    LICE_FillRectangle(&lib.dest, 0, 0, kW, kH, 0xFF336699, alpha, 0);
    ReferenceFill(&ref.dest, 0xFF336699, alpha, 0);
    if (!SamePixels(&lib.dest, &ref.dest)) {
      state.SkipWithError("fast path differs from the reference");
      return;
    }
  }
  Surfaces s(false);
  for (auto _ : state) {
    if (reference)
      ReferenceFill(&s.dest, 0xFF336699, alpha, 0);
    else
      LICE_FillRectangle(&s.dest, 0, 0, kW, kH, 0xFF336699, alpha, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kW * kH);
}

BENCHMARK_CAPTURE(BM_Fill, fill_1_0, 1.0f, false);
BENCHMARK_CAPTURE(BM_Fill, fill_0_75, 0.75f, false);
BENCHMARK_CAPTURE(BM_Fill, fill_0_5, 0.5f, false);
BENCHMARK_CAPTURE(BM_Fill, fill_0_25, 0.25f, false);
BENCHMARK_CAPTURE(BM_Fill, fill_0_25_reference, 0.25f, true);

// One frame of the effect's graphs: four traces of 560 antialiased segments each.
void BM_GraphFrame(benchmark::State& state) {
  LICE_MemBitmap surface(kW, kH);
  PaintBackground(&surface);
  std::vector<int> ys[4];
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i <= 560; ++i) ys[t].push_back(250 + (int)(120 * std::sin(i * 0.05 + t) + 30 * std::sin(i * 0.31 * (t + 1))));
  const LICE_pixel colours[4] = {0xFF40FF40, 0xFFFF4040, 0xFF4080FF, 0xFFFFFF40};
  for (auto _ : state) {
    for (int t = 0; t < 4; ++t)
      for (int i = 0; i < 560; ++i)
        LICE_DrawLine(&surface, 120 + i, ys[t][i], 121 + i, ys[t][i + 1], colours[t], 1.0f, 0, true);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 4 * 560);
}
BENCHMARK(BM_GraphFrame);

// A 12-character label drawn from a warm glyph cache.
void BM_Label(benchmark::State& state) {
  LICE_MemBitmap surface(kW, kH);
  PaintBackground(&surface);
  LICE_CachedFont font;
  font.SetFromHFont(new LICE_TestGlyphSource(14), FontFlagOwnsFont);
  font.SetTextColor(0xFFE0E0E0);
  LICE_Rect r = {100, 100, 300, 130};
  font.DrawText(&surface, "Detector 1 g", -1, &r, 0x125);  // warm the cache
  for (auto _ : state) {
    r = LICE_Rect{100, 100, 300, 130};
    benchmark::DoNotOptimize(font.DrawText(&surface, "Detector 1 g", -1, &r, 0x125));
  }
}
BENCHMARK(BM_Label);

// Decoding an 800 x 500 RGBA PNG.
void BM_DecodePng(benchmark::State& state) {
  pngfix::Spec spec;
  spec.width = kW;
  spec.height = kH;
  spec.colorType = pngfix::Rgba;
  spec.mixedFilters = true;
  spec.sample = [](int x, int y, int c) {
    return c == 3 ? ((x / 100 + y / 100) % 2 ? 255 : (x + y) & 255) : (40 + x * 100 / kW + y * 80 / kH + c * 30 + (x * y) % 7) & 255;
  };
  const std::vector<uint8_t> png = pngfix::Encode(spec);
  for (auto _ : state) {
    std::unique_ptr<LICE_MemBitmap> bm(LICE_ReadPngMemory(png.data(), (int)png.size()));
    if (!bm) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::DoNotOptimize(bm->GetBits());
  }
  state.counters["png_bytes"] = (double)png.size();
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);

}  // namespace
