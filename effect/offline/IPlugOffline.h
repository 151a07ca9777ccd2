#pragma once
// A host adapter without a plug-in format: the tests, the benchmarks and the offline renderer
// play the host's part in-process through it. It answers the host-facing operations of
// IPlugBase, records what the plug-in tells the host, lets the caller choose the host's
// identity, and runs blocks through the framework's channel binders and runners as a VST3
// host's process call does (main inputs, then the side-chain inputs, two outputs, under the
// plug-in lock).

#include <vector>

#include "iplug/core/IPlugBase.h"

class IPlugOffline : public IPlugBase {
 public:
  struct HostCall {
    enum Kind { kBegin, kInform, kEnd, kDisplay, kMidi } kind;
    int index;
    double value;
  };

  // The IPlugBase arguments without the API code (the adapter reports the VST3 code, whose
  // channel and block handling it follows), then the number of side-chain input channels.
  IPlugOffline(int nParams, const char* channelIOString, int nPresets, const char* effectName,
               const char* productName, const char* makerName, int version, int uniqueId, int makerId,
               int latency, bool midiIn, bool stateChunks, bool instrument, int sideChainChannels);

  // What a host does once the plug-in exists: HostReady, then the recall of preset 0.
  void Start();
  // Sample rate and largest block size, then the plug-in's reset. A rate outside the
  // framework's range is refused: false, and nothing changes.
  bool Prepare(double sampleRate, int maxBlockSize);

  // The host's identity: a product name matched by IdentifyHost, or a code given directly.
  void SetHostName(const char* productName) { SetHost(productName, 0); }
  void SetHostCode(HostCode code) { mHost = code; }

  // A host automation point: the parameter takes the normalised value, an attached editor's
  // controls follow, and the plug-in reacts with source 1. Under the plug-in lock.
  void SetParameterFromHost(int index, double normalized);
  // A plain value, stored clamped into the parameter's range, then the reaction with the given
  // source. Under the plug-in lock. An index outside the parameters changes nothing.
  void SetParameterValue(int index, double value, ParamChangeSource source);

  // One block of nFrames (at most the block size given to Prepare): nInputs host buffers for
  // the first input channels (main, then side chain); input channels beyond nInputs are
  // unconnected and read silence, as an inactive side-chain bus does. Two outputs.
  void ProcessBlock(double** inputs, int nInputs, double** outputs, int nFrames);
  void ProcessBlockFloat(float** inputs, int nInputs, float** outputs, int nFrames);

  int SideChainChannels() const { return mSideChainChannels; }

  // What the plug-in told the host. The log holds at most its capacity (reserved beforehand,
  // so that recording from the audio thread never allocates); later calls are only counted.
  const std::vector<HostCall>& HostCalls() const { return mHostCalls; }
  long DroppedHostCalls() const { return mDroppedHostCalls; }
  void ClearHostCalls();
  void SetHostCallCapacity(int capacity);

  // Host-facing operations.
  void BeginInformHostOfParamChange(int index) override { Record(HostCall::kBegin, index, 0.0); }
  void InformHostOfParamChange(int index, double normalized) override { Record(HostCall::kInform, index, normalized); }
  void EndInformHostOfParamChange(int index) override { Record(HostCall::kEnd, index, 0.0); }
  void InformHostOfDisplayChange() override { Record(HostCall::kDisplay, -1, 0.0); }
  bool IsProcessingOffline() override { return true; }
  int GetSongPositionSamples() override;
  double GetHostTempo() override { return kTempo; }
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(TransportInfo* info) override;
  void ResizeEditor(int width, int height) override {}
  bool SendMidiEventToHost(IMidiEvent* event) override;

 private:
  static constexpr double kTempo = 120.0;
  static constexpr int kDefaultHostCallCapacity = 4096;

  void Record(HostCall::Kind kind, int index, double value);
  // Connects the first nInputs input channels and disconnects the rest (clearing the scratch
  // buffers once when channels that were connected go silent).
  void ConnectInputs(int nInputs);

  int mSideChainChannels;
  int mConnectedInputs = -1;
  double mSamplePosition = 0.0;
  std::vector<HostCall> mHostCalls;
  long mDroppedHostCalls = 0;
};
