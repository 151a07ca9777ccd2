#pragma once
// The effect's 46 parameters: their indices (the order of the state chunk, the presets, the
// controls and the engine settings), their table entries, and the enumerations some of them
// select. Nothing here depends on the host adapter.

#include "iplug/core/IPlugParameter.h"
#include "iplug/core/IPlugStructs.h"

enum ParamIndex : int {
  Processor1Gain = 0,
  Processor2Gain,
  Automation,
  CorvaneMode,
  EnableDetector1Graph,
  EnableDetector2Graph,
  EnableProcessor1Graph,
  EnableProcessor2Graph,
  Detector1Source,
  Detector1Gate,
  Detector1Gain,
  Detector1LinkAttRel,
  Detector1Attack,
  Detector1Release,
  Detector1HiPass,
  Detector1LowPass,
  Detector1On,
  Detector2Source,
  Detector2Gate,
  Detector2Gain,
  Detector2LinkAttRel,
  Detector2Attack,
  Detector2Release,
  Detector2HiPass,
  Detector2LowPass,
  Detector2On,
  Processor1Reference,
  Processor1LinkAttRel,
  Processor1Attack,
  Processor1Release,
  Processor1Mode,
  Processor1RevGain,
  Processor1MaxGain,
  Processor1MinGain,
  Processor1LinkMinMaxGain,
  Processor1GainScaler,
  Processor2Reference,
  Processor2LinkAttRel,
  Processor2Attack,
  Processor2Release,
  Processor2Mode,
  Processor2RevGain,
  Processor2MaxGain,
  Processor2MinGain,
  Processor2LinkMinMaxGain,
  Processor2GainScaler,
  kNumParams
};

// Values of Automation.
enum AutomationMode : int { AutomationIgnore = 0, AutomationRead = 1, AutomationWrite = 2 };

// In Write mode these hosts (Logic, Reaper) take the gain automation from the audio thread;
// every other host gets it from the editor's thread, through the invisible gain faders.
inline bool HostWritesFromAudioThread(HostCode host) { return host == kHostLogic || host == kHostReaper; }

// Values of CorvaneMode.
enum CorvaneModeKind : int { ModeClassic = 0, ModeStereo = 1, ModeMidSide = 2 };

// One row of the parameter table. Booleans and enumerations use only name, kind, default and,
// for enumerations, their display texts (one per value from 0).
struct EffectParamSpec {
  const char* name;
  ParamKind kind;
  double defaultValue;
  double minValue;
  double maxValue;
  double step;
  double shape;
  const char* label;
  const char* const* texts;
  int nTexts;
};

// The table entry of a parameter index, null outside 0..45.
const EffectParamSpec* EffectParamSpecAt(int index);

// Initialises a parameter object from its table entry (name, kind, range, default, step,
// shape, label and display texts). An index outside the table leaves it alone.
void InitEffectParameter(IPlugParameter* param, int index);

// Enumerated values count by their integer part (as their display texts do); booleans are on
// from 0.5.
inline int EnumValue(double value) { return ClampToInt(value); }
inline bool IsOn(double value) { return value >= 0.5; }
