// Writes an artwork image as a PNG file: 8-bit RGB for opaque images, 8-bit RGBA otherwise,
// with no time stamp or text, so that the same image always gives the same file.
#pragma once

#include <string>

#include "tools/imagegen/Raster.h"

namespace corvane::imagegen {

// Returns false with a reason in `error` when the file cannot be written.
bool WritePng(const std::string& path, const Image& image, std::string& error);

}  // namespace corvane::imagegen
