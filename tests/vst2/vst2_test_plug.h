#pragma once
// A minimal VST2-side plug-in for the tests: the host-facing operations are stubs, and every
// parameter announcement is recorded.

#include <cstdio>
#include <vector>

#include "iplug/vst2/IPlugVST2Base.h"

class Vst2TestPlug : public IPlugVST2Base {
 public:
  // nParams numbers in [-100, 100], all starting at 0.
  explicit Vst2TestPlug(int nParams = 2, int nPresets = 2, const char* channelIO = "2-2 4-2 4-4",
                        int version = 0x00020008)
      : IPlugVST2Base(nParams, channelIO, nPresets, "TestEffect", "TestProduct", "TestMaker", version,
                      0x4372766E, 0x566D5472, 0, false, true, false) {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitNumber("p", 0.0, -100.0, 100.0, 0.001);
  }

  PresetRecord* Preset(int i) { return mPresets.Get(i); }
  InputChannel* InChannel(int i) { return mInChannels.Get(i); }
  OutputChannel* OutChannel(int i) { return mOutChannels.Get(i); }

  // Makes preset i: name, initialised, holding the given parameter values.
  void MakePreset(int i, const char* name, const std::vector<double>& values) {
    PresetRecord* preset = mPresets.Get(i);
    std::snprintf(preset->mName, kPresetNameSize, "%s", name);
    preset->mInitialized = true;
    preset->mChunk.Clear();
    for (double v : values) preset->mChunk.Put(&v);
  }
  std::vector<double> Values() const {
    std::vector<double> values;
    for (int i = 0; i < NParams(); ++i) values.push_back(GetParam(i)->Value());
    return values;
  }
  void SetValues(const std::vector<double>& values) {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->Set(values[static_cast<size_t>(i)]);
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfDisplayChange() override {}
  int GetSongPositionSamples() override { return 0; }
  double GetHostTempo() override { return 120.0; }
  void GetTimeSignature(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
  void GetTransportInfo(TransportInfo*) override {}
  void ResizeEditor(int, int) override {}
  bool SendMidiEventToHost(IMidiEvent*) override { return false; }

  void ParamValueChanged(int index, ParamChangeSource source) override {
    IPlugBase::ParamValueChanged(index, source);
    announcements.push_back(source);
  }
  // Output i = input i x (i + 1), so each channel's result is told apart.
  void ProcessAudio(double** inputs, double** outputs, int nFrames) override {
    ++processCalls;
    for (int o = 0; o < NOutChannels(); ++o) {
      for (int f = 0; f < nFrames; ++f) outputs[o][f] = (o < NInChannels() ? inputs[o][f] : 0.0) * (o + 1);
    }
  }

  std::vector<ParamChangeSource> announcements;
  int processCalls = 0;
};
