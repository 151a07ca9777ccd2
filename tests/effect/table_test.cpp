// The parameter table: names letter for letter, kinds, ranges, steps, shapes, labels, texts and
// defaults, as the framework's parameter objects carry them.
#include <gtest/gtest.h>

#include <string>

#include "effect_test_util.h"

using EffectTest::Effect;

namespace {

struct Row {
  const char* name;
  ParamKind kind;
  double def, min, max;
  const char* label;
};

// Written out from the table: numbers with their label; booleans and enumerations with their
// value range.
const Row kRows[kNumParams] = {
    {"Processor 1 Gain", kParamNumber, 0, -100, 100, "dB"},
    {"Processor 2 Gain", kParamNumber, 0, -100, 100, "dB"},
    {"Automation", kParamEnumeration, 0, 0, 2, ""},
    {"Corvane Mode", kParamEnumeration, 1, 0, 2, ""},
    {"Enable detector 1 graph", kParamBoolean, 1, 0, 1, ""},
    {"Enable detector 2 graph", kParamBoolean, 1, 0, 1, ""},
    {"Enable processor 1 graph", kParamBoolean, 1, 0, 1, ""},
    {"Enable processro 2 graph", kParamBoolean, 1, 0, 1, ""},
    {"Detector 1 source", kParamEnumeration, 2, 0, 4, ""},
    {"Detector 1 gate", kParamNumber, -100, -100, 0, "dB"},
    {"Detector 1 gain", kParamNumber, 0, -30, 30, "dB"},
    {"Detector 1 link att. rel.", kParamBoolean, 0, 0, 1, ""},
    {"Detector 1 attack", kParamNumber, 500, 1, 3000, "ms"},
    {"Detector 1 release", kParamNumber, 500, 1, 3000, "ms"},
    {"Detector 1 hi pass", kParamNumber, 20, 20, 3000, "Hz"},
    {"Detector 1 low pass", kParamNumber, 20000, 3000, 20000, "Hz"},
    {"Detector 1 on", kParamBoolean, 1, 0, 1, ""},
    {"Detector 2 source", kParamEnumeration, 2, 0, 4, ""},
    {"Detector 2 gate", kParamNumber, -100, -100, 0, "dB"},
    {"Detector 2 gain", kParamNumber, 0, -30, 30, "dB"},
    {"Detector 2 link att. rel.", kParamBoolean, 0, 0, 1, ""},
    {"Detector 2 attack", kParamNumber, 500, 1, 3000, "ms"},
    {"Detector 2 release", kParamNumber, 500, 1, 3000, "ms"},
    {"Detector 2 hi pass", kParamNumber, 20, 20, 3000, "Hz"},
    {"Detector 2 low pass", kParamNumber, 20000, 3000, 20000, "Hz"},
    {"Detector 2 on", kParamBoolean, 0, 0, 1, ""},
    {"Processor 1 reference", kParamEnumeration, 0, 0, 2, ""},
    {"Processor 1 link att. rel.", kParamBoolean, 0, 0, 1, ""},
    {"Processor 1 attack", kParamNumber, 500, 1, 3000, "ms"},
    {"Processor 1 release", kParamNumber, 500, 1, 3000, "ms"},
    {"Processor 1 mode", kParamEnumeration, 1, 0, 1, ""},
    {"Processor 1 rev. gain", kParamBoolean, 0, 0, 1, ""},
    {"Processor 1 max gain", kParamNumber, 12, 0, 100, "dB"},
    {"Processor 1 min gain", kParamNumber, -12, -100, 0, "dB"},
    {"Processor 1 link min max gain", kParamBoolean, 0, 0, 1, ""},
    {"Processor 1 gain scaler", kParamNumber, 50, 0, 100, "%"},
    {"Processor 2 reference", kParamEnumeration, 0, 0, 2, ""},
    {"Processor 2 link att. rel.", kParamBoolean, 0, 0, 1, ""},
    {"Processor 2 attack", kParamNumber, 500, 1, 3000, "ms"},
    {"Processor 2 release", kParamNumber, 500, 1, 3000, "ms"},
    {"Processor 2 mode", kParamEnumeration, 1, 0, 1, ""},
    {"Processor2  rev. gain", kParamBoolean, 0, 0, 1, ""},
    {"Processor 2 max gain", kParamNumber, 12, 0, 100, "dB"},
    {"Processor 2 min gain", kParamNumber, -12, -100, 0, "dB"},
    {"Processor 2 link min max gain", kParamBoolean, 0, 0, 1, ""},
    {"Processro 2 gain scaler", kParamNumber, 50, 0, 100, "%"},
};

std::string Text(const IPlugParameter* p, double value) {
  char text[kParamTextSize];
  p->FormatValueText(value, false, text, true);
  return text;
}

}  // namespace

TEST(ParameterTable, EveryRowAsWritten) {
  VemtraCorvane plug;
  ASSERT_EQ(plug.NParams(), kNumParams);
  for (int i = 0; i < kNumParams; ++i) {
    SCOPED_TRACE(i);
    const IPlugParameter* p = plug.GetParam(i);
    const Row& row = kRows[i];
    EXPECT_STREQ(p->GetName(), row.name);
    EXPECT_EQ(p->Kind(), row.kind);
    EXPECT_EQ(p->Value(), row.def);
    EXPECT_EQ(p->GetDefault(), row.def);
    EXPECT_EQ(p->GetMin(), row.min);
    EXPECT_EQ(p->GetMax(), row.max);
    EXPECT_STREQ(p->GetGroup(), "");
    if (row.kind == kParamNumber) {
      EXPECT_STREQ(p->GetLabelText(), row.label);
    }
  }
}

TEST(ParameterTable, StepsShapesAndPrecision) {
  VemtraCorvane plug;
  for (int i : {Processor1Gain, Processor2Gain, Detector1Gain, Detector2Gain}) {
    EXPECT_EQ(plug.GetParam(i)->GetStep(), 0.1) << i;
    EXPECT_EQ(plug.GetParam(i)->GetPrecision(), 1) << i;
  }
  for (int i : {Detector1Attack, Processor2GainScaler, Detector2Gate, Processor1MinGain}) {
    EXPECT_EQ(plug.GetParam(i)->GetStep(), 1.0) << i;
    EXPECT_EQ(plug.GetParam(i)->GetPrecision(), 0) << i;
  }
  for (int i = 0; i < kNumParams; ++i) {
    const bool frequency = i == Detector1HiPass || i == Detector1LowPass || i == Detector2HiPass || i == Detector2LowPass;
    EXPECT_EQ(plug.GetParam(i)->GetShape(), frequency ? 2.0 : 1.0) << i;
  }
  // Shape 2: half the travel is a quarter of the range.
  plug.GetParam(Detector1HiPass)->SetFromNormalized(0.5);
  EXPECT_EQ(plug.GetParam(Detector1HiPass)->Value(), 765.0);
  plug.GetParam(Detector2LowPass)->SetFromNormalized(0.5);
  EXPECT_EQ(plug.GetParam(Detector2LowPass)->Value(), 7250.0);
  EXPECT_EQ(Text(plug.GetParam(Detector1HiPass), 765.0), "765");
  EXPECT_EQ(Text(plug.GetParam(Processor1Gain), -3.25), "-3.2");
}

TEST(ParameterTable, DisplayTextsByValue) {
  VemtraCorvane plug;
  const std::vector<std::pair<int, std::vector<std::string>>> texts = {
      {Automation, {"Ignore", "Read", "Write"}},
      {CorvaneMode, {"Classic", "Stereo", "Mid / Side"}},
      {Detector1Source, {"Int. Mid", "Int. Side", "Ext. Mid", "Ext. Side", "Int. Fix"}},
      {Detector2Source, {"Int. Mid", "Int. Side", "Ext. Mid", "Ext. Side", "Int. Fix"}},
      {Processor1Reference, {"Detector 1", "Detector 2", "None"}},
      {Processor2Reference, {"Detector 1", "Detector 2", "None"}},
      {Processor1Mode, {"Peak", "RMS"}},
      {Processor2Mode, {"Peak", "RMS"}},
      {Detector1On, {"off", "on"}},
      {Processor2RevGain, {"off", "on"}},
  };
  for (const auto& [index, list] : texts) {
    const IPlugParameter* p = plug.GetParam(index);
    ASSERT_EQ(p->CountDisplayTexts(), static_cast<int>(list.size())) << index;
    for (size_t v = 0; v < list.size(); ++v) {
      EXPECT_EQ(p->GetDisplayTextEntry(static_cast<int>(v))->mValue, static_cast<int>(v));
      EXPECT_EQ(Text(p, static_cast<double>(v)), list[v]) << index;
    }
  }
  // "Int. Fix" comes last in the host's list.
  EXPECT_STREQ(plug.GetParam(Detector1Source)->GetDisplayTextEntry(4)->mText, "Int. Fix");
}

TEST(ParameterTable, NormalisedDefaults) {
  VemtraCorvane plug;
  const std::vector<std::pair<int, double>> expected = {
      {Processor1Gain, 0.5},   {Automation, 0.0},       {CorvaneMode, 0.5},         {EnableDetector1Graph, 1.0},
      {Detector1Source, 0.5},  {Detector1Gate, 0.0},    {Detector1Gain, 0.5},       {Detector1Attack, 499.0 / 2999.0},
      {Detector1HiPass, 0.0},  {Detector1LowPass, 1.0}, {Detector2On, 0.0},         {Processor1Mode, 1.0},
      {Processor1MaxGain, 0.12}, {Processor1MinGain, 0.88}, {Processor2GainScaler, 0.5}};
  for (const auto& [index, normalised] : expected) {
    EXPECT_NEAR(plug.GetParam(index)->GetNormalizedValue(), normalised, 1e-15) << index;
  }
}

TEST(ParameterTable, IdentityOfThePlugIn) {
  VemtraCorvane plug;
  EXPECT_STREQ(plug.GetEffectName(), "VemtraCorvane");
  EXPECT_STREQ(plug.GetProductName(), "");
  EXPECT_STREQ(plug.GetMfrName(), "Vemtra");
  EXPECT_EQ(plug.GetEffectVersion(), 0x00020008);
  EXPECT_EQ(plug.GetUniqueID(), ('C' << 24) | ('r' << 16) | ('v' << 8) | 'n');
  EXPECT_EQ(plug.GetMfrID(), ('V' << 24) | ('m' << 16) | ('T' << 8) | 'r');
  EXPECT_EQ(plug.GetLatency(), 0);
  EXPECT_FALSE(plug.DoesMIDI());
  EXPECT_FALSE(plug.DoesStateChunks());
  EXPECT_FALSE(plug.IsInstrument());
  EXPECT_EQ(plug.NChannelIO(), 6);
  EXPECT_EQ(plug.NInChannels(), 4);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_TRUE(plug.LegalIO(4, 2));
  EXPECT_FALSE(plug.LegalIO(4, 1));
  EXPECT_EQ(plug.SideChainChannels(), 2);
  EXPECT_EQ(plug.meterLength, 1);  // until the first reset
}
