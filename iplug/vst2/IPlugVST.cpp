// The VST2 adapter: construction of the plug-in record, the record's parameter and process
// callbacks, and the framework's requests to the host through the host callback. The
// dispatcher's opcodes are in IPlugVSTDispatch.cpp.
#include "iplug/vst2/IPlugVST.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "iplug/igraphics/IGraphics.h"

namespace {

// The callback of the construction running on this thread (see IPlugVST::CreationScope).
thread_local Vst2HostCallback tPendingHostCallback = nullptr;

int32_t ArrangementType(int channels) {
  switch (channels) {
    case 0:
      return kVst2ArrangementEmpty;
    case 1:
      return kVst2ArrangementMono;
    case 2:
      return kVst2ArrangementStereo;
    default:
      return kVst2ArrangementUserDefined;
  }
}

// Runs a callback's work so that no exception reaches the host.
template <class F>
void Guarded(F&& work) noexcept {
  try {
    work();
  } catch (...) {
    IPlugBase::TraceCall("IPlugVST", "an exception stopped at the host boundary");
  }
}

// Packs a host version given as major x 10000 + minor x 100 + revision as
// major x 65536 + minor x 256 + revision.
int RepackHostVersion(Vst2IntPtr decimal) {
  if (decimal <= 0 || decimal > 0x7FFFFFFF) return 0;
  const int v = static_cast<int>(decimal);
  return (v / 10000) * 65536 + (v / 100 % 100) * 256 + v % 100;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

IPlugVST::CreationScope::CreationScope(Vst2HostCallback hostCallback) : mPrevious(tPendingHostCallback) {
  tPendingHostCallback = hostCallback;
}

IPlugVST::CreationScope::~CreationScope() { tPendingHostCallback = mPrevious; }

Vst2HostCallback IPlugVST::PendingHostCallback() { return tPendingHostCallback; }

IPlugVST::IPlugVST(Vst2HostCallback hostCallback, int nParams, const char* channelIOString, int nPresets,
                   const char* effectName, const char* productName, const char* makerName, int version,
                   int uniqueId, int makerId, int latency, bool midiIn, bool stateChunks, bool instrument,
                   int /*nSideChainChannels: the side chain is simply inputs 3 and 4 to a VST2 host*/)
    : IPlugVST2Base(nParams, channelIOString, nPresets, effectName, productName, makerName, version, uniqueId,
                    makerId, latency, midiIn, stateChunks, instrument),
      mHostCallback(hostCallback) {
  FillRecord();
  SetArrangements();
  MarkInputsConnected(0, NInChannels(), true);
  MarkOutputsConnected(0, NOutChannels(), true);
  SetMaxBlockSize(1024);
}

IPlugVST::~IPlugVST() = default;

void IPlugVST::FillRecord() {
  mRecord.magic = kVst2Magic;
  mRecord.dispatcher = &IPlugVST::VSTDispatcher;
  mRecord.process = &IPlugVST::VSTProcessAccumulating;
  mRecord.setParameter = &IPlugVST::VSTSetParameter;
  mRecord.getParameter = &IPlugVST::VSTGetParameter;
  mRecord.numPrograms = NPresets();
  mRecord.numParams = NParams();
  mRecord.numInputs = NInChannels();
  mRecord.numOutputs = NOutChannels();
  mRecord.flags = kVst2FlagCanReplacing | kVst2FlagCanDoubleReplacing;
  if (DoesStateChunks()) mRecord.flags |= kVst2FlagProgramChunks;
  if (LegalIO(1, -1)) mRecord.flags |= kVst2FlagCanMono;
  if (IsInstrument()) mRecord.flags |= kVst2FlagIsSynth;
  mRecord.initialDelay = GetLatency();
  mRecord.ioRatio = 1.0f;
  mRecord.object = this;
  mRecord.uniqueID = GetUniqueID();
  mRecord.version = VendorVersionNumber(true);
  mRecord.processReplacing = &IPlugVST::VSTProcessReplacingFloat;
  mRecord.processDoubleReplacing = &IPlugVST::VSTProcessReplacingDouble;
}

void IPlugVST::SetArrangements() {
  mInputArrangement.type = ArrangementType(NInChannels());
  mInputArrangement.numChannels = NInChannels();
  mOutputArrangement.type = ArrangementType(NOutChannels());
  mOutputArrangement.numChannels = NOutChannels();
}

IPlugVST* IPlugVST::FromRecord(Vst2EffectRecord* record) {
  if (!record || record->magic != kVst2Magic) return nullptr;
  auto* plug = static_cast<IPlugVST*>(record->object);
  return plug && plug->GetRecord() == record ? plug : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Parameter callbacks

float CORVANE_VST2_CALL IPlugVST::VSTGetParameter(Vst2EffectRecord* record, int32_t index) {
  float result = 0.0f;
  Guarded([&] {
    IPlugVST* plug = FromRecord(record);
    if (!plug) return;
    PlugLock lock(plug->GetMutex());
    if (const IPlugParameter* param = plug->GetParam(index)) result = static_cast<float>(param->GetNormalizedValue());
  });
  return result;
}

void CORVANE_VST2_CALL IPlugVST::VSTSetParameter(Vst2EffectRecord* record, int32_t index, float value) {
  Guarded([&] {
    IPlugVST* plug = FromRecord(record);
    if (!plug || std::isnan(value)) return;
    PlugLock lock(plug->GetMutex());
    IPlugParameter* param = plug->GetParam(index);
    if (!param) return;
    double normalized = std::min(std::max(static_cast<double>(value), 0.0), 1.0);
    // What the host read back (the single-precision normalized value) keeps the value.
    if (value == static_cast<float>(param->GetNormalizedValue())) normalized = param->GetNormalizedValue();
    param->SetFromNormalized(normalized);
    if (IPlugEditor* editor = plug->GetGUI()) editor->UpdateControlsOfParam(index, normalized, true);
    plug->ParamValueChanged(index, kSourceHost);
  });
}

// ---------------------------------------------------------------------------------------------
// Process callbacks

void IPlugVST::WantMidi() {
  if (DoesMIDI()) CallHost(kVst2HostWantMidi);
}

void IPlugVST::VSTPrepareBuffers(float** inputs, float** outputs, int frames, int offset) {
  BindInputBuffersFloat(0, NInChannels(), inputs, frames, offset);
  BindOutputBuffersFloat(0, NOutChannels(), outputs, offset);
}

void IPlugVST::BindPiece(double** inputs, double** outputs, int /*frames*/, int offset) {
  BindInputBuffers(0, NInChannels(), inputs, offset);
  BindOutputBuffers(0, NOutChannels(), outputs, offset);
}

template <class Sample>
void IPlugVST::ProcessInPieces(Sample** inputs, Sample** outputs, int frames, void (IPlugVST2Base::*run)(int)) {
  // A host that sends more than the scratch buffers hold (more than it announced, or more than
  // the framework's largest block) has its call run in pieces rather than the buffers grown on
  // its audio thread.
  if (frames > GetBlockSize()) {
    TraceCall("IPlugVST::ProcessInPieces", "host sent %d frames, more than the block size %d", frames, GetBlockSize());
  }
  RunInPieces(frames, [&](int offset, int n) {
    BindPiece(inputs, outputs, n, offset);
    (this->*run)(n);
  });
}

template <class Sample>
void IPlugVST::ProcessCallback(Vst2EffectRecord* record, Sample** inputs, Sample** outputs, int32_t frames,
                               void (IPlugVST2Base::*run)(int)) {
  Guarded([&] {
    IPlugVST* plug = FromRecord(record);
    if (!plug) return;
    PlugLock lock(plug->GetMutex());
    plug->WantMidi();
    plug->ProcessInPieces(inputs, outputs, frames, run);
  });
}

void CORVANE_VST2_CALL IPlugVST::VSTProcessAccumulating(Vst2EffectRecord* record, float** inputs, float** outputs,
                                                        int32_t frames) {
  ProcessCallback(record, inputs, outputs, frames, &IPlugVST2Base::RunProcessAddingFloat);
}

void CORVANE_VST2_CALL IPlugVST::VSTProcessReplacingFloat(Vst2EffectRecord* record, float** inputs,
                                                          float** outputs, int32_t frames) {
  ProcessCallback(record, inputs, outputs, frames, &IPlugVST2Base::RunProcessFloat);
}

void CORVANE_VST2_CALL IPlugVST::VSTProcessReplacingDouble(Vst2EffectRecord* record, double** inputs,
                                                           double** outputs, int32_t frames) {
  ProcessCallback(record, inputs, outputs, frames, &IPlugVST2Base::RunProcess);
}

// ---------------------------------------------------------------------------------------------
// Requests to the host

Vst2IntPtr IPlugVST::CallHost(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt) {
  if (!mHostCallback) return 0;
  return mHostCallback(&mRecord, opcode, index, value, ptr, opt);
}

const Vst2TimeInfo* IPlugVST::HostTime(int32_t mask) {
  return reinterpret_cast<const Vst2TimeInfo*>(CallHost(kVst2HostGetTime, 0, mask));
}

void IPlugVST::BeginInformHostOfParamChange(int index) { CallHost(kVst2HostBeginEdit, index); }

void IPlugVST::InformHostOfParamChange(int index, double normalized) {
  CallHost(kVst2HostAutomate, index, 0, nullptr, static_cast<float>(normalized));
}

void IPlugVST::EndInformHostOfParamChange(int index) { CallHost(kVst2HostEndEdit, index); }

void IPlugVST::InformHostOfDisplayChange() { CallHost(kVst2HostUpdateDisplay); }

bool IPlugVST::IsProcessingOffline() {
  return CallHost(kVst2HostGetCurrentProcessLevel) == kVst2ProcessLevelOffline;
}

int IPlugVST::GetSongPositionSamples() {
  const Vst2TimeInfo* time = HostTime(0);
  return time && time->samplePos >= 0.0 ? ClampToInt(time->samplePos + 0.5) : 0;
}

double IPlugVST::GetHostTempo() {
  const Vst2TimeInfo* time = HostTime(kVst2TempoValid);
  return time && (time->flags & kVst2TempoValid) && time->tempo >= 0.0 ? time->tempo : 0.0;
}

void IPlugVST::GetTimeSignature(int* numerator, int* denominator) {
  if (!numerator || !denominator) return;
  *numerator = *denominator = 0;
  const Vst2TimeInfo* time = HostTime(kVst2TimeSigValid);
  if (time && (time->flags & kVst2TimeSigValid) && time->timeSigNumerator >= 0 && time->timeSigDenominator >= 0) {
    *numerator = time->timeSigNumerator;
    *denominator = time->timeSigDenominator;
  }
}

void IPlugVST::GetTransportInfo(TransportInfo* info) {
  constexpr int32_t kWanted = kVst2PpqPosValid | kVst2TempoValid | kVst2BarsValid | kVst2CyclePosValid |
                              kVst2TimeSigValid;
  const Vst2TimeInfo* time = info ? HostTime(kWanted) : nullptr;
  if (!time || !(time->flags & kWanted)) return;
  const int32_t flags = time->flags;
  info->mSamplePos = time->samplePos;
  if ((flags & kVst2PpqPosValid) && time->ppqPos >= 0.0) info->mPPQPos = time->ppqPos;
  if ((flags & kVst2TempoValid) && time->tempo > 0.0) info->mTempo = time->tempo;
  if ((flags & kVst2BarsValid) && time->barStartPos >= 0.0) info->mLastBar = time->barStartPos;
  if ((flags & kVst2CyclePosValid) && time->cycleStartPos >= 0.0 && time->cycleEndPos >= 0.0) {
    info->mCycleStart = time->cycleStartPos;
    info->mCycleEnd = time->cycleEndPos;
  }
  if ((flags & kVst2TimeSigValid) && time->timeSigNumerator > 0 && time->timeSigDenominator > 0) {
    info->mNumerator = time->timeSigNumerator;
    info->mDenominator = time->timeSigDenominator;
  }
  info->mTransportIsRunning = (flags & kVst2TransportPlaying) != 0;
  info->mTransportLoopEnabled = (flags & kVst2TransportCycleActive) != 0;
}

HostCode IPlugVST::GetHostCode() {
  if (mHost != kHostUninit) return mHost;
  char product[256] = {};
  CallHost(kVst2HostGetProductString, 0, 0, product);
  product[sizeof(product) - 1] = 0;  // a host that filled the whole buffer
  const int version = product[0] ? RepackHostVersion(CallHost(kVst2HostGetVendorVersion)) : 0;
  SetHost(product, version);
  return mHost;
}

void IPlugVST::AdaptToHost() {
  if (mHostAdapted) return;
  mHostAdapted = true;
  switch (GetHostCode()) {
    case kHostForte:
    case kHostAudition:
    case kHostOrion:
    case kHostSAWStudio:
      LimitChannelsForHost();
      break;
    default:
      break;
  }
  mRecord.numInputs = mInputArrangement.numChannels = NInChannels();
  mRecord.numOutputs = mOutputArrangement.numChannels = NOutChannels();
  HostReady();
}

void IPlugVST::ResizeEditor(int /*width*/, int /*height*/) {
  IPlugEditor* editor = GetGUI();
  if (!editor) return;
  if (auto* graphics = dynamic_cast<IGraphics*>(editor)) {
    mEditorRect.bottom = static_cast<int16_t>(graphics->Height());
    mEditorRect.right = static_cast<int16_t>(graphics->Width());
  }
  EditorResized(editor);
}

void IPlugVST::BindGraphics(IPlugEditor* editor) {
  if (!editor) return;
  IPlugBase::BindGraphics(editor);
  mRecord.flags |= kVst2FlagHasEditor;
  mEditorRect = Vst2EditorRect{};
  if (auto* graphics = dynamic_cast<IGraphics*>(editor)) {
    mEditorRect.bottom = static_cast<int16_t>(graphics->Height());
    mEditorRect.right = static_cast<int16_t>(graphics->Width());
  }
}

void IPlugVST::SetLatencySamples(int samples) {
  mRecord.initialDelay = samples;
  IPlugBase::SetLatencySamples(samples);
}

bool IPlugVST::SendEventToHost(Vst2Event* event) {
  Vst2Events list{};
  list.numEvents = 1;
  list.events[0] = event;
  return CallHost(kVst2HostProcessEvents, 0, 0, &list) == 1;
}

bool IPlugVST::SendMidiEventToHost(IMidiEvent* event) {
  if (!event) return false;
  Vst2MidiEvent midi{};
  midi.type = kVst2MidiType;
  midi.byteSize = static_cast<int32_t>(sizeof(Vst2MidiEvent));
  midi.deltaFrames = event->mOffset;
  midi.midiData[0] = static_cast<char>(event->mStatus);
  midi.midiData[1] = static_cast<char>(event->mData1);
  midi.midiData[2] = static_cast<char>(event->mData2);
  return SendEventToHost(reinterpret_cast<Vst2Event*>(&midi));
}

bool IPlugVST::SendSysExEventToHost(SysExEvent* event) {
  if (!event) return false;
  Vst2SysExEvent sysex{};
  sysex.type = kVst2SysExType;
  // The published record's own size: 32 bytes on x86, 48 on x86-64.
  sysex.byteSize = static_cast<int32_t>(sizeof(Vst2SysExEvent));
  sysex.deltaFrames = event->mOffset;
  sysex.dumpBytes = event->mSize;
  sysex.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(event->mData));
  return SendEventToHost(reinterpret_cast<Vst2Event*>(&sysex));
}
