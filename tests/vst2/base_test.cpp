#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "vst2/vst2_test_plug.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const ByteBlock& block) { return Bytes(block.GetBytes(), block.GetBytes() + block.Size()); }

void Fill(ByteBlock* block, const Bytes& bytes) {
  block->Clear();
  block->Put(bytes.data(), static_cast<int>(bytes.size()));
}

void AppendLE32(Bytes& bytes, uint32_t v) {
  for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(v >> (8 * b)));
}
void AppendDouble(Bytes& bytes, double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof(bits));
  for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<uint8_t>(bits >> (8 * b)));
}
void AppendText(Bytes& bytes, const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }

// Everything a bank read may change, to show that a refused bank changed nothing.
struct Snapshot {
  std::vector<std::string> names;
  std::vector<bool> flags;
  std::vector<Bytes> states;
  std::vector<double> values;
  explicit Snapshot(Vst2TestPlug& plug) : values(plug.Values()) {
    for (int i = 0; i < plug.NPresets(); ++i) {
      names.push_back(plug.Preset(i)->mName);
      flags.push_back(plug.Preset(i)->mInitialized);
      states.push_back(ToBytes(plug.Preset(i)->mChunk));
    }
  }
  bool operator==(const Snapshot& o) const {
    return names == o.names && flags == o.flags && states == o.states && values == o.values;
  }
};

// Header, then "Default" holding (1.5, -2), then an uninitialised preset with an empty name.
Bytes HandWrittenBank() {
  Bytes bank = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  AppendLE32(bank, 7);
  AppendText(bank, "Default");
  bank.push_back(1);
  AppendDouble(bank, 1.5);
  AppendDouble(bank, -2.0);
  AppendLE32(bank, 0);
  bank.push_back(0);
  return bank;
}

}  // namespace

// ---- Chunk header ---------------------------------------------------------------------------

TEST(ChunkHeader, WritesMagicAndVersionIntoAnEmptiedChunk) {
  Vst2TestPlug plug;
  ByteBlock chunk;
  chunk.Put("junk", 4);
  plug.WriteStateChunkHeader(&chunk);
  EXPECT_EQ(ToBytes(chunk), (Bytes{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));

  int position = 0;
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0x00010000);
  EXPECT_EQ(position, 8);
}

TEST(ChunkHeader, MissingOrCutHeaders) {
  Vst2TestPlug plug;
  ByteBlock chunk;
  int position = 0;
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0);  // empty
  EXPECT_EQ(position, 0);

  Fill(&chunk, {0x01, 0x02, 0x03, 0x04, 0x00, 0x00, 0x01, 0x00});  // other bytes
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0);
  EXPECT_EQ(position, 0);

  Fill(&chunk, {0x74, 0x66, 0x66, 0x70});  // the magic alone
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0);
  EXPECT_EQ(position, -1);

  Fill(&chunk, {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01});  // version cut short
  position = 0;
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0);
  EXPECT_EQ(position, -1);

  // A header further in, and a negative position that is left alone.
  Fill(&chunk, {0xAA, 0x74, 0x66, 0x66, 0x70, 0x02, 0x00, 0x01, 0x00});
  position = 1;
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0x00010002);
  EXPECT_EQ(position, 9);
  position = -1;
  EXPECT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0);
  EXPECT_EQ(position, -1);
}

// ---- Bank chunks ----------------------------------------------------------------------------

TEST(BankChunk, WritesEveryPresetInListOrder) {
  Vst2TestPlug plug;
  plug.MakePreset(0, "Default", {1.5, -2.0});
  std::snprintf(plug.Preset(1)->mName, kPresetNameSize, "%s", "");
  ByteBlock chunk;
  plug.WriteStateChunkHeader(&chunk);
  ASSERT_TRUE(plug.SerializePresets(&chunk));
  EXPECT_EQ(ToBytes(chunk), HandWrittenBank());
}

TEST(BankChunk, ReadsHandWrittenBankAndRecallsCurrentPreset) {
  Vst2TestPlug plug;
  plug.MakePreset(1, "Old", {3.0, 4.0});
  ByteBlock chunk;
  Fill(&chunk, HandWrittenBank());
  int position = 0;
  ASSERT_EQ(plug.ReadStateChunkHeader(&chunk, &position), 0x00010000);
  EXPECT_EQ(plug.UnserializePresets(&chunk, position), chunk.Size());

  EXPECT_STREQ(plug.Preset(0)->mName, "Default");
  EXPECT_TRUE(plug.Preset(0)->mInitialized);
  Bytes state;
  AppendDouble(state, 1.5);
  AppendDouble(state, -2.0);
  EXPECT_EQ(ToBytes(plug.Preset(0)->mChunk), state);
  EXPECT_STREQ(plug.Preset(1)->mName, "");
  EXPECT_FALSE(plug.Preset(1)->mInitialized);
  // The current preset (0) was recalled; every state read announces with source 2.
  EXPECT_EQ(plug.Values(), (std::vector<double>{1.5, -2.0}));
  ASSERT_FALSE(plug.announcements.empty());
  for (ParamChangeSource source : plug.announcements) EXPECT_EQ(source, kSourceRecall);
}

TEST(BankChunk, RoundTripsNamesFlagsAndStates) {
  Vst2TestPlug from(3, 4);
  from.MakePreset(0, "Soft", {1.0, 2.0, 3.0});
  from.MakePreset(2, "Loud", {-100.0, 100.0, 0.25});
  std::snprintf(from.Preset(3)->mName, kPresetNameSize, "%s", "Never made");
  ByteBlock chunk;
  from.WriteStateChunkHeader(&chunk);
  ASSERT_TRUE(from.SerializePresets(&chunk));

  Vst2TestPlug to(3, 4);
  to.SetValues({7.0, 8.0, 9.0});
  EXPECT_EQ(to.UnserializePresets(&chunk, 8), chunk.Size());
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(to.Preset(i)->mName, from.Preset(i)->mName) << i;
    EXPECT_EQ(to.Preset(i)->mInitialized, from.Preset(i)->mInitialized) << i;
    if (from.Preset(i)->mInitialized) {
      EXPECT_EQ(ToBytes(to.Preset(i)->mChunk), ToBytes(from.Preset(i)->mChunk)) << i;
    }
  }
  EXPECT_EQ(to.Values(), (std::vector<double>{1.0, 2.0, 3.0}));
}

TEST(BankChunk, NamesStopAtZeroAndAreCutTo255Characters) {
  Vst2TestPlug plug(1, 2);
  Bytes bank;
  AppendLE32(bank, 300);
  AppendText(bank, std::string(300, 'n'));
  bank.push_back(1);
  AppendDouble(bank, 5.0);
  AppendLE32(bank, 5);
  AppendText(bank, "ab");
  bank.insert(bank.end(), {0, 'x', 'y'});
  bank.push_back(0);
  ByteBlock chunk;
  Fill(&chunk, bank);
  EXPECT_EQ(plug.UnserializePresets(&chunk, 0), chunk.Size());
  EXPECT_EQ(std::string(plug.Preset(0)->mName), std::string(255, 'n'));
  EXPECT_TRUE(plug.Preset(0)->mInitialized);
  EXPECT_STREQ(plug.Preset(1)->mName, "ab");
  EXPECT_FALSE(plug.Preset(1)->mInitialized);
}

TEST(BankChunk, EveryCutOrMalformedBankIsRefusedWithoutChanges) {
  Vst2TestPlug plug;
  plug.MakePreset(1, "Kept", {10.0, 20.0});
  plug.SetValues({-5.0, 5.0});
  const Snapshot before(plug);
  const Bytes good = HandWrittenBank();
  ByteBlock chunk;

  for (size_t cut = 8; cut < good.size(); ++cut) {
    Fill(&chunk, Bytes(good.begin(), good.begin() + static_cast<long>(cut)));
    EXPECT_EQ(plug.UnserializePresets(&chunk, 8), -1) << cut;
    EXPECT_TRUE(Snapshot(plug) == before) << cut;
  }

  // Name lengths that are negative or run past the end.
  for (uint32_t length : {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 9u}) {
    Bytes bad(good.begin(), good.begin() + 8);
    AppendLE32(bad, length);
    AppendText(bad, "Default");
    bad.push_back(0);
    Fill(&chunk, bad);
    EXPECT_EQ(plug.UnserializePresets(&chunk, 8), -1) << length;
    EXPECT_TRUE(Snapshot(plug) == before) << length;
  }

  Fill(&chunk, good);
  EXPECT_EQ(plug.UnserializePresets(&chunk, -1), -1);
  EXPECT_EQ(plug.UnserializePresets(&chunk, static_cast<int>(good.size()) + 4), -1);
  EXPECT_TRUE(Snapshot(plug) == before);
}

// A factory preset made from base64 text stores more bytes than a state read consumes; the bank
// writes each state at the state's own size so the reader stays in step.
TEST(BankChunk, LongAndShortStoredStatesKeepTheBankInStep) {
  Vst2TestPlug from(2, 3);
  from.MakePreset(0, "Padded", {1.0, 2.0, 0.0, 0.0});  // 32 stored bytes, state is 16
  from.MakePreset(1, "Short", {3.0});                  // 8 stored bytes
  from.MakePreset(2, "Plain", {4.0, 5.0});
  ByteBlock chunk;
  from.WriteStateChunkHeader(&chunk);
  ASSERT_TRUE(from.SerializePresets(&chunk));
  EXPECT_EQ(chunk.Size(), 8 + 3 * (4 + 1 + 16) + 6 + 5 + 5);

  Vst2TestPlug to(2, 3);
  ASSERT_EQ(to.UnserializePresets(&chunk, 8), chunk.Size());
  Bytes plain;
  AppendDouble(plain, 4.0);
  AppendDouble(plain, 5.0);
  EXPECT_EQ(ToBytes(to.Preset(2)->mChunk), plain);
  Bytes padded;
  AppendDouble(padded, 1.0);
  AppendDouble(padded, 2.0);
  EXPECT_EQ(ToBytes(to.Preset(0)->mChunk), padded);
  Bytes shortState;
  AppendDouble(shortState, 3.0);
  AppendDouble(shortState, 0.0);
  EXPECT_EQ(ToBytes(to.Preset(1)->mChunk), shortState);
}

TEST(BankChunk, NoPresetsWritesNothingAndFails) {
  Vst2TestPlug plug(2, 0);
  ByteBlock chunk;
  EXPECT_FALSE(plug.SerializePresets(&chunk));
  EXPECT_EQ(chunk.Size(), 0);
}

// ---- Empty presets --------------------------------------------------------------------------

TEST(FillEmptyPresets, UnmadeSlotsBecomeEmptyWithTheCurrentState) {
  Vst2TestPlug plug(2, 3);
  plug.MakePreset(1, "Made", {9.0, 8.0});
  plug.SetValues({1.25, -3.5});
  plug.FillEmptyPresets();

  Bytes current;
  AppendDouble(current, 1.25);
  AppendDouble(current, -3.5);
  for (int i : {0, 2}) {
    EXPECT_TRUE(plug.Preset(i)->mInitialized);
    EXPECT_STREQ(plug.Preset(i)->mName, "Empty");
    EXPECT_EQ(ToBytes(plug.Preset(i)->mChunk), current);
  }
  Bytes made;
  AppendDouble(made, 9.0);
  AppendDouble(made, 8.0);
  EXPECT_STREQ(plug.Preset(1)->mName, "Made");
  EXPECT_EQ(ToBytes(plug.Preset(1)->mChunk), made);

  // A second call finds nothing left to fill.
  plug.SetValues({0.0, 0.0});
  plug.FillEmptyPresets();
  EXPECT_EQ(ToBytes(plug.Preset(0)->mChunk), current);
}

// ---- Accumulating float processing ----------------------------------------------------------

TEST(ProcessAdding, AddsResultsIntoConnectedFloatOutputs) {
  Vst2TestPlug plug(1, 1, "2-2");
  constexpr int kFrames = 13;  // eight, four and one
  plug.SetMaxBlockSize(kFrames);
  std::vector<float> in0(kFrames), in1(kFrames), out0(kFrames), out1(kFrames);
  for (int f = 0; f < kFrames; ++f) {
    in0[f] = 0.1f * f;
    in1[f] = -0.05f * f;
    out0[f] = 1.0f;
    out1[f] = 100.0f + f;
  }
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), out1.data()};
  plug.MarkInputsConnected(0, 2, true);
  plug.MarkOutputsConnected(0, 2, true);
  plug.BindInputBuffersFloat(0, 2, ins, kFrames);
  plug.BindOutputBuffersFloat(0, 2, outs);
  plug.RunProcessAddingFloat(kFrames);
  EXPECT_EQ(plug.processCalls, 1);
  for (int f = 0; f < kFrames; ++f) {
    EXPECT_EQ(out0[f], 1.0f + static_cast<float>(static_cast<double>(in0[f]) * 1)) << f;
    EXPECT_EQ(out1[f], 100.0f + f + static_cast<float>(static_cast<double>(in1[f]) * 2)) << f;
  }

  // An unconnected output is left alone; frames beyond the block size are not touched.
  const std::vector<float> kept = out1;
  plug.MarkOutputsConnected(1, 1, false);
  plug.BindOutputBuffersFloat(0, 2, outs);
  const float past = out0[kFrames - 1];
  plug.RunProcessAddingFloat(kFrames - 1);
  EXPECT_EQ(out1, kept);
  EXPECT_EQ(out0[kFrames - 1], past);
}

TEST(ProcessAdding, AddDoublesToFloatsMatchesSampleBySampleAlsoWhenOverlapping) {
  for (int count : {0, 1, 4, 7, 8, 12, 13, 29}) {
    std::vector<double> in(static_cast<size_t>(count));
    std::vector<float> out(static_cast<size_t>(count)), expected(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      in[i] = 0.3 * i - 1.0 / 3.0;
      out[i] = expected[i] = 0.5f * i;
      expected[i] += static_cast<float>(in[i]);
    }
    AddDoublesToFloats(out.data(), in.data(), count);
    EXPECT_EQ(out, expected) << count;
  }

  // Floats written over the doubles they are made from.
  constexpr int kCount = 16;
  alignas(8) unsigned char raw[kCount * sizeof(double)];
  alignas(8) unsigned char ref[kCount * sizeof(double)];
  for (int i = 0; i < kCount; ++i) {
    const double d = 1.0 + i * 0.125;
    std::memcpy(raw + i * sizeof(double), &d, sizeof(d));
  }
  std::memcpy(ref, raw, sizeof(raw));
  float* refOut = reinterpret_cast<float*>(ref + 8);
  const double* refIn = reinterpret_cast<const double*>(ref);
  for (int i = 0; i < kCount - 1; ++i) refOut[i] += static_cast<float>(refIn[i]);
  AddDoublesToFloats(reinterpret_cast<float*>(raw + 8), reinterpret_cast<const double*>(raw), kCount - 1);
  EXPECT_EQ(std::memcmp(raw, ref, sizeof(raw)), 0);
}

// ---- Host channel limit ---------------------------------------------------------------------

TEST(LimitChannels, DisconnectsInputsAndConnectsOutputsFromTheThirdOn) {
  Vst2TestPlug plug(1, 1, "4-2 4-4");
  plug.SetMaxBlockSize(16);
  ASSERT_EQ(plug.NInChannels(), 4);
  ASSERT_EQ(plug.NOutChannels(), 4);
  std::vector<double> host[4];
  double* ins[4];
  for (int i = 0; i < 4; ++i) {
    host[i].assign(16, 0.0);
    ins[i] = host[i].data();
  }
  plug.MarkInputsConnected(0, 4, true);
  plug.BindInputBuffers(0, 4, ins);
  plug.MarkOutputsConnected(0, 1, true);
  plug.MarkOutputsConnected(1, 3, false);

  plug.LimitChannelsForHost();
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_EQ(plug.InChannel(0)->Slot(), ins[0]);
  EXPECT_EQ(plug.InChannel(1)->Slot(), ins[1]);
  for (int i : {2, 3}) {
    EXPECT_FALSE(plug.IsInChannelConnected(i)) << i;
    EXPECT_EQ(plug.InChannel(i)->Slot(), plug.InChannel(i)->ScratchData()) << i;
  }
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
  EXPECT_TRUE(plug.IsOutChannelConnected(2));
  EXPECT_TRUE(plug.IsOutChannelConnected(3));
}

TEST(LimitChannels, TwoChannelsAreLeftAsTheyWere) {
  Vst2TestPlug plug(1, 1, "2-2");
  plug.MarkInputsConnected(0, 1, true);
  plug.MarkOutputsConnected(1, 1, true);
  plug.LimitChannelsForHost();
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  EXPECT_FALSE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsOutChannelConnected(0));
  EXPECT_TRUE(plug.IsOutChannelConnected(1));
}

// ---- Version and display texts --------------------------------------------------------------

TEST(VendorVersion, DecimalOrPacked) {
  Vst2TestPlug effect;
  EXPECT_EQ(effect.VendorVersionNumber(true), 20008);
  EXPECT_EQ(effect.VendorVersionNumber(false), 0x00020008);
  Vst2TestPlug other(1, 1, "2-2", 0x000A0B0C);
  EXPECT_EQ(other.VendorVersionNumber(true), 101112);
  EXPECT_EQ(other.VendorVersionNumber(false), 0x000A0B0C);
}

TEST(MapDisplayText, ExactCaseSensitiveFirstMatch) {
  IPlugParameter param;
  param.InitEnumeration("Mode", 0, 3);
  param.AddDisplayText(0, "on");
  param.AddDisplayText(1, "On");
  param.AddDisplayText(2, "On");
  int value = -7;
  EXPECT_TRUE(IPlugVST2Base::MapDisplayText(&param, "On", &value));
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(IPlugVST2Base::MapDisplayText(&param, "on", &value));
  EXPECT_EQ(value, 0);
  value = -7;
  EXPECT_FALSE(IPlugVST2Base::MapDisplayText(&param, "ON", &value));
  EXPECT_FALSE(IPlugVST2Base::MapDisplayText(&param, "On ", &value));
  EXPECT_FALSE(IPlugVST2Base::MapDisplayText(&param, nullptr, &value));
  EXPECT_EQ(value, -7);

  IPlugParameter plain;
  plain.InitNumber("Gain", 0.0, -1.0, 1.0, 0.1);
  EXPECT_FALSE(IPlugVST2Base::MapDisplayText(&plain, "0", &value));
}
