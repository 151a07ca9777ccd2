// PNG decoding through libpng, from a block in memory or from a file, and the PNG entry of the
// image-loader list.
#include "drawing/lice_png.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// The decoder reads IHDR, PLTE, tRNS, IDAT and IEND and nothing else; libpng 1.6's
// png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1) makes it skip every other
// chunk (png_crc_finish, through a small buffer on the stack) instead of reading the chunk into
// a buffer as long as the chunk declares, which a tiny input could set to 2 GB.
#if !defined(PNG_LIBPNG_VER) || PNG_LIBPNG_VER < 10600 || !defined(PNG_HANDLE_AS_UNKNOWN_SUPPORTED)
#error "lice_png.cpp needs libpng 1.6 or later built with PNG_HANDLE_AS_UNKNOWN_SUPPORTED (png_set_keep_unknown_chunks with a negative count), or chunks could make it allocate gigabytes"
#endif
// Its memory goes through the decoder's own functions (png_create_read_struct_2), which hold it
// to a budget.
#ifndef PNG_USER_MEM_SUPPORTED
#error "lice_png.cpp needs libpng built with PNG_USER_MEM_SUPPORTED (png_create_read_struct_2) for its memory budget"
#endif

namespace {

const unsigned char kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

// The signature, then the header chunk's length and type: every image starts with these 16
// bytes. Checked before libpng reads, since the chunks it skips unread would skip even those
// placed before the header.
const int kStartBytes = 16;
bool StartsAsAnImage(const unsigned char* start) {
  return memcmp(start, kPngSignature, 8) == 0 && memcmp(start + 12, "IHDR", 4) == 0;
}

// Deflate turns one bit into at most 258 bytes of output (about 1032 bytes per input byte).
const long long kMaxInflateRatio = 1032;

struct MemoryReadState {
  const unsigned char* next;
  int left;
};

// libpng's memory for one decode, whatever the image: its structures, the palette, zlib's state
// and window, and a buffer for a piece of a data chunk come to about 50 to 75 KB, well within
// this bound.
const size_t kPngFixedBytes = 1 << 20;

// libpng's memory that grows with the image: two row buffers of at most 8 bytes per pixel (the
// widest a row gets during the transformations), the width rounded up to 8, and a few bytes more.
size_t PngRowBytes(png_uint_32 width) { return 2 * (8 * ((size_t)width + 8) + 64); }

// Everything a decode owns, kept outside the frame that arms libpng's error return so that it
// survives a longjmp and is released in one place.
struct PngDecode {
  png_structp png;
  png_infop info;
  size_t pngBytes;           // what libpng holds now, through PngMalloc and PngFree
  FILE* fp;
  MemoryReadState mem;
  long long inputBytes;      // size of the compressed input, for the expansion bound
  LICE_MemBitmap* given;     // the caller's bitmap (never deleted)
  LICE_MemBitmap* created;   // a bitmap this decode made (deleted on failure)
  png_bytep* rows;
};

// Decoded image data of a w x h image before filtering: one filter byte per row plus the
// packed samples (the interlaced layout is never smaller).
long long RawImageBytes(png_uint_32 w, png_uint_32 h, int bitDepth, int colorType) {
  int channels = 1;
  if (colorType == PNG_COLOR_TYPE_RGB) channels = 3;
  else if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) channels = 2;
  else if (colorType == PNG_COLOR_TYPE_RGB_ALPHA) channels = 4;
  const long long rowBits = (long long)w * channels * bitDepth;
  return (long long)h * (1 + (rowBits + 7) / 8);
}

// The body of a decode; false when libpng reports an error or the image is refused. Only
// fields of *d change after setjmp, so nothing is lost when libpng jumps back here.
bool DecodeBody(PngDecode* d) {
  if (setjmp(png_jmpbuf(d->png))) return false;

  png_set_user_limits(d->png, LICE_PngMaxSide, LICE_PngMaxSide);
  // Skip every chunk but IHDR, PLTE, tRNS, IDAT and IEND unread. None of the others changes a
  // decoded pixel here: gamma, background, significant bits and the colour space only take
  // effect with transformations this decoder never asks for.
  png_set_keep_unknown_chunks(d->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(d->png, d->info);
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(d->png, d->info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

  // Refuse before allocating: oversized images, and images the input cannot possibly hold.
  if (width < 1 || height < 1 || width > (png_uint_32)LICE_PngMaxSide || height > (png_uint_32)LICE_PngMaxSide) {
    return false;
  }
  if ((long long)width * height > LICE_PngMaxPixels) return false;
  if (RawImageBytes(width, height, bitDepth, colorType) > d->inputBytes * kMaxInflateRatio + 1024) return false;

  bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d->png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(d->png);
  if (png_get_valid(d->png, d->info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(d->png);
    hasAlpha = true;
  }
  if (bitDepth == 16) png_set_strip_16(d->png);
  if (bitDepth < 8) png_set_packing(d->png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(d->png);
  if (hasAlpha)
    png_set_swap_alpha(d->png);
  else
    png_set_filler(d->png, 0xFF, PNG_FILLER_BEFORE);
  // Every decoded row now holds 4 bytes per pixel: alpha (or 0xFF), red, green, blue.

  LICE_MemBitmap* bm = d->given;
  if (bm) {
    bm->Resize((int)width, (int)height);
  } else {
    bm = d->created = new (std::nothrow) LICE_MemBitmap((int)width, (int)height);
  }
  if (!bm || !bm->GetBits() || bm->GetWidth() != (int)width || bm->GetHeight() != (int)height) return false;

  d->rows = (png_bytep*)malloc(sizeof(png_bytep) * height);
  if (!d->rows) return false;
  LICE_pixel* bits = bm->GetBits();
  const ptrdiff_t span = bm->GetRowSpan();
  for (png_uint_32 i = 0; i < height; ++i) {
    const png_uint_32 row = bm->IsFlipped() ? height - 1 - i : i;
    d->rows[i] = (png_bytep)(bits + span * row);
  }
  png_read_image(d->png, d->rows);
  return true;
}

// Releases what the decode holds; on success turns each pixel's bytes A, R, G, B into the
// word 0xAARRGGBB and returns the bitmap.
LICE_MemBitmap* FinishDecode(PngDecode* d, bool ok) {
  if (d->png) png_destroy_read_struct(&d->png, d->info ? &d->info : nullptr, nullptr);
  if (d->fp) fclose(d->fp);
  free(d->rows);
  d->rows = nullptr;
  if (!ok) {
    delete d->created;
    return nullptr;
  }
  LICE_MemBitmap* bm = d->given ? d->given : d->created;
  const int w = bm->GetWidth(), h = bm->GetHeight(), span = bm->GetRowSpan();
  LICE_pixel* bits = bm->GetBits();
  for (int y = 0; y < h; ++y) {
    unsigned char* p = (unsigned char*)(bits + (ptrdiff_t)span * y);
    for (int x = 0; x < w; ++x, p += 4) {
      const unsigned char a = p[0], r = p[1], g = p[2], b = p[3];
      p[0] = b;
      p[1] = g;
      p[2] = r;
      p[3] = a;
    }
  }
  return bm;
}

// libpng's allocations, each with its size in a header, within a budget of the fixed bound plus
// the rows of the image (the width is 0 until the header chunk is read). Past the budget an
// allocation fails, which libpng turns into an error (or a warning and a skipped chunk): a
// second line behind the skipped chunks, should some other path in libpng allocate what the
// input declares. The bitmap itself is the decoder's own and is bounded by the header checks.
union PngBlockHeader {
  size_t size;
  std::max_align_t align;
};

png_voidp PngMalloc(png_structp png, png_alloc_size_t size) {
  PngDecode* d = (PngDecode*)png_get_mem_ptr(png);
  const size_t budget = kPngFixedBytes + PngRowBytes(d->info ? png_get_image_width(png, d->info) : 0);
  if (size > budget || d->pngBytes > budget - size) return nullptr;
  PngBlockHeader* block = (PngBlockHeader*)malloc(sizeof(PngBlockHeader) + size);
  if (!block) return nullptr;
  block->size = size;
  d->pngBytes += size;
  return block + 1;
}

void PngFree(png_structp png, png_voidp p) {
  if (!p) return;
  PngDecode* d = (PngDecode*)png_get_mem_ptr(png);
  PngBlockHeader* block = (PngBlockHeader*)p - 1;
  d->pngBytes -= block->size;
  free(block);
}

bool CreateReader(PngDecode* d) {
  d->png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr, d, PngMalloc, PngFree);
  if (!d->png) return false;
  d->info = png_create_info_struct(d->png);
  return d->info != nullptr;
}

FILE* OpenForReading(const char* filename) {
#ifdef _WIN32
  WCHAR wide[2048];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, filename, -1, wide, 2048) > 0) {
    if (FILE* fp = _wfopen(wide, L"rb")) return fp;
  }
#endif
  return fopen(filename, "rb");
}

}  // namespace

// Memory reads for libpng. A read past the end of the block fails through libpng's error
// path at once: padding with zeros would let libpng inflate or skip up to whatever length a
// damaged chunk announces, which takes seconds to minutes before it gives up.
void LICE_PngReadCallback(png_structp png, png_bytep data, png_size_t length) {
  MemoryReadState* st = (MemoryReadState*)png_get_io_ptr(png);
  if (length > (size_t)st->left) png_error(png, "read past the end of the data");
  memcpy(data, st->next, length);
  st->next += length;
  st->left -= (int)length;
}

LICE_MemBitmap* LICE_ReadPngMemory(const void* data, int length) {
  if (!data || length < kStartBytes || !StartsAsAnImage((const unsigned char*)data)) return nullptr;
  PngDecode d = {};
  d.inputBytes = length;
  if (!CreateReader(&d)) return FinishDecode(&d, false);
  d.mem.next = (const unsigned char*)data;
  d.mem.left = length;
  png_set_read_fn(d.png, &d.mem, LICE_PngReadCallback);
  const bool ok = DecodeBody(&d);
  return FinishDecode(&d, ok);
}

LICE_MemBitmap* LICE_ReadPngFile(const char* filename, LICE_MemBitmap* bmp) {
  if (!filename) return nullptr;
  PngDecode d = {};
  d.given = bmp;
  d.fp = OpenForReading(filename);
  if (!d.fp) return nullptr;
  if (fseek(d.fp, 0, SEEK_END) == 0) d.inputBytes = ftell(d.fp);
  if (d.inputBytes < 0 || fseek(d.fp, 0, SEEK_SET) != 0) return FinishDecode(&d, false);
  unsigned char start[kStartBytes];
  if (fread(start, 1, kStartBytes, d.fp) != (size_t)kStartBytes || !StartsAsAnImage(start) ||
      fseek(d.fp, 0, SEEK_SET) != 0) {
    return FinishDecode(&d, false);
  }
  if (!CreateReader(&d)) return FinishDecode(&d, false);
  png_init_io(d.png, d.fp);
  const bool ok = DecodeBody(&d);
  return FinishDecode(&d, ok);
}

// ---------------------------------------------------------------------------------------------
// Image-loader list

static ImageLoaderEntry* ImageLoaderHead;

ImageLoaderEntry* LICE_GetImageLoaderList() { return ImageLoaderHead; }

LICE_MemBitmap* LICE_PngLoaderLoad(const char* filename, bool checkExtension, LICE_MemBitmap* bmp) {
  if (!filename) return nullptr;
  if (checkExtension) {
    const char* tail = filename;
    for (const char* p = filename + strlen(filename); p > filename;) {
      --p;
      if (*p == '\\' || *p == '/' || *p == '.') {
        tail = p;
        break;
      }
    }
    const char* ext = ".png";
    for (int i = 0; i < 5; ++i) {
      const char c = (tail[i] >= 'A' && tail[i] <= 'Z') ? (char)(tail[i] - 'A' + 'a') : tail[i];
      if (c != ext[i]) return nullptr;
    }
  }
  return LICE_ReadPngFile(filename, bmp);
}

const char* LICE_PngLoaderFilterText() { return "PNG files (*.PNG)"; }

namespace {

ImageLoaderEntry PngLoaderEntry = {LICE_PngLoaderLoad, LICE_PngLoaderFilterText, nullptr};

// Links the PNG loader in front of the list when the module loads.
struct LICE_RegisterPngLoader {
  LICE_RegisterPngLoader() {
    PngLoaderEntry.next = ImageLoaderHead;
    ImageLoaderHead = &PngLoaderEntry;
  }
} RegisterPngLoaderAtLoad;

}  // namespace
