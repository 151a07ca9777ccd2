// A small PNG writer for test fixtures: every colour type and bit depth, palettes with
// transparency, Adam7 interlacing, all five row filters, and hooks to damage the result.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pngfix {

enum { Grey = 0, Rgb = 2, Palette = 3, GreyAlpha = 4, Rgba = 6 };

struct Spec {
  uint32_t width = 1, height = 1;
  int bitDepth = 8;
  int colorType = Rgba;
  bool interlace = false;
  bool mixedFilters = false;            // rows filtered with types 0..4 in turn
  std::vector<uint8_t> palette;         // PLTE data (RGB triples)
  std::vector<uint8_t> trns;            // tRNS data
  std::function<int(int x, int y, int channel)> sample = [](int, int, int) { return 0; };
  size_t idatChunk = 0;                 // split the compressed data into IDATs of this size
  std::function<void(std::vector<uint8_t>&)> damageData;  // changes the compressed data
  bool writeEnd = true;
};

inline int Channels(int colorType) {
  switch (colorType) {
    case Rgb: return 3;
    case GreyAlpha: return 2;
    case Rgba: return 4;
    default: return 1;
  }
}

inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back((uint8_t)(x >> s));
}

inline void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Put32(out, (uint32_t)data.size());
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  Put32(out, (uint32_t)crc32(0, body.data(), (uInt)body.size()));
}

inline std::vector<uint8_t> Ihdr(uint32_t w, uint32_t h, int depth, int colorType, int interlace) {
  std::vector<uint8_t> d;
  Put32(d, w);
  Put32(d, h);
  d.push_back((uint8_t)depth);
  d.push_back((uint8_t)colorType);
  d.push_back(0);
  d.push_back(0);
  d.push_back((uint8_t)interlace);
  return d;
}

inline int Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
  return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

// Packed, filtered scanlines of the pixels (x0 + i * dx, y0 + j * dy).
inline void Scanlines(const Spec& s, uint32_t x0, uint32_t y0, uint32_t dx, uint32_t dy, std::vector<uint8_t>& raw) {
  if (x0 >= s.width || y0 >= s.height) return;
  const uint32_t w = (s.width - x0 + dx - 1) / dx, h = (s.height - y0 + dy - 1) / dy;
  const int ch = Channels(s.colorType), bits = ch * s.bitDepth;
  const size_t rowBytes = ((size_t)w * bits + 7) / 8;
  const size_t bpp = bits >= 8 ? (size_t)bits / 8 : 1;
  std::vector<uint8_t> prior(rowBytes, 0), row(rowBytes);
  for (uint32_t j = 0; j < h; ++j) {
    std::fill(row.begin(), row.end(), 0);
    size_t bit = 0;
    for (uint32_t i = 0; i < w; ++i) {
      for (int c = 0; c < ch; ++c) {
        const int v = s.sample((int)(x0 + i * dx), (int)(y0 + j * dy), c);
        if (s.bitDepth == 16) {
          row[bit / 8] = (uint8_t)(v >> 8);
          row[bit / 8 + 1] = (uint8_t)v;
        } else if (s.bitDepth == 8) {
          row[bit / 8] = (uint8_t)v;
        } else {
          row[bit / 8] |= (uint8_t)(v << (8 - s.bitDepth - bit % 8));
        }
        bit += s.bitDepth;
      }
    }
    const int filter = s.mixedFilters ? (int)(j % 5) : 0;
    raw.push_back((uint8_t)filter);
    for (size_t k = 0; k < rowBytes; ++k) {
      const int a = k >= bpp ? row[k - bpp] : 0, b = prior[k], c = k >= bpp ? prior[k - bpp] : 0;
      int pred = 0;
      if (filter == 1) pred = a;
      if (filter == 2) pred = b;
      if (filter == 3) pred = (a + b) / 2;
      if (filter == 4) pred = Paeth(a, b, c);
      raw.push_back((uint8_t)(row[k] - pred));
    }
    prior = row;
  }
}

inline std::vector<uint8_t> ImageData(const Spec& s) {
  std::vector<uint8_t> raw;
  if (s.interlace) {
    const uint32_t passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : passes) Scanlines(s, p[0], p[1], p[2], p[3], raw);
  } else {
    Scanlines(s, 0, 0, 1, 1, raw);
  }
  uLongf size = compressBound((uLong)raw.size());
  std::vector<uint8_t> z(size);
  compress2(z.data(), &size, raw.data(), (uLong)raw.size(), 9);
  z.resize(size);
  return z;
}

inline std::vector<uint8_t> Encode(const Spec& s) {
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Chunk(out, "IHDR", Ihdr(s.width, s.height, s.bitDepth, s.colorType, s.interlace ? 1 : 0));
  if (!s.palette.empty()) Chunk(out, "PLTE", s.palette);
  if (!s.trns.empty()) Chunk(out, "tRNS", s.trns);
  std::vector<uint8_t> z = ImageData(s);
  if (s.damageData) s.damageData(z);
  const size_t step = s.idatChunk ? s.idatChunk : (z.empty() ? 1 : z.size());
  for (size_t at = 0; at < z.size() || at == 0; at += step) {
    Chunk(out, "IDAT", std::vector<uint8_t>(z.begin() + at, z.begin() + std::min(z.size(), at + step)));
    if (z.empty()) break;
  }
  if (s.writeEnd) Chunk(out, "IEND", {});
  return out;
}

// Offset just past the last IDAT chunk (its CRC included).
inline size_t EndOfImageData(const std::vector<uint8_t>& png) {
  size_t pos = 8, end = 0;
  while (pos + 8 <= png.size()) {
    const uint32_t len = (uint32_t)png[pos] << 24 | (uint32_t)png[pos + 1] << 16 | (uint32_t)png[pos + 2] << 8 | png[pos + 3];
    const std::string type(png.begin() + pos + 4, png.begin() + pos + 8);
    pos += 12 + len;
    if (type == "IDAT") end = pos;
  }
  return end;
}

}  // namespace pngfix
