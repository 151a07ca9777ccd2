#include "iplug/core/IPlugBase.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Adds a new object to a list, or deletes it when the list cannot grow.
template <class T>
T* AddOwned(PointerList<T>& list, T* item) {
  if (!list.Add(item)) {
    delete item;
    return nullptr;
  }
  return item;
}

// [first, first + count) clamped to [0, n).
void ClampRange(int first, int count, int n, int* begin, int* end) {
  const long long b = std::max(first, 0);
  const long long e = std::min<long long>(static_cast<long long>(first) + count, n);
  *begin = static_cast<int>(b);
  *end = static_cast<int>(std::max(b, e));
}

// Sizes a scratch buffer to nFrames doubles; true when it holds them.
bool SizeScratch(HeapBuffer& scratch, int nFrames) {
  const int bytes = nFrames * static_cast<int>(sizeof(double));
  scratch.Resize(bytes, true);
  return scratch.GetSize() == bytes;
}

void ZeroDoubles(double* data, int count) {
  if (data && count > 0) std::memset(data, 0, sizeof(double) * static_cast<size_t>(count));
}

// Points a channel's slot at its scratch buffer (null while the scratch is empty).
template <class Channel>
void PointAtScratch(Channel* channel) {
  channel->Slot() = channel->ScratchData();
}

template <class Channel>
void MarkConnected(PointerList<Channel>& channels, int first, int count, bool connected) {
  int begin, end;
  ClampRange(first, count, channels.GetSize(), &begin, &end);
  for (int i = begin; i < end; ++i) {
    Channel* channel = channels.Get(i);
    channel->mConnected = connected;
    if (!connected) PointAtScratch(channel);
  }
}

// Connected channels take the next host buffers from frame offset on; a missing buffer leaves
// the channel on its zeroed scratch (silence for an input, a dropped result for an output).
template <class Channel>
void BindHostBuffers(PointerList<Channel>& channels, int first, int count, double* const* host, int offset,
                     int blockSize) {
  int begin, end;
  ClampRange(first, count, channels.GetSize(), &begin, &end);
  int next = 0;
  for (int i = begin; i < end; ++i) {
    Channel* channel = channels.Get(i);
    if (!channel->mConnected) continue;
    double* buffer = host ? host[next++] : nullptr;
    if (buffer) {
      channel->Slot() = buffer + offset;
    } else {
      ZeroDoubles(channel->ScratchData(), blockSize);
      PointAtScratch(channel);
    }
  }
}

// Sizes every scratch to nFrames zeroed doubles and re-points the slots that used the old
// scratch; returns the frames every scratch holds.
template <class Channel>
int ResizeScratch(PointerList<Channel>& channels, int nFrames) {
  int usable = nFrames;
  for (int i = 0; i < channels.GetSize(); ++i) {
    Channel* channel = channels.Get(i);
    const double* old = channel->ScratchData();
    if (!SizeScratch(channel->mScratch, nFrames)) usable = std::min(usable, channel->mScratch.GetSize() / 8);
    ZeroDoubles(channel->ScratchData(), channel->mScratch.GetSize() / 8);
    if (!channel->mConnected || !channel->Slot() || channel->Slot() == old) PointAtScratch(channel);
  }
  return usable;
}

constexpr int kChannelIOAssertLine = 112;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and destruction

IPlugBase::IPlugBase(int nParams, const char* channelIOString, int nPresets, const char* effectName,
                     const char* productName, const char* makerName, int version, int uniqueId,
                     int makerId, int latency, bool midiIn, bool stateChunks, bool instrument,
                     PluginApi api)
    : mUniqueID(uniqueId),
      mMfrID(makerId),
      mVersion(version),
      mApi(api),
      mStateChunks(stateChunks),
      mIsInst(instrument),
      mDoesMIDI(midiIn),
      mLatency(latency > 0 ? latency : 0) {
  for (int i = 0; i < nParams; ++i) AddOwned(mParams, new IPlugParameter());
  for (int i = 0; i < nPresets; ++i) AddOwned(mPresets, new PresetRecord());

  CopyTextField(mEffectName, kNameSize, effectName);
  CopyTextField(mProductName, kNameSize, productName);
  CopyTextField(mMfrName, kNameSize, makerName);

  // Channel-IO string: "in-out" tokens separated by single blanks.
  int nIn = 0, nOut = 0;
  for (const char* p = channelIOString; p;) {
    int in = 0, out = 0;
    const int read = std::sscanf(p, "%d-%d", &in, &out);
    const bool channelIOStrValid = read == 2;
    PLUG_ASSERT(channelIOStrValid, "iplugbase", kChannelIOAssertLine);
    ChannelIOPair* pair = AddOwned(mChannelIO, new ChannelIOPair());
    if (pair) {
      pair->mIn = read >= 1 ? in : 0;
      pair->mOut = read >= 2 ? out : 0;
      nIn = std::max(nIn, pair->mIn);
      nOut = std::max(nOut, pair->mOut);
    }
    p = std::strchr(p, ' ');
    if (p) ++p;
  }

  // The pointer arrays are sized once; every channel's slot points into them.
  const int ptrSize = static_cast<int>(sizeof(double*));
  if (nIn > INT_MAX / ptrSize) nIn = 0;
  if (nOut > INT_MAX / ptrSize) nOut = 0;
  mInData.Resize(nIn * ptrSize, false);
  if (mInData.GetSize() != nIn * ptrSize) nIn = 0;
  mOutData.Resize(nOut * ptrSize, false);
  if (mOutData.GetSize() != nOut * ptrSize) nOut = 0;
  double** inData = static_cast<double**>(mInData.Get());
  double** outData = static_cast<double**>(mOutData.Get());
  for (int i = 0; i < nIn; ++i) {
    inData[i] = nullptr;
    InputChannel* channel = new InputChannel();
    channel->mSrc = inData + i;
    if (!AddOwned(mInChannels, channel)) break;
  }
  for (int i = 0; i < nOut; ++i) {
    outData[i] = nullptr;
    OutputChannel* channel = new OutputChannel();
    channel->mDest = outData + i;
    if (!AddOwned(mOutChannels, channel)) break;
  }
}

IPlugBase::~IPlugBase() {
  delete mGraphics;
  mGraphics = nullptr;
  mParams.DeleteAll();
  mPresets.DeleteAll();
  mInChannels.DeleteAll();
  mOutChannels.DeleteAll();
  mChannelIO.DeleteAll();
  mInputBusLabels.DeleteAll();
  mOutputBusLabels.DeleteAll();
  delete mLatencyDelay;
  mLatencyDelay = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Default hooks

void IPlugBase::ResetProcessing() { PlugLock lock(&mMutex); }

void IPlugBase::ParamValueChanged(int index, ParamChangeSource source) { PlugLock lock(&mMutex); }

void IPlugBase::ActivationChanged(bool active) { PlugLock lock(&mMutex); }

void IPlugBase::ProcessAudio(double** inputs, double** outputs, int nFrames) {
  if (!outputs || nFrames <= 0) return;
  const int nIn = inputs ? NInChannels() : 0;
  for (int i = 0; i < NOutChannels(); ++i) {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = i < nIn ? inputs[i] : nullptr;
    if (!in) {
      ZeroDoubles(out, nFrames);
    } else if (in != out) {
      std::memmove(out, in, sizeof(double) * static_cast<size_t>(nFrames));
    }
  }
}

void IPlugBase::ProcessMidiEvent(IMidiEvent* event) { SendMidiEventToHost(event); }

bool IPlugBase::GetMidiKeyName(int key, char* out) {
  if (out) *out = 0;
  return false;
}

// ---------------------------------------------------------------------------------------------
// Channels

bool IPlugBase::LegalIO(int nIn, int nOut) const {
  for (int i = 0; i < mChannelIO.GetSize(); ++i) {
    const ChannelIOPair* pair = mChannelIO.Get(i);
    if ((nIn < 0 || pair->mIn == nIn) && (nOut < 0 || pair->mOut == nOut)) return true;
  }
  return false;
}

void IPlugBase::MarkInputsConnected(int first, int count, bool connected) {
  MarkConnected(mInChannels, first, count, connected);
}

void IPlugBase::MarkOutputsConnected(int first, int count, bool connected) {
  MarkConnected(mOutChannels, first, count, connected);
}

void IPlugBase::BindInputBuffers(int first, int count, double* const* host, int offset) {
  BindHostBuffers(mInChannels, first, count, host, offset, mBlockSize);
}

void IPlugBase::BindOutputBuffers(int first, int count, double* const* host, int offset) {
  BindHostBuffers(mOutChannels, first, count, host, offset, mBlockSize);
}

void IPlugBase::BindInputBuffersFloat(int first, int count, float* const* host, int nFrames, int offset) {
  const int frames = UsableFrames(nFrames);
  int begin, end;
  ClampRange(first, count, NInChannels(), &begin, &end);
  int next = 0;
  for (int i = begin; i < end; ++i) {
    PlugConsoleWriteNumber("attaching channel ", i, " ...");
    InputChannel* channel = mInChannels.Get(i);
    if (channel->mConnected) {
      const float* buffer = host ? host[next++] : nullptr;
      if (buffer) {
        ConvertFloatsToDoubles(channel->ScratchData(), buffer + offset, frames);
      } else {
        ZeroDoubles(channel->ScratchData(), mBlockSize);
      }
      PointAtScratch(channel);
    }
    PlugConsoleWrite("done\n");
  }
}

void IPlugBase::BindOutputBuffersFloat(int first, int count, float* const* host, int offset) {
  int begin, end;
  ClampRange(first, count, NOutChannels(), &begin, &end);
  int next = 0;
  for (int i = begin; i < end; ++i) {
    OutputChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    PointAtScratch(channel);
    float* buffer = host ? host[next++] : nullptr;
    channel->mFDest = buffer ? buffer + offset : nullptr;
  }
}

int IPlugBase::UsableFrames(int nFrames) const {
  if (nFrames < 0) return 0;
  return nFrames > mBlockSize ? mBlockSize : nFrames;
}

void IPlugBase::ConvertOutputsToFloat(int nFrames) {
  for (int i = 0; i < NOutChannels(); ++i) {
    OutputChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected && channel->mFDest) ConvertDoublesToFloats(channel->mFDest, *channel->mDest, nFrames);
  }
}

void IPlugBase::RunProcess(int nFrames) {
  ProcessAudio(static_cast<double**>(mInData.Get()), static_cast<double**>(mOutData.Get()), UsableFrames(nFrames));
}

void IPlugBase::RunProcessFloat(int nFrames) {
  RunProcess(nFrames);
  ConvertOutputsToFloat(UsableFrames(nFrames));
}

void IPlugBase::RunPassThrough(int nFrames) {
  const int frames = UsableFrames(nFrames);
  double** in = static_cast<double**>(mInData.Get());
  double** out = static_cast<double**>(mOutData.Get());
  LatencyDelay* delay = mLatencyDelay;
  if (mLatency > 0 && delay && delay->mLength > 0 && delay->Data()) {
    const int nChannels = std::min({delay->mNInputs, delay->mNOutputs, NInChannels(), NOutChannels()});
    const int length = delay->mLength;
    double* ring = delay->Data();
    int pos = delay->mWritePos;
    for (int f = 0; f < frames; ++f) {
      for (int j = 0; j < nChannels; ++j) {
        double* slot = ring + static_cast<size_t>(j) * length + pos;
        const double sample = in[j] ? in[j][f] : 0.0;
        if (out[j]) out[j][f] = *slot;
        *slot = sample;
      }
      if (++pos >= length) pos = 0;
    }
    delay->mWritePos = pos;
    return;
  }
  IPlugBase::ProcessAudio(in, out, frames);
}

void IPlugBase::RunPassThroughFloat(int nFrames) {
  RunPassThrough(nFrames);
  ConvertOutputsToFloat(UsableFrames(nFrames));
}

void IPlugBase::ClearScratchBuffers() { ClearScratchBuffers(mBlockSize); }

void IPlugBase::ClearScratchBuffers(int nFrames) {
  const int frames = UsableFrames(nFrames);
  for (int i = 0; i < NInChannels(); ++i) ZeroDoubles(mInChannels.Get(i)->ScratchData(), frames);
  for (int i = 0; i < NOutChannels(); ++i) ZeroDoubles(mOutChannels.Get(i)->ScratchData(), frames);
}

bool IPlugBase::SetSampleRate(double rate) {
  if (!IsSupportedSampleRate(rate)) {
    TraceCall("IPlugBase::SetSampleRate", "refused %g", rate);
    return false;
  }
  mSampleRate = rate;
  return true;
}

void IPlugBase::SetMaxBlockSize(int nFrames) {
  if (nFrames < 0) {
    TraceCall("IPlugBase::SetMaxBlockSize", "refused %d frames", nFrames);
    return;
  }
  // Nothing a host announces is refused: the adapters run its longer blocks in pieces.
  if (nFrames > kMaxBlockSize) {
    TraceCall("IPlugBase::SetMaxBlockSize", "%d frames taken as the largest block, %d", nFrames, kMaxBlockSize);
    nFrames = kMaxBlockSize;
  }
  if (nFrames == mBlockSize) return;

  // A slot that is unconnected, unbound or pointing at the channel's old scratch follows the
  // scratch to its new place. If a scratch could not be sized, the block size becomes what
  // every scratch holds.
  int usable = ResizeScratch(mInChannels, nFrames);
  usable = std::min(usable, ResizeScratch(mOutChannels, nFrames));
  mBlockSize = usable;
}

int IPlugBase::BlockSizeForPieces(int nFrames) {
  if (mBlockSize == 0 && nFrames > 0) {
    TraceCall("IPlugBase::RunInPieces", "host misbehaving: a block of %d frames with no block size set", nFrames);
    SetMaxBlockSize(nFrames);
  }
  return mBlockSize;
}

bool IPlugBase::ResizeDelay(LatencyDelay* delay, int length) {
  const long long bytes = static_cast<long long>(length) * delay->mNInputs * static_cast<long long>(sizeof(double));
  if (length < 0 || bytes > INT_MAX) return false;
  delay->mBuffer.Resize(static_cast<int>(bytes), true);
  if (delay->mBuffer.GetSize() != bytes) return false;
  ZeroDoubles(delay->Data(), static_cast<int>(bytes / 8));
  delay->mLength = length;
  delay->mWritePos = 0;
  return true;
}

void IPlugBase::CreateLatencyDelay() {
  if (NInChannels() == 0) return;
  LatencyDelay* delay = mLatencyDelay ? mLatencyDelay : new LatencyDelay();
  delay->mNInputs = NInChannels();
  delay->mNOutputs = NOutChannels();
  if (!ResizeDelay(delay, mLatency)) ResizeDelay(delay, 0);
  mLatencyDelay = delay;
}

void IPlugBase::SetLatencySamples(int samples) {
  if (samples < 0) return;
  if (mLatencyDelay && !ResizeDelay(mLatencyDelay, samples)) return;
  mLatency = samples;
}

void IPlugBase::NotifyAllParamsChanged(ParamChangeSource source) {
  for (int i = 0; i < NParams(); ++i) ParamValueChanged(i, source);
}

namespace {
void SetLabel(PointerList<PlugString>& labels, int index, const char* text) {
  if (PlugString* label = labels.Get(index)) {
    label->Assign(text);
  } else {
    PlugString* added = new PlugString(text);
    if (!labels.Insert(added, index)) delete added;
  }
}
}  // namespace

void IPlugBase::LabelInputBus(int index, const char* text) {
  if (index == 0 || index == 1) SetLabel(mInputBusLabels, index, text);
}

void IPlugBase::LabelOutputBus(int index, const char* text) {
  if (index >= 0) SetLabel(mOutputBusLabels, index, text);
}

bool IPlugBase::IsInChannelConnected(int index) const {
  const InputChannel* channel = mInChannels.Get(index);
  return channel && channel->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int index) const {
  const OutputChannel* channel = mOutChannels.Get(index);
  return channel && channel->mConnected;
}

const char* IPlugBase::GetInputBusLabel(int index) const {
  const PlugString* label = mInputBusLabels.Get(index);
  return label ? label->Get() : nullptr;
}

const char* IPlugBase::GetOutputBusLabel(int index) const {
  const PlugString* label = mOutputBusLabels.Get(index);
  return label ? label->Get() : nullptr;
}

int IPlugBase::DecimalVersion(int packedVersion) {
  const int major = (packedVersion >> 16) & 0xFFFF;
  const int minor = (packedVersion >> 8) & 0xFF;
  const int revision = packedVersion & 0xFF;
  return major * 10000 + minor * 100 + revision;
}

// ---------------------------------------------------------------------------------------------
// Editor

void IPlugBase::SetParameterFromGUI(int index, double normalized) {
  IPlugParameter* param = GetParam(index);
  if (!param || !std::isfinite(normalized)) return;
  PlugLock lock(&mMutex);
  param->SetFromNormalized(normalized);
  InformHostOfParamChange(index, normalized);
  ParamValueChanged(index, kSourceEditor);
}

void IPlugBase::BindGraphics(IPlugEditor* editor) {
  if (!editor) return;
  PlugLock lock(&mMutex);
  // The plug-in owns the editor from here on, also when one of the steps below fails.
  if (mGraphics != editor) delete mGraphics;
  mGraphics = editor;
  for (int i = 0; i < NParams(); ++i) editor->UpdateControlsOfParam(i, GetParam(i)->GetNormalizedValue(), true);
  editor->CreateDrawBitmaps();
}

void IPlugBase::PushParamsToGraphics() {
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->UpdateControlsOfParam(i, GetParam(i)->Value(), false);
}
