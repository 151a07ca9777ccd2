#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "drawing/lice_bitmap.h"

namespace {

bool Aligned64(const void* p) { return ((uintptr_t)p & 63) == 0; }

TEST(MemBitmap, EmptyAndNegativeSizesHaveNoPixels) {
  const int sizes[][2] = {{0, 0}, {0, 5}, {-1, 10}, {10, -1}, {-5, -5}, {INT_MIN, 3}};
  for (const auto& s : sizes) {
    LICE_MemBitmap bm(s[0], s[1]);
    EXPECT_EQ(bm.GetWidth(), 0) << s[0] << "x" << s[1];
    EXPECT_EQ(bm.GetHeight(), 0);
    EXPECT_EQ(bm.GetBits(), nullptr);
    EXPECT_EQ(bm.GetRowSpan(), 0);
  }
}

TEST(MemBitmap, RowsArePaddedToFourPixelsAndTheFirstPixelIsAligned) {
  LICE_MemBitmap bm(5, 3);
  EXPECT_EQ(bm.GetWidth(), 5);
  EXPECT_EQ(bm.GetHeight(), 3);
  EXPECT_EQ(bm.GetRowSpan(), 8);
  EXPECT_EQ(bm.GetAllocatedBytes(), 96);
  ASSERT_NE(bm.GetBits(), nullptr);
  EXPECT_TRUE(Aligned64(bm.GetBits()));
  EXPECT_FALSE(bm.IsFlipped());
  EXPECT_EQ(bm.GetDC(), (LICE_DeviceContext)0);
  EXPECT_EQ(bm.GetExtra(0x59555678, nullptr), 0);
  // The whole padded area is writable.
  for (int i = 0; i < 8 * 3; ++i) bm.GetBits()[i] = 0x12345678u;
}

TEST(MemBitmap, GrowsByAQuarterAndNeverShrinks) {
  LICE_MemBitmap bm(10, 10);
  EXPECT_EQ(bm.GetAllocatedBytes(), 480);  // span 12
  EXPECT_TRUE(bm.Resize(20, 20));          // needs 1600 bytes
  EXPECT_EQ(bm.GetAllocatedBytes(), 2000);
  EXPECT_EQ(bm.GetRowSpan(), 20);
  EXPECT_TRUE(Aligned64(bm.GetBits()));
  EXPECT_TRUE(bm.Resize(10, 10));
  EXPECT_EQ(bm.GetAllocatedBytes(), 2000);
  EXPECT_FALSE(bm.Resize(10, 10));
  EXPECT_EQ(bm.GetWidth(), 10);
  EXPECT_EQ(bm.GetRowSpan(), 12);
}

TEST(MemBitmap, ResizeToNothingFreesThePixels) {
  LICE_MemBitmap bm(10, 10);
  EXPECT_TRUE(bm.Resize(0, 0));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetAllocatedBytes(), 0);
  EXPECT_TRUE(bm.Resize(4, 4));
  EXPECT_NE(bm.GetBits(), nullptr);
  EXPECT_TRUE(bm.Resize(-3, 4));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);
}

TEST(MemBitmap, SizesBeyondTheAddressableAreaAreRefusedNotWrapped) {
  // 32768 x 32769 pixels need 4 GB; computed in 32 bits the size wraps to 131072 bytes.
  LICE_MemBitmap huge(32768, 32769);
  EXPECT_EQ(huge.GetBits(), nullptr);
  EXPECT_EQ(huge.GetWidth(), 0);
  EXPECT_EQ(huge.GetHeight(), 0);

  LICE_MemBitmap bm(4, 4);
  EXPECT_TRUE(bm.Resize(INT_MAX, 2));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetRowSpan(), 0);
  EXPECT_TRUE(bm.Resize(65536, 65536));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetHeight(), 0);
}

TEST(SysBitmap, ReusesItsSectionForEverySizeThatFits) {
  LICE_SysBitmap bm(200, 100);
  ASSERT_NE(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetRowSpan(), 200);
  LICE_pixel* first = bm.GetBits();
  EXPECT_TRUE(bm.Resize(100, 50));
  EXPECT_EQ(bm.GetWidth(), 100);
  EXPECT_EQ(bm.GetHeight(), 50);
  EXPECT_EQ(bm.GetRowSpan(), 200);
  EXPECT_EQ(bm.GetBits(), first);
  EXPECT_FALSE(bm.Resize(100, 50));

  EXPECT_TRUE(bm.Resize(201, 50));
  EXPECT_EQ(bm.GetRowSpan(), 204);
  EXPECT_EQ(bm.GetAllocatedWidth(), 204);
  EXPECT_EQ(bm.GetAllocatedHeight(), 50);
  ASSERT_NE(bm.GetBits(), nullptr);
  for (int i = 0; i < 204 * 50; ++i) bm.GetBits()[i] = 0xFFu;
}

TEST(SysBitmap, ZeroOrNegativeSizesLeaveNoPixelsAndReportEmpty) {
  LICE_SysBitmap empty(0, 0);
  EXPECT_EQ(empty.GetBits(), nullptr);
  EXPECT_EQ(empty.GetWidth(), 0);

  LICE_SysBitmap bm(40, 30);
  EXPECT_FALSE(bm.Resize(0, 0));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);
  EXPECT_EQ(bm.GetRowSpan(), 0);

  // A size with one dimension empty has no pixels, so it must not claim the other dimension.
  EXPECT_TRUE(bm.Resize(40, 30));
  EXPECT_FALSE(bm.Resize(40, 0));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);

  // A negative width must not reuse the existing section under a negative size.
  EXPECT_TRUE(bm.Resize(40, 30));
  EXPECT_FALSE(bm.Resize(-8, 10));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);
}

TEST(SysBitmap, HugeSizesAreRefusedWithoutWrapping) {
  LICE_SysBitmap bm(8, 8);
  EXPECT_TRUE(bm.Resize(32768, 32769));
  EXPECT_EQ(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetWidth(), 0);
  EXPECT_EQ(bm.GetHeight(), 0);
  EXPECT_TRUE(bm.Resize(16, 16));
  EXPECT_NE(bm.GetBits(), nullptr);
  EXPECT_EQ(bm.GetRowSpan(), 16);
}

TEST(SysBitmap, DeviceContextOnlyOnWindows) {
  LICE_SysBitmap bm(4, 4);
#ifdef _WIN32
  EXPECT_NE(bm.GetDC(), (HDC)0);
#else
  EXPECT_EQ(bm.GetDC(), (LICE_DeviceContext)0);
#endif
  EXPECT_FALSE(bm.IsFlipped());
  EXPECT_EQ(bm.GetExtra(0x59555678, nullptr), 0);
}

}  // namespace
