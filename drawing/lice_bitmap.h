// Pixel surfaces of the drawing library.
//
// One 32-bit word 0xAARRGGBB per pixel (bytes blue, green, red, alpha in memory), rows top row
// first, consecutive rows GetRowSpan() pixels apart. Every drawing routine reaches pixels only
// through LICE_IBitmap.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
typedef HDC LICE_DeviceContext;
#else
typedef void* LICE_DeviceContext;  // no device contexts off Windows: always null
#endif

typedef uint32_t LICE_pixel;

// Channel access on a pixel word.
inline int LICE_GETB(LICE_pixel p) { return (int)(p & 0xFF); }
inline int LICE_GETG(LICE_pixel p) { return (int)((p >> 8) & 0xFF); }
inline int LICE_GETR(LICE_pixel p) { return (int)((p >> 16) & 0xFF); }
inline int LICE_GETA(LICE_pixel p) { return (int)(p >> 24); }
inline LICE_pixel LICE_RGBA(int r, int g, int b, int a) {
  return ((LICE_pixel)(a & 0xFF) << 24) | ((LICE_pixel)(r & 0xFF) << 16) |
         ((LICE_pixel)(g & 0xFF) << 8) | (LICE_pixel)(b & 0xFF);
}

// Rectangle of four ints; right and bottom are exclusive.
struct LICE_Rect {
  int left, top, right, bottom;
};

class LICE_IBitmap {
 public:
  virtual ~LICE_IBitmap() {}
  virtual LICE_pixel* GetBits() = 0;  // top-left pixel, or null without storage
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  virtual int GetRowSpan() = 0;  // pixels from one row to the next
  virtual bool IsFlipped() { return false; }
  virtual bool Resize(int w, int h) = 0;
  virtual LICE_DeviceContext GetDC() { return 0; }
  virtual intptr_t GetExtra(int id, void* data) { return 0; }
};

// A bitmap in plain heap memory. The first pixel is 64-byte aligned and rows are whole
// multiples of 4 pixels. The block never shrinks and grows by a quarter more than needed.
class LICE_MemBitmap : public LICE_IBitmap {
 public:
  explicit LICE_MemBitmap(int w = 0, int h = 0);
  ~LICE_MemBitmap() override;

  LICE_pixel* GetBits() override;
  int GetWidth() override { return m_width; }
  int GetHeight() override { return m_height; }
  int GetRowSpan() override { return (m_width + m_linealign) & ~m_linealign; }
  bool Resize(int w, int h) override;  // false only when the size did not change

  // Bytes of pixel area the block was last sized for (the block holds 63 bytes more).
  int GetAllocatedBytes() const { return m_allocsize; }

  // Largest pixel area a memory bitmap accepts; bigger sizes leave it without pixels.
  static const int64_t kMaxPixelBytes = 0x7FFFFFFF - 63;

 private:
  LICE_MemBitmap(const LICE_MemBitmap&) = delete;
  LICE_MemBitmap& operator=(const LICE_MemBitmap&) = delete;

  unsigned char* m_fb;
  int m_width;
  int m_height;
  int m_allocsize;
  int m_linealign;
};

// A bitmap whose pixels GDI can draw into: on Windows a top-down 32-bit DIB section selected
// into its own memory device context. Elsewhere the same sizing rules hold on heap memory and
// there is no device context. The section is reused for every size that fits into it.
class LICE_SysBitmap : public LICE_IBitmap {
 public:
  explicit LICE_SysBitmap(int w = 0, int h = 0);
  ~LICE_SysBitmap() override;

  LICE_pixel* GetBits() override { return m_bits; }
  int GetWidth() override { return m_width; }
  int GetHeight() override { return m_height; }
  int GetRowSpan() override { return m_bits ? m_allocw : 0; }
  bool Resize(int w, int h) override;
  LICE_DeviceContext GetDC() override { return m_dc; }

  int GetAllocatedWidth() const { return m_allocw; }
  int GetAllocatedHeight() const { return m_alloch; }

 private:
  LICE_SysBitmap(const LICE_SysBitmap&) = delete;
  LICE_SysBitmap& operator=(const LICE_SysBitmap&) = delete;
  void FreeSection();

  int m_width;
  int m_height;
  LICE_DeviceContext m_dc;
  LICE_pixel* m_bits;
  int m_allocw;
  int m_alloch;
#ifdef _WIN32
  HBITMAP m_bitmap;
  HGDIOBJ m_oldbitmap;
#endif
};
