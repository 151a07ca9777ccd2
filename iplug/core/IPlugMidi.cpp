#include "iplug/core/IPlugMidi.h"

namespace {
uint8_t StatusByte(int kind, int channel) { return static_cast<uint8_t>(kind | (channel & 0x0F)); }
uint8_t DataByte(int value) { return static_cast<uint8_t>(value & 0x7F); }
}  // namespace

void IMidiEvent::SetNoteOn(int note, int velocity, int offset, int channel) {
  mStatus = StatusByte(0x90, channel);
  mData1 = DataByte(note);
  mData2 = DataByte(velocity);
  mOffset = offset;
}

void IMidiEvent::SetNoteOff(int note, int offset, int channel) {
  mStatus = StatusByte(0x80, channel);
  mData1 = DataByte(note);
  mData2 = 0;
  mOffset = offset;
}

void IMidiEvent::SetControlChange(int controller, double normalized, int channel) {
  if (!(normalized >= 0.0)) normalized = 0.0;  // NaN too
  if (normalized > 1.0) normalized = 1.0;
  mStatus = StatusByte(0xB0, channel);
  mData1 = DataByte(controller);
  mData2 = static_cast<uint8_t>(static_cast<int>(normalized * 127.0));
  mOffset = 0;
}
