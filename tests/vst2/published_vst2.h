// The published VST 2.4 binary facts a host relies on, written out independently of our layer's
// headers: record offsets for x86 and x86-64, opcode numbers in both directions, record sizes,
// and raw calls through the record's function pointers with the published calling convention.
// The test host is built on these, so a wrong offset or opcode in our declarations shows up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32) && defined(__i386__)
#define PUBLISHED_VST2_CALL __attribute__((__cdecl__))
#else
#define PUBLISHED_VST2_CALL
#endif

namespace vst2pub {

using IntPtr = std::intptr_t;
constexpr bool k64 = sizeof(void*) == 8;
constexpr std::size_t At(std::size_t x86, std::size_t x64) { return k64 ? x64 : x86; }

using HostCallback = IntPtr(PUBLISHED_VST2_CALL*)(void* effect, int32_t opcode, int32_t index, IntPtr value,
                                                  void* ptr, float opt);
using EntryPoint = void*(PUBLISHED_VST2_CALL*)(HostCallback callback);

// ---- The plug-in record ----------------------------------------------------------------------
namespace record {
constexpr std::size_t kSize = At(144, 192);
constexpr std::size_t magic = 0, dispatcher = At(4, 8), process = At(8, 16), setParameter = At(12, 24),
                      getParameter = At(16, 32), numPrograms = At(20, 40), numParams = At(24, 44),
                      numInputs = At(28, 48), numOutputs = At(32, 52), flags = At(36, 56), resvd1 = At(40, 64),
                      resvd2 = At(44, 72), initialDelay = At(48, 80), ioRatio = At(60, 92), object = At(64, 96),
                      uniqueID = At(72, 112), version = At(76, 116), processReplacing = At(80, 120),
                      processDoubleReplacing = At(84, 128), future = At(88, 136);
}  // namespace record
constexpr int32_t kMagic = 0x56737450;

// ---- Dispatcher opcodes (host -> plug-in) ----------------------------------------------------
namespace op {
enum : int32_t {
  open = 0, close = 1, setProgram = 2, getProgram = 3, setProgramName = 4, getProgramName = 5,
  getParamLabel = 6, getParamDisplay = 7, getParamName = 8, setSampleRate = 10, setBlockSize = 11,
  mainsChanged = 12, editGetRect = 13, editOpen = 14, editClose = 15, editIdle = 19, identify = 22,
  getChunk = 23, setChunk = 24, processEvents = 25, canBeAutomated = 26, string2Parameter = 27,
  getProgramNameIndexed = 29, getInputProperties = 33, getOutputProperties = 34, getPlugCategory = 35,
  setSpeakerArrangement = 42, setBypass = 44, getEffectName = 45, getVendorString = 47,
  getProductString = 48, getVendorVersion = 49, vendorSpecific = 50, canDo = 51, getTailSize = 52,
  idle = 53, getVstVersion = 58, getMidiKeyName = 66, getSpeakerArrangement = 69, startProcess = 71,
  setProcessPrecision = 77,
};
}  // namespace op

// ---- Host callback opcodes (plug-in -> host) -------------------------------------------------
namespace host {
enum : int32_t {
  automate = 0, version = 1, wantMidi = 6, getTime = 7, processEvents = 8, getCurrentProcessLevel = 23,
  getVendorString = 32, getProductString = 33, getVendorVersion = 34, updateDisplay = 42, beginEdit = 43,
  endEdit = 44,
};
}  // namespace host

// ---- Other records ----------------------------------------------------------------------------
namespace timeinfo {
constexpr std::size_t kSize = 88;
constexpr std::size_t samplePos = 0, sampleRate = 8, ppqPos = 24, tempo = 32, timeSigNumerator = 64,
                      timeSigDenominator = 68, flags = 84;
constexpr int32_t kPlaying = 0x2, kTempoValid = 0x400, kTimeSigValid = 0x2000;
}  // namespace timeinfo
namespace event {  // MIDI events (32 bytes) and SysEx events share the first four fields
constexpr std::size_t kSize = 32;
constexpr std::size_t type = 0, byteSize = 4, deltaFrames = 8, midiData = 24, dumpBytes = 16, sysexDump = At(24, 32);
constexpr std::size_t kSysExSize = At(32, 48);
constexpr int32_t kMidi = 1, kSysEx = 6;
}  // namespace event
namespace events {  // the event list: numEvents, then the pointers
constexpr std::size_t numEvents = 0, entries = At(8, 16);
}  // namespace events
namespace pin {
constexpr std::size_t kSize = 128;
constexpr std::size_t label = 0, flags = 64;
}  // namespace pin
namespace keyname {
constexpr std::size_t kSize = 80;
constexpr std::size_t keyNumber = 4, keyName = 8;
}  // namespace keyname
namespace arrangement {
constexpr std::size_t kSize = 904;
constexpr std::size_t type = 0, numChannels = 4;
}  // namespace arrangement
namespace rect {  // int16 each
constexpr std::size_t top = 0, left = 2, bottom = 4, right = 6;
}  // namespace rect

// ---- Raw access ---------------------------------------------------------------------------------
template <class T>
T field(const void* base, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const unsigned char*>(base) + offset, sizeof(T));
  return value;
}
template <class T>
void setField(void* base, std::size_t offset, T value) {
  std::memcpy(static_cast<unsigned char*>(base) + offset, &value, sizeof(T));
}

// The record's function pointers, called with the published convention.
inline IntPtr dispatch(void* effect, int32_t opcode, int32_t index = 0, IntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) {
  using Fn = IntPtr(PUBLISHED_VST2_CALL*)(void*, int32_t, int32_t, IntPtr, void*, float);
  return field<Fn>(effect, record::dispatcher)(effect, opcode, index, value, ptr, opt);
}
template <class Sample>
void process(void* effect, std::size_t slot, Sample** inputs, Sample** outputs, int32_t frames) {
  using Fn = void(PUBLISHED_VST2_CALL*)(void*, Sample**, Sample**, int32_t);
  field<Fn>(effect, slot)(effect, inputs, outputs, frames);
}
inline void setParameter(void* effect, int32_t index, float value) {
  using Fn = void(PUBLISHED_VST2_CALL*)(void*, int32_t, float);
  field<Fn>(effect, record::setParameter)(effect, index, value);
}
inline float getParameter(void* effect, int32_t index) {
  using Fn = float(PUBLISHED_VST2_CALL*)(void*, int32_t);
  return field<Fn>(effect, record::getParameter)(effect, index);
}

}  // namespace vst2pub
