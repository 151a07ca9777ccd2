#pragma once
// The part of the plug-in object that only the VST2 adapter calls. The adapter derives from
// this class instead of IPlugBase. None of these members takes the plug-in lock; the adapter
// calls them with it held.

#include "iplug/core/IPlugBase.h"

class IPlugVST2Base : public IPlugBase {
 public:
  IPlugVST2Base(int nParams, const char* channelIOString, int nPresets, const char* effectName,
                const char* productName, const char* makerName, int version, int uniqueId, int makerId,
                int latency, bool midiIn, bool stateChunks, bool instrument);

  // Empties the chunk and appends the magic and the framework version (native order).
  void WriteStateChunkHeader(ByteBlock* chunk);
  // Reads the header at *position. Returns the version and moves past the header; returns 0
  // with the position unchanged when the magic is missing, and 0 with position -1 when the
  // magic is there but the version is cut off.
  int ReadStateChunkHeader(ByteBlock* chunk, int* position);

  // Appends every preset: int32 name length, the name's characters, the initialised byte and,
  // for an initialised preset, its state. False when nothing or not all of it was appended.
  bool SerializePresets(ByteBlock* chunk);
  // Reads every preset back from position and recalls the current preset. Returns the end
  // position, or -1 when the bank is short or malformed; then no preset and no parameter is
  // changed.
  int UnserializePresets(ByteBlock* chunk, int position);
  // Every preset slot not yet made becomes "Empty" holding the current state.
  void FillEmptyPresets();

  // Runs the effect and adds its results into the float outputs bound by
  // BindOutputBuffersFloat.
  void RunProcessAddingFloat(int nFrames);
  // For hosts that can only feed two channels: inputs from the third on are disconnected,
  // outputs from the third on are connected.
  void LimitChannelsForHost();
  // The effect version, packed or as a decimal number (0x00020008 gives 20008).
  int VendorVersionNumber(bool decimal) const;

  // Finds the value of the parameter's display text that equals text exactly.
  static bool MapDisplayText(const IPlugParameter* param, const char* text, int* value);

 private:
  // The number of state bytes one preset takes in a bank: what SaveState writes now.
  int BankStateSize();
};

// Adds each double, converted to single precision, onto the float at the same place. Works in
// groups of eight, then four, then one when the buffers do not overlap; the result equals
// adding sample by sample in order. count <= 0 does nothing.
void AddDoublesToFloats(float* out, const double* in, int count);
