// The effect's editor at work, through the headless editor: the mouse on knobs, switches and
// captions, the preset menu with program files through a scripted file dialog, the graphs'
// history, and the invisible faders that carry Write automation.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "editor_test_util.h"

using EffectTest::EditedEffect;
using Call = IPlugOffline::HostCall;

namespace {

const IMouseMods kLeft(true);

// The number of presets and the menu's extra entries after them.
constexpr int kPresets = 11;
constexpr int kSaveEntry = kPresets + 1;
constexpr int kLoadEntry = kPresets + 2;

// A folder of this process for program files, and a fresh path in it.
const std::filesystem::path& TempFolder() {
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("corvane-editor-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  return folder;
}
std::string TempPath(const char* name) {
  std::error_code ignored;
  std::filesystem::create_directories(TempFolder(), ignored);
  const std::filesystem::path path = TempFolder() / name;
  std::filesystem::remove(path, ignored);
  return path.string();
}
// Removes a file and, once empty, the folder.
void RemoveTemp(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  std::filesystem::remove(TempFolder(), ignored);
}

// Control indices of the layout used below.
constexpr int kGateKnob = 1;
constexpr int kSourceCaption = 7;
constexpr int kDetector1OnSwitch = 9;
constexpr int kDetector2OnSwitch = 18;
constexpr int kPresetField = 53;
constexpr int kGraph = 45;

}  // namespace

// ---- Knobs, switches and captions ---------------------------------------------------------------

TEST(EditorMouse, DragOnAKnobSetsItsParameterWithAHostGesture) {
  EditedEffect plug;
  plug.Tick();
  plug.ClearHostCalls();
  // Gate knob at (15, 354): press on the knob, move 16 pixels up, release.
  plug.gui->MouseDown(35, 374, kLeft);
  plug.gui->MouseDrag(35, 366, kLeft);
  plug.gui->MouseDrag(35, 358, kLeft);
  plug.gui->MouseUp(35, 358, kLeft);
  // 16 pixels of a 40-pixel knob at gearing 4: a tenth of the range, -100 dB to -90 dB.
  EXPECT_NEAR(plug.V(Detector1Gate), -90.0, 1e-9);
  EXPECT_NEAR(plug.engine.detectors[0].gate, std::pow(10.0, -90.0 / 20.0), 1e-12);

  const auto& calls = plug.HostCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front().kind, Call::kBegin);
  EXPECT_EQ(calls.front().index, Detector1Gate);
  EXPECT_EQ(calls.back().kind, Call::kEnd);
  EXPECT_EQ(calls.back().index, Detector1Gate);
  EXPECT_NEAR(plug.Calls(Call::kInform).back().second, 0.1, 1e-12);

  plug.Tick();
  EXPECT_EQ(plug.KnobText(kGateKnob), "-90 dB");
  EXPECT_EQ(FrameForValue(plug.At(kGateKnob)->GetValue(), 101), 11);
}

TEST(EditorMouse, DetectorOnSwitchGreysItsDetectorsControls) {
  EditedEffect plug;  // Stereo: detector 1 on and free, detector 2 off and greyed
  for (int i = 1; i <= 8; ++i) EXPECT_FALSE(plug.At(i)->IsGrayed()) << i;
  for (int i = 10; i <= 17; ++i) EXPECT_TRUE(plug.At(i)->IsGrayed()) << i;

  plug.Click(170, 280);  // detector 1's on switch
  EXPECT_EQ(plug.V(Detector1On), 0.0);
  EXPECT_FALSE(plug.engine.detectorOn[0]);
  // Its gate, hi pass, attack, gain, low pass, release, source and link are greyed; the switch
  // itself stays usable.
  for (int i = 1; i <= 8; ++i) EXPECT_TRUE(plug.At(i)->IsGrayed()) << i;
  EXPECT_FALSE(plug.At(kDetector1OnSwitch)->IsGrayed());
  // A greyed knob does not take the mouse.
  plug.gui->MouseDown(35, 374, kLeft);
  plug.gui->MouseDrag(35, 300, kLeft);
  plug.gui->MouseUp(35, 300, kLeft);
  EXPECT_EQ(plug.V(Detector1Gate), -100.0);

  plug.Click(170, 280);
  EXPECT_EQ(plug.V(Detector1On), 1.0);
  for (int i = 1; i <= 8; ++i) EXPECT_FALSE(plug.At(i)->IsGrayed()) << i;

  plug.Click(376, 280);  // detector 2's on switch
  EXPECT_EQ(plug.V(Detector2On), 1.0);
  for (int i = 10; i <= 17; ++i) EXPECT_FALSE(plug.At(i)->IsGrayed()) << i;
  plug.Tick();
  EXPECT_EQ(FrameForValue(plug.At(kDetector2OnSwitch)->GetValue(), 2), 2);
}

TEST(EditorMouse, ClassicModeGreysAllButItsOwnControls) {
  EditedEffect plug;
  plug.gui->ScriptMenuChoice(0);  // "Classic" from the mode caption's menu
  plug.Click(40, 125);
  ASSERT_EQ(plug.V(CorvaneMode), 0.0);
  // What the user keeps: automation, mode, detector 1 gain and release, processor 1 scaler and
  // three graph switches; sources, references and processor modes are hidden.
  const std::vector<int> free = {4, 6, 21, 39, 40, 41, 43, 44};
  const std::vector<int> hidden = {7, 16, 25, 26, 35, 36};
  for (int i = 1; i < 57; ++i) {
    const int p = plug.At(i)->ParamIdx();
    if (p < 0) continue;
    const bool isFree = std::find(free.begin(), free.end(), i) != free.end();
    const bool isHidden = std::find(hidden.begin(), hidden.end(), i) != hidden.end();
    EXPECT_EQ(plug.At(i)->IsGrayed(), !isFree) << i;
    EXPECT_EQ(plug.At(i)->IsHidden(), isHidden) << i;
  }
  EXPECT_TRUE(plug.At(46)->IsHidden());  // detector 2's graph
}

TEST(EditorMouse, CaptionOfAnEnumerationOffersItsValues) {
  EditedEffect plug;
  plug.gui->ScriptMenuChoice(4);
  plug.Click(80, 312);  // detector 1's source
  ASSERT_EQ(plug.gui->Menus().size(), 1u);
  const auto& menu = plug.gui->Menus()[0];
  EXPECT_EQ(menu.texts, (std::vector<std::string>{"Int. Mid", "Int. Side", "Ext. Mid", "Ext. Side", "Int. Fix"}));
  EXPECT_EQ(menu.flags, (std::vector<int>{0, 0, IMenuEntry::kChecked, 0, 0}));
  EXPECT_EQ(menu.rect, IRectangle(73, 306, 143, 322));
  EXPECT_EQ(plug.V(Detector1Source), 4.0);
  EXPECT_EQ(plug.engine.detectorSource[0], 4);
  plug.Tick();
  EXPECT_EQ(plug.Text(kSourceCaption), "Int. Fix ");

  // A menu closed without a choice changes nothing.
  plug.Click(80, 312);
  EXPECT_EQ(plug.V(Detector1Source), 4.0);
}

// ---- The preset menu ------------------------------------------------------------------------------

TEST(PresetMenu, ListsThePresetsAndTheProgramFileEntries) {
  EditedEffect plug;
  plug.Click(400, 20);
  ASSERT_EQ(plug.gui->Menus().size(), 1u);
  const auto& menu = plug.gui->Menus()[0];
  EXPECT_EQ(menu.texts, (std::vector<std::string>{"Default", "Bass steady", "Classic vocal", "Mid-Side vocal",
                                                  "Peak enhancer", "Peak reducer", "Pump sidechain", "Steady center",
                                                  "Stereo enhancer", "Stereo reducer", "Vocal steady", "-",
                                                  "Save Program...", "Load Program..."}));
  EXPECT_EQ(menu.rect, IRectangle(344, 13, 579, 29));
  EXPECT_FALSE(menu.chosen);
  // A right click opens nothing.
  plug.Click(400, 20, true);
  EXPECT_EQ(plug.gui->Menus().size(), 1u);
}

TEST(PresetMenu, RecallsTheChosenPresetAndTheEditorFollows) {
  EditedEffect plug;
  plug.Tick();
  plug.gui->ScriptMenuChoice(1);
  plug.Click(400, 20);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(plug.V(Detector1Source), 4.0);
  EXPECT_EQ(plug.V(Detector1Gate), -60.0);
  EXPECT_EQ(plug.V(Detector1Attack), 300.0);
  EXPECT_EQ(plug.V(Processor1MaxGain), 6.0);

  plug.Tick();
  EXPECT_EQ(plug.Text(kPresetField), "Bass steady");
  EXPECT_EQ(plug.KnobText(kGateKnob), "-60 dB");
  EXPECT_EQ(plug.KnobText(3), "300 ms");
  EXPECT_EQ(plug.Text(kSourceCaption), "Int. Fix ");
  EXPECT_EQ(plug.Text(49), "6 dB");
  EXPECT_EQ(plug.At(kGateKnob)->GetValue(), plug.GetParam(Detector1Gate)->GetNormalizedValue());

  // A preset recalled by the host does not move the field.
  plug.RecallPreset(4);
  plug.Tick();
  EXPECT_EQ(plug.Text(kPresetField), "Bass steady");
  EXPECT_EQ(plug.As<PresetFunctionsMenu>(kPresetField)->GetShownItem(), 1);
}

TEST(PresetMenu, SavesAndLoadsAProgramFileUnderItsName) {
  EditedEffect plug;
  const std::string path = TempPath("corvane editor test.fxp");
  plug.SetFromEditor(Detector1Gate, -42);

  plug.gui->ScriptMenuChoice(kSaveEntry);
  plug.gui->ScriptFile(path.c_str());
  plug.Click(400, 20);
  std::ifstream written(path, std::ios::binary | std::ios::ate);
  ASSERT_TRUE(written.good());
  EXPECT_EQ(written.tellg(), 56 + 4 * kNumParams);
  // The current preset holds the saved state under the file's name.
  EXPECT_STREQ(plug.PresetNameAt(0), "corvane editor test");
  plug.Tick();
  EXPECT_EQ(plug.Text(kPresetField), "corvane editor test");

  plug.SetFromEditor(Detector1Gate, -7);
  plug.RecallPreset(0);
  EXPECT_EQ(plug.V(Detector1Gate), -42.0);

  // Loading: a different preset is current, the file's values come back, and that preset takes
  // the file's name.
  plug.RecallPreset(2);
  plug.gui->ScriptMenuChoice(kLoadEntry);
  plug.gui->ScriptFile(path.c_str());
  plug.Click(400, 20);
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 2);
  EXPECT_EQ(plug.V(Detector1Gate), -42.0);
  EXPECT_STREQ(plug.PresetNameAt(2), "corvane editor test");
  EXPECT_EQ(plug.As<PresetFunctionsMenu>(kPresetField)->GetShownItem(), 2);
  plug.Tick();
  EXPECT_EQ(plug.KnobText(kGateKnob), "-42 dB");
  RemoveTemp(path);
}

// Saving or loading that does not happen (dialog cancelled, file call failing) changes nothing:
// the current preset keeps its stored state and its name, and the field stays.
TEST(PresetMenu, CancelledOrFailedTransfersChangeNothing) {
  const std::string garbage = TempPath("corvane not a program.fxp");
  {
    std::ofstream out(garbage, std::ios::binary);
    out << "this is not a program file at all, but long enough to be read as one...........";
  }
  const std::string noFolder = TempPath("no such folder") + "/x.fxp";
  struct Case {
    const char* what;
    int entry;
    std::string file;
  } cases[] = {{"save cancelled", kSaveEntry, ""},
               {"save failed", kSaveEntry, noFolder},
               {"load cancelled", kLoadEntry, ""},
               {"load failed", kLoadEntry, garbage},
               {"load of a missing file", kLoadEntry, noFolder}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditedEffect plug;
    plug.gui->ScriptMenuChoice(3);  // "Mid-Side vocal"
    plug.Click(400, 20);
    plug.SetFromEditor(Detector1Gate, -33);

    plug.gui->ScriptMenuChoice(c.entry);
    plug.gui->ScriptFile(c.file.c_str());
    plug.Click(400, 20);
    EXPECT_EQ(plug.V(Detector1Gate), -33.0);  // nothing loaded
    EXPECT_STREQ(plug.PresetNameAt(3), "Mid-Side vocal");
    EXPECT_EQ(plug.GetCurrentPresetIdx(), 3);
    EXPECT_EQ(plug.As<PresetFunctionsMenu>(kPresetField)->GetShownItem(), 3);
    plug.RecallPreset(3);
    EXPECT_EQ(plug.V(Detector1Gate), -60.0);  // the preset's state was not re-stored
  }
  RemoveTemp(garbage);
}

// ---- The graphs -----------------------------------------------------------------------------------

TEST(Graph, TakesOneValueInEleven) {
  EditedEffect plug;
  auto* graph = plug.As<IOscilloscopeControl>(kGraph);
  for (int i = 1; i <= 10; ++i) plug.gui->UpdateControlValue(kGraph, i / 100.0);
  EXPECT_EQ(graph->Count(), 0);  // the first ten are skipped
  plug.gui->UpdateControlValue(kGraph, 0.11);
  ASSERT_EQ(graph->Count(), 1);
  EXPECT_EQ(graph->HistoryValue(0), 0.11);
  for (int i = 12; i <= 33; ++i) plug.gui->UpdateControlValue(kGraph, i / 100.0);
  ASSERT_EQ(graph->Count(), 3);
  EXPECT_EQ(graph->HistoryValue(1), 0.22);
  EXPECT_EQ(graph->HistoryValue(2), 0.33);
  EXPECT_TRUE(graph->NeedsRedraw());
}

TEST(Graph, GrowsToItsWidthThenScrolls) {
  EditedEffect plug;
  auto* graph = plug.As<IOscilloscopeControl>(kGraph);
  // Value k (from 1) is the k-th value taken.
  auto feed = [&](int k) {
    for (int i = 0; i < 10; ++i) plug.gui->UpdateControlValue(kGraph, -1.0);
    plug.gui->UpdateControlValue(kGraph, k / 1000.0);
  };
  for (int k = 1; k <= 560; ++k) feed(k);
  ASSERT_EQ(graph->Count(), 560);  // 11 x 560 updates fill the 560-pixel graph
  EXPECT_EQ(graph->HistoryValue(0), 0.001);
  EXPECT_EQ(graph->HistoryValue(559), 0.56);

  feed(561);  // full: the newest value enters at the left edge, the oldest leaves
  EXPECT_EQ(graph->Count(), 560);
  EXPECT_EQ(graph->HistoryValue(0), 0.561);
  EXPECT_EQ(graph->HistoryValue(1), 0.001);
  EXPECT_EQ(graph->HistoryValue(559), 0.559);
  feed(562);
  EXPECT_EQ(graph->HistoryValue(0), 0.562);
  EXPECT_EQ(graph->HistoryValue(1), 0.561);
  EXPECT_EQ(graph->HistoryValue(559), 0.558);
}

TEST(Graph, DrawsItsLineOverTheGraphArea) {
  EditedEffect plug;
  plug.Tick();
  LICE_IBitmap* surface = plug.gui->GetDrawBitmap();
  const int span = surface->GetRowSpan();
  const std::vector<LICE_pixel> before(surface->GetBits(), surface->GetBits() + span * 500);

  // Forty values at half height: a flat line from x = 200 to 239 at y = 255 - 103.5.
  for (int k = 0; k < 40 * 11; ++k) plug.gui->UpdateControlValue(kGraph, 0.5);
  plug.Tick();
  const LICE_pixel* after = surface->GetBits();
  const LICE_pixel colour = Detector1GraphColour().Packed();
  for (int x = 200; x < 240; ++x) EXPECT_EQ(after[151 * span + x] & 0xFFFFFF, colour & 0xFFFFFF) << x;
  // Nothing else changed.
  for (int y = 0; y < 500; ++y) {
    for (int x = 0; x < 800; ++x) {
      if (y == 151 && x >= 200 && x < 240) continue;
      ASSERT_EQ(after[y * span + x], before[y * span + x]) << x << "," << y;
    }
  }
}

TEST(Faults, GraphHoldsOnlyFiniteValues) {
  EditedEffect plug;
  auto* graph = plug.As<IOscilloscopeControl>(kGraph);
  const double inputs[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), 1e300, -5.0, 0.25};
  for (double v : inputs) {
    for (int i = 0; i < 10; ++i) plug.gui->UpdateControlValue(kGraph, v);
    plug.gui->UpdateControlValue(kGraph, v);
  }
  ASSERT_EQ(graph->Count(), 6);
  const double expected[] = {0.0, 1.0, 0.0, 1.0, 0.0, 0.25};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(graph->HistoryValue(i), expected[i]) << i;
  plug.Tick();  // draws at the edges
}

TEST(Faults, GraphWiderThanItsHistoryIsRefused) {
  const IArgbColour colour(255, 255, 0, 0);
  EXPECT_EQ(IOscilloscopeControl::Create(nullptr, IRectangle(0, 0, 1025, 10), colour), nullptr);
  EXPECT_EQ(IOscilloscopeControl::Create(nullptr, IRectangle(10, 0, 10, 10), colour), nullptr);
  EXPECT_EQ(IOscilloscopeControl::Create(nullptr, IRectangle(0, 5, 100, 5), colour), nullptr);
  // The widest graph the history holds fills and scrolls within it.
  IOscilloscopeControl* widest = IOscilloscopeControl::Create(nullptr, IRectangle(0, 0, 1024, 10), colour);
  ASSERT_NE(widest, nullptr);
  for (int i = 0; i < 11 * 1100; ++i) widest->ApplyPlugValue((i / 11) / 1100.0);
  EXPECT_EQ(widest->Count(), 1024);
  EXPECT_EQ(widest->HistoryValue(0), 1099 / 1100.0);
  EXPECT_EQ(widest->HistoryValue(75), 1024 / 1100.0);
  EXPECT_EQ(widest->HistoryValue(76), 0.0);
  EXPECT_EQ(widest->HistoryValue(1023), 947 / 1100.0);
  delete widest;
}

// ---- The invisible faders -------------------------------------------------------------------------

// The faders lie at the editor's top-left corner; no click, double click or wheel there may
// move the gains that Read mode plays back.
TEST(Faults, FadersNeverTakeTheMouse) {
  EditedEffect plug;
  plug.SetFromEditor(Automation, AutomationRead);
  plug.SetFromEditor(Processor1Gain, 3.0);
  plug.SetFromEditor(Processor2Gain, -4.0);
  plug.Tick();
  plug.ClearHostCalls();
  for (int x : {0, 5, 15}) {
    for (int y : {0, 4, 9}) {
      EXPECT_EQ(plug.gui->FindControlAt(x, y), 0) << x << "," << y;  // the background
      plug.gui->MouseDown(x, y, kLeft);
      plug.gui->MouseDrag(x + 1, y + 1, kLeft);
      plug.gui->MouseUp(x + 1, y + 1, kLeft);
      plug.gui->MouseDoubleClick(x, y, kLeft);
      plug.gui->MouseUp(x, y, kLeft);
      plug.gui->MouseWheel(x, y, IMouseMods(), 3);
      plug.gui->MouseDown(x, y, IMouseMods(false, true));
      plug.gui->MouseUp(x, y, IMouseMods(false, true));
    }
  }
  EXPECT_EQ(plug.V(Processor1Gain), 3.0);
  EXPECT_EQ(plug.V(Processor2Gain), -4.0);
  EXPECT_TRUE(plug.HostCalls().empty());
  EXPECT_TRUE(plug.gui->EntryBoxes().empty());
}

namespace {

// Runs a loud steady signal long enough for several 10 ms updates, then clears the host log.
void RunAudio(EditedEffect& plug) {
  EffectTest::Signals s(441 * 4);
  for (auto& c : s.in) c.assign(s.Frames(), 0.3);
  s.Run(plug, 441);
}

}  // namespace

TEST(Faders, WriteAutomationReachesOtherHostsWhenTheEditorDraws) {
  for (HostCode host : {kHostUnknown, kHostCubase, kHostProTools, kHostWaveLab}) {
    SCOPED_TRACE(host);
    EditedEffect plug;
    plug.SetHostCode(host);
    plug.SetFromEditor(Automation, AutomationWrite);
    RunAudio(plug);
    plug.ClearHostCalls();
    const double gain1 = plug.GetParam(Processor1Gain)->GetNormalizedValue();
    const double gain2 = plug.GetParam(Processor2Gain)->GetNormalizedValue();
    EXPECT_EQ(plug.At(plug.processor1Fader)->GetValue(), gain1);
    EXPECT_EQ(plug.At(plug.processor2Fader)->GetValue(), gain2);
    EXPECT_TRUE(plug.HostCalls().empty());  // nothing from the audio thread

    plug.Tick();
    const auto informs = plug.Calls(Call::kInform);
    ASSERT_EQ(informs.size(), 2u);
    EXPECT_EQ(informs[0], std::make_pair(static_cast<int>(Processor1Gain), gain1));
    EXPECT_EQ(informs[1], std::make_pair(static_cast<int>(Processor2Gain), gain2));
    // Without new values the faders settle and the editor falls quiet.
    int ticks = 0;
    do {
      plug.ClearHostCalls();
      plug.Tick();
    } while (!plug.HostCalls().empty() && ++ticks < 5);
    EXPECT_TRUE(plug.HostCalls().empty());
  }
}

TEST(Faders, NothingFromTheEditorForLogicAndReaperOrOutsideWrite) {
  struct Case {
    HostCode host;
    AutomationMode mode;
  } cases[] = {{kHostLogic, AutomationWrite},  {kHostReaper, AutomationWrite}, {kHostCubase, AutomationRead},
               {kHostCubase, AutomationIgnore}, {kHostLogic, AutomationIgnore}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    SCOPED_TRACE(c.mode);
    EditedEffect plug;
    plug.SetHostCode(c.host);
    plug.SetFromEditor(Automation, c.mode);
    RunAudio(plug);
    plug.ClearHostCalls();
    plug.gui->MarkAllControlsChanged();
    plug.Tick();
    EXPECT_TRUE(plug.HostCalls().empty());
  }
}
