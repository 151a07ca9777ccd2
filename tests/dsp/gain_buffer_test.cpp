// Gain histories: the wrap flag and resizing.
#include <gtest/gtest.h>

#include <cstdint>

#include "dsp/GainBuffer.h"

using Corvane::GainBuffer;

TEST(GainBuffer, LengthOneWrapsOnEveryPush) {
  GainBuffer b;
  ASSERT_TRUE(b.Resize(1));
  for (int i = 0; i < 5; ++i) {
    b.Push(i + 0.5);
    EXPECT_TRUE(b.wrapped) << i;
    EXPECT_EQ(b.items[0], i + 0.5);
    EXPECT_EQ(b.position, 0);
    b.wrapped = false;
  }
}

TEST(GainBuffer, WrapsAfterLengthPushesAndStartsOverAtItemZero) {
  GainBuffer b;
  ASSERT_TRUE(b.Resize(441));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b.items) % 16, 0u);
  for (int i = 0; i < 440; ++i) {
    b.Push(1.0);
  }
  EXPECT_FALSE(b.wrapped);
  b.Push(2.0);
  EXPECT_TRUE(b.wrapped) << "the 441st push wraps";
  EXPECT_EQ(b.items[440], 2.0);
  b.Push(3.0);
  EXPECT_EQ(b.items[0], 3.0);
  EXPECT_EQ(b.position, 1);
}

TEST(GainBuffer, ResizeKeepsEverythingAtTheSameLengthAndRestartsOtherwise) {
  GainBuffer b;
  ASSERT_TRUE(b.Resize(4));
  for (int i = 0; i < 6; ++i) {
    b.Push(i);
  }
  ASSERT_TRUE(b.wrapped);
  double* items = b.items;
  ASSERT_TRUE(b.Resize(4));
  EXPECT_EQ(b.items, items);
  EXPECT_EQ(b.position, 2);
  EXPECT_EQ(b.items[1], 5.0);

  ASSERT_TRUE(b.Resize(8));
  EXPECT_EQ(b.length, 8);
  EXPECT_EQ(b.position, 0);
  EXPECT_TRUE(b.owned);
  EXPECT_TRUE(b.wrapped) << "a pending wrap survives";
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(b.items[i], 0.0);
  }
}

TEST(GainBuffer, LengthZeroKeepsOneItemAndAnUnsizedBufferIgnoresPushes) {
  GainBuffer unsized;
  unsized.Push(1.0);
  EXPECT_EQ(unsized.length, 0);
  EXPECT_FALSE(unsized.wrapped);

  GainBuffer b;
  ASSERT_TRUE(b.Resize(0));  // a sample rate below 100 Hz asks for this
  EXPECT_EQ(b.length, 1);
  b.Push(0.7);
  EXPECT_TRUE(b.wrapped);
  EXPECT_EQ(b.items[0], 0.7);
  ASSERT_TRUE(b.Resize(-5));
  EXPECT_EQ(b.length, 1);
  EXPECT_EQ(b.items[0], 0.7) << "same length: kept";
}
