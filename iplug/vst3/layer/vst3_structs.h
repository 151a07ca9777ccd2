// Structures and constants that cross the VST3 binary interface. Every size and offset a host
// sees is pinned below for the 32-bit (x86) and the 64-bit (x86-64) layout.
#pragma once

#include <cstddef>

#include "vst3_types.h"

namespace Steinberg {

// ---------------------------------------------------------------------------------------------
// Factory records (no packing directive: chars and 32-bit integers only)

struct PFactoryInfo {
  enum FactoryFlags : int32 {
    kNoFlags = 0,
    kClassesDiscardable = 1 << 0,
    kLicenseCheck = 1 << 1,
    kComponentNonDiscardable = 1 << 3,
    kUnicode = 1 << 4,
  };
  enum { kURLSize = 256, kEmailSize = 128, kNameSize = 64 };

  char8 vendor[kNameSize];
  char8 url[kURLSize];
  char8 email[kEmailSize];
  int32 flags;
};

struct PClassInfo {
  enum ClassCardinality : int32 { kManyInstances = 0x7FFFFFFF };
  enum { kCategorySize = 32, kNameSize = 64 };

  TUID cid;
  int32 cardinality;
  char8 category[kCategorySize];
  char8 name[kNameSize];
};

enum ComponentFlags : uint32 {
  kDistributable = 1 << 0,
  kSimpleModeSupported = 1 << 1,
};

struct PClassInfo2 {
  enum { kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };

  TUID cid;
  int32 cardinality;
  char8 category[PClassInfo::kCategorySize];
  char8 name[PClassInfo::kNameSize];
  uint32 classFlags;
  char8 subCategories[kSubCategoriesSize];
  char8 vendor[kVendorSize];
  char8 version[kVersionSize];
  char8 sdkVersion[kVersionSize];
};

struct PClassInfoW {
  enum { kVendorSize = 64, kVersionSize = 64, kSubCategoriesSize = 128 };

  TUID cid;
  int32 cardinality;
  char8 category[PClassInfo::kCategorySize];
  char16 name[PClassInfo::kNameSize];
  uint32 classFlags;
  char8 subCategories[kSubCategoriesSize];
  char16 vendor[kVendorSize];
  char16 version[kVersionSize];
  char16 sdkVersion[kVersionSize];
};

// ---------------------------------------------------------------------------------------------
// View rectangle (physical pixels on Windows)

struct ViewRect {
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;

  int32 getWidth() const { return right - left; }
  int32 getHeight() const { return bottom - top; }
};

// Platform type given to IPlugView::attached on Windows, and the view name of createView.
constexpr FIDString kPlatformTypeHWND = "HWND";

namespace Vst {

constexpr FIDString kEditor = "editor";
constexpr FIDString kVstAudioEffectClass = "Audio Module Class";
constexpr FIDString kVstComponentControllerClass = "Component Controller Class";
constexpr FIDString kVstVersionString = "VST 3.5.2";

// ---------------------------------------------------------------------------------------------
// Buses, media types, modes

enum MediaTypes : int32 { kAudio = 0, kEvent = 1, kNumMediaTypes = 2 };
enum BusDirections : int32 { kInput = 0, kOutput = 1 };
enum BusTypes : int32 { kMain = 0, kAux = 1 };
enum IoModes : int32 { kSimple = 0, kAdvanced = 1, kOfflineProcessing = 2 };
enum ProcessModes : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
enum SymbolicSampleSizes : int32 { kSample32 = 0, kSample64 = 1 };
enum KnobModes : int32 { kCircularMode = 0, kRelativCircularMode = 1, kLinearMode = 2 };

constexpr uint32 kNoTail = 0;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;
constexpr int32 kAllProgramInvalid = -1;

enum RestartFlags : int32 {
  kReloadComponent = 1 << 0,
  kIoChanged = 1 << 1,
  kParamValuesChanged = 1 << 2,
  kLatencyChanged = 1 << 3,
  kParamTitlesChanged = 1 << 4,
  kMidiCCAssignmentChanged = 1 << 5,
  kNoteExpressionChanged = 1 << 6,
  kIoTitlesChanged = 1 << 7,
};

// MIDI controller numbers beyond the 128 control changes.
enum ControllerNumbers : int16 { kAfterTouch = 128, kPitchBend = 129, kCountCtrlNumber = 130 };

struct BusInfo {
  enum BusFlags : uint32 { kDefaultActive = 1 << 0 };

  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};

struct RoutingInfo {
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};

// ---------------------------------------------------------------------------------------------
// Speakers: a set of bits; the channel order inside a bus is ascending bit order.

namespace SpeakerArr {
constexpr SpeakerArrangement kEmpty = 0;
constexpr SpeakerArrangement kMono = 1ull << 19;
constexpr SpeakerArrangement kStereo = 0x3;
constexpr SpeakerArrangement k30Cine = 0x7;
constexpr SpeakerArrangement k30Music = 0x103;
constexpr SpeakerArrangement k40Cine = 0x107;
constexpr SpeakerArrangement k40Music = 0x33;
constexpr SpeakerArrangement kBFormat = 0xF00000;
constexpr SpeakerArrangement k50 = 0x37;
constexpr SpeakerArrangement k51 = 0x3F;

inline int32 getChannelCount(SpeakerArrangement arr) {
  int32 n = 0;
  for (; arr != 0; arr &= arr - 1) ++n;
  return n;
}
}  // namespace SpeakerArr

// ---------------------------------------------------------------------------------------------
// Processing

struct ProcessSetup {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers {
  int32 numChannels;
  uint64 silenceFlags;
  union {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

struct Chord {
  uint8 keyNote;
  uint8 rootNote;
  int16 chordMask;
};

struct FrameRate {
  enum FrameRateFlags : uint32 { kPullDownRate = 1 << 0, kDropRate = 1 << 1 };
  uint32 framesPerSecond;
  uint32 flags;
};

struct ProcessContext {
  enum StatesAndFlags : uint32 {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,
    kContTimeValid = 1 << 17,
    kProjectTimeMusicValid = 1 << 9,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTempoValid = 1 << 10,
    kTimeSigValid = 1 << 13,
    kChordValid = 1 << 18,
    kSmpteValid = 1 << 14,
    kClockValid = 1 << 15,
  };

  uint32 state;
  SampleRate sampleRate;
  TSamples projectTimeSamples;
  int64 systemTime;
  TSamples continousTimeSamples;  // (sic) the published field name
  TQuarterNotes projectTimeMusic;
  TQuarterNotes barPositionMusic;
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

class IParameterChanges;
class IEventList;

struct ProcessData {
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

// ---------------------------------------------------------------------------------------------
// Events

struct NoteOnEvent {
  int16 channel;
  int16 pitch;
  float tuning;
  float velocity;
  int32 length;
  int32 noteId;
};

struct NoteOffEvent {
  int16 channel;
  int16 pitch;
  float velocity;
  int32 noteId;
  float tuning;
};

struct DataEvent {
  enum DataTypes : uint32 { kMidiSysEx = 0 };
  uint32 size;
  uint32 type;
  const uint8* bytes;
};

struct PolyPressureEvent {
  int16 channel;
  int16 pitch;
  float pressure;
  int32 noteId;
};

// The two note-expression bodies are only 4-aligned on 32-bit Windows, which moves the union of
// Event to offset 20 there.
#if CORVANE_VST3_X86
#pragma pack(push, 4)
#endif
struct NoteExpressionValueEvent {
  uint32 typeId;
  int32 noteId;
  double value;
};

struct NoteExpressionTextEvent {
  uint32 typeId;
  int32 noteId;
  uint32 textLen;
  const TChar* text;
};
#if CORVANE_VST3_X86
#pragma pack(pop)
#endif

struct Event {
  enum EventFlags : uint16 { kIsLive = 1 << 0, kUserReserved1 = 1 << 14, kUserReserved2 = 1 << 15 };
  enum EventTypes : uint16 {
    kNoteOnEvent = 0,
    kNoteOffEvent = 1,
    kDataEvent = 2,
    kPolyPressureEvent = 3,
    kNoteExpressionValueEvent = 4,
    kNoteExpressionTextEvent = 5,
    kChordEvent = 6,
    kScaleEvent = 7,
  };

  int32 busIndex;
  int32 sampleOffset;
  TQuarterNotes ppqPosition;
  uint16 flags;
  uint16 type;
  union {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    PolyPressureEvent polyPressure;
    NoteExpressionValueEvent noteExpressionValue;
    NoteExpressionTextEvent noteExpressionText;
  };
};

// ---------------------------------------------------------------------------------------------
// Parameters, units, program lists

struct ParameterInfo {
  enum ParameterFlags : int32 {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16,
  };

  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32 flags;
};

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32 programCount;
};

// One entry of a host context menu (IContextMenu::Item).
struct IContextMenuItem {
  enum Flags : int32 {
    kIsSeparator = 1 << 0,
    kIsDisabled = 1 << 1,
    kIsChecked = 1 << 2,
    kIsGroupStart = 1 << 3 | kIsDisabled,
    kIsGroupEnd = 1 << 4 | kIsSeparator,
  };
  String128 name;
  int32 tag;
  int32 flags;
};

}  // namespace Vst

// IBStream seek modes.
enum IStreamSeekMode : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

// ---------------------------------------------------------------------------------------------
// Pinned layouts. The x86 column applies to 32-bit Windows, the x86-64 column to 64-bit
// Windows (and to the native 64-bit test build, which lays these out the same way).

namespace LayoutCheck {
constexpr bool k64 = sizeof(void*) == 8;
constexpr std::size_t pick(std::size_t x86, std::size_t x64) { return k64 ? x64 : x86; }
}  // namespace LayoutCheck

#define CORVANE_VST3_PIN_SIZE(T, x86, x64) \
  static_assert(sizeof(T) == ::Steinberg::LayoutCheck::pick(x86, x64), "size of " #T)
#define CORVANE_VST3_PIN(T, field, x86, x64)                                        \
  static_assert(offsetof(T, field) == ::Steinberg::LayoutCheck::pick(x86, x64), \
                "offset of " #T "::" #field)

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "32- or 64-bit targets only");
static_assert(sizeof(char16) == 2 && sizeof(TUID) == 16 && sizeof(TBool) == 1, "basic types");
static_assert(sizeof(Vst::String128) == 256, "String128");

CORVANE_VST3_PIN_SIZE(PFactoryInfo, 452, 452);
CORVANE_VST3_PIN(PFactoryInfo, url, 64, 64);
CORVANE_VST3_PIN(PFactoryInfo, email, 320, 320);
CORVANE_VST3_PIN(PFactoryInfo, flags, 448, 448);

CORVANE_VST3_PIN_SIZE(PClassInfo, 116, 116);
CORVANE_VST3_PIN(PClassInfo, cardinality, 16, 16);
CORVANE_VST3_PIN(PClassInfo, category, 20, 20);
CORVANE_VST3_PIN(PClassInfo, name, 52, 52);

CORVANE_VST3_PIN_SIZE(PClassInfo2, 440, 440);
CORVANE_VST3_PIN(PClassInfo2, cardinality, 16, 16);
CORVANE_VST3_PIN(PClassInfo2, category, 20, 20);
CORVANE_VST3_PIN(PClassInfo2, name, 52, 52);
CORVANE_VST3_PIN(PClassInfo2, classFlags, 116, 116);
CORVANE_VST3_PIN(PClassInfo2, subCategories, 120, 120);
CORVANE_VST3_PIN(PClassInfo2, vendor, 248, 248);
CORVANE_VST3_PIN(PClassInfo2, version, 312, 312);
CORVANE_VST3_PIN(PClassInfo2, sdkVersion, 376, 376);

CORVANE_VST3_PIN_SIZE(PClassInfoW, 696, 696);
CORVANE_VST3_PIN(PClassInfoW, cardinality, 16, 16);
CORVANE_VST3_PIN(PClassInfoW, category, 20, 20);
CORVANE_VST3_PIN(PClassInfoW, name, 52, 52);
CORVANE_VST3_PIN(PClassInfoW, classFlags, 180, 180);
CORVANE_VST3_PIN(PClassInfoW, subCategories, 184, 184);
CORVANE_VST3_PIN(PClassInfoW, vendor, 312, 312);
CORVANE_VST3_PIN(PClassInfoW, version, 440, 440);
CORVANE_VST3_PIN(PClassInfoW, sdkVersion, 568, 568);

CORVANE_VST3_PIN_SIZE(ViewRect, 16, 16);
CORVANE_VST3_PIN(ViewRect, top, 4, 4);
CORVANE_VST3_PIN(ViewRect, right, 8, 8);
CORVANE_VST3_PIN(ViewRect, bottom, 12, 12);

namespace Vst {

CORVANE_VST3_PIN_SIZE(ProcessSetup, 24, 24);
CORVANE_VST3_PIN(ProcessSetup, symbolicSampleSize, 4, 4);
CORVANE_VST3_PIN(ProcessSetup, maxSamplesPerBlock, 8, 8);
CORVANE_VST3_PIN(ProcessSetup, sampleRate, 16, 16);

CORVANE_VST3_PIN_SIZE(AudioBusBuffers, 24, 24);
CORVANE_VST3_PIN(AudioBusBuffers, silenceFlags, 8, 8);
CORVANE_VST3_PIN(AudioBusBuffers, channelBuffers32, 16, 16);
CORVANE_VST3_PIN(AudioBusBuffers, channelBuffers64, 16, 16);

CORVANE_VST3_PIN_SIZE(ProcessData, 48, 80);
CORVANE_VST3_PIN(ProcessData, symbolicSampleSize, 4, 4);
CORVANE_VST3_PIN(ProcessData, numSamples, 8, 8);
CORVANE_VST3_PIN(ProcessData, numInputs, 12, 12);
CORVANE_VST3_PIN(ProcessData, numOutputs, 16, 16);
CORVANE_VST3_PIN(ProcessData, inputs, 20, 24);
CORVANE_VST3_PIN(ProcessData, outputs, 24, 32);
CORVANE_VST3_PIN(ProcessData, inputParameterChanges, 28, 40);
CORVANE_VST3_PIN(ProcessData, outputParameterChanges, 32, 48);
CORVANE_VST3_PIN(ProcessData, inputEvents, 36, 56);
CORVANE_VST3_PIN(ProcessData, outputEvents, 40, 64);
CORVANE_VST3_PIN(ProcessData, processContext, 44, 72);

CORVANE_VST3_PIN_SIZE(Chord, 4, 4);
CORVANE_VST3_PIN(Chord, rootNote, 1, 1);
CORVANE_VST3_PIN(Chord, chordMask, 2, 2);
CORVANE_VST3_PIN_SIZE(FrameRate, 8, 8);
CORVANE_VST3_PIN(FrameRate, flags, 4, 4);

CORVANE_VST3_PIN_SIZE(ProcessContext, 112, 112);
CORVANE_VST3_PIN(ProcessContext, sampleRate, 8, 8);
CORVANE_VST3_PIN(ProcessContext, projectTimeSamples, 16, 16);
CORVANE_VST3_PIN(ProcessContext, systemTime, 24, 24);
CORVANE_VST3_PIN(ProcessContext, continousTimeSamples, 32, 32);
CORVANE_VST3_PIN(ProcessContext, projectTimeMusic, 40, 40);
CORVANE_VST3_PIN(ProcessContext, barPositionMusic, 48, 48);
CORVANE_VST3_PIN(ProcessContext, cycleStartMusic, 56, 56);
CORVANE_VST3_PIN(ProcessContext, cycleEndMusic, 64, 64);
CORVANE_VST3_PIN(ProcessContext, tempo, 72, 72);
CORVANE_VST3_PIN(ProcessContext, timeSigNumerator, 80, 80);
CORVANE_VST3_PIN(ProcessContext, timeSigDenominator, 84, 84);
CORVANE_VST3_PIN(ProcessContext, chord, 88, 88);
CORVANE_VST3_PIN(ProcessContext, smpteOffsetSubframes, 92, 92);
CORVANE_VST3_PIN(ProcessContext, frameRate, 96, 96);
CORVANE_VST3_PIN(ProcessContext, samplesToNextClock, 104, 104);

CORVANE_VST3_PIN_SIZE(NoteOnEvent, 20, 20);
CORVANE_VST3_PIN(NoteOnEvent, pitch, 2, 2);
CORVANE_VST3_PIN(NoteOnEvent, tuning, 4, 4);
CORVANE_VST3_PIN(NoteOnEvent, velocity, 8, 8);
CORVANE_VST3_PIN(NoteOnEvent, length, 12, 12);
CORVANE_VST3_PIN(NoteOnEvent, noteId, 16, 16);
CORVANE_VST3_PIN_SIZE(NoteOffEvent, 16, 16);
CORVANE_VST3_PIN(NoteOffEvent, pitch, 2, 2);
CORVANE_VST3_PIN(NoteOffEvent, velocity, 4, 4);
CORVANE_VST3_PIN(NoteOffEvent, noteId, 8, 8);
CORVANE_VST3_PIN(NoteOffEvent, tuning, 12, 12);
CORVANE_VST3_PIN_SIZE(DataEvent, 12, 16);
CORVANE_VST3_PIN(DataEvent, type, 4, 4);
CORVANE_VST3_PIN(DataEvent, bytes, 8, 8);
CORVANE_VST3_PIN_SIZE(PolyPressureEvent, 12, 12);
CORVANE_VST3_PIN(PolyPressureEvent, pressure, 4, 4);
CORVANE_VST3_PIN(PolyPressureEvent, noteId, 8, 8);
CORVANE_VST3_PIN_SIZE(NoteExpressionValueEvent, 16, 16);
CORVANE_VST3_PIN(NoteExpressionValueEvent, value, 8, 8);
static_assert(alignof(NoteExpressionValueEvent) == LayoutCheck::pick(4, 8), "note-expression pack");
CORVANE_VST3_PIN_SIZE(NoteExpressionTextEvent, 16, 24);
CORVANE_VST3_PIN(NoteExpressionTextEvent, textLen, 8, 8);
CORVANE_VST3_PIN(NoteExpressionTextEvent, text, 12, 16);

CORVANE_VST3_PIN_SIZE(Event, 40, 48);
static_assert(alignof(Event) == 8, "Event alignment");
CORVANE_VST3_PIN(Event, sampleOffset, 4, 4);
CORVANE_VST3_PIN(Event, ppqPosition, 8, 8);
CORVANE_VST3_PIN(Event, flags, 16, 16);
CORVANE_VST3_PIN(Event, type, 18, 18);
CORVANE_VST3_PIN(Event, noteOn, 20, 24);
CORVANE_VST3_PIN(Event, noteOff, 20, 24);
CORVANE_VST3_PIN(Event, noteExpressionText, 20, 24);

CORVANE_VST3_PIN_SIZE(ParameterInfo, 792, 792);
static_assert(alignof(ParameterInfo) == 8, "ParameterInfo alignment");
CORVANE_VST3_PIN(ParameterInfo, title, 4, 4);
CORVANE_VST3_PIN(ParameterInfo, shortTitle, 260, 260);
CORVANE_VST3_PIN(ParameterInfo, units, 516, 516);
CORVANE_VST3_PIN(ParameterInfo, stepCount, 772, 772);
CORVANE_VST3_PIN(ParameterInfo, defaultNormalizedValue, 776, 776);
CORVANE_VST3_PIN(ParameterInfo, unitId, 784, 784);
CORVANE_VST3_PIN(ParameterInfo, flags, 788, 788);

CORVANE_VST3_PIN_SIZE(BusInfo, 276, 276);
CORVANE_VST3_PIN(BusInfo, direction, 4, 4);
CORVANE_VST3_PIN(BusInfo, channelCount, 8, 8);
CORVANE_VST3_PIN(BusInfo, name, 12, 12);
CORVANE_VST3_PIN(BusInfo, busType, 268, 268);
CORVANE_VST3_PIN(BusInfo, flags, 272, 272);

CORVANE_VST3_PIN_SIZE(RoutingInfo, 12, 12);
CORVANE_VST3_PIN(RoutingInfo, busIndex, 4, 4);
CORVANE_VST3_PIN(RoutingInfo, channel, 8, 8);

CORVANE_VST3_PIN_SIZE(UnitInfo, 268, 268);
CORVANE_VST3_PIN(UnitInfo, parentUnitId, 4, 4);
CORVANE_VST3_PIN(UnitInfo, name, 8, 8);
CORVANE_VST3_PIN(UnitInfo, programListId, 264, 264);

CORVANE_VST3_PIN_SIZE(ProgramListInfo, 264, 264);
CORVANE_VST3_PIN(ProgramListInfo, name, 4, 4);
CORVANE_VST3_PIN(ProgramListInfo, programCount, 260, 260);

CORVANE_VST3_PIN_SIZE(IContextMenuItem, 264, 264);
CORVANE_VST3_PIN(IContextMenuItem, tag, 256, 256);
CORVANE_VST3_PIN(IContextMenuItem, flags, 260, 260);

}  // namespace Vst
}  // namespace Steinberg
