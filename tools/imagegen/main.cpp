// Draws the editor's bitmaps into a folder:  corvane_imagegen <folder>
// tools/imagegen/regen.sh runs it into resources/img, whose files are committed.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/imagegen/Artwork.h"
#include "tools/imagegen/PngWrite.h"

int main(int argc, char** argv) {
  using namespace corvane::imagegen;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  try {
    for (const Artwork& art : AllArtwork()) {
      const std::string path = folder + "/" + FileName(art);
      std::string error;
      if (!WritePng(path, art.make(), error)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return 1;
      }
      std::printf("%s\n", path.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "drawing failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
