// Reading the committed bitmaps for the tests: whole files, and PNG decoding to 8-bit RGBA.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace corvane::test {

inline std::string SourcePath(const std::string& relative) {
  return std::string(CORVANE_SOURCE_DIR) + "/" + relative;
}

inline bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes.clear();
  std::uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

struct DecodedPng {
  int width = 0;
  int height = 0;
  bool hasAlpha = false;           // the file stores an alpha channel
  std::vector<std::uint8_t> rgba;  // straight alpha; 255 where the file has none

  const std::uint8_t* At(int x, int y) const {
    return &rgba[(static_cast<size_t>(y) * width + x) * 4];
  }
};

// Decodes a PNG file; an empty message means success.
inline std::string DecodePngFile(const std::string& path, DecodedPng& out) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return "cannot read " + path;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    return path + ": " + image.message;
  }
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  out.rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
    const std::string message = path + ": " + image.message;
    png_image_free(&image);
    return message;
  }
  return "";
}

}  // namespace corvane::test
