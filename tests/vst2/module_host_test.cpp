// The module VemtraCorvane.dll as a VST2 host meets it, through the published record offsets and
// opcode numbers only (tools/vst2host): on Windows the module file loaded with LoadLibrary,
// natively the same entry linked in and run under the sanitizers. The record, open and set-up,
// parameters, text entry, programs, the three process callbacks, chunks, channels, the editor in
// a parent window, and close.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "effect/VemtraCorvaneParams.h"
#include "effect/VemtraCorvanePresets.h"
#include "tools/vst2host/Vst2Host.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include "iplug/core/IPlugUtilities.h"
#endif

using namespace vst2pub;
using vst2host::Host;
using vst2host::TextOpcode;

namespace {

constexpr int32_t kCrvn = 0x4372766E;
constexpr double kRate = 44100.0;
constexpr int kBlock = 256;
constexpr int kParamText = 32;   // the buffer hosts pass for parameter texts (8 published), zero included
constexpr int kProgramName = 24;

// ---------------------------------------------------------------------------------------------
// The module

#if defined(_WIN32)
std::string ModuleFile() {
  if (const char* file = std::getenv("CORVANE_VST2_MODULE")) return file;
  const std::string built = CORVANE_VST2_MODULE_FILE;
  return built.empty() || built[0] != '/' ? built : "Z:" + built;  // Wine's drive for "/"
}
#else
extern "C" void* VSTPluginMain(HostCallback callback);
// Linked in, the framework's 32-bit path would report every channel of every block here.
const bool kQuiet = (SetPlugConsoleSink([](const char*) {}), true);
#endif

// The test signal: level steps on two tones, a side chain of two low tones times `side`.
double Signal(int channel, long long frame, double side) {
  const double t = static_cast<double>(frame) / kRate;
  const double level = frame / 4410 % 2 ? 0.3 : 0.05;
  const double hz[] = {220, 330, 55, 77};
  return (channel < 2 ? level : 0.2 * side) * std::sin(2 * 3.14159265358979 * hz[channel] * t);
}

// One host block of `frames` frames: four inputs, two outputs.
template <class Sample>
struct Block {
  explicit Block(int frames) : n(frames) {
    for (auto& c : in) c.assign(static_cast<size_t>(frames), 0);
    for (auto& c : out) c.assign(static_cast<size_t>(frames), 0);
    for (int c = 0; c < 4; ++c) inPtr[c] = in[c].data();
    for (int c = 0; c < 2; ++c) outPtr[c] = out[c].data();
  }
  void Fill(long long at, double side) {
    for (int c = 0; c < 4; ++c) {
      for (int i = 0; i < n; ++i) in[c][static_cast<size_t>(i)] = static_cast<Sample>(Signal(c, at + i, side));
    }
  }
  int n;
  std::vector<Sample> in[4], out[2];
  Sample* inPtr[4];
  Sample* outPtr[2];
};

class ModuleHost : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(_WIN32)
    std::string error;
    ASSERT_TRUE(vst2host::LoadModule(ModuleFile(), &module, &error)) << error;
    entry = module.entry;
#else
    entry = reinterpret_cast<EntryPoint>(&VSTPluginMain);
#endif
    effect = host.Create(entry);
    ASSERT_NE(effect, nullptr);
  }
  void TearDown() override {
    if (effect) dispatch(effect, op::close);
#if defined(_WIN32)
    vst2host::UnloadModule(&module);
#endif
  }

  // Open, rate, block size and resume, as hosts do it.
  void Start(void* plug, int blockSize = kBlock) {
    dispatch(plug, op::open);
    dispatch(plug, op::setSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    dispatch(plug, op::setBlockSize, 0, blockSize);
    dispatch(plug, op::mainsChanged, 0, 1);
  }
  // `blocks` calls of `frames` frames through the callback at `slot`; the outputs interleaved.
  template <class Sample>
  std::vector<double> Run(void* plug, std::size_t slot, int frames, int blocks, double side = 1.0) {
    Block<Sample> block(frames);
    std::vector<double> result;
    for (int b = 0; b < blocks; ++b) {
      block.Fill(static_cast<long long>(b) * frames, side);
      process<Sample>(plug, slot, block.inPtr, block.outPtr, frames);
      for (int i = 0; i < frames; ++i) {
        result.push_back(block.out[0][static_cast<size_t>(i)]);
        result.push_back(block.out[1][static_cast<size_t>(i)]);
      }
    }
    return result;
  }
  std::vector<float> Parameters(void* plug) {
    std::vector<float> values;
    for (int i = 0; i < kNumParams; ++i) values.push_back(getParameter(plug, i));
    return values;
  }
  std::vector<unsigned char> Chunk(void* plug, int32_t index) {
    void* data = nullptr;
    const IntPtr length = dispatch(plug, op::getChunk, index, 0, &data);
    if (length <= 0 || !data) return {};
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(bytes, bytes + length);
  }
  IntPtr SetChunk(void* plug, int32_t index, std::vector<unsigned char> bytes, IntPtr length = -2) {
    return dispatch(plug, op::setChunk, index, length == -2 ? static_cast<IntPtr>(bytes.size()) : length,
                    bytes.data());
  }

  vst2host::Module module;
  EntryPoint entry = nullptr;
  Host host;
  void* effect = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The record and the entry

TEST_F(ModuleHost, TheRecordCarriesTheEffectsPublishedFields) {
  EXPECT_EQ(field<int32_t>(effect, record::magic), kMagic);
  EXPECT_EQ(field<int32_t>(effect, record::numParams), 46);
  EXPECT_EQ(field<int32_t>(effect, record::numPrograms), 11);
  EXPECT_EQ(field<int32_t>(effect, record::numInputs), 4);
  EXPECT_EQ(field<int32_t>(effect, record::numOutputs), 2);
  EXPECT_EQ(field<int32_t>(effect, record::flags), 0x1019);
  EXPECT_EQ(field<int32_t>(effect, record::initialDelay), 0);
  EXPECT_EQ(field<float>(effect, record::ioRatio), 1.0f);
  EXPECT_EQ(field<int32_t>(effect, record::uniqueID), kCrvn);
  EXPECT_EQ(field<int32_t>(effect, record::version), 20008);
  EXPECT_EQ(field<IntPtr>(effect, record::resvd2), 0);
  for (std::size_t slot : {record::dispatcher, record::process, record::setParameter, record::getParameter,
                           record::processReplacing, record::processDoubleReplacing}) {
    EXPECT_NE(field<void*>(effect, slot), nullptr) << "slot at " << slot;
  }
  // Hosts take processReplacing only when it differs from process.
  EXPECT_NE(field<void*>(effect, record::process), field<void*>(effect, record::processReplacing));
  for (std::size_t i = 0; i < 56; ++i) EXPECT_EQ(field<char>(effect, record::future + i), 0);
  EXPECT_TRUE(host.Calls(host::version).empty()) << "the entry does not ask the host's version";
}

#if defined(_WIN32)
TEST_F(ModuleHost, TheModuleExportsTheEntryAsMainToo) {
  EXPECT_EQ(GetProcAddress(static_cast<HMODULE>(module.library), "main"),
            GetProcAddress(static_cast<HMODULE>(module.library), "VSTPluginMain"));
}
#endif

TEST_F(ModuleHost, IdentityAnswersAreThePublishedOnesAndTextsStayInTheirBuffers) {
  EXPECT_EQ(dispatch(effect, op::identify), 0x4E764566);
  EXPECT_EQ(dispatch(effect, op::getVstVersion), 2400);
  EXPECT_EQ(dispatch(effect, op::getVendorVersion), 20008);
  EXPECT_EQ(dispatch(effect, op::getPlugCategory), 1);
  EXPECT_EQ(dispatch(effect, op::getTailSize), 0);
  EXPECT_EQ(TextOpcode(effect, op::getEffectName, 0, 32), "VemtraCorvane");
  EXPECT_EQ(TextOpcode(effect, op::getVendorString, 0, 64), "Vemtra");
  EXPECT_EQ(TextOpcode(effect, op::getProductString, 0, 64), "");
  EXPECT_EQ(dispatch(effect, op::canDo, 0, 0, const_cast<char*>("receiveVstTimeInfo")), 1);
  EXPECT_EQ(dispatch(effect, op::canDo, 0, 0, const_cast<char*>("sendVstEvents")), 0) << "the effect takes no MIDI";
  EXPECT_EQ(static_cast<uintptr_t>(dispatch(effect, op::canDo, 0, 0, const_cast<char*>("hasCockosExtensions"))),
            0xBEEF0000u);
  EXPECT_EQ(dispatch(effect, op::canDo), 0);
  EXPECT_EQ(dispatch(effect, 1000), 0) << "an unknown opcode";
}

// ---------------------------------------------------------------------------------------------
// Open and set-up

TEST_F(ModuleHost, OpenIdentifiesTheHostOnceFromItsProductAndVersion) {
  dispatch(effect, op::open);
  dispatch(effect, op::open);
  EXPECT_EQ(host.Calls(host::getProductString).size(), 1u);
  ASSERT_EQ(host.Calls(host::getVendorVersion).size(), 1u);
  for (const auto& call : host.Calls()) EXPECT_TRUE(call.hadEffect) << "callback " << call.opcode;
}

TEST_F(ModuleHost, RefusedSampleRatesLeaveTheOutputAsItWas) {
  Start(effect);
  const std::vector<double> expected = Run<float>(effect, record::processReplacing, kBlock, 4);
  void* other = host.Create(entry);
  Start(other);
  for (float rate : {0.0f, -44100.0f, NAN, INFINITY, 1e10f, 3.4e38f}) {
    EXPECT_EQ(dispatch(other, op::setSampleRate, 0, 0, nullptr, rate), 0);
  }
  EXPECT_EQ(Run<float>(other, record::processReplacing, kBlock, 4), expected);
  dispatch(other, op::close);
}

// ---------------------------------------------------------------------------------------------
// Parameters

TEST_F(ModuleHost, ParameterNamesComeBackWholeAndDistinctWithinThirtyTwoBytes) {
  std::set<std::string> names;
  for (int i = 0; i < kNumParams; ++i) {
    const std::string name = TextOpcode(effect, op::getParamName, i, kParamText);
    EXPECT_EQ(name, EffectParamSpecAt(i)->name) << i;
    names.insert(name);
    EXPECT_EQ(TextOpcode(effect, op::getParamLabel, i, kParamText), EffectParamSpecAt(i)->label) << i;
    EXPECT_NE(TextOpcode(effect, op::getParamDisplay, i, kParamText).substr(0, 1), "<") << i;
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(kNumParams));
  EXPECT_EQ(TextOpcode(effect, op::getParamName, Processor1LinkMinMaxGain, kParamText), "Processor 1 link min max gain");
  EXPECT_EQ(TextOpcode(effect, op::getParamDisplay, kNumParams, kParamText), "<unterminated>")
      << "an index outside the list writes nothing";
}

// The round trip a host makes when a user types a value: every value text opcode 7 gives is
// found again by opcode 27 and sets the value it came from.
TEST_F(ModuleHost, EveryValueTextOfAnEnumeratedParameterComesBackThroughTextEntry) {
  int trips = 0;
  for (int i = 0; i < kNumParams; ++i) {
    const EffectParamSpec* spec = EffectParamSpecAt(i);
    if (spec->kind == kParamNumber) continue;
    const int values = spec->kind == kParamEnumeration ? spec->nTexts : 2;  // booleans: "off", "on"
    for (int v = 0; v < values; ++v, ++trips) {
      const float normalized = static_cast<float>(v) / static_cast<float>(values - 1);
      setParameter(effect, i, normalized);
      const std::string text = TextOpcode(effect, op::getParamDisplay, i, kParamText);
      if (spec->texts) {
        EXPECT_EQ(text, spec->texts[v]) << i;
      }
      setParameter(effect, i, v == 0 ? 1.0f : 0.0f);  // away, so that only the text brings it back
      EXPECT_EQ(dispatch(effect, op::string2Parameter, i, 0, const_cast<char*>(text.c_str())), 1) << i << " " << text;
      EXPECT_FLOAT_EQ(getParameter(effect, i), normalized) << i << " " << text;
    }
  }
  EXPECT_EQ(trips, 26 + 2 * 14) << "the values of 8 enumerations and 14 booleans";
}

TEST_F(ModuleHost, TheSetParameterCallbackAppliesClampedValuesAndIgnoresNaN) {
  setParameter(effect, Processor1Attack, 0.25f);
  EXPECT_NEAR(getParameter(effect, Processor1Attack), 0.25f, 1e-3) << "on the parameter's 1 ms steps";
  EXPECT_EQ(TextOpcode(effect, op::getParamDisplay, Processor1Attack, kParamText), "751");
  setParameter(effect, Processor1Attack, NAN);
  EXPECT_EQ(TextOpcode(effect, op::getParamDisplay, Processor1Attack, kParamText), "751");
  setParameter(effect, Processor1Attack, 7.0f);
  EXPECT_FLOAT_EQ(getParameter(effect, Processor1Attack), 1.0f);
  setParameter(effect, kNumParams, 0.5f);  // ignored
  EXPECT_EQ(getParameter(effect, kNumParams), 0.0f);
  EXPECT_EQ(getParameter(effect, -1), 0.0f);
}

TEST_F(ModuleHost, AHostSendingBackEveryValueItReadsChangesNoValue) {
  // What automation does when it starts playing: each parameter gets the single-precision value
  // the host read from it. The stored presets hold values between the parameters' steps.
  for (int program = 1; program <= 10; ++program) {
    dispatch(effect, op::setProgram, 0, program);
    const std::vector<unsigned char> before = Chunk(effect, 1);
    for (int i = kNumParams - 1; i >= 0; --i) setParameter(effect, i, getParameter(effect, i));
    EXPECT_EQ(Chunk(effect, 1), before) << "program " << program;
  }
}

TEST_F(ModuleHost, TextEntrySetsNumbersAndDisplayTexts) {
  EXPECT_EQ(dispatch(effect, op::string2Parameter, Detector1Gain, 0, const_cast<char*>("12.5")), 1);
  EXPECT_EQ(TextOpcode(effect, op::getParamDisplay, Detector1Gain, kParamText), "12.5");
  EXPECT_EQ(dispatch(effect, op::string2Parameter, Detector1Gain, 0, const_cast<char*>("99")), 1);
  EXPECT_EQ(TextOpcode(effect, op::getParamDisplay, Detector1Gain, kParamText), "30.0") << "clamped";
  EXPECT_EQ(dispatch(effect, op::string2Parameter, CorvaneMode, 0, const_cast<char*>("Classic")), 1);
  EXPECT_EQ(TextOpcode(effect, op::getParamDisplay, CorvaneMode, kParamText), "Classic");
  EXPECT_EQ(dispatch(effect, op::string2Parameter, CorvaneMode, 0, const_cast<char*>("classic")), 0);
  EXPECT_EQ(dispatch(effect, op::string2Parameter, CorvaneMode), 1) << "null text: text entry is offered";
  EXPECT_EQ(dispatch(effect, op::string2Parameter, kNumParams, 0, const_cast<char*>("1")), 0);
}

TEST_F(ModuleHost, ReaperExtensionsFormatAValueAndTellSteppedParameters) {
  char text[kParamText] = {};
  EXPECT_EQ(dispatch(effect, op::vendorSpecific, 7, CorvaneMode, text, 0.0f), 0xBEEF);
  EXPECT_STREQ(text, "Classic");
  EXPECT_EQ(TextOpcode(effect, op::vendorSpecific, 7, kParamText, CorvaneMode, 1.0f), "Mid / Side") << "whole";
  EXPECT_EQ(dispatch(effect, op::vendorSpecific, 8, CorvaneMode), 0xBEEF);
  EXPECT_EQ(dispatch(effect, op::vendorSpecific, 8, Detector1Gain), 0);
  EXPECT_EQ(dispatch(effect, op::vendorSpecific, 9, Detector1Gain), 0);
}

// ---------------------------------------------------------------------------------------------
// Programs and chunks

TEST_F(ModuleHost, ProgramsAreChosenAndNamedWithinTheirBuffers) {
  EXPECT_EQ(TextOpcode(effect, op::getProgramNameIndexed, 0, kProgramName), "Default");
  EXPECT_EQ(TextOpcode(effect, op::getProgramNameIndexed, 3, kProgramName), "Mid-Side vocal");
  EXPECT_EQ(dispatch(effect, op::getProgramNameIndexed, 11, 0, std::vector<char>(kProgramName).data()), 0);
  dispatch(effect, op::setProgram, 0, 3);
  EXPECT_EQ(dispatch(effect, op::getProgram), 3);
  EXPECT_EQ(TextOpcode(effect, op::getProgramName, 0, kProgramName), "Mid-Side vocal");
  dispatch(effect, op::setProgramName, 0, 0, const_cast<char*>("A name longer than twenty-four characters"));
  EXPECT_EQ(TextOpcode(effect, op::getProgramName, 0, kProgramName), "A name longer than twen");
  dispatch(effect, op::setProgram, 0, 99);
  EXPECT_EQ(dispatch(effect, op::getProgram), 3);
}

TEST_F(ModuleHost, ProgramAndBankChunksRoundTrip) {
  setParameter(effect, Detector1Attack, 0.75f);
  dispatch(effect, op::setProgramName, 0, 0, const_cast<char*>("Renamed"));
  const std::vector<float> values = Parameters(effect);
  const std::vector<unsigned char> program = Chunk(effect, 1);
  const std::vector<unsigned char> bank = Chunk(effect, 0);
  ASSERT_EQ(program.size(), 8u + kNumParams * 8);
  ASSERT_GT(bank.size(), program.size());
  dispatch(effect, op::setProgram, 0, 3);
  ASSERT_NE(Parameters(effect), values);
  EXPECT_EQ(SetChunk(effect, 1, program), 1);
  EXPECT_EQ(Parameters(effect), values);

  void* other = host.Create(entry);
  EXPECT_EQ(SetChunk(other, 0, bank), 1);
  EXPECT_EQ(Parameters(other), values);
  EXPECT_EQ(TextOpcode(other, op::getProgramNameIndexed, 0, kProgramName), "Renamed");
  EXPECT_EQ(TextOpcode(other, op::getProgramNameIndexed, 10, kProgramName), "Vocal steady");
  dispatch(other, op::close);
}

TEST_F(ModuleHost, DamagedChunksAreRefusedAndChangeNothing) {
  const std::vector<unsigned char> program = Chunk(effect, 1);
  const std::vector<unsigned char> bank = Chunk(effect, 0);
  dispatch(effect, op::setProgram, 0, 4);
  const std::vector<float> values = Parameters(effect);
  const std::vector<unsigned char> cutProgram(program.begin(), program.end() - 8);
  const std::vector<unsigned char> cutBank(bank.begin(), bank.end() - 100);
  EXPECT_EQ(SetChunk(effect, 1, cutProgram), 0);
  EXPECT_EQ(SetChunk(effect, 0, cutBank), 0);
  EXPECT_EQ(SetChunk(effect, 1, program, -1), 0);
  EXPECT_EQ(SetChunk(effect, 1, program, static_cast<IntPtr>(0x7FFFFFFF)), 0);
  EXPECT_EQ(dispatch(effect, op::setChunk, 1, 16), 0) << "no data";
  EXPECT_EQ(Parameters(effect), values);
  dispatch(effect, op::setProgram, 0, 0);
  dispatch(effect, op::setProgram, 0, 4);
  EXPECT_EQ(Parameters(effect), values) << "no half-read state was stored in the current program";
}

TEST_F(ModuleHost, AProgramChunkWithoutHeaderIsReadFromItsStart) {
  setParameter(effect, Detector2Release, 0.5f);
  const std::vector<float> values = Parameters(effect);
  std::vector<unsigned char> program = Chunk(effect, 1);
  program.erase(program.begin(), program.begin() + 8);
  dispatch(effect, op::setProgram, 0, 5);
  EXPECT_EQ(SetChunk(effect, 1, program), 1);
  EXPECT_EQ(Parameters(effect), values);
}

// ---------------------------------------------------------------------------------------------
// Processing

TEST_F(ModuleHost, TheThreeProcessCallbacksAgreeWithAndWithoutTheSideChain) {
  Start(effect);
  const std::vector<double> doubles = Run<double>(effect, record::processDoubleReplacing, kBlock, 8);
  void* other = host.Create(entry);
  Start(other);
  const std::vector<double> floats = Run<float>(other, record::processReplacing, kBlock, 8);
  ASSERT_EQ(doubles.size(), floats.size());
  double worst = 0.0;
  for (std::size_t i = 0; i < doubles.size(); ++i) worst = std::max(worst, std::fabs(doubles[i] - floats[i]));
  EXPECT_LT(worst, 1e-5);

  // Accumulating adds onto what the outputs held.
  void* third = host.Create(entry);
  Start(third);
  Block<float> block(kBlock);
  block.Fill(0, 1.0);
  for (auto& c : block.out) c.assign(kBlock, 0.5f);
  process<float>(third, record::process, block.inPtr, block.outPtr, kBlock);
  for (int i = 0; i < kBlock; ++i) EXPECT_NEAR(block.out[0][i] - 0.5f, floats[2 * i], 1e-7);
  dispatch(third, op::close);

  // The side chain is heard by default; once the host arranges two inputs it is not.
  dispatch(other, op::close);
  other = host.Create(entry);
  Start(other);
  EXPECT_NE(Run<float>(other, record::processReplacing, kBlock, 8, 0.0), floats);
  dispatch(other, op::close);
  other = host.Create(entry);
  Start(other);
  unsigned char in[arrangement::kSize] = {}, out[arrangement::kSize] = {};
  setField<int32_t>(in, arrangement::numChannels, 2);
  setField<int32_t>(out, arrangement::numChannels, 2);
  dispatch(other, op::setSpeakerArrangement, 0, reinterpret_cast<IntPtr>(in), out);
  const std::vector<double> quiet = Run<float>(other, record::processReplacing, kBlock, 8, 0.0);
  dispatch(other, op::close);
  other = host.Create(entry);
  Start(other);
  dispatch(other, op::setSpeakerArrangement, 0, reinterpret_cast<IntPtr>(in), out);
  EXPECT_EQ(Run<float>(other, record::processReplacing, kBlock, 8, 1.0), quiet);
  dispatch(other, op::close);
}

TEST_F(ModuleHost, BlocksLargerThanAnnouncedAreProcessedWhole) {
  Start(effect, 1000);
  const std::vector<double> expected = Run<double>(effect, record::processDoubleReplacing, 1000, 2);
  void* other = host.Create(entry);
  Start(other, 64);
  EXPECT_EQ(Run<double>(other, record::processDoubleReplacing, 1000, 2), expected);
  dispatch(other, op::close);
  other = host.Create(entry);
  dispatch(other, op::open);
  dispatch(other, op::setSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
  dispatch(other, op::mainsChanged, 0, 1);  // no block size: 1024 from construction
  const std::vector<double> longer = Run<float>(other, record::processReplacing, 3000, 1);
  EXPECT_NE(longer[2 * 2999], 0.0);
  dispatch(other, op::close);
}

// ---------------------------------------------------------------------------------------------
// Channels

TEST_F(ModuleHost, PinsAndArrangementsDescribeFourInputsAndTwoOutputs) {
  unsigned char properties[pin::kSize] = {};
  EXPECT_EQ(dispatch(effect, op::getInputProperties, 0, 0, properties), 1);
  EXPECT_EQ(field<int32_t>(properties, pin::flags), 3) << "active, first of a stereo pair";
  EXPECT_STREQ(reinterpret_cast<char*>(properties), "Input 1");
  EXPECT_EQ(dispatch(effect, op::getInputProperties, 3, 0, properties), 1);
  EXPECT_EQ(field<int32_t>(properties, pin::flags), 1) << "active";
  EXPECT_STREQ(reinterpret_cast<char*>(properties), "Input 4");
  EXPECT_EQ(dispatch(effect, op::getInputProperties, 4, 0, properties), 0);
  EXPECT_EQ(dispatch(effect, op::getOutputProperties, 1, 0, properties), 1);
  EXPECT_STREQ(reinterpret_cast<char*>(properties), "Output 2");

  void* in = nullptr;
  void* out = nullptr;
  EXPECT_EQ(dispatch(effect, op::getSpeakerArrangement, 0, reinterpret_cast<IntPtr>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(field<int32_t>(in, arrangement::type), -2) << "user-defined";
  EXPECT_EQ(field<int32_t>(in, arrangement::numChannels), 4);
  EXPECT_EQ(field<int32_t>(out, arrangement::type), 1) << "stereo";
  EXPECT_EQ(field<int32_t>(out, arrangement::numChannels), 2);

  // Null sides and counts outside the plug-in's channels are taken safely.
  unsigned char many[arrangement::kSize] = {};
  setField<int32_t>(many, arrangement::numChannels, 1000);
  EXPECT_EQ(dispatch(effect, op::setSpeakerArrangement, 0, reinterpret_cast<IntPtr>(many), nullptr), 1);
  setField<int32_t>(many, arrangement::numChannels, -5);
  EXPECT_EQ(dispatch(effect, op::setSpeakerArrangement, 0, 0, many), 1);
}

// ---------------------------------------------------------------------------------------------
// Editor

TEST_F(ModuleHost, TheEditorOpensInAParentWindowIdlesMeasuresAndCloses) {
  void* editorRect = nullptr;
  ASSERT_EQ(dispatch(effect, op::editGetRect, 0, 0, &editorRect), 1);
  ASSERT_NE(editorRect, nullptr);
  EXPECT_EQ(field<int16_t>(editorRect, rect::top), 0);
  EXPECT_EQ(field<int16_t>(editorRect, rect::left), 0);
  EXPECT_EQ(field<int16_t>(editorRect, rect::bottom), 500);
  EXPECT_EQ(field<int16_t>(editorRect, rect::right), 800);
  EXPECT_EQ(dispatch(effect, op::editOpen), 0) << "no parent window";
#if defined(_WIN32)
  HWND parent = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 900, 600, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  void* window = parent;
#else
  int parentStandIn = 0;
  void* window = &parentStandIn;
#endif
  ASSERT_EQ(dispatch(effect, op::editOpen, 0, 0, window), 1);
#if defined(_WIN32)
  HWND child = GetWindow(parent, GW_CHILD);
  ASSERT_NE(child, nullptr);
  RECT area{};
  GetClientRect(child, &area);
  EXPECT_EQ(area.right - area.left, 800);
  EXPECT_EQ(area.bottom - area.top, 500);
#endif
  for (int i = 0; i < 5; ++i) {
    dispatch(effect, op::editIdle);
    dispatch(effect, op::idle);
  }
  EXPECT_EQ(dispatch(effect, op::editClose), 1);
#if defined(_WIN32)
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
  DestroyWindow(parent);
#endif
}

// ---------------------------------------------------------------------------------------------
// Close

TEST_F(ModuleHost, SuspendAndCloseEndTheInstanceWhileAnotherLivesOn) {
  void* other = host.Create(entry);
  Start(other);
  Start(effect);
  dispatch(effect, op::mainsChanged, 0, 0);
  EXPECT_EQ(dispatch(effect, op::close), 0);
  effect = nullptr;
  EXPECT_EQ(Run<float>(other, record::processReplacing, kBlock, 1).size(), 2u * kBlock);
  dispatch(other, op::close);
}

}  // namespace
