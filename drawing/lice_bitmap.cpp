#include "drawing/lice_bitmap.h"

#include <cstdlib>

namespace {

// Pixel bytes of a w x h area whose rows are padded to a multiple of 4 pixels, computed so
// that no size can wrap; 0 for empty or negative sizes.
int64_t PaddedAreaBytes(int w, int h) {
  if (w <= 0 || h <= 0) return 0;
  return (((int64_t)w + 3) & ~(int64_t)3) * (int64_t)h * 4;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// LICE_MemBitmap

LICE_MemBitmap::LICE_MemBitmap(int w, int h)
    : m_fb(nullptr), m_width(0), m_height(0), m_allocsize(0), m_linealign(3) {
  if (w > 0 && h > 0) {
    const int64_t area = PaddedAreaBytes(w, h);
    if (area > 0 && area <= kMaxPixelBytes) {
      m_fb = (unsigned char*)malloc((size_t)area + 63);
      if (m_fb) {
        m_width = w;
        m_height = h;
        m_allocsize = (int)area;
      }
    }
  }
}

LICE_MemBitmap::~LICE_MemBitmap() { free(m_fb); }

LICE_pixel* LICE_MemBitmap::GetBits() {
  if (!m_fb) return nullptr;
  return (LICE_pixel*)(((uintptr_t)m_fb + 63) & ~(uintptr_t)63);
}

bool LICE_MemBitmap::Resize(int w, int h) {
  if (w == m_width && h == m_height) return false;
  m_width = w;
  m_height = h;

  const int64_t need = PaddedAreaBytes(w, h);
  if (need > 0 && need <= kMaxPixelBytes) {
    if (!m_fb) {
      m_allocsize = (int)need;
      m_fb = (unsigned char*)malloc((size_t)need + 63);
    } else if (m_allocsize < need) {
      int64_t grown = need / 4 * 5;  // a quarter more, so step-by-step growth seldom reallocates
      if (grown > kMaxPixelBytes) grown = kMaxPixelBytes;
      unsigned char* p = (unsigned char*)realloc(m_fb, (size_t)grown + 63);
      if (p) {
        m_fb = p;
        m_allocsize = (int)grown;
      } else {
        free(m_fb);
        m_allocsize = (int)need;
        m_fb = (unsigned char*)malloc((size_t)need + 63);
      }
    }
  } else {
    free(m_fb);
    m_fb = nullptr;
  }

  if (!m_fb) {
    m_width = 0;
    m_height = 0;
    m_allocsize = 0;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// LICE_SysBitmap

LICE_SysBitmap::LICE_SysBitmap(int w, int h)
    : m_width(0), m_height(0), m_dc(0), m_bits(nullptr), m_allocw(0), m_alloch(0) {
#ifdef _WIN32
  m_bitmap = 0;
  m_oldbitmap = 0;
  m_dc = CreateCompatibleDC(NULL);
#endif
  Resize(w, h);
}

LICE_SysBitmap::~LICE_SysBitmap() {
  FreeSection();
#ifdef _WIN32
  if (m_dc) DeleteDC(m_dc);
#endif
}

void LICE_SysBitmap::FreeSection() {
#ifdef _WIN32
  if (m_oldbitmap) {
    SelectObject(m_dc, m_oldbitmap);
    m_oldbitmap = 0;
  }
  if (m_bitmap) {
    DeleteObject(m_bitmap);
    m_bitmap = 0;
  }
#else
  free(m_bits);
#endif
  m_bits = nullptr;
}

bool LICE_SysBitmap::Resize(int w, int h) {
#ifdef _WIN32
  if (!m_dc) {
    m_width = m_height = 0;
    m_bits = nullptr;
    return false;
  }
#endif
  if (w == m_width && h == m_height) return false;

  m_width = w;
  m_height = h;
  if (w > 0 && h > 0 && m_bits && m_allocw >= w && m_alloch >= h) return true;

  FreeSection();
  const int64_t bytes = PaddedAreaBytes(w, h);
  if (bytes <= 0) {
    // No pixels: report an empty bitmap rather than a size without storage.
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
    return false;
  }
  m_allocw = (int)(((int64_t)w + 3) & ~(int64_t)3);
  m_alloch = h;

  if (bytes <= LICE_MemBitmap::kMaxPixelBytes) {
#ifdef _WIN32
    BITMAPINFOHEADER bmi = {};
    bmi.biSize = sizeof(bmi);
    bmi.biWidth = m_allocw;
    bmi.biHeight = IsFlipped() ? h : -h;  // negative: rows top-down
    bmi.biPlanes = 1;
    bmi.biBitCount = 32;
    bmi.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = CreateDIBSection(NULL, (BITMAPINFO*)&bmi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (m_bitmap && bits) {
      m_bits = (LICE_pixel*)bits;
      m_oldbitmap = SelectObject(m_dc, m_bitmap);
    } else if (m_bitmap) {
      DeleteObject(m_bitmap);
      m_bitmap = 0;
    }
#else
    m_bits = (LICE_pixel*)calloc((size_t)bytes, 1);  // a new DIB section is zeroed too
#endif
  }
  if (!m_bits) {
    m_width = m_height = 0;
    m_allocw = m_alloch = 0;
  }
  return true;
}
