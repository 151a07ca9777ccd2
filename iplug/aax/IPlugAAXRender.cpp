// The AAX render callback's work for one instance, and the transport getters the block callback
// reads from the host transport of the block being rendered.
//
// The host's buffers are only as many as its stems say, so every count read from the host is
// kept within what the framework has. The host announces no largest block: the scratch buffers
// are sized for the framework's largest at construction, so that no block makes the audio
// thread allocate, and a longer block runs in pieces of them.

#include <algorithm>
#include <cstring>

#include "iplug/aax/AAX_CParameter.h"
#include "iplug/aax/AAX_Description.h"
#include "iplug/aax/AAX_VProxies.h"
#include "iplug/aax/IPlugAAX.h"

namespace {

constexpr uint32_t kStemChannelMask = 0xFFFF;

// The channel count of a stem the host may have given this instance: a well-formed stem of at
// least one and at most limit channels. Anything else is no answer (-1).
int CountFrom(uint32_t stem, int limit) {
  const int channels = static_cast<int>(stem & kStemChannelMask);
  if (channels < 1 || channels > limit || stem != AAX_StemFormatOf(channels)) return -1;
  return channels;
}

}  // namespace

void IPlugAAX::ReadStems(int* inputs, int* outputs) {
  const int mainInputs = std::max(NInChannels() - mSideChainChannels, 0);
  uint32_t stem = 0;
  AAX_VController* controller = ControllerProxy();
  // A failed or malformed answer keeps the last; the first block assumes the one channel
  // every configuration has.
  if (controller && controller->GetInputStem(&stem) == 0 && CountFrom(stem, mainInputs) > 0) {
    mHostInputs = CountFrom(stem, mainInputs);
  } else {
    TraceCall("IPlugAAX::ReadStems", "host misbehaving: no usable input stem (0x%08X)", stem);
  }
  if (controller && controller->GetOutputStem(&stem) == 0 && CountFrom(stem, NOutChannels()) > 0) {
    mHostOutputs = CountFrom(stem, NOutChannels());
  } else {
    TraceCall("IPlugAAX::ReadStems", "host misbehaving: no usable output stem (0x%08X)", stem);
  }
  *inputs = std::min(mHostInputs, mainInputs);
  *outputs = std::min(mHostOutputs, NOutChannels());
}

void IPlugAAX::ReadMidi(const AaxRenderContext& context) {
  if (!DoesMIDI() || !context.mLocalMidi) return;
  const AAX_CMidiStream* stream = context.mLocalMidi->GetNodeBuffer();
  if (!stream || !stream->mBuffer) return;
  for (uint32_t i = 0; i < stream->mBufferSize; ++i) {
    const unsigned char* packet = stream->mBuffer + static_cast<size_t>(i) * kAaxMidiPacketStride;
    IMidiEvent event;
    std::memcpy(&event.mOffset, packet + kAaxMidiOffsetAt, sizeof(event.mOffset));
    event.mStatus = packet[kAaxMidiStatusAt];
    event.mData1 = packet[kAaxMidiStatusAt + 1];
    event.mData2 = packet[kAaxMidiStatusAt + 2];
    ProcessMidiEvent(&event);
  }
}

void IPlugAAX::RenderBlock(const AaxRenderContext* context) {
  if (!context) return;
  try {
    PlugLock lock(GetMutex());
    const int frames = context->mBufferLength ? *context->mBufferLength : 0;
    if (frames < 1) {
      TraceCall("IPlugAAX::RenderBlock", "host misbehaving: a block of %d frames", frames);
      return;
    }
    // Outside a started instance there is neither bypass parameter nor controller to ask.
    bool bypassed = true;
    if (mBypassParameter && ControllerProxy()) {
      mBypassParameter->ReadBool(bypassed);
    } else {
      TraceCall("IPlugAAX::RenderBlock", "host misbehaving: render outside a started instance");
    }
    mTransport = context->mTransportNode ? context->mTransportNode->GetTransport() : nullptr;
    ReadMidi(*context);
    RunBlock(*context, frames, bypassed);
  } catch (...) {
    // Nothing reaches the host's audio thread; the block's output stays as far as it got.
  }
}

void IPlugAAX::RunBlock(const AaxRenderContext& context, int frames, bool bypassed) {
  int inputs = 1, outputs = 1;
  ReadStems(&inputs, &outputs);
  ProcessPieces(context, frames, inputs, outputs, bypassed);
}

float* IPlugAAX::SideChainBuffer(const AaxRenderContext& context, int mainInputs) const {
  if (mSideChainChannels < 1 || !context.mInputs || !context.mSideChainIndex) return nullptr;
  // The side-chain buffer follows the main channels; an index beyond them would read past
  // what the host handed over.
  const int32_t index = *context.mSideChainIndex;
  if (index >= 1 && index <= mainInputs) return context.mInputs[index];
  if (index != 0) TraceCall("IPlugAAX::SideChainBuffer", "host misbehaving: side-chain index %d", index);
  return nullptr;
}

void IPlugAAX::ProcessPieces(const AaxRenderContext& context, int frames, int inputs,
                             int outputs, bool bypassed) {
  float* sideChain = SideChainBuffer(context, inputs);
  const int sideChainInput = NInChannels() - 1;
  PlugConsoleWrite(sideChain ? "sidechain\n" : "no sidechain\n");
  PlugConsoleWriteNumber("attach input buffers: 0 - ", NInChannels(), "\n");
  // One piece for every block a host sends in practice; more only beyond the largest block.
  RunInPieces(frames, [&](int offset, int n) {
    ClearScratchBuffers(n);
    MarkInputsConnected(0, NInChannels(), false);
    MarkInputsConnected(0, inputs, true);
    BindInputBuffersFloat(0, inputs, context.mInputs, n, offset);
    if (sideChain && sideChainInput >= inputs) {
      MarkInputsConnected(sideChainInput, 1, true);
      BindInputBuffersFloat(sideChainInput, 1, &sideChain, n, offset);
    }
    MarkOutputsConnected(0, outputs, true);
    MarkOutputsConnected(outputs, NOutChannels() - outputs, false);
    BindOutputBuffersFloat(0, outputs, context.mOutputs, offset);
    if (bypassed) {
      RunPassThroughFloat(n);
    } else {
      RunProcessFloat(n);
    }
  });
}

// ---- Transport ---------------------------------------------------------------------------------

int IPlugAAX::GetSongPositionSamples() {
  int64_t samples = 0;
  if (mTransport && mTransport->GetSamplePosition(&samples) != 0) samples = 0;
  return static_cast<int>(static_cast<uint32_t>(samples));
}

double IPlugAAX::GetHostTempo() {
  double tempo = 0.0;
  if (mTransport && mTransport->GetTempo(&tempo) != 0) tempo = 0.0;
  return tempo;
}

void IPlugAAX::GetTimeSignature(int* numerator, int* denominator) {
  int32_t num = 0, den = 0;
  if (!mTransport || mTransport->GetMeter(&num, &den) != 0) return;
  if (numerator) *numerator = num;
  if (denominator) *denominator = den;
}

void IPlugAAX::GetTransportInfo(TransportInfo* info) {
  if (!info || !mTransport) return;
  // Each field is written only from an answer the host gave.
  double tempo = 0.0;
  if (mTransport->GetTempo(&tempo) == 0) info->mTempo = tempo;
  bool playing = false;
  if (mTransport->IsPlaying(&playing) == 0) info->mTransportIsRunning = playing;
  int32_t num = 0, den = 0;
  if (mTransport->GetMeter(&num, &den) == 0) {
    info->mNumerator = num;
    info->mDenominator = den;
  }
  int64_t ticks = 0;
  if (mTransport->GetTickPosition(&ticks) == 0) info->mPPQPos = static_cast<double>(ticks) / kTicksPerQuarterNote;
  int64_t samples = 0;
  if (mTransport->GetSamplePosition(&samples) == 0) info->mSamplePos = static_cast<double>(samples);
  bool looping = false;
  int64_t start = 0, end = 0;
  if (mTransport->GetLoop(&looping, &start, &end) == 0) {
    info->mTransportLoopEnabled = looping;
    info->mCycleStart = static_cast<double>(start) / kTicksPerQuarterNote;
    info->mCycleEnd = static_cast<double>(end) / kTicksPerQuarterNote;
  }
}
