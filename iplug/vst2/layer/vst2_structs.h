// Records of the VST 2.4 binary interface that pass between host and plug-in besides the
// plug-in record: the editor rectangle, events and event lists, the time record, speaker
// arrangements, pin properties and MIDI key names. Sizes and offsets are pinned for x86 and
// x86-64; only the event list and the SysEx event differ between the two.
#pragma once

#include <cstddef>
#include <cstdint>

#include "iplug/vst2/layer/vst2_types.h"

// The editor's rectangle, handed out by the plug-in (opcode 13).
struct Vst2EditorRect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};

// Event types.
constexpr int32_t kVst2MidiType = 1;
constexpr int32_t kVst2SysExType = 6;

// The header every event shares; the list holds pointers to records of this shape.
struct Vst2Event {
  int32_t type;
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  char data[16];
};

struct Vst2MidiEvent {
  int32_t type;  // kVst2MidiType
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t noteLength;
  int32_t noteOffset;
  char midiData[4];  // status, data 1, data 2, zero
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};

struct Vst2SysExEvent {
  int32_t type;  // kVst2SysExType
  int32_t byteSize;
  int32_t deltaFrames;
  int32_t flags;
  int32_t dumpBytes;
  Vst2IntPtr resvd1;
  char* sysexDump;
  Vst2IntPtr resvd2;
};

// An event list: numEvents pointers follow, of which two are declared.
struct Vst2Events {
  int32_t numEvents;
  Vst2IntPtr reserved;
  Vst2Event* events[2];
};

// Validity bits of the time record, also the mask of a time request.
enum Vst2TimeFlags : int32_t {
  kVst2TransportPlaying = 0x2,
  kVst2TransportCycleActive = 0x4,
  kVst2PpqPosValid = 0x200,
  kVst2TempoValid = 0x400,
  kVst2BarsValid = 0x800,
  kVst2CyclePosValid = 0x1000,
  kVst2TimeSigValid = 0x2000,
};

struct Vst2TimeInfo {
  double samplePos;
  double sampleRate;
  double nanoSeconds;
  double ppqPos;
  double tempo;
  double barStartPos;
  double cycleStartPos;
  double cycleEndPos;
  int32_t timeSigNumerator;
  int32_t timeSigDenominator;
  int32_t smpteOffset;
  int32_t smpteFrameRate;
  int32_t samplesToNextClock;
  int32_t flags;
};

struct Vst2SpeakerProperties {
  float azimuth;
  float elevation;
  float radius;
  float reserved;
  char name[64];
  int32_t type;
  char future[28];
};

// Arrangement types the plug-in publishes.
constexpr int32_t kVst2ArrangementUserDefined = -2;
constexpr int32_t kVst2ArrangementEmpty = -1;
constexpr int32_t kVst2ArrangementMono = 0;
constexpr int32_t kVst2ArrangementStereo = 1;

struct Vst2SpeakerArrangement {
  int32_t type;
  int32_t numChannels;
  Vst2SpeakerProperties speakers[8];
};

// Pin flags.
constexpr int32_t kVst2PinIsActive = 1;
constexpr int32_t kVst2PinIsStereo = 2;

struct Vst2PinProperties {
  char label[64];
  int32_t flags;
  int32_t arrangementType;
  char shortLabel[8];
  char future[48];
};

struct Vst2MidiKeyName {
  int32_t thisProgramIndex;
  int32_t thisKeyNumber;
  char keyName[64];
  int32_t reserved;
  int32_t flags;
};

// ---- Layouts ---------------------------------------------------------------------------------

static_assert(sizeof(Vst2EditorRect) == 8 && offsetof(Vst2EditorRect, left) == 2 &&
                  offsetof(Vst2EditorRect, bottom) == 4 && offsetof(Vst2EditorRect, right) == 6,
              "editor rectangle");

static_assert(sizeof(Vst2Event) == 32 && offsetof(Vst2Event, deltaFrames) == 8 && offsetof(Vst2Event, data) == 16,
              "event header");

static_assert(sizeof(Vst2MidiEvent) == 32, "MIDI event size");
static_assert(offsetof(Vst2MidiEvent, byteSize) == 4 && offsetof(Vst2MidiEvent, deltaFrames) == 8 &&
                  offsetof(Vst2MidiEvent, flags) == 12 && offsetof(Vst2MidiEvent, noteLength) == 16 &&
                  offsetof(Vst2MidiEvent, noteOffset) == 20 && offsetof(Vst2MidiEvent, midiData) == 24 &&
                  offsetof(Vst2MidiEvent, detune) == 28 && offsetof(Vst2MidiEvent, noteOffVelocity) == 29,
              "MIDI event fields");

static_assert(sizeof(Vst2SysExEvent) == vst2layout::At(32, 48), "SysEx event size");
static_assert(offsetof(Vst2SysExEvent, deltaFrames) == 8 && offsetof(Vst2SysExEvent, dumpBytes) == 16 &&
                  offsetof(Vst2SysExEvent, resvd1) == vst2layout::At(20, 24) &&
                  offsetof(Vst2SysExEvent, sysexDump) == vst2layout::At(24, 32) &&
                  offsetof(Vst2SysExEvent, resvd2) == vst2layout::At(28, 40),
              "SysEx event fields");

static_assert(sizeof(Vst2Events) == vst2layout::At(16, 32), "event list size");
static_assert(offsetof(Vst2Events, reserved) == vst2layout::At(4, 8) &&
                  offsetof(Vst2Events, events) == vst2layout::At(8, 16),
              "event list fields");

static_assert(sizeof(Vst2TimeInfo) == 88 && alignof(Vst2TimeInfo) == 8, "time record size");
static_assert(offsetof(Vst2TimeInfo, sampleRate) == 8 && offsetof(Vst2TimeInfo, ppqPos) == 24 &&
                  offsetof(Vst2TimeInfo, tempo) == 32 && offsetof(Vst2TimeInfo, barStartPos) == 40 &&
                  offsetof(Vst2TimeInfo, cycleStartPos) == 48 && offsetof(Vst2TimeInfo, cycleEndPos) == 56 &&
                  offsetof(Vst2TimeInfo, timeSigNumerator) == 64 &&
                  offsetof(Vst2TimeInfo, timeSigDenominator) == 68 && offsetof(Vst2TimeInfo, flags) == 84,
              "time record fields");

static_assert(sizeof(Vst2SpeakerProperties) == 112 && offsetof(Vst2SpeakerProperties, name) == 16 &&
                  offsetof(Vst2SpeakerProperties, type) == 80,
              "speaker properties");
static_assert(sizeof(Vst2SpeakerArrangement) == 904 && offsetof(Vst2SpeakerArrangement, numChannels) == 4 &&
                  offsetof(Vst2SpeakerArrangement, speakers) == 8,
              "speaker arrangement");

static_assert(sizeof(Vst2PinProperties) == 128 && offsetof(Vst2PinProperties, flags) == 64 &&
                  offsetof(Vst2PinProperties, arrangementType) == 68 && offsetof(Vst2PinProperties, shortLabel) == 72,
              "pin properties");

static_assert(sizeof(Vst2MidiKeyName) == 80 && offsetof(Vst2MidiKeyName, thisKeyNumber) == 4 &&
                  offsetof(Vst2MidiKeyName, keyName) == 8 && offsetof(Vst2MidiKeyName, reserved) == 72,
              "MIDI key name");
