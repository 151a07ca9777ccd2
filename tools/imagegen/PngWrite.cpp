#include "tools/imagegen/PngWrite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace corvane::imagegen {

namespace {

void OnPngError(png_structp png, png_const_charp message) {
  *static_cast<std::string*>(png_get_error_ptr(png)) = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Everything libpng touches after setjmp lives in the caller, so a longjmp skips no destructor.
bool Encode(std::FILE* file, const Image& image, const std::vector<png_bytep>& rows,
            std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
  if (!png) {
    error = "cannot create the PNG writer";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "cannot create the PNG header";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, image.width, image.height, 8,
               image.opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (image.opaque) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drop the alpha bytes
  png_write_image(png, const_cast<png_bytepp>(rows.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, const Image& image, std::string& error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) {
    error = "image has no pixels or a wrong size";
    return false;
  }
  std::vector<png_bytep> rows(image.height);
  for (int y = 0; y < image.height; ++y) {
    rows[y] = const_cast<png_bytep>(&image.rgba[static_cast<size_t>(y) * image.width * 4]);
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot open " + path + " for writing";
    return false;
  }
  const bool ok = Encode(file, image, rows, error);
  if (std::fclose(file) != 0 && ok) {
    error = "cannot finish writing " + path;
    return false;
  }
  if (!ok) std::remove(path.c_str());
  return ok;
}

}  // namespace corvane::imagegen
