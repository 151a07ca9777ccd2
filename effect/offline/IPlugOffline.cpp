// The in-process host adapter: set-up, host identity and parameter changes, blocks through the
// framework's binders and runners, and the record of what the plug-in told the host.
#include "effect/offline/IPlugOffline.h"

#include <algorithm>

IPlugOffline::IPlugOffline(int nParams, const char* channelIOString, int nPresets, const char* effectName,
                           const char* productName, const char* makerName, int version, int uniqueId,
                           int makerId, int latency, bool midiIn, bool stateChunks, bool instrument,
                           int sideChainChannels)
    : IPlugBase(nParams, channelIOString, nPresets, effectName, productName, makerName, version, uniqueId,
                makerId, latency, midiIn, stateChunks, instrument, kApiVST3),
      mSideChainChannels(std::max(sideChainChannels, 0)) {
  MarkInputsConnected(0, NInChannels(), true);
  MarkOutputsConnected(0, NOutChannels(), true);
  mConnectedInputs = NInChannels();
  mHostCalls.reserve(kDefaultHostCallCapacity);
}

void IPlugOffline::Start() {
  HostReady();
  RecallPreset(0);
}

bool IPlugOffline::Prepare(double sampleRate, int maxBlockSize) {
  PlugLock lock(GetMutex());
  if (!SetSampleRate(sampleRate)) return false;
  SetMaxBlockSize(maxBlockSize);
  ResetProcessing();
  return true;
}

void IPlugOffline::SetParameterFromHost(int index, double normalized) {
  IPlugParameter* param = GetParam(index);
  if (!param) return;
  PlugLock lock(GetMutex());
  param->SetFromNormalized(normalized);
  if (IPlugEditor* editor = GetGUI()) editor->UpdateControlsOfParam(index, normalized, true);
  ParamValueChanged(index, kSourceHost);
}

void IPlugOffline::SetParameterValue(int index, double value, ParamChangeSource source) {
  IPlugParameter* param = GetParam(index);
  if (!param) return;
  PlugLock lock(GetMutex());
  param->SetClamped(value);
  if (IPlugEditor* editor = GetGUI()) editor->UpdateControlsOfParam(index, param->GetNormalizedValue(), true);
  ParamValueChanged(index, source);
}

void IPlugOffline::ConnectInputs(int nInputs) {
  nInputs = std::clamp(nInputs, 0, NInChannels());
  if (nInputs == mConnectedInputs) return;
  if (nInputs < mConnectedInputs) ClearScratchBuffers();
  MarkInputsConnected(0, nInputs, true);
  MarkInputsConnected(nInputs, NInChannels() - nInputs, false);
  mConnectedInputs = nInputs;
}

void IPlugOffline::ProcessBlock(double** inputs, int nInputs, double** outputs, int nFrames) {
  PlugLock lock(GetMutex());
  ConnectInputs(inputs ? nInputs : 0);
  BindInputBuffers(0, NInChannels(), inputs);
  BindOutputBuffers(0, NOutChannels(), outputs);
  RunProcess(nFrames);
  mSamplePosition += std::max(0, std::min(nFrames, GetBlockSize()));
}

void IPlugOffline::ProcessBlockFloat(float** inputs, int nInputs, float** outputs, int nFrames) {
  PlugLock lock(GetMutex());
  ConnectInputs(inputs ? nInputs : 0);
  BindInputBuffersFloat(0, NInChannels(), inputs, nFrames);
  BindOutputBuffersFloat(0, NOutChannels(), outputs);
  RunProcessFloat(nFrames);
  mSamplePosition += std::max(0, std::min(nFrames, GetBlockSize()));
}

void IPlugOffline::ClearHostCalls() {
  mHostCalls.clear();
  mDroppedHostCalls = 0;
}

void IPlugOffline::SetHostCallCapacity(int capacity) { mHostCalls.reserve(static_cast<size_t>(std::max(capacity, 0))); }

void IPlugOffline::Record(HostCall::Kind kind, int index, double value) {
  if (mHostCalls.size() < mHostCalls.capacity()) {
    mHostCalls.push_back({kind, index, value});
  } else {
    ++mDroppedHostCalls;
  }
}

int IPlugOffline::GetSongPositionSamples() {
  return static_cast<int>(std::min(mSamplePosition, 2147483647.0));
}

void IPlugOffline::GetTimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = 4;
  if (denominator) *denominator = 4;
}

void IPlugOffline::GetTransportInfo(TransportInfo* info) {
  if (!info) return;
  *info = TransportInfo();
  info->mTempo = kTempo;
  info->mSamplePos = mSamplePosition;
  if (GetSampleRate() > 0.0) info->mPPQPos = mSamplePosition / GetSampleRate() * kTempo / 60.0;
  info->mNumerator = 4;
  info->mDenominator = 4;
  info->mTransportIsRunning = true;
}

bool IPlugOffline::SendMidiEventToHost(IMidiEvent* event) {
  if (!event) return false;
  Record(HostCall::kMidi, event->mStatus, static_cast<double>(event->mData1));
  return true;
}
