// PNG decoding from memory and from files, with fixtures the tests encode themselves: every
// colour type and bit depth, palettes with transparency, 16-bit and interlaced images, and
// truncated, damaged and oversized data that must be refused cleanly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_PNG_MEASURES_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_PNG_MEASURES_MEMORY 1
#endif
#endif
#ifdef CORVANE_PNG_MEASURES_MEMORY
#include <atomic>

// From the sanitizer runtime (declared here: GCC ships no <sanitizer/allocator_interface.h>).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, size_t),
                                                         void (*onFree)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

#include "drawing/lice_png.h"
#include "tests/drawing/drawing_test_util.h"
#include "tests/drawing/png_fixture.h"

using drawtest::Get;
using pngfix::Spec;

namespace {

std::unique_ptr<LICE_MemBitmap> Decode(const std::vector<uint8_t>& png) {
  return std::unique_ptr<LICE_MemBitmap>(LICE_ReadPngMemory(png.data(), (int)png.size()));
}

LICE_pixel Argb(int a, int r, int g, int b) { return LICE_RGBA(r, g, b, a); }

// The image with a text chunk in front of its header.
std::vector<uint8_t> TextChunkFirst(std::vector<uint8_t> png) {
  std::vector<uint8_t> text;
  pngfix::Chunk(text, "tEXt", {'a', 0, 'b'});
  png.insert(png.begin() + 8, text.begin(), text.end());
  return png;
}

// Decodes and compares every pixel with expect(x, y).
void CheckImage(const Spec& s, const std::function<LICE_pixel(int, int)>& expect, const char* what) {
  auto bm = Decode(pngfix::Encode(s));
  ASSERT_NE(bm, nullptr) << what;
  ASSERT_EQ(bm->GetWidth(), (int)s.width) << what;
  ASSERT_EQ(bm->GetHeight(), (int)s.height) << what;
  for (int y = 0; y < (int)s.height; ++y)
    for (int x = 0; x < (int)s.width; ++x)
      ASSERT_EQ(Get(bm.get(), x, y), expect(x, y)) << what << " at " << x << "," << y;
}

int Pattern(int x, int y, int c, int maxValue) { return (x * 7 + y * 13 + c * 29 + x * y) % (maxValue + 1); }

TEST(PngDecode, GreyAtEveryBitDepth) {
  for (int depth : {1, 2, 4, 8, 16}) {
    Spec s;
    s.width = 13;
    s.height = 5;
    s.colorType = pngfix::Grey;
    s.bitDepth = depth;
    const int maxValue = (1 << depth) - 1;
    // 16-bit samples spread over the whole range, so that the kept high byte varies.
    auto value = [=](int x, int y) { return depth == 16 ? Pattern(x, y, 0, 255) * 251 + x : Pattern(x, y, 0, maxValue); };
    s.sample = [=](int x, int y, int) { return value(x, y); };
    CheckImage(s, [=](int x, int y) {
      const int v = value(x, y);
      const int g = depth == 16 ? v >> 8 : v * 255 / maxValue;  // 1, 2 and 4 bits scale to 0..255
      return Argb(255, g, g, g);
    }, "grey");
  }
}

TEST(PngDecode, OneBitGreyIsBlackAndWhite) {
  Spec s;
  s.width = 2;
  s.colorType = pngfix::Grey;
  s.bitDepth = 1;
  s.sample = [](int x, int, int) { return x; };
  auto bm = Decode(pngfix::Encode(s));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(Get(bm.get(), 0, 0), 0xFF000000u);
  EXPECT_EQ(Get(bm.get(), 1, 0), 0xFFFFFFFFu);
}

TEST(PngDecode, ColourTypesWithAndWithoutAlpha) {
  for (int depth : {8, 16}) {
    const int maxValue = (1 << depth) - 1;
    auto to8 = [=](int v) { return depth == 16 ? v >> 8 : v; };
    auto value = [=](int x, int y, int c) { return depth == 16 ? Pattern(x, y, c, 255) * 257 + x : Pattern(x, y, c, maxValue); };
    Spec rgb;
    rgb.width = 9;
    rgb.height = 4;
    rgb.bitDepth = depth;
    rgb.colorType = pngfix::Rgb;
    rgb.sample = value;
    CheckImage(rgb, [&](int x, int y) { return Argb(255, to8(value(x, y, 0)), to8(value(x, y, 1)), to8(value(x, y, 2))); },
               "rgb: alpha 255 everywhere");
    Spec rgba = rgb;
    rgba.colorType = pngfix::Rgba;
    CheckImage(rgba, [&](int x, int y) {
      return Argb(to8(value(x, y, 3)), to8(value(x, y, 0)), to8(value(x, y, 1)), to8(value(x, y, 2)));
    }, "rgba keeps its alpha");
    Spec ga = rgb;
    ga.colorType = pngfix::GreyAlpha;
    CheckImage(ga, [&](int x, int y) {
      const int g = to8(value(x, y, 0));
      return Argb(to8(value(x, y, 1)), g, g, g);
    }, "grey with alpha");
  }
}

TEST(PngDecode, SixteenBitsKeepTheHighByte) {
  Spec s;
  s.width = 2;
  s.bitDepth = 16;
  s.colorType = pngfix::Rgba;
  const int v[2][4] = {{0x12FF, 0x3400, 0x56AB, 0x80FF}, {0xFFFF, 0x0001, 0x00FF, 0x7F80}};
  s.sample = [&](int x, int, int c) { return v[x][c]; };
  auto bm = Decode(pngfix::Encode(s));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(Get(bm.get(), 0, 0), Argb(0x80, 0x12, 0x34, 0x56));
  EXPECT_EQ(Get(bm.get(), 1, 0), Argb(0x7F, 0xFF, 0x00, 0x00));
}

TEST(PngDecode, PalettesWithTransparency) {
  for (int depth : {1, 2, 4, 8}) {
    Spec s;
    s.width = 11;
    s.height = 3;
    s.colorType = pngfix::Palette;
    s.bitDepth = depth;
    const int entries = 1 << depth;
    for (int i = 0; i < entries; ++i) {
      s.palette.push_back((uint8_t)(i * 3));
      s.palette.push_back((uint8_t)(255 - i));
      s.palette.push_back((uint8_t)(i * 7));
    }
    s.trns = {0, 128};  // index 0 transparent, index 1 half, the rest opaque
    s.sample = [=](int x, int y, int) { return (x + y * 3) % entries; };
    CheckImage(s, [=](int x, int y) {
      const int i = (x + y * 3) % entries;
      const int a = i == 0 ? 0 : i == 1 ? 128 : 255;
      return Argb(a, (i * 3) & 255, 255 - i, (i * 7) & 255);
    }, "palette");
  }
}

TEST(PngDecode, ColourKeyTransparency) {
  Spec grey;
  grey.width = 3;
  grey.colorType = pngfix::Grey;
  grey.bitDepth = 16;
  grey.trns = {0x12, 0x34};
  grey.sample = [](int x, int, int) { return 0x1233 + x; };  // only x = 1 matches the key exactly
  CheckImage(grey, [](int x, int) { return Argb(x == 1 ? 0 : 255, 0x12, 0x12, 0x12); }, "grey key");

  Spec rgb;
  rgb.width = 2;
  rgb.colorType = pngfix::Rgb;
  rgb.trns = {0, 10, 0, 20, 0, 30};
  rgb.sample = [](int x, int, int c) { return x == 0 ? 10 * (c + 1) : 10 * (c + 1) + 1; };
  CheckImage(rgb, [](int x, int) { return x == 0 ? Argb(0, 10, 20, 30) : Argb(255, 11, 21, 31); }, "rgb key");
}

TEST(PngDecode, InterlacedAndFilteredImages) {
  Spec s;
  s.width = 13;
  s.height = 11;
  s.interlace = true;
  s.mixedFilters = true;
  s.colorType = pngfix::Rgba;
  s.sample = [](int x, int y, int c) { return Pattern(x, y, c, 255); };
  CheckImage(s, [](int x, int y) {
    return Argb(Pattern(x, y, 3, 255), Pattern(x, y, 0, 255), Pattern(x, y, 1, 255), Pattern(x, y, 2, 255));
  }, "interlaced rgba");

  Spec g = s;
  g.colorType = pngfix::Grey;
  g.bitDepth = 1;
  g.sample = [](int x, int y, int) { return (x ^ y) & 1; };
  CheckImage(g, [](int x, int y) { return ((x ^ y) & 1) ? 0xFFFFFFFFu : 0xFF000000u; }, "interlaced 1-bit grey");

  Spec split = s;
  split.interlace = false;
  split.idatChunk = 7;  // image data over many IDAT chunks
  CheckImage(split, [](int x, int y) {
    return Argb(Pattern(x, y, 3, 255), Pattern(x, y, 0, 255), Pattern(x, y, 1, 255), Pattern(x, y, 2, 255));
  }, "split IDAT");
}

TEST(PngDecode, HighlyCompressibleLargeImagesStillDecode) {
  Spec s;
  s.width = 2048;
  s.height = 2048;
  s.colorType = pngfix::Grey;
  s.bitDepth = 1;
  const std::vector<uint8_t> png = pngfix::Encode(s);
  EXPECT_LT(png.size(), 4000u);
  auto bm = Decode(png);
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(Get(bm.get(), 2047, 2047), 0xFF000000u);
}

// ---------------------------------------------------------------------------------------------
// Refusals

std::vector<uint8_t> SmallRgba() {
  Spec s;
  s.width = 6;
  s.height = 5;
  s.mixedFilters = true;
  s.sample = [](int x, int y, int c) { return Pattern(x, y, c, 255); };
  return pngfix::Encode(s);
}

TEST(PngRefuse, ShortBlocksAndWrongSignatures) {
  const std::vector<uint8_t> png = SmallRgba();
  EXPECT_EQ(LICE_ReadPngMemory(nullptr, 100), nullptr);
  for (int n = 0; n <= 7; ++n) EXPECT_EQ(LICE_ReadPngMemory(png.data(), n), nullptr) << n;
  std::vector<uint8_t> bad = png;
  bad[1] = 'Q';
  EXPECT_EQ(Decode(bad), nullptr);
  EXPECT_EQ(LICE_ReadPngMemory(png.data(), 8), nullptr);  // the signature alone
  EXPECT_EQ(LICE_ReadPngMemory(png.data(), -5), nullptr);
}

TEST(PngRefuse, EveryTruncationInsideTheImageData) {
  const std::vector<uint8_t> png = SmallRgba();
  auto full = Decode(png);
  ASSERT_NE(full, nullptr);
  const size_t end = pngfix::EndOfImageData(png);
  for (size_t n = 8; n < png.size(); ++n) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[n]);  // nothing to read past without ASan seeing it
    memcpy(exact.get(), png.data(), n);
    std::unique_ptr<LICE_MemBitmap> bm(LICE_ReadPngMemory(exact.get(), (int)n));
    if (n < end) {
      EXPECT_EQ(bm, nullptr) << "cut at " << n;
    } else if (bm) {  // cut inside IEND: the image itself is complete
      EXPECT_EQ(drawtest::Pixels(bm.get()), drawtest::Pixels(full.get()));
    }
  }
}

TEST(PngRefuse, DamagedBytesNeverCrashOrHalfSucceed) {
  const std::vector<uint8_t> png = SmallRgba();
  for (size_t i = 8; i < png.size(); ++i) {
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> bad = png;
      bad[i] ^= flip;
      auto bm = Decode(bad);
      if (bm) {
        EXPECT_EQ(bm->GetWidth(), 6);
        EXPECT_EQ(bm->GetHeight(), 5);
      }
    }
  }
}

TEST(PngRefuse, DamagedImageDataWithValidChecksums) {
  // The chunk checksums are right, so the damage reaches the decompressor and the filters.
  drawtest::Rng rng(5);
  int refused = 0;
  for (int round = 0; round < 300; ++round) {
    Spec s;
    s.width = 7;
    s.height = 6;
    s.mixedFilters = true;
    s.sample = [](int x, int y, int c) { return Pattern(x, y, c, 255); };
    const int kind = rng.Range(0, 2);
    const uint32_t r1 = rng.Next(), r2 = rng.Next();
    s.damageData = [=](std::vector<uint8_t>& z) {
      if (kind == 0) z[r1 % z.size()] ^= (uint8_t)(1 + r2 % 255);  // one byte changed
      if (kind == 1) z.resize(r1 % z.size());                       // stream cut short
      if (kind == 2) z.insert(z.begin() + r1 % z.size(), (uint8_t)r2);
    };
    auto bm = Decode(pngfix::Encode(s));
    if (!bm) {
      ++refused;
    } else {
      EXPECT_EQ(bm->GetWidth(), 7);
      EXPECT_EQ(bm->GetHeight(), 6);
    }
  }
  EXPECT_GT(refused, 150);
}

TEST(PngRefuse, InvalidHeaders) {
  struct Bad {
    uint32_t w, h;
    int depth, type, interlace;
  } cases[] = {{0, 5, 8, 6, 0}, {5, 0, 8, 6, 0}, {5, 5, 3, 6, 0}, {5, 5, 8, 5, 0}, {5, 5, 8, 6, 2},
               {5, 5, 1, 6, 0}, {5, 5, 16, 3, 0}, {0x80000000u, 1, 8, 6, 0}};
  for (const Bad& b : cases) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    pngfix::Chunk(png, "IHDR", pngfix::Ihdr(b.w, b.h, b.depth, b.type, b.interlace));
    pngfix::Chunk(png, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    pngfix::Chunk(png, "IEND", {});
    EXPECT_EQ(Decode(png), nullptr) << b.w << "x" << b.h << " depth " << b.depth << " type " << b.type;
  }
  // A palette image without its palette.
  Spec s;
  s.colorType = pngfix::Palette;
  s.bitDepth = 8;
  EXPECT_EQ(Decode(pngfix::Encode(s)), nullptr);

  // A chunk before the header.
  const std::vector<uint8_t> png = pngfix::Encode(Spec());
  ASSERT_NE(Decode(png), nullptr);
  EXPECT_EQ(Decode(TextChunkFirst(png)), nullptr);
}

// A solid 64 x 64 image (one data chunk at offset 33) whose data chunk announces `announced`
// bytes, cut `cut` bytes before the end of its real data. Zeros fed to the end of this deflate
// stream decode as endless long matches, so a reader that pads with zeros inflates forever.
std::vector<uint8_t> AnnouncingMoreThanItHolds(uint32_t announced, size_t cut) {
  Spec s;
  s.width = 64;
  s.height = 64;
  s.sample = [](int, int, int) { return 200; };
  std::vector<uint8_t> png = pngfix::Encode(s);
  const size_t kDataChunk = 33, realEnd = pngfix::EndOfImageData(png) - 4;
  for (int i = 0; i < 4; ++i) png[kDataChunk + i] = (uint8_t)(announced >> (24 - 8 * i));
  png.resize(realEnd - cut);
  return png;
}

TEST(PngRefuse, ReadingPastTheEndOfTheBlockFailsAtOnce) {
  // Cut inside the deflate stream with 1 MiB announced, and complete with an absurd length: a
  // reader that pads with zeros takes seconds to refuse either; one that fails at the end of
  // the block refuses both in microseconds.
  const std::vector<uint8_t> cutOff = AnnouncingMoreThanItHolds(0x00100000u, 6);
  const std::vector<uint8_t> absurd = AnnouncingMoreThanItHolds(0x7FFFFFFFu, 0);
  for (const std::vector<uint8_t>* png : {&cutOff, &absurd}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Decode(*png), nullptr);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 0.2) << (png == &cutOff ? "cut-off image" : "absurd data length");
  }
}

// A header for a huge image followed by a few bytes of image data.
std::vector<uint8_t> HugeHeader(uint32_t w, uint32_t h, int depth, int type) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  pngfix::Chunk(png, "IHDR", pngfix::Ihdr(w, h, depth, type, 0));
  std::vector<uint8_t> raw(4096, 0), z(8192);
  uLongf size = (uLongf)z.size();
  compress2(z.data(), &size, raw.data(), (uLong)raw.size(), 9);
  z.resize(size);
  pngfix::Chunk(png, "IDAT", z);
  pngfix::Chunk(png, "IEND", {});
  return png;
}

TEST(PngRefuse, OversizedImagesAreRefusedBeforeAnythingIsAllocated) {
  // 32768 x 32769 x 4 bytes wraps to 131072 in 32 bits; 70000 is wider than any side we take;
  // 65535 x 1025 has more pixels than the cap; 8000 x 8000 fits the cap but cannot come out of
  // a few dozen bytes of compressed data.
  EXPECT_EQ(Decode(HugeHeader(32768, 32769, 8, 6)), nullptr);
  EXPECT_EQ(Decode(HugeHeader(70000, 1, 8, 6)), nullptr);
  EXPECT_EQ(Decode(HugeHeader(65535, 1025, 1, 0)), nullptr);
  EXPECT_EQ(Decode(HugeHeader(8000, 8000, 8, 6)), nullptr);
  EXPECT_EQ(Decode(HugeHeader(0x7FFFFFFF, 0x7FFFFFFF, 16, 6)), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Files and the loader entry

// Writes bytes to a file named in UTF-8.
bool WriteFile(const std::string& name, const std::vector<uint8_t>& data) {
#ifdef _WIN32
  WCHAR wide[1024];
  if (!MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide, 1024)) return false;
  FILE* f = _wfopen(wide, L"wb");
#else
  FILE* f = fopen(name.c_str(), "wb");
#endif
  if (!f) return false;
  const bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
  return fclose(f) == 0 && ok;
}

bool RemoveFile(const std::string& name) {
#ifdef _WIN32
  WCHAR wide[1024];
  MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide, 1024);
  return DeleteFileW(wide) != 0;
#else
  return remove(name.c_str()) == 0;
#endif
}

#ifndef _WIN32
int OpenFileCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}
#endif

TEST(PngFile, ReadsIntoANewOrAGivenBitmap) {
  const std::string name = "corvane_png_test_\xC3\xA4.png";  // a UTF-8 name
  const std::vector<uint8_t> png = SmallRgba();
  ASSERT_TRUE(WriteFile(name, png));
  auto expected = Decode(png);
  std::unique_ptr<LICE_MemBitmap> fresh(LICE_ReadPngFile(name.c_str()));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(drawtest::Pixels(fresh.get()), drawtest::Pixels(expected.get()));

  LICE_MemBitmap given(40, 40);
  EXPECT_EQ(LICE_ReadPngFile(name.c_str(), &given), &given);
  EXPECT_EQ(given.GetWidth(), 6);
  EXPECT_EQ(drawtest::Pixels(&given), drawtest::Pixels(expected.get()));
  EXPECT_TRUE(RemoveFile(name));
}

TEST(PngFile, FailuresCloseTheFileAndKeepAGivenBitmap) {
  EXPECT_EQ(LICE_ReadPngFile("corvane_no_such_file.png"), nullptr);
  EXPECT_EQ(LICE_ReadPngFile(nullptr), nullptr);

  std::vector<uint8_t> bad = SmallRgba();
  bad.resize(pngfix::EndOfImageData(bad) - 10);
  const std::string name = "corvane_png_truncated.png";
  ASSERT_TRUE(WriteFile(name, bad));
#ifndef _WIN32
  const int openBefore = OpenFileCount();
#endif
  LICE_MemBitmap given(3, 3);
  EXPECT_EQ(LICE_ReadPngFile(name.c_str(), &given), nullptr);
  EXPECT_EQ(LICE_ReadPngFile(name.c_str()), nullptr);
  ASSERT_TRUE(WriteFile(name, TextChunkFirst(SmallRgba())));
  EXPECT_EQ(LICE_ReadPngFile(name.c_str(), &given), nullptr);
#ifndef _WIN32
  EXPECT_EQ(OpenFileCount(), openBefore);
#endif
  // An open file could not be deleted on Windows.
  EXPECT_TRUE(RemoveFile(name));
  given.Resize(2, 2);  // the given bitmap is still ours to use

  // Oversized images are refused before the given bitmap is even resized.
  const std::string huge = "corvane_png_huge.png";
  for (auto size : {std::make_pair(32768u, 32769u), std::make_pair(8000u, 8000u), std::make_pair(65535u, 1025u)}) {
    ASSERT_TRUE(WriteFile(huge, HugeHeader(size.first, size.second, 8, 6)));
    LICE_MemBitmap small(3, 3);
    EXPECT_EQ(LICE_ReadPngFile(huge.c_str(), &small), nullptr);
    EXPECT_EQ(small.GetWidth(), 3);
    EXPECT_EQ(small.GetAllocatedBytes(), 48);
    EXPECT_EQ(LICE_ReadPngFile(huge.c_str()), nullptr);
    EXPECT_TRUE(RemoveFile(huge));
  }
}

#ifdef CORVANE_PNG_MEASURES_MEMORY
// The most bytes the process held at once, beyond what it held before, while the hooks record.
std::atomic<bool> recording{false};
std::atomic<long long> liveBytes{0}, peakBytes{0};

void OnMalloc(const volatile void*, size_t size) {
  if (!recording) return;
  const long long now = liveBytes += (long long)size;
  for (long long peak = peakBytes; now > peak && !peakBytes.compare_exchange_weak(peak, now);) {
  }
}

void OnFree(const volatile void* p) {
  if (recording && p) liveBytes -= (long long)__sanitizer_get_allocated_size(p);
}

template <class F>
long long PeakBytesDuring(F&& call) {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  EXPECT_TRUE(installed);
  liveBytes = peakBytes = 0;
  recording = true;
  call();
  recording = false;
  return peakBytes;
}
#endif

TEST(PngRefuse, AChunkCannotMakeTheDecoderAllocateWhatItDeclares) {
  // 41 bytes: a 5 x 4 image whose first chunk after the header declares 2^31 - 1 bytes of text
  // and holds none. Each chunk type here once made libpng allocate (and zero) what the chunk
  // declares, about 2 GB, before it found the data missing.
  const std::vector<uint8_t> textFile = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
      0x44, 0x52, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x04, 0x02, 0x03, 0x00, 0x00,
      0x00, 0x3b, 0x5d, 0x1d, 0xd3, 0x7f, 0xff, 0xff, 0xff, 0x74, 0x45, 0x58, 0x74};
  const std::string name = "corvane_png_huge_chunk.png";
  ASSERT_TRUE(WriteFile(name, textFile));
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "eXIf"}) {
    std::vector<uint8_t> png = textFile;
    memcpy(&png[37], type, 4);
    const bool alsoTheFile = png == textFile;
    auto decode = [&] {
      std::unique_ptr<LICE_MemBitmap> bm(LICE_ReadPngMemory(png.data(), (int)png.size()));
      EXPECT_EQ(bm, nullptr) << type;
      if (alsoTheFile) {
        std::unique_ptr<LICE_MemBitmap> fromFile(LICE_ReadPngFile(name.c_str()));
        EXPECT_EQ(fromFile, nullptr) << type << " from a file";
      }
    };
#ifdef CORVANE_PNG_MEASURES_MEMORY
    EXPECT_LT(PeakBytesDuring(decode), 1 << 20) << type << ": most bytes held at once";
#else
    decode();
#endif
  }
  EXPECT_TRUE(RemoveFile(name));
#ifndef CORVANE_PNG_MEASURES_MEMORY
  printf("note: refusals checked; the memory bound is asserted only under AddressSanitizer "
         "(native-asan), whose allocator hooks see every allocation; this build has no such hook\n");
#endif
}

TEST(PngLoader, ExtensionCheckFilterTextAndRegistration) {
  namespace fs = std::filesystem;
  const std::vector<uint8_t> png = SmallRgba();
  fs::create_directories("corvane.dir.png");
  const std::string inFolder = (fs::path("corvane.dir.png") / "IMAGE.PNG").string();
  ASSERT_TRUE(WriteFile(inFolder, png));
  ASSERT_TRUE(WriteFile("corvane_x.png.bak", png));
  ASSERT_TRUE(WriteFile("png", png));

  std::unique_ptr<LICE_MemBitmap> a(LICE_PngLoaderLoad(inFolder.c_str(), true, nullptr));
  EXPECT_NE(a, nullptr);
  EXPECT_EQ(LICE_PngLoaderLoad("corvane_x.png.bak", true, nullptr), nullptr);
  EXPECT_EQ(LICE_PngLoaderLoad("png", true, nullptr), nullptr);
  std::unique_ptr<LICE_MemBitmap> unchecked(LICE_PngLoaderLoad("corvane_x.png.bak", false, nullptr));
  EXPECT_NE(unchecked, nullptr);
  LICE_MemBitmap given;
  EXPECT_EQ(LICE_PngLoaderLoad(inFolder.c_str(), true, &given), &given);

  EXPECT_STREQ(LICE_PngLoaderFilterText(), "PNG files (*.PNG)");
  const ImageLoaderEntry* head = LICE_GetImageLoaderList();
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head->loadfunc, &LICE_PngLoaderLoad);
  EXPECT_EQ(head->filtertext, &LICE_PngLoaderFilterText);

  EXPECT_TRUE(RemoveFile(inFolder));
  EXPECT_TRUE(RemoveFile("corvane_x.png.bak"));
  EXPECT_TRUE(RemoveFile("png"));
  fs::remove("corvane.dir.png");
}

}  // namespace
