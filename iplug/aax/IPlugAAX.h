#pragma once
// The AAX face of the plug-in: one object that is both the framework's plug-in (IPlugBase) and
// the effect-parameters object the host talks to (AAX_CIPlugParameters). The framework
// parameters are published as host parameters "1" ... "N" behind the master bypass; host
// changes reach the framework with source 1, and the framework's gestures and values go back to
// the host through the parameters' automation. The host renders through RenderBlock, saves and
// restores the framework state as the one chunk named by the plug-in's unique id.
//
// The effect derives from it and passes an instance-information value (unused), the framework
// base's arguments (without the API code) and its side-chain channel count, e.g.
//   MyEffect() : IPlugAAX(nullptr, 46, "2-1 3-2", 11, "Name", "", "Maker", 0x00020008,
//                         'Uniq', 'Mkr_', 0, false, false, false, 1) {}
// The side-chain channels are the last framework inputs; the host's side-chain buffer is bound
// to the last one.

#include <cstdint>

#include "iplug/aax/AAX_CEffectParameters.h"
#include "iplug/aax/AAX_RenderContext.h"
#include "iplug/core/IPlugBase.h"

template <typename T>
class AAX_CParameter;
class AAX_IViewContainer;

// The effect's constructor passes this ahead of the framework base's arguments.
#define CORVANE_ADAPTER_LEADING_ARGS nullptr,

// The effect-parameters object of a framework plug-in: the default object plus the instance
// field the host copies into every render context, the master bypass and the transport of the
// block being rendered.
class AAX_CIPlugParameters : public AAX_CEffectParameters {
 public:
  // Field kAaxFieldInstance: this object's address, which needs a whole pointer-sized buffer
  // (else the buffer is zeroed and the result is -20004). Other fields are zeroed.
  AAX_Result ACF_CALLTYPE GetInstanceField(int32_t fieldIndex, void* out,
                                           uint32_t size) const override;
  // One block of the instance's render context (the host's audio thread).
  virtual void RenderBlock(const AaxRenderContext* context) {}

 protected:
  AAX_CParameter<bool>* mBypassParameter = nullptr;      // owned by the parameter manager
  const AAX_IHostNodeTransport* mTransport = nullptr;    // of the block being rendered
};

class IPlugAAX : public IPlugBase, public AAX_CIPlugParameters {
 public:
  static constexpr const char* kBypassName = "Master Bypass";
  static constexpr double kTicksPerQuarterNote = 960000.0;

  IPlugAAX(void* instanceInfo, int nParams, const char* channelIOString, int nPresets,
           const char* effectName, const char* productName, const char* makerName, int version,
           int uniqueId, int makerId, int latency, bool midiIn, bool stateChunks, bool instrument,
           int sideChainChannels);
  ~IPlugAAX() override;

  // ---- Host slots ---------------------------------------------------------------------------
  // Start and stop hold the plug-in lock, so a block never meets half-built parameters; a block
  // outside a started instance passes its audio through.
  AAX_Result ACF_CALLTYPE StartInstance(IACFUnknown* hostContext) override;
  AAX_Result ACF_CALLTYPE StopInstance() override;
  AAX_Result ACF_CALLTYPE ApplyHostValue(const char* id, double value, int32_t source) override;
  AAX_Result ACF_CALLTYPE ChunkIdAt(int32_t index, AAX_CTypeID* id) const override;
  AAX_Result ACF_CALLTYPE MeasureChunk(AAX_CTypeID id, uint32_t* size) override;
  AAX_Result ACF_CALLTYPE WriteChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk) override;
  AAX_Result ACF_CALLTYPE ReadChunk(AAX_CTypeID id, const AAX_SPlugInChunk* chunk) override;
  AAX_Result ACF_CALLTYPE CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) override;
  AAX_Result BuildParameters() override { return BuildHostParameters(); }

  // ---- Host parameters ------------------------------------------------------------------------
  // The master bypass under the empty identifier, then one host parameter per framework
  // parameter; then the host's sample rate.
  AAX_Result BuildHostParameters();
  // The host sets a parameter: the host parameter takes the value and, for "1" ... "N", the
  // framework parameter follows under the plug-in lock with source 1. -20001 for an
  // identifier that is not registered.
  AAX_Result ApplyHostParameterValue(const char* id, double normalized);
  // The host identifier of framework parameter index ("" outside the parameters).
  const char* HostParameterId(int index) const;

  // ---- Render (IPlugAAXRender.cpp) -----------------------------------------------------------
  void RenderBlock(const AaxRenderContext* context) override;

  // ---- State chunk (IPlugAAXChunk.cpp) -------------------------------------------------------
  AAX_Result GetStateChunkId(int32_t index, AAX_CTypeID* id) const;
  AAX_Result GetStateChunkSize(AAX_CTypeID id, uint32_t* size);
  AAX_Result WriteStateChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk);
  AAX_Result ReadStateChunk(AAX_CTypeID id, const AAX_SPlugInChunk* chunk);
  AAX_Result CompareStateChunk(const AAX_SPlugInChunk* chunk, bool* equal);

  // ---- Editor --------------------------------------------------------------------------------
  // The host view the editor's window lives in; null while the editor is closed. The editor
  // bridge sets it when it opens the window and clears it when it closes it.
  void SetEditorViewContainer(AAX_IViewContainer* container) { mEditorViewContainer = container; }
  AAX_IViewContainer* GetEditorViewContainer() const { return mEditorViewContainer; }

  // ---- Requests of the framework to the host ----------------------------------------------------
  void BeginInformHostOfParamChange(int index) override;
  void InformHostOfParamChange(int index, double normalized) override;
  void EndInformHostOfParamChange(int index) override;
  void InformHostOfDisplayChange() override {}
  bool SendMidiEventToHost(IMidiEvent* /*event*/) override { return false; }
  int GetSongPositionSamples() override;
  double GetHostTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(TransportInfo* info) override;
  void ResizeEditor(int width, int height) override;
  void SetLatencySamples(int samples) override;
  void MarkStateModified() override { IncrementChangeCount(); }

 private:
  AAX_IParameter* MakeHostParameter(const IPlugParameter& param, const char* id) const;
  // Host stem channel counts, within what the framework has; a failed query keeps the last.
  void ReadStems(int* inputs, int* outputs);
  void ReadMidi(const AaxRenderContext& context);
  void RunBlock(const AaxRenderContext& context, int frames, bool bypassed);
  // The host's side-chain buffer; null when none is routed or its index is out of reach.
  float* SideChainBuffer(const AaxRenderContext& context, int mainInputs) const;
  void ProcessPieces(const AaxRenderContext& context, int frames, int inputs, int outputs,
                     bool bypassed);
  bool SaveStateTo(ByteBlock* block);

  int mSideChainChannels;
  PointerList<PlugString> mParamIds;
  int mHostInputs = 1;   // stem channel counts of the last successful query
  int mHostOutputs = 1;
  uint32_t mLastChunkSize = 0;  // of the last size query; a write never passes it
  AAX_IViewContainer* mEditorViewContainer = nullptr;
};

// The host's procedure 0 for a plug-in that create makes: instances are made one at a time,
// whatever threads ask, and the host gets the new instance's effect-parameters object without a
// reference. Null when none could be made.
IACFUnknown* AAX_CreateParametersInstance(IPlugAAX* (*create)());
