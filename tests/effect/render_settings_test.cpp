// The renderer's names and values: presets and parameters by name or index, values as numbers
// with or without their unit or as display texts; and the gain steps it writes to its CSV.
#include <gtest/gtest.h>

#include "effect_test_util.h"
#include "tools/render/GainTap.h"
#include "tools/render/LevelMeter.h"
#include "tools/render/RenderSettings.h"

using EffectTest::Effect;

TEST(RenderSettings, PresetsByName) {
  VemtraCorvane plug;
  std::string error;
  EXPECT_EQ(Render::FindPreset(plug, "Vocal steady", &error), 10);
  EXPECT_EQ(Render::FindPreset(plug, "vocal STEADY", &error), 10);
  EXPECT_EQ(Render::FindPreset(plug, "Default", &error), 0);
  EXPECT_EQ(Render::FindPreset(plug, "Vocal", &error), -1);
  EXPECT_NE(error.find("\"Pump sidechain\""), std::string::npos) << error;
}

TEST(RenderSettings, ParametersByNameOrIndex) {
  VemtraCorvane plug;
  std::string error;
  EXPECT_EQ(Render::FindParameter(plug, "Processro 2 gain scaler", &error), Processor2GainScaler);
  EXPECT_EQ(Render::FindParameter(plug, "  corvane mode ", &error), CorvaneMode);
  EXPECT_EQ(Render::FindParameter(plug, "45", &error), 45);
  EXPECT_EQ(Render::FindParameter(plug, "46", &error), -1);
  EXPECT_EQ(Render::FindParameter(plug, "-1", &error), -1);
  EXPECT_EQ(Render::FindParameter(plug, "Processor 2 gain scaler", &error), -1);  // the name has a typo
  EXPECT_NE(error.find("unknown parameter"), std::string::npos);
}

TEST(RenderSettings, ValuesAsNumbersUnitsOrTexts) {
  VemtraCorvane plug;
  int index = -1;
  double value = 0.0;
  std::string error;
  ASSERT_TRUE(Render::ParseSetting(plug, "Corvane Mode=Mid / Side", &index, &value, &error)) << error;
  EXPECT_EQ(index, CorvaneMode);
  EXPECT_EQ(value, 2.0);
  ASSERT_TRUE(Render::ParseSetting(plug, "Detector 1 source = int. fix", &index, &value, &error)) << error;
  EXPECT_EQ(value, 4.0);
  EXPECT_FALSE(Render::ParseSetting(plug, "12=-6 dB", &index, &value, &error));  // not the attack's unit
  EXPECT_FALSE(Render::ParseSetting(plug, "Detector 1 attack=20 dB", &index, &value, &error));
  ASSERT_TRUE(Render::ParseSetting(plug, "Detector 1 attack=20ms", &index, &value, &error)) << error;
  EXPECT_EQ(value, 20.0);
  ASSERT_TRUE(Render::ParseSetting(plug, "Processor 1 min gain=-6.5", &index, &value, &error)) << error;
  EXPECT_EQ(value, -6.5);
  ASSERT_TRUE(Render::ParseSetting(plug, "Detector 2 on=on", &index, &value, &error)) << error;
  EXPECT_EQ(value, 1.0);
  ASSERT_TRUE(Render::ParseSetting(plug, "Automation=2", &index, &value, &error)) << error;
  EXPECT_EQ(value, 2.0);

  for (const char* bad : {"Automation=1.5", "Automation=3", "Automation=Maybe", "Processor 1 max gain=101",
                          "Processor 1 max gain=nan", "Processor 1 max gain=", "Detector 1 gate", "=5"}) {
    EXPECT_FALSE(Render::ParseSetting(plug, bad, &index, &value, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(RenderSettings, GainStepsOnTheTenMillisecondGrid) {
  Effect plug(48000, 512);
  auto* tap = new Render::GainTap(&plug);
  plug.BindGraphics(tap);
  EffectTest::Signals s(48000);
  s.in[0] = EffectTest::Noise(48000, 0.3, 1);
  s.in[1] = EffectTest::Noise(48000, 0.3, 2);
  s.in[2] = EffectTest::Noise(48000, 0.1, 3);
  s.in[3] = EffectTest::Noise(48000, 0.1, 4);
  for (size_t at = 0; at < s.Frames(); at += 512) {
    tap->BeginBlock(static_cast<long long>(at));
    s.Block(plug, at, static_cast<int>(std::min<size_t>(512, s.Frames() - at)));
  }
  // Four updates per wrap; one step per 10 ms on the frames where processor 1's history wraps.
  EXPECT_EQ(tap->Updates().size(), 397u);  // the last wrap is on the last frame
  const auto steps = tap->Steps();
  ASSERT_EQ(steps.size(), 100u);
  for (size_t k = 0; k < steps.size(); ++k) EXPECT_EQ(steps[k].frame, static_cast<long long>(480 * k + 479));
  EXPECT_EQ(steps.back().processor1Db, plug.V(Processor1Gain));
  EXPECT_EQ(steps.back().processor2Db, plug.V(Processor2Gain));
  EXPECT_LT(steps.back().processor1Db, -1.0);  // a loud main input against a quiet reference
}

TEST(RenderSettings, ShortTermLevels) {
  Render::LevelMeter meter(1000);
  for (int i = 0; i < 5000; ++i) meter.Add(0.1, -0.1);     // -20 dB
  for (int i = 0; i < 5000; ++i) meter.Add(0.01, 0.01);    // -40 dB
  meter.Finish();
  ASSERT_TRUE(meter.HasLevel());
  EXPECT_NEAR(meter.MaxDb(), -20.0, 1e-9);
  EXPECT_NEAR(meter.MinDb(), -40.0, 1e-9);
  EXPECT_NEAR(meter.RangeDb(), 20.0, 1e-9);
  Render::LevelMeter brief(1000);
  for (int i = 0; i < 500; ++i) brief.Add(0.5, 0.5);
  brief.Finish();
  EXPECT_NEAR(brief.MaxDb(), 20.0 * std::log10(0.5), 1e-9);
  Render::LevelMeter silent(1000);
  for (int i = 0; i < 5000; ++i) silent.Add(0.0, 1e-5);  // -93 dB: silence
  silent.Finish();
  EXPECT_FALSE(silent.HasLevel());
}
