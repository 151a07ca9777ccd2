#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "recording_plug.h"

namespace {


std::string gConsole;
void CaptureConsole(const char* text) { gConsole += text; }

std::vector<double> Ramp(int n, double start, double step = 1.0) {
  std::vector<double> v(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = start + step * i;
  return v;
}

// Sets the block size and connects the first nIn inputs and nOut outputs.
void Connect(RecordingPlug& plug, int blockSize, int nIn, int nOut) {
  plug.SetMaxBlockSize(blockSize);
  plug.MarkInputsConnected(0, nIn, true);
  plug.MarkOutputsConnected(0, nOut, true);
}

}  // namespace

// ---- Channel configurations -----------------------------------------------------------------

TEST(ChannelIO, ParsesPairsAndSizesTheChannelRecords) {
  RecordingPlug plug(4, "1-1 2-1 3-1 2-2 3-2 4-2");
  ASSERT_EQ(plug.NChannelIO(), 6);
  EXPECT_EQ(plug.GetChannelIO(3)->mIn, 2);
  EXPECT_EQ(plug.GetChannelIO(3)->mOut, 2);
  EXPECT_EQ(plug.GetChannelIO(5)->mIn, 4);
  EXPECT_EQ(plug.NInChannels(), 4);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_TRUE(plug.LegalIO(1, -1));
  EXPECT_FALSE(plug.LegalIO(4, 1));
  EXPECT_TRUE(plug.LegalIO(4, 2));
  EXPECT_TRUE(plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(5, -1));

  RecordingPlug aax(4, "2-1 3-2");
  EXPECT_EQ(aax.NInChannels(), 3);
  EXPECT_EQ(aax.NOutChannels(), 2);
  EXPECT_FALSE(aax.LegalIO(1, 1));
}

TEST(ChannelIO, MalformedTokenIsReportedAndStillAppended) {
  AssertCapture capture;
  RecordingPlug plug(1, "2-1 x 3");
  const auto& reports = capture.Reports();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0].expression, "channelIOStrValid");
  EXPECT_EQ(reports[0].source, "iplugbase");
  EXPECT_EQ(reports[0].line, 112);
  ASSERT_EQ(plug.NChannelIO(), 3);
  EXPECT_EQ(plug.GetChannelIO(1)->mIn, 0);
  EXPECT_EQ(plug.GetChannelIO(1)->mOut, 0);
  EXPECT_EQ(plug.GetChannelIO(2)->mIn, 3);
  EXPECT_EQ(plug.GetChannelIO(2)->mOut, 0);
  EXPECT_EQ(plug.NInChannels(), 3);
  EXPECT_EQ(plug.NOutChannels(), 1);
}

TEST(IPlugBase, FreshState) {
  RecordingPlug plug(5, "1-1 2-1 3-1 2-2 3-2 4-2", 3, false, 0, kApiAAX);
  EXPECT_EQ(plug.NParams(), 5);
  EXPECT_EQ(plug.NPresets(), 3);
  EXPECT_STREQ(plug.PresetNameAt(2), "empty");
  EXPECT_EQ(plug.GetHostCode(), kHostUninit);
  EXPECT_EQ(plug.GetPluginApi(), kApiAAX);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetBlockSize(), 0);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_STREQ(plug.GetEffectName(), "TestEffect");
  EXPECT_STREQ(plug.GetMfrName(), "TestMaker");
  EXPECT_EQ(plug.GetUniqueID(), 0x4372766E);
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(plug.IsInChannelConnected(i));
    EXPECT_EQ(plug.InputArray()[i], nullptr);  // unconnected with an empty scratch
  }
  EXPECT_EQ(IPlugBase::DecimalVersion(0x00020008), 20008);
  EXPECT_EQ(IPlugBase::DecimalVersion(0x000A0B0C), 101112);
}

TEST(IPlugBase, LongNamesAreCut) {
  const std::string name(200, 'n');
  RecordingPlug plug(1, "1-1", 0, false, 0, kApiVST3, name.c_str());
  EXPECT_EQ(std::string(plug.GetEffectName()), std::string(127, 'n'));
}

// ---- Buffer binding ---------------------------------------------------------------------------

TEST(BufferBinding, UnconnectedSideChainReadsSilence) {
  RecordingPlug plug;
  plug.recordInputs = true;
  Connect(plug, 8, 4, 2);
  plug.MarkInputsConnected(2, 2, false);
  std::vector<double> l = Ramp(8, 1), r = Ramp(8, 100), outL(8), outR(8);
  double* in[] = {l.data(), r.data()};
  double* out[] = {outL.data(), outR.data()};
  plug.BindInputBuffers(0, 4, in);
  plug.BindOutputBuffers(0, 2, out);
  plug.RunProcess(8);
  ASSERT_EQ(plug.processCalls, 1);
  EXPECT_EQ(plug.seenInputs[0], l.data());
  EXPECT_EQ(plug.seenInputs[1], r.data());
  EXPECT_EQ(plug.seenInputs[2], plug.InChannel(2)->ScratchData());
  EXPECT_EQ(plug.inputCopies[2], std::vector<double>(8, 0.0));
  EXPECT_EQ(plug.inputCopies[3], std::vector<double>(8, 0.0));
  EXPECT_EQ(outL, l);
  EXPECT_EQ(outR, r);
}

TEST(BufferBinding, ConnectedChannelsTakeTheHostBuffersInOrder) {
  RecordingPlug plug;
  plug.SetMaxBlockSize(4);
  plug.MarkInputsConnected(0, 3, true);
  plug.MarkInputsConnected(1, 1, false);
  std::vector<double> a(4, 1.0), b(4, 2.0);
  double* host[] = {a.data(), b.data()};
  plug.BindInputBuffers(0, 3, host);
  EXPECT_EQ(plug.InputArray()[0], a.data());
  EXPECT_EQ(plug.InputArray()[1], plug.InChannel(1)->ScratchData());
  EXPECT_EQ(plug.InputArray()[2], b.data());
}

TEST(BufferBinding, RangesAreClampedToTheRecords) {
  RecordingPlug plug;
  plug.SetMaxBlockSize(4);
  plug.MarkInputsConnected(-2, 4, true);  // channels 0 and 1 only
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  plug.MarkOutputsConnected(1, 100, true);
  EXPECT_FALSE(plug.IsOutChannelConnected(0));
  EXPECT_TRUE(plug.IsOutChannelConnected(1));
  plug.MarkInputsConnected(3, INT_MAX, true);  // first + count overflows
  EXPECT_TRUE(plug.IsInChannelConnected(3));
}

TEST(BufferBinding, MissingHostBuffersReadAsSilence) {
  RecordingPlug plug;
  plug.recordInputs = true;
  Connect(plug, 4, 4, 2);
  std::vector<double> a(4, 1.0), outL(4, 5.0);
  double* in[] = {a.data(), nullptr, a.data(), a.data()};
  double* out[] = {outL.data(), nullptr};
  plug.BindInputBuffers(0, 4, in);
  plug.BindOutputBuffers(0, 2, out);
  plug.RunProcess(4);
  EXPECT_EQ(plug.inputCopies[1], std::vector<double>(4, 0.0));
  EXPECT_EQ(outL, a);
}

TEST(BufferBinding, FloatPathConvertsAndWritesTheConsoleLines) {
  RecordingPlug plug;
  plug.recordInputs = true;
  Connect(plug, 16, 2, 2);
  std::vector<float> l(16), r(16), outL(16, -1.0f), outR(16, -1.0f);
  for (int i = 0; i < 16; ++i) {
    l[static_cast<size_t>(i)] = 0.1f * i;
    r[static_cast<size_t>(i)] = -0.3f * i;
  }
  float* in[] = {l.data(), r.data()};
  float* out[] = {outL.data(), outR.data()};
  gConsole.clear();
  SetPlugConsoleSink(CaptureConsole);
  plug.BindInputBuffersFloat(0, 4, in, 13);
  SetPlugConsoleSink(nullptr);
  EXPECT_EQ(gConsole,
            "attaching channel 0 ...done\nattaching channel 1 ...done\n"
            "attaching channel 2 ...done\nattaching channel 3 ...done\n");
  plug.BindOutputBuffersFloat(0, 2, out);
  plug.RunProcessFloat(13);
  EXPECT_EQ(plug.seenInputs[0], plug.InChannel(0)->ScratchData());
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(plug.inputCopies[0][static_cast<size_t>(i)], static_cast<double>(l[static_cast<size_t>(i)]));
    EXPECT_EQ(outL[static_cast<size_t>(i)], l[static_cast<size_t>(i)]);
    EXPECT_EQ(outR[static_cast<size_t>(i)], r[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(outL[13], -1.0f);  // nothing past the block
}

TEST(BufferBinding, FloatPassThroughConvertsTheOutputs) {
  RecordingPlug plug(1, "1-2");
  Connect(plug, 8, 1, 2);
  std::vector<float> in(8, 0.25f), out0(8, 9.0f), out1(8, 9.0f);
  float* ins[] = {in.data()};
  float* outs[] = {out0.data(), out1.data()};
  SetPlugConsoleSink(CaptureConsole);
  plug.BindInputBuffersFloat(0, 1, ins, 8);
  SetPlugConsoleSink(nullptr);
  plug.BindOutputBuffersFloat(0, 2, outs);
  plug.RunPassThroughFloat(8);
  EXPECT_EQ(out0, std::vector<float>(8, 0.25f));
  EXPECT_EQ(out1, std::vector<float>(8, 0.0f));
  EXPECT_EQ(plug.processCalls, 0);  // the bypass path does not run the block callback
}

TEST(BufferBinding, BlocksLongerThanTheBlockSizeAreCut) {
  RecordingPlug plug;
  Connect(plug, 8, 4, 2);
  std::vector<float> host(64, 0.5f), out(64, 7.0f);
  float* ins[] = {host.data(), host.data(), host.data(), host.data()};
  float* outs[] = {out.data(), out.data()};
  SetPlugConsoleSink(CaptureConsole);
  plug.BindInputBuffersFloat(0, 4, ins, 64);  // the scratch holds 8 frames
  SetPlugConsoleSink(nullptr);
  plug.BindOutputBuffersFloat(0, 2, outs);
  plug.RunProcessFloat(64);
  EXPECT_EQ(plug.lastFrames, 8);
  EXPECT_EQ(out[7], 0.5f);
  EXPECT_EQ(out[8], 7.0f);
  plug.RunProcess(-3);
  EXPECT_EQ(plug.lastFrames, 0);
}

// ---- Block size -------------------------------------------------------------------------------

TEST(BlockSize, SameSizeKeepsTheScratchContents) {
  RecordingPlug plug;
  plug.SetMaxBlockSize(4);
  plug.MarkInputsConnected(0, 1, true);
  std::vector<float> host = {1, 2, 3, 4};
  float* ins[] = {host.data()};
  SetPlugConsoleSink(CaptureConsole);
  plug.BindInputBuffersFloat(0, 1, ins, 4);
  SetPlugConsoleSink(nullptr);
  double* scratch = plug.InChannel(0)->ScratchData();
  plug.SetMaxBlockSize(4);
  EXPECT_EQ(plug.InChannel(0)->ScratchData(), scratch);
  EXPECT_EQ(scratch[3], 4.0);
  plug.SetMaxBlockSize(5);
  EXPECT_EQ(plug.InChannel(0)->ScratchData()[3], 0.0);  // a new size zeroes
  plug.ClearScratchBuffers();
}

TEST(BlockSize, ClearingForABlockLeavesSilenceWhereADisconnectedChannelIsRead) {
  RecordingPlug plug;
  plug.recordInputs = true;
  Connect(plug, 8, 2, 1);
  std::vector<float> host(8, 0.5f);
  float* ins[] = {host.data(), host.data()};
  SetPlugConsoleSink(CaptureConsole);
  plug.BindInputBuffersFloat(0, 2, ins, 8);  // the side input's scratch now holds signal
  SetPlugConsoleSink(nullptr);
  plug.ClearScratchBuffers(6);
  plug.MarkInputsConnected(1, 1, false);
  plug.RunProcess(6);
  ASSERT_EQ(plug.processCalls, 1);
  EXPECT_EQ(plug.inputCopies[1], std::vector<double>(6, 0.0));
  plug.ClearScratchBuffers(100);  // beyond the block size: the whole scratch, and no further
  EXPECT_EQ(plug.InChannel(0)->ScratchData()[7], 0.0);
}

TEST(BlockSize, ChangeRepointsEverySlotThatUsedTheScratch) {
  RecordingPlug plug;
  plug.recordInputs = true;
  plug.SetMaxBlockSize(16);
  plug.MarkInputsConnected(0, 4, true);
  plug.MarkInputsConnected(2, 2, false);
  plug.MarkOutputsConnected(0, 2, true);
  std::vector<double> host(20000, 1.0);
  std::vector<float> fhost(20000, 0.5f);
  double* in[] = {host.data(), host.data()};
  plug.BindInputBuffers(0, 2, in);
  float* fin[] = {fhost.data()};
  SetPlugConsoleSink(CaptureConsole);
  plug.BindInputBuffersFloat(1, 1, fin, 16);  // channel 1 now reads its scratch
  SetPlugConsoleSink(nullptr);

  plug.SetMaxBlockSize(20000);  // the scratch buffers move
  for (int i = 1; i < 4; ++i) EXPECT_EQ(plug.InputArray()[i], plug.InChannel(i)->ScratchData()) << i;
  EXPECT_EQ(plug.InputArray()[0], host.data());  // a host buffer stays bound
  for (int i = 0; i < 2; ++i) EXPECT_EQ(plug.OutputArray()[i], plug.OutChannel(i)->ScratchData());

  plug.RunProcess(20000);  // reads only live buffers (checked by the address sanitizer)
  EXPECT_EQ(plug.inputCopies[2], std::vector<double>(20000, 0.0));
  EXPECT_EQ(plug.inputCopies[1], std::vector<double>(20000, 0.0));

  plug.SetMaxBlockSize(0);
  EXPECT_EQ(plug.InputArray()[3], nullptr);
}

TEST(BlockSize, SizesBeyondTheLargestBlockAreTakenAsItAndNegativeOnesAreRefused) {
  constexpr int kLargest = IPlugBase::kMaxBlockSize;
  constexpr int kLargestBytes = kLargest * static_cast<int>(sizeof(double));
  RecordingPlug plug;
  plug.SetMaxBlockSize(kLargest + 1);
  EXPECT_EQ(plug.GetBlockSize(), kLargest);
  for (int i = 0; i < plug.NInChannels(); ++i) EXPECT_EQ(plug.InChannel(i)->mScratch.GetSize(), kLargestBytes) << i;
  for (int i = 0; i < plug.NOutChannels(); ++i) EXPECT_EQ(plug.OutChannel(i)->mScratch.GetSize(), kLargestBytes) << i;
  double* scratch = plug.InChannel(0)->ScratchData();
  plug.SetMaxBlockSize(INT_MAX);  // x 8 passes 32 bits
  EXPECT_EQ(plug.GetBlockSize(), kLargest);
  EXPECT_EQ(plug.InChannel(0)->ScratchData(), scratch) << "the largest block already";
  plug.SetMaxBlockSize(-1);
  EXPECT_EQ(plug.GetBlockSize(), kLargest);
}

// ---- Pass-through -----------------------------------------------------------------------------

TEST(PassThrough, WithoutLatencyCopiesAndZeroes) {
  RecordingPlug plug(1, "1-2");
  Connect(plug, 6, 1, 2);
  std::vector<double> in = Ramp(6, 1), out0(6, 9), out1(6, 9);
  double* ins[] = {in.data()};
  double* outs[] = {out0.data(), out1.data()};
  plug.BindInputBuffers(0, 1, ins);
  plug.BindOutputBuffers(0, 2, outs);
  plug.RunPassThrough(6);
  EXPECT_EQ(out0, in);
  EXPECT_EQ(out1, std::vector<double>(6, 0.0));
  EXPECT_EQ(plug.processCalls, 0);
}

TEST(PassThrough, LatencyDelaysAcrossBlocks) {
  RecordingPlug plug(1, "1-2", 0, false, 3);
  plug.CreateLatencyDelay();
  Connect(plug, 5, 1, 2);
  std::vector<double> in1 = Ramp(5, 1), in2 = Ramp(5, 6), out0(5), out1(5, 9);
  double* outs[] = {out0.data(), out1.data()};
  double* ins1[] = {in1.data()};
  plug.BindInputBuffers(0, 1, ins1);
  plug.BindOutputBuffers(0, 2, outs);
  plug.RunPassThrough(5);
  EXPECT_EQ(out0, (std::vector<double>{0, 0, 0, 1, 2}));
  EXPECT_EQ(out1, std::vector<double>(5, 9));  // outputs beyond the inputs are left alone
  double* ins2[] = {in2.data()};
  plug.BindInputBuffers(0, 1, ins2);
  plug.RunPassThrough(5);
  EXPECT_EQ(out0, (std::vector<double>{3, 4, 5, 6, 7}));

  // In place: the host hands the same buffer as input and output.
  std::vector<double> io = Ramp(5, 11);
  double* inPlace[] = {io.data()};
  plug.BindInputBuffers(0, 1, inPlace);
  plug.BindOutputBuffers(0, 1, inPlace);
  plug.RunPassThrough(5);
  EXPECT_EQ(io, (std::vector<double>{8, 9, 10, 11, 12}));
}

TEST(PassThrough, SetLatencySamplesResetsTheLine) {
  RecordingPlug plug(1, "1-1", 0, false, 2);
  plug.CreateLatencyDelay();
  Connect(plug, 4, 1, 1);
  std::vector<double> in = Ramp(4, 1), out(4);
  double* ins[] = {in.data()};
  double* outs[] = {out.data()};
  plug.BindInputBuffers(0, 1, ins);
  plug.BindOutputBuffers(0, 1, outs);
  plug.RunPassThrough(4);
  EXPECT_EQ(out, (std::vector<double>{0, 0, 1, 2}));
  plug.SetLatencySamples(1);
  EXPECT_EQ(plug.GetLatency(), 1);
  plug.RunPassThrough(4);
  EXPECT_EQ(out, (std::vector<double>{0, 1, 2, 3}));  // zeroed line, write position 0
  plug.SetLatencySamples(0);
  plug.RunPassThrough(4);
  EXPECT_EQ(out, in);
}

TEST(PassThrough, LatencyThatDoesNotFitIsRefused) {
  RecordingPlug plug(1, "4-2", 0, false, 2);
  plug.CreateLatencyDelay();
  plug.SetLatencySamples(INT_MAX / 16);  // x 4 channels x 8 bytes passes 32 bits
  EXPECT_EQ(plug.GetLatency(), 2);
  plug.SetLatencySamples(-4);
  EXPECT_EQ(plug.GetLatency(), 2);
  RecordingPlug noDelay(1, "4-2");
  noDelay.SetLatencySamples(100);  // no delay line: only the number is stored
  EXPECT_EQ(noDelay.GetLatency(), 100);
}

// ---- Editor and parameter changes -----------------------------------------------------------

TEST(Editor, SetParameterFromGuiInformsAndReactsUnderTheLock) {
  RecordingPlug plug(3);
  plug.GetParam(1)->InitNumber("p", 0, 0, 10, 1);
  plug.probeLockInHostCalls = true;
  plug.SetParameterFromGUI(1, 0.5);
  plug.probe.Join();
  EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
  ASSERT_EQ(plug.hostCalls.size(), 1u);
  EXPECT_EQ(plug.hostCalls[0].kind, HostCall::kInform);
  EXPECT_EQ(plug.hostCalls[0].index, 1);
  EXPECT_EQ(plug.hostCalls[0].value, 0.5);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0].index, 1);
  EXPECT_EQ(plug.paramChanges[0].source, kSourceEditor);
  EXPECT_TRUE(plug.lockHeldInHostCall);

  plug.SetParameterFromGUI(3, 0.5);
  plug.SetParameterFromGUI(-1, 0.5);
  plug.SetParameterFromGUI(1, std::nan(""));
  EXPECT_EQ(plug.hostCalls.size(), 1u);
  EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
}

TEST(Editor, BindGraphicsPushesNormalizedValuesAndOwnsTheEditor) {
  bool deleted = false;
  {
    RecordingPlug plug(2);
    plug.GetParam(0)->InitNumber("a", 25, 0, 100, 1);
    plug.GetParam(1)->InitNumber("b", 3, 0, 4, 1);
    plug.BindGraphics(nullptr);
    EXPECT_EQ(plug.GetGUI(), nullptr);
    RecordingEditor* editor = new RecordingEditor(&deleted);
    plug.BindGraphics(editor);
    EXPECT_EQ(plug.GetGUI(), editor);
    EXPECT_EQ(editor->drawBitmapsCreated, 1);
    ASSERT_EQ(editor->updates.size(), 2u);
    EXPECT_EQ(editor->updates[0].param, 0);
    EXPECT_EQ(editor->updates[0].value, 0.25);
    EXPECT_TRUE(editor->updates[0].normalized);
    EXPECT_EQ(editor->updates[1].value, 0.75);
    editor->updates.clear();
    plug.PushParamsToGraphics();
    ASSERT_EQ(editor->updates.size(), 2u);
    EXPECT_EQ(editor->updates[0].value, 25.0);
    EXPECT_FALSE(editor->updates[0].normalized);
    EXPECT_EQ(editor->updates[1].value, 3.0);
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);  // the plug-in's destructor deletes its editor
}

TEST(Editor, RebindingReplacesAndDeletesTheOldEditor) {
  bool firstDeleted = false, secondDeleted = false;
  {
    RecordingPlug plug(1);
    plug.BindGraphics(new RecordingEditor(&firstDeleted));
    plug.BindGraphics(plug.GetGUI());  // the same editor again: kept
    EXPECT_FALSE(firstDeleted);
    plug.BindGraphics(new RecordingEditor(&secondDeleted));
    EXPECT_TRUE(firstDeleted);
  }
  EXPECT_TRUE(secondDeleted);
}

// ---- Labels, hooks and defaults ----------------------------------------------------------------

TEST(IPlugBase, BusLabels) {
  RecordingPlug plug;
  plug.LabelInputBus(0, "Main Input");
  plug.LabelInputBus(1, "Aux Input");
  plug.LabelInputBus(2, "ignored");
  plug.LabelInputBus(-1, "ignored");
  EXPECT_STREQ(plug.GetInputBusLabel(0), "Main Input");
  EXPECT_STREQ(plug.GetInputBusLabel(1), "Aux Input");
  EXPECT_EQ(plug.GetInputBusLabel(2), nullptr);
  plug.LabelInputBus(0, "Input");
  EXPECT_STREQ(plug.GetInputBusLabel(0), "Input");
  plug.LabelOutputBus(3, "Output");  // the list is shorter: appended
  EXPECT_STREQ(plug.GetOutputBusLabel(0), "Output");
  plug.LabelOutputBus(-2, "x");
  EXPECT_EQ(plug.GetOutputBusLabel(1), nullptr);
}

TEST(IPlugBase, MidiThroughAndAnnouncements) {
  RecordingPlug plug(3);
  IMidiEvent note;
  note.SetNoteOn(64, 90, 0, 1);
  plug.ProcessMidiEvent(&note);  // MIDI through
  ASSERT_EQ(plug.hostCalls.size(), 1u);
  EXPECT_EQ(plug.hostCalls[0].kind, HostCall::kMidi);
  EXPECT_EQ(plug.hostCalls[0].index, 0x91);
  plug.NotifyAllParamsChanged(kSourceHostOpen);
  ASSERT_EQ(plug.paramChanges.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(plug.paramChanges[static_cast<size_t>(i)].index, i);
    EXPECT_EQ(plug.paramChanges[static_cast<size_t>(i)].source, kSourceHostOpen);
  }
}
