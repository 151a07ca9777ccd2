#pragma once
// MIDI messages passed between hosts and the plug-in.

#include <cstdint>

struct IMidiEvent {
  int32_t mOffset = 0;  // sample offset within the block
  uint8_t mStatus = 0;
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  // The channel keeps its low four bits and the data bytes their low seven, so a message
  // never turns into another kind.
  void SetNoteOn(int note, int velocity, int offset, int channel);
  void SetNoteOff(int note, int offset, int channel);
  // data2 = normalized x 127 truncated, with normalized taken into [0, 1] (NaN as 0).
  void SetControlChange(int controller, double normalized, int channel);
};

struct SysExEvent {
  int32_t mOffset = 0;
  int32_t mSize = 0;
  const uint8_t* mData = nullptr;  // not owned
};
