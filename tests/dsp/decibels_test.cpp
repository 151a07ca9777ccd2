#include "dsp/Decibels.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace Corvane;

TEST(Decibels, KnownPoints) {
  EXPECT_DOUBLE_EQ(DbToGain(0.0), 1.0);
  EXPECT_NEAR(DbToGain(20.0), 10.0, 1e-9);
  EXPECT_NEAR(DbToGain(-6.0), 0.501187233627, 1e-9);
  EXPECT_NEAR(GainToDb(0.5), -6.020599913279624, 1e-12);
  EXPECT_NEAR(GainToDb(10.0), 20.0, 1e-12);
}

TEST(Decibels, RoundTripAcrossTheParameterRange) {
  for (double db = -100.0; db <= 100.0; db += 0.25) {
    EXPECT_NEAR(GainToDb(DbToGain(db)), db, 1e-9) << db;
  }
}

TEST(Decibels, ExactBitsOfTheConstants) {
  // Every build computes the same doubles: one value each way, bit for bit.
  EXPECT_EQ(DbToGain(-12.5), 0x1.e5a84719eddc7p-3);
  EXPECT_EQ(GainToDb(0.3), -0x1.4ea47420e1a43p+3);
  EXPECT_TRUE(std::isinf(GainToDb(0.0)) && GainToDb(0.0) < 0);
}
