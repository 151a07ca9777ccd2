#pragma once
// The VST3 face of the plug-in: one object that is both the audio processor and the edit
// controller. Host calls arrive here and become framework calls (state chunks, parameter values,
// audio buffers, MIDI, transport); the framework's requests to the host (gestures, automation,
// restart, context menu, editor size) become VST3 calls.
//
// The effect derives from it and passes the framework base's arguments (without the API code)
// followed by its side-chain channel count, e.g.
//   MyEffect() : IPlugVST3(46, "1-1 2-1 3-1 2-2 3-2 4-2", 11, "Name", "", "Maker", 0x00020008,
//                          'Uniq', 'Mkr_', 0, false, false, false, 2) {}
//
// Host parameters: the framework parameters keep their indices as ids; 'prst' recalls a preset,
// 'bpas' is the bypass switch; with MIDI input, ids NParams() + 0 ... 127 are the controllers.
// State stream: the framework state chunk, then the bypass flag as a 32-bit little-endian int.

#include <atomic>
#include <vector>

#include "iplug/core/IPlugBase.h"
#include "iplug/vst3/layer/vst3.h"

class IPlugVST3;

// What every editor view of the plug-in has in common with the adapter: it holds a reference
// to its plug-in for its whole life, leaves the plug-in's view list when it goes away, and
// carries the flag that tells its next onSize that the plug-in asked the host for that size.
// The editor view derives from it; the adapter keeps its open views in a list and asks the
// first one for resizes and context menus.
class IPlugVST3ViewBase : public Steinberg::CPluginView {
 public:
  explicit IPlugVST3ViewBase(IPlugVST3* plug);
  ~IPlugVST3ViewBase() override;

  IPlugVST3* GetPlug() const { return mPlug; }
  bool IsExpectingSize() const { return mExpectingSize; }
  void SetExpectingSize(bool expecting) { mExpectingSize = expecting; }

  const char* className() const override { return "IPlugVST3ViewBase"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 private:
  IPlugVST3* mPlug;
  bool mExpectingSize = false;
};

class IPlugVST3 : public IPlugBase,
                  public Steinberg::Vst::IUnitInfo,
                  public Steinberg::Vst::SingleComponentEffect,
                  public Steinberg::Vst::IMidiMapping {
 public:
  static constexpr Steinberg::Vst::ParamID kPresetParamId = 0x70727374;  // 'prst'
  static constexpr Steinberg::Vst::ParamID kBypassParamId = 0x62706173;  // 'bpas'
  static constexpr int kMidiControllers = 128;

  // The framework base's arguments (its API code is VST3), then the number of input channels
  // that form the side chain (they follow the main input channels).
  IPlugVST3(int nParams, const char* channelIOString, int nPresets, const char* effectName,
            const char* productName, const char* makerName, int version, int uniqueId, int makerId,
            int latency, bool midiIn, bool stateChunks, bool instrument, int nSideChainChannels);
  ~IPlugVST3() override;

  // ---- FUnknown: one reference count for every interface --------------------------------------
  Steinberg::tresult CORVANE_VST3_CALL queryInterface(const Steinberg::TUID iid, void** obj) override;
  CORVANE_VST3_REFCOUNT_METHODS(SingleComponentEffect)

  // ---- IPluginBase ----------------------------------------------------------------------------
  // Keeps the context, identifies the host, builds buses and parameters and recalls preset 0.
  // A second initialize (before terminate) is refused with kResultFalse and changes nothing.
  Steinberg::tresult CORVANE_VST3_CALL initialize(Steinberg::FUnknown* context) override;
  Steinberg::tresult CORVANE_VST3_CALL terminate() override;

  // ---- IComponent / IEditController state (both interfaces reach the same pair) --------------
  Steinberg::tresult CORVANE_VST3_CALL setState(Steinberg::IBStream* state) override;
  Steinberg::tresult CORVANE_VST3_CALL getState(Steinberg::IBStream* state) override;
  Steinberg::tresult CORVANE_VST3_CALL setComponentState(Steinberg::IBStream* state) override;

  // ---- IEditController ------------------------------------------------------------------------
  Steinberg::tresult CORVANE_VST3_CALL getParamStringByValue(Steinberg::Vst::ParamID id,
                                                             Steinberg::Vst::ParamValue valueNormalized,
                                                             Steinberg::Vst::TChar* string) override;
  Steinberg::Vst::ParamValue CORVANE_VST3_CALL plainParamToNormalized(Steinberg::Vst::ParamID id,
                                                                      Steinberg::Vst::ParamValue plainValue) override;
  Steinberg::Vst::ParamValue CORVANE_VST3_CALL getParamNormalized(Steinberg::Vst::ParamID id) override;
  Steinberg::tresult CORVANE_VST3_CALL setParamNormalized(Steinberg::Vst::ParamID id,
                                                          Steinberg::Vst::ParamValue value) override;
  // "editor" (exactly) makes a view through MakeEditorView; any other name gives none.
  Steinberg::IPlugView* CORVANE_VST3_CALL createView(Steinberg::FIDString name) override;

  // ---- IComponent -----------------------------------------------------------------------------
  Steinberg::tresult CORVANE_VST3_CALL setActive(Steinberg::TBool state) override;

  // ---- IAudioProcessor ------------------------------------------------------------------------
  Steinberg::tresult CORVANE_VST3_CALL setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                          Steinberg::int32 numIns,
                                                          Steinberg::Vst::SpeakerArrangement* outputs,
                                                          Steinberg::int32 numOuts) override;
  Steinberg::tresult CORVANE_VST3_CALL canProcessSampleSize(Steinberg::int32 symbolicSampleSize) override;
  Steinberg::uint32 CORVANE_VST3_CALL getLatencySamples() override;
  Steinberg::tresult CORVANE_VST3_CALL setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
  Steinberg::tresult CORVANE_VST3_CALL process(Steinberg::Vst::ProcessData& data) override;
  Steinberg::uint32 CORVANE_VST3_CALL getTailSamples() override;

  // ---- IUnitInfo ------------------------------------------------------------------------------
  Steinberg::int32 CORVANE_VST3_CALL getUnitCount() override;
  Steinberg::tresult CORVANE_VST3_CALL getUnitInfo(Steinberg::int32 unitIndex,
                                                   Steinberg::Vst::UnitInfo& info) override;
  Steinberg::int32 CORVANE_VST3_CALL getProgramListCount() override;
  Steinberg::tresult CORVANE_VST3_CALL getProgramListInfo(Steinberg::int32 listIndex,
                                                          Steinberg::Vst::ProgramListInfo& info) override;
  Steinberg::tresult CORVANE_VST3_CALL getProgramName(Steinberg::Vst::ProgramListID listId,
                                                      Steinberg::int32 programIndex,
                                                      Steinberg::Vst::TChar* name) override;
  Steinberg::tresult CORVANE_VST3_CALL getProgramInfo(Steinberg::Vst::ProgramListID listId,
                                                      Steinberg::int32 programIndex,
                                                      Steinberg::Vst::CString attributeId,
                                                      Steinberg::Vst::TChar* attributeValue) override;
  Steinberg::tresult CORVANE_VST3_CALL hasProgramPitchNames(Steinberg::Vst::ProgramListID listId,
                                                            Steinberg::int32 programIndex) override;
  Steinberg::tresult CORVANE_VST3_CALL getProgramPitchName(Steinberg::Vst::ProgramListID listId,
                                                           Steinberg::int32 programIndex,
                                                           Steinberg::int16 midiPitch,
                                                           Steinberg::Vst::TChar* name) override;
  Steinberg::Vst::UnitID CORVANE_VST3_CALL getSelectedUnit() override;
  Steinberg::tresult CORVANE_VST3_CALL selectUnit(Steinberg::Vst::UnitID unitId) override;
  Steinberg::tresult CORVANE_VST3_CALL getUnitByBus(Steinberg::Vst::MediaType type,
                                                    Steinberg::Vst::BusDirection dir,
                                                    Steinberg::int32 busIndex, Steinberg::int32 channel,
                                                    Steinberg::Vst::UnitID& unitId) override;
  Steinberg::tresult CORVANE_VST3_CALL setUnitProgramData(Steinberg::int32 listOrUnitId,
                                                          Steinberg::int32 programIndex,
                                                          Steinberg::IBStream* data) override;

  // ---- IMidiMapping ---------------------------------------------------------------------------
  // With MIDI input: controllers 0 ... 127 map to their "MIDI CC" parameter. Without MIDI input,
  // and for any other controller number, there is no assignment (kResultFalse).
  Steinberg::tresult CORVANE_VST3_CALL getMidiControllerAssignment(Steinberg::int32 busIndex,
                                                                   Steinberg::int16 channel,
                                                                   Steinberg::Vst::CtrlNumber midiControllerNumber,
                                                                   Steinberg::Vst::ParamID& id) override;

  // ---- Run-time type names --------------------------------------------------------------------
  const char* className() const override { return "IPlugVST3"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

  // ---- Requests of the framework to the host ---------------------------------------------------
  void ShowHostParamMenu(int index, int x, int y) override;
  void BeginInformHostOfParamChange(int index) override;
  void InformHostOfParamChange(int index, double normalized) override;
  void EndInformHostOfParamChange(int index) override;
  void InformHostOfDisplayChange() override {}
  bool IsProcessingOffline() override;
  int GetSongPositionSamples() override;
  double GetHostTempo() override;
  void GetTimeSignature(int* numerator, int* denominator) override;
  void GetTransportInfo(TransportInfo* info) override;
  void ResizeEditor(int width, int height) override;
  void SetLatencySamples(int samples) override;
  bool SendMidiEventToHost(IMidiEvent* /*event*/) override { return false; }

  // ---- Editor views ---------------------------------------------------------------------------
  int NViews() const { return static_cast<int>(mViews.size()); }
  IPlugVST3ViewBase* GetView(int index) const;
  // Appends a view to the list (false when the list cannot grow); removes the first entry
  // equal to it.
  bool AddView(IPlugVST3ViewBase* view);
  void RemoveView(IPlugVST3ViewBase* view);

  // ---- State of the adapter -------------------------------------------------------------------
  bool IsBypassed() const { return mIsBypassed.load(std::memory_order_relaxed); }
  int NSideChainChannels() const { return mSideChainChannels; }
  bool IsSideChainConnected() const { return mSideChainConnected != 0; }
  const Steinberg::Vst::ProcessSetup& GetProcessSetup() const { return processSetup; }
  const Steinberg::Vst::ProcessContext& GetLastTransport() const { return mLastTransport; }

 protected:
  // Makes the editor view for createView ("editor"), carrying one reference, or null when the
  // plug-in shows no editor to VST3 hosts. By default an IPlugVST3View (IPlugVST3View.h),
  // which answers for the plug-in's editor, or refuses everything when there is none.
  virtual IPlugVST3ViewBase* MakeEditorView();

 private:
  void BuildBusesAndParameters();
  void AddFrameworkParameter(int index);

  // Parameter groups as units: unit 1 ... NGroups() in order of first use; 0 for no group.
  const char* GroupOf(int index) const;  // "" for none
  bool IsFirstOfGroup(int index) const;
  int NGroups() const;
  int UnitOfParam(int index) const;
  const char* GroupOfUnit(int unit) const;

  int MainInputChannels() const { return NInChannels() - mSideChainChannels; }
  // Index of the first audio bus of the type in a list, or -1.
  static int FindAudioBus(const Steinberg::Vst::BusList& list, Steinberg::Vst::BusType type);

  // The steps of process.
  void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
  void ApplyParameterValue(Steinberg::Vst::ParamID id, double value);
  void ApplyEvents(Steinberg::Vst::IEventList* events);
  void ConnectInputs(int nMainConnected, int nSideConnected);
  // Both bind the host's buffers from frame offset on: one piece of a longer host block.
  void BindInputs(const Steinberg::Vst::ProcessData& data, bool is64, int nFrames, int offset);
  void BindOutputs(const Steinberg::Vst::ProcessData& data, bool is64, int offset);
  void RunPiece(bool is64, int nFrames);
  static void SilenceOutputTails(const Steinberg::Vst::ProcessData& data, bool is64, int from, int to);

  Steinberg::tresult ReadState(Steinberg::IBStream* state);
  Steinberg::tresult WriteState(Steinberg::IBStream* state);

  int mSideChainChannels;
  int mSideChainConnected = 0;
  Steinberg::Vst::ProcessContext mLastTransport{};
  std::vector<IPlugVST3ViewBase*> mViews;
  std::atomic<bool> mIsBypassed{false};
};
