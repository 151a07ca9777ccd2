#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "recording_plug.h"

namespace {

// Little-endian bytes of an IEEE double given by its bit pattern.
void PutBits(std::vector<uint8_t>& bytes, size_t at, uint64_t bits) {
  for (int b = 0; b < 8; ++b) bytes[at + static_cast<size_t>(b)] = static_cast<uint8_t>(bits >> (8 * b));
}

void Fill(ByteBlock& block, const std::vector<uint8_t>& bytes) {
  block.Put(bytes.data(), static_cast<int>(bytes.size()));
}

std::vector<uint8_t> Bytes(const ByteBlock& block) {
  return std::vector<uint8_t>(block.GetBytes(), block.GetBytes() + block.Size());
}

// A plug-in with the effect's parameter count; every parameter a number in [lo, hi].
struct StatePlug : RecordingPlug {
  StatePlug(double lo = -100, double hi = 20000) : RecordingPlug(46, "1-1", 11) {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitNumber("p", 0, lo, hi, 0.01);
  }
};


constexpr uint64_t kOne = 0x3FF0000000000000;
constexpr uint64_t kMinus100 = 0xC059000000000000;
constexpr uint64_t kHalf = 0x3FE0000000000000;
constexpr uint64_t k20000 = 0x40D3880000000000;
constexpr uint64_t k25000 = 0x40D86A0000000000;
constexpr uint64_t kNaN = 0x7FF8000000000000;

}  // namespace

// ---- State chunks -----------------------------------------------------------------------------

TEST(StateChunk, FortySixDoublesInIndexOrder) {
  StatePlug plug;
  plug.GetParam(0)->Set(1.0);
  plug.GetParam(1)->Set(-100.0);
  plug.GetParam(2)->Set(0.5);
  plug.GetParam(45)->Set(20000.0);
  ByteBlock chunk;
  ASSERT_TRUE(plug.SaveState(&chunk));
  std::vector<uint8_t> expected(368, 0);
  PutBits(expected, 0, kOne);
  PutBits(expected, 8, kMinus100);
  PutBits(expected, 16, kHalf);
  PutBits(expected, 360, k20000);
  EXPECT_EQ(Bytes(chunk), expected);

  // Written after what is already there.
  ByteBlock prefixed;
  const int32_t flag = 1;
  prefixed.Put(&flag);
  ASSERT_TRUE(plug.SerializeParams(&prefixed));
  EXPECT_EQ(prefixed.Size(), 372);
}

TEST(StateChunk, ReadsBackClampedAndAnnouncesEveryParameter) {
  StatePlug plug;
  std::vector<uint8_t> bytes(368, 0);
  PutBits(bytes, 0, kOne);
  PutBits(bytes, 8, kMinus100);
  PutBits(bytes, 16, k25000);  // above the maximum
  PutBits(bytes, 360, kHalf);
  ByteBlock chunk;
  Fill(chunk, bytes);
  EXPECT_EQ(plug.LoadState(&chunk, 0), 368);
  EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(1)->Value(), -100.0);
  EXPECT_EQ(plug.GetParam(2)->Value(), 20000.0);
  EXPECT_EQ(plug.GetParam(45)->Value(), 0.5);
  ASSERT_EQ(plug.paramChanges.size(), 46u);
  for (int i = 0; i < 46; ++i) {
    EXPECT_EQ(plug.paramChanges[static_cast<size_t>(i)].index, i);
    EXPECT_EQ(plug.paramChanges[static_cast<size_t>(i)].source, kSourceRecall);
  }
}

TEST(StateChunk, ShortChunkSetsTheFirstMissingValueToZeroClamped) {
  StatePlug plug(3000, 20000);
  plug.GetParam(45)->Set(5000.0);
  std::vector<uint8_t> bytes(360, 0);
  for (int i = 0; i < 45; ++i) PutBits(bytes, static_cast<size_t>(8 * i), k20000);
  ByteBlock chunk;
  Fill(chunk, bytes);
  EXPECT_EQ(plug.LoadState(&chunk, 0), -1);
  EXPECT_EQ(plug.GetParam(44)->Value(), 20000.0);
  EXPECT_EQ(plug.GetParam(45)->Value(), 3000.0);  // 0 clamped into the range
  EXPECT_EQ(plug.paramChanges.size(), 46u);

  // From position 8 of the same bytes, parameter 44 is the first without data; 45 is left.
  StatePlug other(3000, 20000);
  other.GetParam(45)->Set(5000.0);
  EXPECT_EQ(other.LoadState(&chunk, 8), -1);
  EXPECT_EQ(other.GetParam(44)->Value(), 3000.0);
  EXPECT_EQ(other.GetParam(45)->Value(), 5000.0);
}

TEST(StateChunk, NonFiniteValuesLoadAsTheDefault) {
  RecordingPlug plug(3, "1-1");
  for (int i = 0; i < 3; ++i) plug.GetParam(i)->InitNumber("p", 7, 0, 10, 1);
  std::vector<uint8_t> bytes(24, 0);
  PutBits(bytes, 0, kNaN);
  PutBits(bytes, 8, 0xFFF0000000000000);  // -infinity
  PutBits(bytes, 16, 0x7FF0000000000000);  // +infinity
  ByteBlock chunk;
  Fill(chunk, bytes);
  EXPECT_EQ(plug.LoadState(&chunk, 0), 24);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(plug.GetParam(i)->Value(), 7.0) << i;
}

TEST(StateChunk, CompareParamValuesAtSinglePrecision) {
  RecordingPlug plug(2, "1-1");
  plug.GetParam(0)->InitNumber("a", 0, 0, 1000, 0.01);
  plug.GetParam(1)->InitNumber("b", 0, 0, 1000, 0.01);
  plug.GetParam(0)->Set(0.1);
  plug.GetParam(1)->Set(440.0);
  const double same[] = {99.0, 0.1 + 1e-12, 440.0};
  EXPECT_TRUE(plug.CompareParamValues(same, 1));
  const double off[] = {0.1, 440.001};
  EXPECT_FALSE(plug.CompareParamValues(off, 0));
  const double nan[] = {std::nan(""), 440.0};
  EXPECT_FALSE(plug.CompareParamValues(nan, 0));
  EXPECT_FALSE(plug.CompareParamValues(nullptr, 0));
}

// ---- Presets ----------------------------------------------------------------------------------

TEST(Presets, FromParamPairsReadsByKindAndKeepsUnsetValues) {
  RecordingPlug plug(3, "1-1", 2);
  plug.GetParam(0)->InitNumber("gain", 2.5, 0, 10, 0.1);
  plug.GetParam(1)->InitEnumeration("mode", 1, 5);
  plug.GetParam(2)->InitBoolean("on", false);
  plug.MakePresetFromParamPairs("pairs", 2, 1, 3, 0, 9.999e-8);
  ASSERT_TRUE(plug.Preset(0)->mInitialized);
  EXPECT_STREQ(plug.PresetNameAt(0), "pairs");
  std::vector<uint8_t> expected(24, 0);
  PutBits(expected, 0, 0x4004000000000000);  // 2.5: the marker value keeps the current value
  PutBits(expected, 8, 0x4008000000000000);  // 3, read as an int
  EXPECT_EQ(Bytes(plug.Preset(0)->mChunk), expected);

  plug.MakePresetFromParamPairs("Default", 0);
  EXPECT_STREQ(plug.PresetNameAt(1), "Default");
  plug.MakePresetFromParamPairs("no slot left", 0);  // every slot is made: nothing happens
  EXPECT_STREQ(plug.PresetNameAt(1), "Default");
}

TEST(Presets, FromParamPairsStopsAtABadIndex) {
  RecordingPlug plug(2, "1-1", 1);
  plug.GetParam(0)->InitNumber("a", 1, 0, 10, 0.1);
  plug.GetParam(1)->InitNumber("b", 2, 0, 10, 0.1);
  AssertCapture capture;
  plug.MakePresetFromParamPairs("bad", 2, 7, 5.0, 1, 4.0);
  const auto& reports = capture.Reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].expression, "paramIdx >= 0 && paramIdx < n");
  EXPECT_EQ(reports[0].source, "iplugbase");
  EXPECT_EQ(reports[0].line, 696);
  std::vector<uint8_t> expected(16, 0);
  PutBits(expected, 0, kOne);
  PutBits(expected, 8, 0x4000000000000000);  // 2.0: the pair after the bad one is not read
  EXPECT_EQ(Bytes(plug.Preset(0)->mChunk), expected);
}

TEST(Presets, FromBase64) {
  RecordingPlug plug(1, "1-1", 4);
  plug.MakePresetFromBase64("twelve", "AQIDBAUGBwg=", 12);
  EXPECT_EQ(Bytes(plug.Preset(0)->mChunk), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
  plug.MakePresetFromBase64("four", "AQIDBAUGBwg=", 4);
  EXPECT_EQ(Bytes(plug.Preset(1)->mChunk), (std::vector<uint8_t>{1, 2, 3, 4}));
  plug.MakePresetFromBase64("stops", "AQID*BAUG", 6);  // decoding stops at a foreign character
  EXPECT_EQ(Bytes(plug.Preset(2)->mChunk), (std::vector<uint8_t>{1, 2, 3, 0, 0, 0}));
  plug.MakePresetFromBase64("negative", "AQID", -5);
  EXPECT_TRUE(plug.Preset(3)->mInitialized);
  EXPECT_EQ(plug.Preset(3)->mChunk.Size(), 0);
  EXPECT_STREQ(plug.PresetNameAt(2), "stops");
}

TEST(Presets, FactoryStyleBase64PresetRecalls) {
  StatePlug plug;
  const char* text =
      "AAAAAAAAAAAAAAAAAADQPwAAAAAAAOA/AAAAAAAA6D8AAAAAAADwPwAAAAAAAPQ/AAAAAAAA+D8AAAAAAAD8PwAAAAAAAABAAAAA"
      "AAAAAkAAAAAAAAAEQAAAAAAAAAZAAAAAAAAACEAAAAAAAAAKQAAAAAAAAAxAAAAAAAAADkAAAAAAAAAQQAAAAAAAABFAAAAAAAAAEkAA"
      "AAAAAAATQAAAAAAAABRAAAAAAAAAFUAAAAAAAAAWQAAAAAAAABdAAAAAAAAAGEAAAAAAAAAZQAAAAAAAABpAAAAAAAAAG0AAAAAAAAAc"
      "QAAAAAAAAB1AAAAAAAAAHkAAAAAAAAAfQAAAAAAAACBAAAAAAACAIEAAAAAAAAAhQAAAAAAAgCFAAAAAAAAAIkAAAAAAAIAiQAAAAAAA"
      "ACNAAAAAAACAI0AAAAAAAAAkQAAAAAAAgCRAAAAAAAAAJUAAAAAAAIAlQAAAAAAAACZAAAAAAACAJkA=";
  ASSERT_EQ(std::strlen(text), 492u);
  plug.MakePresetFromParamPairs("Default", 0);
  plug.MakePresetFromBase64("Quarter steps", text, 492);
  ASSERT_EQ(plug.Preset(1)->mChunk.Size(), 492);  // 368 bytes of state, then 124 zeros
  for (int i = 368; i < 492; ++i) ASSERT_EQ(plug.Preset(1)->mChunk.GetBytes()[i], 0);
  ASSERT_TRUE(plug.RecallPreset(1));
  for (int i = 0; i < 46; ++i) EXPECT_EQ(plug.GetParam(i)->Value(), 0.25 * i);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  ASSERT_TRUE(plug.RecallPreset(0));
  for (int i = 0; i < 46; ++i) EXPECT_EQ(plug.GetParam(i)->Value(), 0.0);
}

TEST(Presets, RecallOfAnEmptySlotMakesAUserPreset) {
  RecordingPlug plug(2, "1-1", 4);
  plug.GetParam(0)->InitNumber("a", 3, 0, 10, 1);
  plug.MakePresetFromParamPairs("user preset 1", 0);
  plug.MakePresetFromParamPairs("my user preset", 0);
  RecordingEditor* editor = new RecordingEditor();
  plug.BindGraphics(editor);
  editor->updates.clear();
  plug.probeLockInPresetHooks = true;
  ASSERT_TRUE(plug.RecallPreset(3));
  plug.probe.Join();
  EXPECT_TRUE(plug.lockHeldInPresetHook);
  EXPECT_STREQ(plug.PresetNameAt(3), "user preset 3");
  EXPECT_TRUE(plug.Preset(3)->mInitialized);
  EXPECT_EQ(plug.Preset(3)->mChunk.Size(), 16);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 3);
  EXPECT_EQ(plug.presetSelectionChanges, 1);
  ASSERT_EQ(editor->updates.size(), 2u);  // the editor is refreshed with plain values
  EXPECT_EQ(editor->updates[0].value, 3.0);
  EXPECT_FALSE(editor->updates[0].normalized);

  EXPECT_FALSE(plug.RecallPreset(4));
  EXPECT_FALSE(plug.RecallPreset(-1));
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 3);
  EXPECT_STREQ(plug.PresetNameAt(-1), "");
  EXPECT_STREQ(plug.PresetNameAt(4), "");
}

TEST(Presets, RecallOfAnUnreadableStateFails) {
  RecordingPlug plug(2, "1-1", 2);
  plug.MakePresetFromBase64("too short", "AQID", 3);  // 3 bytes cannot hold a value
  EXPECT_FALSE(plug.RecallPreset(0));
  EXPECT_EQ(plug.presetSelectionChanges, 0);
}

TEST(Presets, ModifyCurrentPresetRestoresAndRenames) {
  RecordingPlug plug(1, "1-1", 2);
  plug.GetParam(0)->InitNumber("a", 1, 0, 10, 1);
  plug.MakePresetFromParamPairs("first", 0);
  plug.GetParam(0)->Set(9.0);
  plug.probeLockInPresetHooks = true;
  plug.ModifyCurrentPreset("renamed");
  plug.probe.Join();
  EXPECT_TRUE(plug.lockHeldInPresetHook);
  EXPECT_STREQ(plug.PresetNameAt(0), "renamed");
  std::vector<uint8_t> expected(8, 0);
  PutBits(expected, 0, 0x4022000000000000);  // 9.0
  EXPECT_EQ(Bytes(plug.Preset(0)->mChunk), expected);
  plug.ModifyCurrentPreset(nullptr);
  plug.ModifyCurrentPreset("");
  EXPECT_STREQ(plug.PresetNameAt(0), "renamed");
  const std::string longName(300, 'z');
  plug.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::string(plug.PresetNameAt(0)), std::string(255, 'z'));
}
