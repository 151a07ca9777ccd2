// The VST2 adapter's dispatcher: every opcode a host sends, grouped by family. The whole call
// runs under the plug-in lock; opcode 1 (close) waits for the lock, lets it go and deletes the
// plug-in. Host buffers are written only up to the sizes the interface promises, parameter
// texts up to the 32 bytes hosts pass for them (kParamTextToHost), and every text written there
// is terminated.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "iplug/igraphics/IGraphics.h"
#include "iplug/vst2/IPlugVST.h"

namespace {

// The largest chunk a host may hand to opcode 24: far above any state this framework writes,
// far below what would make the plug-in allocate without bound.
constexpr Vst2IntPtr kMaxChunkBytes = 64 << 20;

// Bank chunks of this framework version and later hold every preset; older ones one state.
constexpr int kFirstBankVersion = 0x00010000;

// Extension flags a REAPER host switches on through "can do".
constexpr int32_t kCockosExtensions = 1;
constexpr int32_t kCockosViewAsConfig = 2;

IGraphics* Graphics(IPlugBase* plug) { return dynamic_cast<IGraphics*>(plug->GetGUI()); }

// A host's int-sized argument carried in a pointer-sized value, or -1 outside the int range.
int ValueAsIndex(Vst2IntPtr value) { return value >= 0 && value <= 0x7FFFFFFF ? static_cast<int>(value) : -1; }

// Parameter names, labels and value texts (opcodes 6, 7, 8 and REAPER's formatted value) go to
// the host whole, bounded by the framework's own fields (31 characters and a zero). The
// published 8 bytes are a historical minimum no host holds plug-ins to: hosts pass 32 bytes or
// more because plug-ins routinely write longer names, and cut to 7 characters most of a large
// plug-in's parameters could not be told apart, nor would a value text come back through
// opcode 27 as the entry it was made from.
constexpr int kParamTextToHost = kParamTextSize;

void CopyToHost(void* ptr, int size, const char* text) { CopyTextField(static_cast<char*>(ptr), size, text); }

}  // namespace

Vst2IntPtr CORVANE_VST2_CALL IPlugVST::VSTDispatcher(Vst2EffectRecord* record, int32_t opcode, int32_t index,
                                                     Vst2IntPtr value, void* ptr, float opt) {
  try {
    IPlugVST* plug = FromRecord(record);
    if (!plug) return 0;
    if (opcode == kVst2Close) {
      // A call still running on another thread ends first; then nothing of the plug-in is
      // touched again, its lock included.
      PlugLock(plug->GetMutex()).Release();
      delete plug;
      return 0;
    }
    PlugLock lock(plug->GetMutex());
    return plug->Dispatch(opcode, index, value, ptr, opt);
  } catch (...) {
    TraceCall("IPlugVST::VSTDispatcher", "opcode %d ended in an exception", opcode);
    return 0;
  }
}

Vst2IntPtr IPlugVST::Dispatch(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case kVst2Open:
      AdaptToHost();
      NotifyAllParamsChanged(kSourceHostOpen);
      return 0;
    case kVst2SetProgram:
    case kVst2GetProgram:
    case kVst2SetProgramName:
    case kVst2GetProgramName:
    case kVst2GetProgramNameIndexed:
    case kVst2GetChunk:
    case kVst2SetChunk:
      return DispatchProgram(opcode, index, value, ptr);
    case kVst2GetParamLabel:
    case kVst2GetParamDisplay:
    case kVst2GetParamName:
    case kVst2CanBeAutomated:
    case kVst2String2Parameter:
    case kVst2VendorSpecific:
      return DispatchParameter(opcode, index, value, ptr, opt);
    case kVst2SetSampleRate:
    case kVst2SetBlockSize:
    case kVst2MainsChanged:
      return DispatchProcessing(opcode, value, opt);
    case kVst2EditGetRect:
    case kVst2EditOpen:
    case kVst2EditClose:
    case kVst2EditIdle:
    case kVst2Idle:
      return DispatchEditor(opcode, ptr);
    case kVst2ProcessEvents:
      return ProcessEvents(static_cast<const Vst2Events*>(ptr));
    case kVst2GetInputProperties:
    case kVst2GetOutputProperties:
    case kVst2SetSpeakerArrangement:
    case kVst2GetSpeakerArrangement:
      return DispatchChannels(opcode, index, value, ptr);
    default:
      return DispatchIdentity(opcode, index, value, ptr, opt);
  }
}

// ---------------------------------------------------------------------------------------------
// Programs and chunks

Vst2IntPtr IPlugVST::DispatchProgram(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr) {
  switch (opcode) {
    case kVst2SetProgram: {
      const int program = ValueAsIndex(value);
      if (program < 0 || program >= NPresets()) return 0;
      if (!DoesStateChunks()) ModifyCurrentPreset();
      RecallPreset(program);
      return 0;
    }
    case kVst2GetProgram:
      return GetCurrentPresetIdx();
    case kVst2SetProgramName:
      if (ptr) {
        // The host's text is read no further than the interface lets it be.
        char name[kVst2MaxProgNameLen + 1] = {};
        std::memcpy(name, ptr, strnlen(static_cast<const char*>(ptr), kVst2MaxProgNameLen));
        ModifyCurrentPreset(name);
        PresetSelectionChanged();
      }
      return 0;
    case kVst2GetProgramName:
      if (ptr) CopyToHost(ptr, kVst2MaxProgNameLen, PresetNameAt(GetCurrentPresetIdx()));
      return 0;
    case kVst2GetProgramNameIndexed:
      if (!ptr) return 0;
      CopyToHost(ptr, kVst2MaxProgNameLen, PresetNameAt(index));
      return static_cast<const char*>(ptr)[0] ? 1 : 0;
    case kVst2GetChunk:
      return GetChunk(index == 0, static_cast<void**>(ptr));
    default:  // kVst2SetChunk
      return SetChunk(index == 0, value, ptr);
  }
}

Vst2IntPtr IPlugVST::GetChunk(bool bank, void** data) {
  if (!data) return 0;
  ByteBlock* chunk = bank ? &mBankChunk : &mProgramChunk;
  WriteStateChunkHeader(chunk);
  bool ok;
  if (bank) {
    ModifyCurrentPreset();
    ok = SerializePresets(chunk);
  } else {
    ok = SaveState(chunk);
  }
  if (!ok || chunk->Size() == 0) return 0;
  *data = chunk->GetBytes();
  return chunk->Size();
}

Vst2IntPtr IPlugVST::SetChunk(bool bank, Vst2IntPtr length, const void* data) {
  if (!data || length < 0 || length > kMaxChunkBytes) {
    TraceCall("IPlugVST::SetChunk", "refused: no data or a length of %lld", static_cast<long long>(length));
    return 0;
  }
  ByteBlock* chunk = bank ? &mBankChunk : &mProgramChunk;
  if (!chunk->Resize(static_cast<int>(length))) return 0;
  if (length > 0) std::memcpy(chunk->GetBytes(), data, static_cast<size_t>(length));

  int position = 0;
  const int version = ReadStateChunkHeader(chunk, &position);
  if (bank && version >= kFirstBankVersion) {
    // The bank reader restores the parameters and leaves every preset as it was on failure.
    position = UnserializePresets(chunk, position);
  } else if (position >= 0) {
    // A state that does not read back to its end is undone: the parameters go back to what
    // they were and the current preset does not store a half-read state.
    ByteBlock before;
    SaveState(&before);
    position = LoadState(chunk, position);
    if (position < 0) {
      LoadState(&before, 0);
    } else {
      ModifyCurrentPreset();
    }
  }
  if (position < 0) return 0;
  PushParamsToGraphics();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Parameters

Vst2IntPtr IPlugVST::DispatchParameter(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt) {
  if (opcode == kVst2CanBeAutomated) return 1;
  if (opcode == kVst2String2Parameter) return TextToParameter(index, static_cast<const char*>(ptr));
  char text[kParamTextSize] = {};
  if (opcode == kVst2VendorSpecific) {
    const IPlugParameter* param = GetParam(ValueAsIndex(value));
    if (index == kVst2VendorFormatParamValue && ptr) {
      if (param) {
        param->FormatValueText(opt, true, text, true);
        CopyToHost(ptr, kParamTextToHost, text);
      }
      return kVst2CockosParamAnswer;
    }
    if (index == kVst2VendorParamIsStepped && param) return param->Kind() == kParamNumber ? 0 : kVst2CockosParamAnswer;
    return 0;
  }
  const IPlugParameter* param = GetParam(index);
  if (!param || !ptr) return 0;
  if (opcode == kVst2GetParamLabel) {
    CopyToHost(ptr, kParamTextToHost, param->GetLabelText());
  } else if (opcode == kVst2GetParamDisplay) {
    param->FormatValueText(param->Value(), false, text, true);
    CopyToHost(ptr, kParamTextToHost, text);
  } else {
    CopyToHost(ptr, kParamTextToHost, param->GetName());
  }
  return 0;
}

Vst2IntPtr IPlugVST::TextToParameter(int index, const char* text) {
  IPlugParameter* param = GetParam(index);
  if (!param) return 0;
  if (!text) return 1;  // the host asks whether text entry is offered
  double plain = 0.0;
  if (param->CountDisplayTexts() > 0) {
    int mapped = 0;
    if (!MapDisplayText(param, text, &mapped)) return 0;
    plain = mapped;
  } else {
    plain = std::atof(text);
    if (!std::isfinite(plain)) return 0;
    if (param->GetNegateDisplay()) plain = -plain;
  }
  if (IGraphics* graphics = Graphics(this)) graphics->UpdateControlsOfParam(index, plain, false);
  param->SetClamped(plain);
  ParamValueChanged(index, kSourceHost);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Processing set-up

Vst2IntPtr IPlugVST::DispatchProcessing(int32_t opcode, Vst2IntPtr value, float opt) {
  switch (opcode) {
    case kVst2SetSampleRate:
      // A rate outside the framework's range leaves everything as it was.
      if (!SetSampleRate(opt)) {
        TraceCall("IPlugVST::Dispatch", "sample rate %g refused", static_cast<double>(opt));
        return 0;
      }
      ResetProcessing();
      return 0;
    case kVst2SetBlockSize:
      if (value < 1) {
        TraceCall("IPlugVST::Dispatch", "block size %lld refused", static_cast<long long>(value));
        return 0;
      }
      SetMaxBlockSize(static_cast<int>(std::min<Vst2IntPtr>(value, kMaxBlockSize)));
      ResetProcessing();
      return 0;
    default:  // kVst2MainsChanged
      ActivationChanged(value != 0);
      if (value == 0) ResetProcessing();
      return 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Editor

Vst2IntPtr IPlugVST::DispatchEditor(int32_t opcode, void* ptr) {
  IGraphics* graphics = Graphics(this);
  switch (opcode) {
    case kVst2EditGetRect:
      if (!ptr || !graphics) return 0;
      *static_cast<Vst2EditorRect**>(ptr) = &mEditorRect;
      return 1;
    case kVst2EditOpen:
      if (!graphics || !ptr || !graphics->OpenEditorWindow(ptr)) return 0;
      EditorOpened();
      return 1;
    case kVst2EditClose:
      if (!graphics) return 0;
      EditorClosing();
      graphics->CloseEditorWindow();
      return 1;
    default:  // kVst2EditIdle, kVst2Idle
      IdleTick();
      return 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Events

Vst2IntPtr IPlugVST::ProcessEvents(const Vst2Events* events) {
  if (!events) return 0;
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const Vst2Event* event = events->events[i];
    if (!event) continue;
    if (event->type == kVst2MidiType) {
      const auto* midi = reinterpret_cast<const Vst2MidiEvent*>(event);
      IMidiEvent message;
      message.mOffset = midi->deltaFrames;
      message.mStatus = static_cast<uint8_t>(midi->midiData[0]);
      message.mData1 = static_cast<uint8_t>(midi->midiData[1]);
      message.mData2 = static_cast<uint8_t>(midi->midiData[2]);
      ProcessMidiEvent(&message);
    } else if (event->type == kVst2SysExType) {
      const auto* sysex = reinterpret_cast<const Vst2SysExEvent*>(event);
      SysExEvent message;
      message.mOffset = sysex->deltaFrames;
      message.mSize = sysex->dumpBytes;
      message.mData = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
      ProcessSysExEvent(&message);
    }
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Channels

Vst2IntPtr IPlugVST::DispatchChannels(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr) {
  switch (opcode) {
    case kVst2GetInputProperties:
    case kVst2GetOutputProperties:
      return PinProperties(opcode == kVst2GetInputProperties, index, static_cast<Vst2PinProperties*>(ptr));
    case kVst2SetSpeakerArrangement:
      return SetSpeakerArrangement(reinterpret_cast<const Vst2SpeakerArrangement*>(value),
                                   static_cast<const Vst2SpeakerArrangement*>(ptr));
    default:  // kVst2GetSpeakerArrangement
      if (value) *reinterpret_cast<Vst2SpeakerArrangement**>(value) = &mInputArrangement;
      if (ptr) *static_cast<Vst2SpeakerArrangement**>(ptr) = &mOutputArrangement;
      return 1;
  }
}

Vst2IntPtr IPlugVST::PinProperties(bool input, int index, Vst2PinProperties* pin) {
  const int channels = input ? NInChannels() : NOutChannels();
  if (!pin || index < 0 || index >= channels) return 0;
  pin->flags = index % 2 == 0 && index < channels - 1 ? kVst2PinIsActive | kVst2PinIsStereo : kVst2PinIsActive;
  const PlugString& label = input ? mInChannels.Get(index)->mLabel : mOutChannels.Get(index)->mLabel;
  if (label.GetLength() > 0) {
    CopyToHost(pin->label, kVst2MaxLabelLen, label.Get());
  } else {
    std::snprintf(pin->label, kVst2MaxLabelLen, input ? "Input %d" : "Output %d", index + 1);
  }
  return 1;
}

Vst2IntPtr IPlugVST::SetSpeakerArrangement(const Vst2SpeakerArrangement* in, const Vst2SpeakerArrangement* out) {
  // A host's channel count beyond the plug-in's channels connects them all; a null side stays.
  if (in) {
    const int n = std::min(std::max(in->numChannels, 0), NInChannels());
    MarkInputsConnected(0, n, true);
    MarkInputsConnected(n, NInChannels() - n, false);
  }
  if (out) {
    const int n = std::min(std::max(out->numChannels, 0), NOutChannels());
    MarkOutputsConnected(0, n, true);
    MarkOutputsConnected(n, NOutChannels() - n, false);
  }
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Identity, capabilities and the rest

Vst2IntPtr IPlugVST::CanDo(const char* text) {
  if (!text) return 0;
  if (std::strcmp(text, kVst2CanReceiveTimeInfo) == 0) return 1;
  if (DoesMIDI()) {
    for (const char* midi : {kVst2CanSendEvents, kVst2CanSendMidiEvent, kVst2CanReceiveEvents, kVst2CanReceiveMidiEvent}) {
      if (std::strcmp(text, midi) == 0) return 1;
    }
  }
  if (std::strcmp(text, kVst2HasCockosExtensions) == 0) {
    mExtensionFlags |= kCockosExtensions;
    return kVst2CockosYes;
  }
  if (std::strcmp(text, kVst2HasCockosViewAsConfig) == 0) {
    mExtensionFlags |= kCockosViewAsConfig;
    return kVst2CockosYes;
  }
  return 0;
}

Vst2IntPtr IPlugVST::DispatchIdentity(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt) {
  switch (opcode) {
    case kVst2Identify:
      return kVst2IdentifyAnswer;
    case kVst2GetPlugCategory:
      return IsInstrument() ? kVst2CategorySynth : kVst2CategoryEffect;
    case kVst2GetEffectName:
    case kVst2GetVendorString:
    case kVst2GetProductString:
      if (!ptr) return 0;
      if (opcode == kVst2GetEffectName) CopyToHost(ptr, kVst2MaxEffectNameLen, GetEffectName());
      if (opcode == kVst2GetVendorString) CopyToHost(ptr, kVst2MaxVendorStrLen, GetMfrName());
      if (opcode == kVst2GetProductString) CopyToHost(ptr, kVst2MaxProductStrLen, GetProductName());
      return 1;
    case kVst2GetVendorVersion:
      return VendorVersionNumber(true);
    case kVst2CanDo:
      return CanDo(static_cast<const char*>(ptr));
    case kVst2GetTailSize:
      return GetTailSize();
    case kVst2GetVstVersion:
      return kVst2InterfaceVersion;
    case kVst2GetMidiKeyName: {
      auto* key = static_cast<Vst2MidiKeyName*>(ptr);
      if (!key) return 0;
      // The framework's answer goes through a buffer of its own and reaches the host cut to
      // the record's field.
      char name[kPresetNameSize] = {};
      const bool named = GetMidiKeyName(key->thisKeyNumber, name);
      name[sizeof(name) - 1] = 0;
      CopyToHost(key->keyName, kVst2MaxNameLen, name);
      return named ? 1 : 0;
    }
    default:
      return 0;
  }
}
