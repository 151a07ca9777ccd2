#pragma once
// Records and codes shared by the plug-in base, its adapters and the effect.

#include <cstdint>

#include "iplug/core/IPlugUtilities.h"

// Where a parameter change came from, passed to IPlugBase::ParamValueChanged.
enum ParamChangeSource : int32_t {
  kSourceHostOpen = 0,  // a VST2 host opened the plug-in: every parameter is announced once
  kSourceHost = 1,      // host automation or host text entry
  kSourceRecall = 2,    // state, preset or program-file recall
  kSourceEditor = 3,    // the editor
  kSourceFollowUp = 4,  // a change made inside the reaction itself
};

// The adapter kind.
enum PluginApi : int32_t {
  kApiVST2 = 0,
  kApiVST3 = 1,
  kApiAAX = 4,
};

// The host, as identified from its product name (IdentifyHost).
enum HostCode : int32_t {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigital = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPreSonus = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30,
  kHostWaveLab = 31,
};

// Header ahead of a state chunk inside program files and VST2 chunks (native byte order).
constexpr int32_t kStateChunkMagic = 0x70666674;  // 'pfft'
constexpr int32_t kFrameworkVersion = 0x00010000;

// One legal channel configuration.
struct ChannelIOPair {
  int32_t mIn = 0;
  int32_t mOut = 0;
};

// Binds one host input buffer. The slot is this channel's entry of the input pointer array.
struct InputChannel {
  bool mConnected = false;
  double** mSrc = nullptr;
  HeapBuffer mScratch{4096};
  PlugString mLabel;

  double* ScratchData() const { return static_cast<double*>(mScratch.Get()); }
  double*& Slot() const { return *mSrc; }
};

// Binds one host output buffer. On the float path the slot is the scratch buffer and the
// result is converted into the float destination.
struct OutputChannel {
  bool mConnected = false;
  double** mDest = nullptr;
  float* mFDest = nullptr;
  HeapBuffer mScratch{4096};
  PlugString mLabel;

  double* ScratchData() const { return static_cast<double*>(mScratch.Get()); }
  double*& Slot() const { return *mDest; }
};

// The delay line of the bypass path: one ring of mLength doubles per input channel, channel j's
// ring at j x mLength.
struct LatencyDelay {
  HeapBuffer mBuffer{4096};
  int32_t mWritePos = 0;
  int32_t mNInputs = 0;
  int32_t mNOutputs = 0;
  int32_t mLength = 0;

  double* Data() const { return static_cast<double*>(mBuffer.Get()); }
};

// One preset slot.
constexpr int kPresetNameSize = 256;  // 255 characters and a zero

struct PresetRecord {
  bool mInitialized = false;
  char mName[kPresetNameSize] = "empty";
  ByteBlock mChunk;
};

// Transport state, filled by each adapter from its host.
struct TransportInfo {
  double mTempo = 0.0;
  double mSamplePos = 0.0;
  double mPPQPos = 0.0;
  double mLastBar = 0.0;
  double mCycleStart = 0.0;
  double mCycleEnd = 0.0;
  int mNumerator = 0;
  int mDenominator = 0;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
