#pragma once
// The VST2 face of the plug-in: the object carries the published plug-in record that a VST 2.4
// host holds, answers the host's dispatcher opcodes, serves the parameter and process
// callbacks, and turns the framework's requests to the host (gestures, automation, transport,
// host identity, MIDI out) into host-callback calls.
//
// The effect derives from it and passes the framework base's arguments (without the API code)
// followed by its side-chain channel count. The host callback comes first; an effect whose
// constructor takes no arguments gets it through CORVANE_ADAPTER_LEADING_ARGS, which reads the
// callback the module entry put in place with IPlugVST::CreationScope, e.g.
//   IPlugVST::CreationScope scope(hostCallback);
//   MyEffect* effect = new MyEffect;   // MyEffect() : IPlugVST(CORVANE_ADAPTER_LEADING_ARGS ...)
//
// Threads: the dispatcher, the parameter callbacks and the process callbacks each hold the
// plug-in lock for their whole run, so calls from a host's audio and user-interface threads are
// serialised. No exception leaves a callback.

#include "iplug/vst2/IPlugVST2Base.h"
#include "iplug/vst2/layer/vst2_opcodes.h"
#include "iplug/vst2/layer/vst2_structs.h"

class IPlugVST : public IPlugVST2Base {
 public:
  IPlugVST(Vst2HostCallback hostCallback, int nParams, const char* channelIOString, int nPresets,
           const char* effectName, const char* productName, const char* makerName, int version, int uniqueId,
           int makerId, int latency, bool midiIn, bool stateChunks, bool instrument, int nSideChainChannels = 0);
  ~IPlugVST() override;

  // The record handed to the host, and the plug-in behind a record (null for a record that is
  // not one of ours).
  Vst2EffectRecord* GetRecord() { return &mRecord; }
  static IPlugVST* FromRecord(Vst2EffectRecord* record);

  // Holds the host callback for the constructions made on this thread while it lives.
  class CreationScope {
   public:
    explicit CreationScope(Vst2HostCallback hostCallback);
    ~CreationScope();
    CreationScope(const CreationScope&) = delete;
    CreationScope& operator=(const CreationScope&) = delete;

   private:
    Vst2HostCallback mPrevious;
  };
  static Vst2HostCallback PendingHostCallback();

  // ---- Callbacks of the record -----------------------------------------------------------------
  static Vst2IntPtr CORVANE_VST2_CALL VSTDispatcher(Vst2EffectRecord* record, int32_t opcode, int32_t index,
                                                    Vst2IntPtr value, void* ptr, float opt);
  static void CORVANE_VST2_CALL VSTProcessAccumulating(Vst2EffectRecord* record, float** inputs, float** outputs,
                                                       int32_t frames);
  static void CORVANE_VST2_CALL VSTProcessReplacingFloat(Vst2EffectRecord* record, float** inputs,
                                                         float** outputs, int32_t frames);
  static void CORVANE_VST2_CALL VSTProcessReplacingDouble(Vst2EffectRecord* record, double** inputs,
                                                          double** outputs, int32_t frames);
  static void CORVANE_VST2_CALL VSTSetParameter(Vst2EffectRecord* record, int32_t index, float value);
  static float CORVANE_VST2_CALL VSTGetParameter(Vst2EffectRecord* record, int32_t index);

  // ---- Requests of the framework to the host --------------------------------------------------
  void BeginInformHostOfParamChange(int index) override;
  void InformHostOfParamChange(int index, double normalized) override;
  void EndInformHostOfParamChange(int index) override;
  void InformHostOfDisplayChange() override;
  bool IsProcessingOffline() override;
  int GetSongPositionSamples() override;
  double GetHostTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(TransportInfo* info) override;
  HostCode GetHostCode() override;
  void ResizeEditor(int width, int height) override;
  void AdaptToHost() override;
  void BindGraphics(IPlugEditor* editor) override;
  void SetLatencySamples(int samples) override;
  bool SendMidiEventToHost(IMidiEvent* event) override;
  bool SendSysExEventToHost(SysExEvent* event) override;

  // ---- State, for the module and the tests -----------------------------------------------------
  Vst2HostCallback GetHostCallback() const { return mHostCallback; }
  bool HasAdaptedToHost() const { return mHostAdapted; }
  int32_t GetExtensionFlags() const { return mExtensionFlags; }
  const Vst2EditorRect& GetEditorRect() const { return mEditorRect; }

 private:
  // The dispatcher's work, under the plug-in lock; opcode 1 is handled before it.
  Vst2IntPtr Dispatch(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt);
  Vst2IntPtr DispatchProgram(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr);
  Vst2IntPtr DispatchParameter(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt);
  Vst2IntPtr DispatchEditor(int32_t opcode, void* ptr);
  Vst2IntPtr DispatchProcessing(int32_t opcode, Vst2IntPtr value, float opt);
  Vst2IntPtr DispatchChannels(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr);
  Vst2IntPtr DispatchIdentity(int32_t opcode, int32_t index, Vst2IntPtr value, void* ptr, float opt);

  Vst2IntPtr GetChunk(bool bank, void** data);
  Vst2IntPtr SetChunk(bool bank, Vst2IntPtr length, const void* data);
  Vst2IntPtr TextToParameter(int index, const char* text);
  Vst2IntPtr PinProperties(bool input, int index, Vst2PinProperties* pin);
  Vst2IntPtr SetSpeakerArrangement(const Vst2SpeakerArrangement* in, const Vst2SpeakerArrangement* out);
  Vst2IntPtr ProcessEvents(const Vst2Events* events);
  Vst2IntPtr CanDo(const char* text);

  // Calls the host; 0 without a host callback.
  Vst2IntPtr CallHost(int32_t opcode, int32_t index = 0, Vst2IntPtr value = 0, void* ptr = nullptr, float opt = 0.0f);
  // The host's time record for the requested fields, or null when it gives none.
  const Vst2TimeInfo* HostTime(int32_t mask);
  bool SendEventToHost(Vst2Event* event);

  // A process callback's work, under the plug-in lock and guarded: the call of `frames` frames
  // runs in pieces the scratch buffers hold, each bound (BindPiece) and run with (this->*run).
  template <class Sample>
  static void ProcessCallback(Vst2EffectRecord* record, Sample** inputs, Sample** outputs, int32_t frames,
                              void (IPlugVST2Base::*run)(int));
  template <class Sample>
  void ProcessInPieces(Sample** inputs, Sample** outputs, int frames, void (IPlugVST2Base::*run)(int));
  // Float buffers go through the scratch buffers; double buffers are bound directly. Both from
  // frame offset of the host's buffers on.
  void BindPiece(float** inputs, float** outputs, int frames, int offset) {
    VSTPrepareBuffers(inputs, outputs, frames, offset);
  }
  void BindPiece(double** inputs, double** outputs, int frames, int offset);
  void VSTPrepareBuffers(float** inputs, float** outputs, int frames, int offset = 0);
  void WantMidi();

  void FillRecord();
  void SetArrangements();

  Vst2EditorRect mEditorRect{};
  Vst2HostCallback mHostCallback;
  Vst2SpeakerArrangement mInputArrangement{};
  Vst2SpeakerArrangement mOutputArrangement{};
  bool mHostAdapted = false;
  int32_t mExtensionFlags = 0;
  ByteBlock mProgramChunk;
  ByteBlock mBankChunk;
  Vst2EffectRecord mRecord{};
};

#ifndef CORVANE_ADAPTER_LEADING_ARGS
#define CORVANE_ADAPTER_LEADING_ARGS IPlugVST::PendingHostCallback(),
#endif
