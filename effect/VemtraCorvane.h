#pragma once
// The effect's plug-in class. It derives from its module's host adapter, named by the build:
//   CORVANE_ADAPTER_HEADER  the adapter's header, as an include path in quotes;
//   CORVANE_ADAPTER_CLASS   the adapter class. Its constructor takes the IPlugBase arguments
//                           without the API code, followed by the number of side-chain channels,
//                           optionally preceded by CORVANE_ADAPTER_LEADING_ARGS (arguments and
//                           a trailing comma), which the adapter's header may define;
//   CORVANE_EFFECT_AAX      defined (1) for the AAX module: channel configurations "2-1 3-2",
//                           one side-chain channel, which feeds both side-chain inputs;
//   CORVANE_WINDOWS_EDITOR  defined (1) when the editor is the Windows editor (IGraphicsWin,
//                           with the module's instance handle and "PNG" resources); otherwise
//                           the headless editor with the bitmaps built into the program.
// effect/CMakeLists.txt (corvane_effect_library) sets them for each module's copy.

#include CORVANE_ADAPTER_HEADER

#include "dsp/Corvane.h"
#include "dsp/GainBuffer.h"
#include "effect/VemtraCorvaneParams.h"
#include "effect/VemtraCorvanePresets.h"

#ifndef CORVANE_ADAPTER_LEADING_ARGS
#define CORVANE_ADAPTER_LEADING_ARGS
#endif

class VemtraCorvane : public CORVANE_ADAPTER_CLASS {
 public:
#if defined(CORVANE_EFFECT_AAX) && CORVANE_EFFECT_AAX
  static constexpr const char* kChannelIO = "2-1 3-2";
  static constexpr int kSideChainChannels = 1;
#else
  static constexpr const char* kChannelIO = "1-1 2-1 3-1 2-2 3-2 4-2";
  static constexpr int kSideChainChannels = 2;
#endif
  static constexpr int kVersion = 0x00020008;
  static constexpr int kUniqueId = 0x4372766E;  // 'Crvn'
  static constexpr int kMakerId = 0x566D5472;   // 'VmTr'
#if defined(CORVANE_WINDOWS_EDITOR) && CORVANE_WINDOWS_EDITOR
  static constexpr bool kWindowsEditor = true;
#else
  static constexpr bool kWindowsEditor = false;
#endif

  // Builds the whole effect: parameters, the editor with its controls (bound to the plug-in),
  // the factory presets and the detector filters.
  VemtraCorvane();
  ~VemtraCorvane() override;

  // After a sample-rate or block-size change: engine at the new rate, the rate-dependent
  // settings recomputed, histories at 10 ms. Under the plug-in lock.
  void ResetProcessing() override;
  // Carries a parameter's new value into the engine, keeps linked parameters in step, sets up
  // the engine and the editor for a mode change, and refreshes the editor. Under the plug-in
  // lock.
  void ParamValueChanged(int index, ParamChangeSource source) override;
  // Inputs 0 and 1 main, 2 and 3 side chain; outputs 0 and 1.
  void ProcessAudio(double** inputs, double** outputs, int nFrames) override;
  // Reads 46 doubles from position, stores each clamped (non-finite values as the default),
  // then runs the reaction for every parameter with source 2. Returns the end position, -1
  // when the chunk ran short.
  int UnserializeParams(ByteBlock* chunk, int position) override;

  // The engine and the meter state; public for the tests and the tools that watch them.
  Corvane::Corvane engine;
  // Editor control indices of the four graphs and of the two gain faders, as the editor
  // layout added them.
  int detector1Graph = -1;
  int detector2Graph = -1;
  int processor1Graph = -1;
  int processor2Graph = -1;
  int processor1Fader = -1;
  int processor2Fader = -1;
  int meterLength = 1;  // frames per history: 10 ms after the first reset
  Corvane::GainBuffer processor1History;
  Corvane::GainBuffer processor2History;
  Corvane::GainBuffer detector1History;
  Corvane::GainBuffer detector2History;

 private:
  // Reactions (VemtraCorvaneReactions.cpp).
  void React(int index, ParamChangeSource source);
  void KeepClassicFixedValue(int index);
  void ChangeMode(ParamChangeSource source);
  void FollowMode(int index, ParamChangeSource source, bool fromOutside);
  void MirrorProcessor1();
  void GreyDetectorControls(int firstParam, bool grey);
  // Stores a value clamped into a parameter, without its reaction.
  void Store(int index, double value);
  double Value(int index) const { return GetParam(index)->Value(); }

  // Block callback (VemtraCorvaneProcess.cpp).
  void RunEngine(double** inputs, double** outputs, const double* sideRight, int nFrames);
  void RunRead(double** inputs, double** outputs, int nFrames);
  void PublishGains();
  void UpdateProcessorGraphs();
  // Where a gain parameter's value lies between processor j's limits, 0 to 1.
  double GraphValue(int processor) const;

  // Set while processor 2 copies processor 1 in Stereo: the copies do not trigger processor 2's
  // own links or a further copy.
  bool mMirroring = false;
  // Nesting of the reaction: 0 outside it, 1 in a change's own call, more in its follow-ups.
  int mReactionDepth = 0;
  // The mode the reactions last set up (none before the first).
  int mAppliedMode = -1;
};
