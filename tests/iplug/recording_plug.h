#pragma once
// A minimal adapter for the framework tests: it supplies the host-facing operations of
// IPlugBase and records every call the framework makes on them, and on the effect's hooks.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "iplug/core/IPlugBase.h"

struct HostCall {
  enum Kind { kBegin, kInform, kEnd, kDisplay, kMidi } kind;
  int index;
  double value;
};

struct ParamChange {
  int index;
  ParamChangeSource source;
};

// Finds out whether the calling thread holds a mutex: a probe thread tries to take it; when it
// has not got in within a while after it started, the caller holds it. The wait starts only once
// the probe thread runs, and ends as soon as it gets in, so a slow thread start (an emulated
// processor) never makes a free mutex look held. The probe gets in once the caller lets go; Join
// waits for that and must be called after the outer call has returned.
class LockProbe {
 public:
  ~LockProbe() { Join(); }
  bool CallerHolds(PlugMutex* mutex) {
    Join();
    mStarted = false;
    mEntered = false;
    mThread = std::thread([this, mutex] {
      mStarted = true;
      PlugLock lock(mutex);
      mEntered = true;
    });
    while (!mStarted) std::this_thread::yield();
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (!mEntered && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !mEntered;
  }
  void Join() {
    if (mThread.joinable()) mThread.join();
  }

 private:
  std::thread mThread;
  std::atomic<bool> mStarted{false};
  std::atomic<bool> mEntered{false};
};

// Collects the framework's assertion reports while it lives.
class AssertCapture {
 public:
  struct Report {
    std::string expression, source;
    int line;
  };
  AssertCapture() {
    Reports().clear();
    SetPlugAssertHandler(&Record);
  }
  ~AssertCapture() { SetPlugAssertHandler(nullptr); }
  static std::vector<Report>& Reports() {
    static std::vector<Report> reports;
    return reports;
  }

 private:
  static void Record(const char* expression, const char* source, int line) {
    Reports().push_back({expression, source, line});
  }
};

class RecordingPlug : public IPlugBase {
 public:
  explicit RecordingPlug(int nParams = 4, const char* channelIO = "1-1 2-1 3-1 2-2 3-2 4-2", int nPresets = 3,
                         bool stateChunks = false, int latency = 0, PluginApi api = kApiVST3,
                         const char* effectName = "TestEffect")
      : IPlugBase(nParams, channelIO, nPresets, effectName, "TestProduct", "TestMaker", 0x00020008,
                  0x4372766E /* 'Crvn' */, 0x566D5472 /* 'VmTr' */, latency, false, stateChunks, false, api) {}

  using IPlugBase::CreateLatencyDelay;
  double** InputArray() { return static_cast<double**>(mInData.Get()); }
  double** OutputArray() { return static_cast<double**>(mOutData.Get()); }
  InputChannel* InChannel(int i) { return mInChannels.Get(i); }
  OutputChannel* OutChannel(int i) { return mOutChannels.Get(i); }
  PresetRecord* Preset(int i) { return mPresets.Get(i); }

  // Host-facing operations.
  void BeginInformHostOfParamChange(int index) override { hostCalls.push_back({HostCall::kBegin, index, 0.0}); }
  void InformHostOfParamChange(int index, double normalized) override {
    hostCalls.push_back({HostCall::kInform, index, normalized});
    if (probeLockInHostCalls) {  // one probe per outer call
      probeLockInHostCalls = false;
      lockHeldInHostCall = probe.CallerHolds(GetMutex());
    }
  }
  void EndInformHostOfParamChange(int index) override { hostCalls.push_back({HostCall::kEnd, index, 0.0}); }
  void InformHostOfDisplayChange() override { hostCalls.push_back({HostCall::kDisplay, -1, 0.0}); }
  int GetSongPositionSamples() override { return 0; }
  double GetHostTempo() override { return 120.0; }
  void GetTimeSignature(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
  void GetTransportInfo(TransportInfo* info) override {}
  void ResizeEditor(int width, int height) override {}
  bool SendMidiEventToHost(IMidiEvent* event) override {
    hostCalls.push_back({HostCall::kMidi, event->mStatus, static_cast<double>(event->mData1)});
    return true;
  }

  // Effect hooks.
  void ParamValueChanged(int index, ParamChangeSource source) override {
    IPlugBase::ParamValueChanged(index, source);
    paramChanges.push_back({index, source});
  }
  void ProcessAudio(double** inputs, double** outputs, int nFrames) override {
    ++processCalls;
    lastFrames = nFrames;
    seenInputs.assign(inputs, inputs + NInChannels());
    if (recordInputs) {
      inputCopies.clear();
      for (int i = 0; i < NInChannels(); ++i) inputCopies.emplace_back(inputs[i], inputs[i] + nFrames);
    }
    IPlugBase::ProcessAudio(inputs, outputs, nFrames);
  }
  void PresetSelectionChanged() override {
    ++presetSelectionChanges;
    if (probeLockInPresetHooks) {
      probeLockInPresetHooks = false;
      lockHeldInPresetHook = probe.CallerHolds(GetMutex());
    }
  }
  bool SaveState(ByteBlock* chunk) override {
    if (probeLockInPresetHooks) {
      probeLockInPresetHooks = false;
      lockHeldInPresetHook = probe.CallerHolds(GetMutex());
    }
    return IPlugBase::SaveState(chunk);
  }

  LockProbe probe;
  std::vector<HostCall> hostCalls;
  std::vector<ParamChange> paramChanges;
  std::vector<double*> seenInputs;
  std::vector<std::vector<double>> inputCopies;
  bool recordInputs = false;
  int processCalls = 0;
  int lastFrames = -1;
  int presetSelectionChanges = 0;
  bool probeLockInHostCalls = false;
  bool lockHeldInHostCall = false;
  bool probeLockInPresetHooks = false;
  bool lockHeldInPresetHook = false;
};

// An editor that records what the plug-in hands it.
class RecordingEditor : public IPlugEditor {
 public:
  explicit RecordingEditor(bool* deleted = nullptr) : mDeleted(deleted) {}
  ~RecordingEditor() override {
    if (mDeleted) *mDeleted = true;
  }
  struct Update {
    int param;
    double value;
    bool normalized;
  };
  void UpdateControlsOfParam(int paramIndex, double value, bool normalized) override {
    updates.push_back({paramIndex, value, normalized});
  }
  void CreateDrawBitmaps() override { ++drawBitmapsCreated; }
  void GrayControlsOfParam(int paramIndex, bool gray) override {
    calls.push_back({'g', paramIndex, gray ? 1.0 : 0.0});
  }
  void HideControlsOfParam(int paramIndex, bool hide) override {
    calls.push_back({'h', paramIndex, hide ? 1.0 : 0.0});
  }
  void HideControl(int controlIndex, bool hide) override {
    calls.push_back({'c', controlIndex, hide ? 1.0 : 0.0});
  }
  void UpdateControlValue(int controlIndex, double value) override {
    calls.push_back({'v', controlIndex, value});
  }
  void MarkAllControlsChanged() override { calls.push_back({'m', -1, 0.0}); }

  // g grey param, h hide param, c hide control, v control value, m mark all
  struct Call {
    char kind;
    int index;
    double value;
  };

  std::vector<Update> updates;
  std::vector<Call> calls;
  int drawBitmapsCreated = 0;

 private:
  bool* mDeleted;
};
