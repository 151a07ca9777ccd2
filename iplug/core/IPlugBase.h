#pragma once
// The format-independent plug-in object. Every adapter derives from it and the effect derives
// from the adapter. It owns the parameters, the preset slots, the legal channel configurations,
// one record per input and output channel that binds the host's sample buffers, the latency
// delay of the bypass path, the editor, the host identity and the plug-in lock.

#include <cstdint>

#include "iplug/core/IPlugEditor.h"
#include "iplug/core/IPlugMidi.h"
#include "iplug/core/IPlugMutex.h"
#include "iplug/core/IPlugParameter.h"
#include "iplug/core/IPlugStructs.h"
#include "iplug/core/IPlugUtilities.h"

// Turns a host's product name into its code: the first keyword of the host table found in the
// name (cut to 255 characters, A-Z folded to lower case); 0 when none is found.
HostCode IdentifyHost(const char* productName);

class IPlugBase {
 public:
  static constexpr int kNameSize = 128;  // effect, product and maker names: 127 characters

  IPlugBase(int nParams, const char* channelIOString, int nPresets, const char* effectName,
            const char* productName, const char* makerName, int version, int uniqueId, int makerId,
            int latency, bool midiIn, bool stateChunks, bool instrument, PluginApi api);
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // ---- Virtual operations, in their table order -------------------------------------------
  virtual ~IPlugBase();
  virtual void ResetProcessing();
  virtual void ParamValueChanged(int index, ParamChangeSource source);
  // Copies input i to output i for every i below both channel counts; zeroes the other outputs.
  virtual void ProcessAudio(double** inputs, double** outputs, int nFrames);
  virtual void EditorOpened() {}
  virtual void EditorClosing() {}
  virtual void IdleTick() {}
  virtual void ActivationChanged(bool active);
  virtual void ProcessMidiEvent(IMidiEvent* event);  // MIDI through to the host
  virtual void ProcessSysExEvent(SysExEvent* /*event*/) {}
  virtual bool GetMidiKeyName(int key, char* out);
  virtual bool SaveState(ByteBlock* chunk) { return SerializeParams(chunk); }
  virtual int LoadState(ByteBlock* chunk, int position) { return UnserializeParams(chunk, position); }
  virtual bool CompareParamValues(const double* values, int start);
  virtual void EditorResized(IPlugEditor* /*editor*/) {}
  virtual bool ReservedQuery() { return false; }
  virtual void HostReady() {}
  virtual void ShowHostParamMenu(int /*index*/, int /*x*/, int /*y*/) {}
  virtual void SetParameterFromGUI(int index, double normalized);
  virtual void BeginInformHostOfParamChange(int index) = 0;
  virtual void InformHostOfParamChange(int index, double normalized) = 0;
  virtual void EndInformHostOfParamChange(int index) = 0;
  virtual void InformHostOfDisplayChange() = 0;
  virtual bool IsProcessingOffline() { return false; }
  virtual int GetSongPositionSamples() = 0;
  virtual double GetHostTempo() = 0;
  virtual void GetTimeSignature(int* numerator, int* denominator) = 0;
  virtual void GetTransportInfo(TransportInfo* info) = 0;
  virtual HostCode GetHostCode() { return mHost; }
  virtual PluginApi GetPluginApi() { return mApi; }
  virtual void ResizeEditor(int width, int height) = 0;
  virtual void AdaptToHost() {}
  // Takes ownership of the editor, hands it every parameter's normalised value and has it
  // create its drawing surfaces. A null editor is ignored.
  virtual void BindGraphics(IPlugEditor* editor);
  virtual void SetLatencySamples(int samples);
  virtual bool SendMidiEventToHost(IMidiEvent* event) = 0;
  virtual bool SendSysExEventToHost(SysExEvent* /*event*/) { return false; }
  // Appends every parameter's plain value as an 8-byte native double, in index order.
  virtual bool SerializeParams(ByteBlock* chunk);
  // Reads them back from position, clamped into each range; returns the end position, or -1
  // when the chunk ran short. Announces every parameter with source 2.
  virtual int UnserializeParams(ByteBlock* chunk, int position);
  virtual void PushParamsToGraphics();
  virtual void MarkStateModified() {}
  virtual void PresetSelectionChanged() {}
  // Sizes every channel's scratch buffer for blocks of nFrames (zeroed; the same size keeps
  // them as they are). A size beyond kMaxBlockSize is taken as it; a negative one is refused.
  virtual void SetMaxBlockSize(int nFrames);

  // ---- Channels and audio (called by the adapters, per audio call in this order: mark,
  //      bind inputs, bind outputs, run) ------------------------------------------------------
  bool LegalIO(int nIn, int nOut) const;  // a negative count matches anything
  void MarkInputsConnected(int first, int count, bool connected);
  void MarkOutputsConnected(int first, int count, bool connected);
  // Each binder takes the host's buffers from frame `offset` on, so that a host call longer than
  // the block size can be bound piece by piece (RunInPieces).
  void BindInputBuffers(int first, int count, double* const* host, int offset = 0);
  void BindInputBuffersFloat(int first, int count, float* const* host, int nFrames, int offset = 0);
  void BindOutputBuffers(int first, int count, double* const* host, int offset = 0);
  void BindOutputBuffersFloat(int first, int count, float* const* host, int offset = 0);
  // The run operations process at most the block size set by SetMaxBlockSize.
  void RunProcess(int nFrames);
  void RunProcessFloat(int nFrames);
  void RunPassThrough(int nFrames);
  void RunPassThroughFloat(int nFrames);
  void ClearScratchBuffers();
  // Only the frames one block of nFrames reads (within the block size): an adapter that clears
  // before every block need not zero the whole block size each time.
  void ClearScratchBuffers(int nFrames);
  void NotifyAllParamsChanged(ParamChangeSource source);
  void LabelInputBus(int index, const char* text);   // index 0 or 1
  void LabelOutputBus(int index, const char* text);  // any index >= 0

  // ---- Presets and state --------------------------------------------------------------------
  // Fills the first uninitialised preset from nPairs pairs of (int index, value); the value is
  // read as an int for boolean, integer and enumeration parameters, as a double otherwise.
  // Parameters without a pair keep their current value.
  void MakePresetFromParamPairs(const char* name, int nPairs, ...);
  // Fills the first uninitialised preset with maxBytes bytes: the decoded base64 text followed
  // by zeros.
  void MakePresetFromBase64(const char* name, const char* base64, int maxBytes);
  bool RecallPreset(int index);
  const char* PresetNameAt(int index) const;  // "" out of range
  // Re-stores the current state in the current preset; a non-empty name renames it.
  void ModifyCurrentPreset(const char* name = nullptr);

  // Single-program files (fxp layout, big-endian header).
  bool WritePresetFile(PlugString* path);
  bool ReadPresetFile(PlugString* path);

  // ---- Host ---------------------------------------------------------------------------------
  void SetHost(const char* productName, int packedVersion);
  int GetHostVersion() const { return mHostVersion; }

  // ---- Accessors ----------------------------------------------------------------------------
  int NParams() const { return mParams.GetSize(); }
  IPlugParameter* GetParam(int index) const { return mParams.Get(index); }
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  const ChannelIOPair* GetChannelIO(int index) const { return mChannelIO.Get(index); }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int index) const;
  bool IsOutChannelConnected(int index) const;
  const char* GetInputBusLabel(int index) const;   // null when there is none
  const char* GetOutputBusLabel(int index) const;  // null when there is none

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion() const { return mVersion; }  // packed 0xMMMMmmbb
  // major x 10000 + minor x 100 + revision of a packed version (0x00020008 gives 20008).
  static int DecimalVersion(int packedVersion);

  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInstrument() const { return mIsInst; }
  bool DoesMIDI() const { return mDoesMIDI; }

  // The one range of sample rates the framework takes from any host, edges included. It spans
  // every rate an audio interface runs at with room on both sides, and bounds what the effect
  // sizes from the rate, so that a host or a damaged project cannot make it allocate gigabytes.
  static constexpr double kMinSampleRate = 1000.0;
  static constexpr double kMaxSampleRate = 1536000.0;
  // Finite and inside the range (NaN and infinities are not).
  static bool IsSupportedSampleRate(double rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }
  // The largest block the scratch buffers are ever sized for, whatever a host announces or
  // delivers: a few megabytes for all channels together. Longer host blocks run in pieces of
  // the block size (RunInPieces), which gives the same result as the host's block whole.
  static constexpr int kMaxBlockSize = 65536;

  double GetSampleRate() const { return mSampleRate; }
  // Every adapter sets the rate here and answers the host with the result: false, and nothing
  // changed, for a rate outside the range.
  [[nodiscard]] bool SetSampleRate(double rate);
  int GetBlockSize() const { return mBlockSize; }
  int GetLatency() const { return mLatency; }
  int GetTailSize() const { return mTailSize; }

  IPlugEditor* GetGUI() const { return mGraphics; }
  PlugMutex* GetMutex() { return &mMutex; }

  // Trace hook for adapters and the effect; it does nothing in the shipped builds.
  static void TraceCall(const char* /*function*/, const char* /*format*/ = "", ...) {}

 protected:
  // Makes the bypass path's delay line: one zeroed ring of latency samples per input channel.
  // The VST3 and AAX adapters call it from their constructors.
  void CreateLatencyDelay();

  // Runs a host call of nFrames frames in pieces the scratch buffers hold, in order:
  // piece(offset, frames) binds the host's buffers from frame offset on and runs that many
  // frames. Returns the frames run: nFrames, or 0 when there are no scratch buffers to run in.
  // Nothing is allocated here, except for a host that processes with no block size set (before
  // its set-up): the buffers are then sized once for its block, within the bound.
  template <class Piece>
  int RunInPieces(int nFrames, Piece&& piece) {
    const int block = BlockSizeForPieces(nFrames);
    if (block <= 0 || nFrames <= 0) return 0;
    for (int done = 0; done < nFrames;) {
      const int frames = nFrames - done < block ? nFrames - done : block;  // ends at nFrames: no overflow
      piece(done, frames);
      done += frames;
    }
    return nFrames;
  }

  // The block length the run operations may use: nFrames within [0, block size].
  int UsableFrames(int nFrames) const;
  void ConvertOutputsToFloat(int nFrames);
  PresetRecord* FirstUninitializedPreset() const;
  // Resizes a latency delay's ring to length x its channel count; false when that does not fit.
  static bool ResizeDelay(LatencyDelay* delay, int length);
  // The piece length for a host call of nFrames: the block size, first set from the call when
  // no block size was ever set.
  int BlockSizeForPieces(int nFrames);

  PointerList<ChannelIOPair> mChannelIO;
  PlugMutex mMutex;
  char mEffectName[kNameSize];
  char mProductName[kNameSize];
  char mMfrName[kNameSize];
  int32_t mUniqueID;
  int32_t mMfrID;
  int32_t mVersion;
  PluginApi mApi;
  HostCode mHost = kHostUninit;
  int32_t mHostVersion = 0;
  bool mStateChunks;
  bool mIsInst;
  bool mDoesMIDI;
  int32_t mCurrentPresetIdx = 0;
  int32_t mBlockSize = 0;
  int32_t mLatency;
  int32_t mTailSize = 0;
  LatencyDelay* mLatencyDelay = nullptr;
  IPlugEditor* mGraphics = nullptr;
  PointerList<IPlugParameter> mParams;
  PointerList<PresetRecord> mPresets;
  HeapBuffer mInData{4096};   // double* per input channel, passed to ProcessAudio
  HeapBuffer mOutData{4096};  // double* per output channel
  PointerList<InputChannel> mInChannels;
  PointerList<OutputChannel> mOutChannels;
  PointerList<PlugString> mInputBusLabels;
  PointerList<PlugString> mOutputBusLabels;

 private:
  double mSampleRate = 44100.0;  // changed only through SetSampleRate, which keeps it in range
};
