// Basic types, the calling convention and the plug-in record of the VST 2.4 binary interface,
// as hosts on Windows x86 and x86-64 expect them. Every size and offset a host reads is pinned
// below for both pointer sizes; the native builds have the x86-64 layout.
#pragma once

#include <cstddef>
#include <cstdint>

// Every function a host calls (the record's callbacks and the module entry), and the host
// callback, carry CORVANE_VST2_CALL. On 32-bit Windows this is cdecl (caller pops); hosts built
// with MSVC keep the stack only 4-byte aligned there, so each entry realigns it for our SSE code.
// On x86-64 (and natively) the one platform convention applies.
#if defined(_WIN32) && defined(__i386__)
#define CORVANE_VST2_CALL __attribute__((__cdecl__, __force_align_arg_pointer__))
#else
#define CORVANE_VST2_CALL
#endif

// Exported module entry points.
#if defined(_WIN32)
#define CORVANE_VST2_EXPORT __declspec(dllexport)
#else
#define CORVANE_VST2_EXPORT __attribute__((visibility("default")))
#endif

// Pointer-sized signed integer of the dispatcher's and host callback's value and result.
using Vst2IntPtr = std::intptr_t;

struct Vst2EffectRecord;

using Vst2HostCallback = Vst2IntPtr(CORVANE_VST2_CALL*)(Vst2EffectRecord* effect, int32_t opcode, int32_t index,
                                                       Vst2IntPtr value, void* ptr, float opt);
using Vst2DispatcherProc = Vst2IntPtr(CORVANE_VST2_CALL*)(Vst2EffectRecord* effect, int32_t opcode, int32_t index,
                                                         Vst2IntPtr value, void* ptr, float opt);
using Vst2ProcessProc = void(CORVANE_VST2_CALL*)(Vst2EffectRecord* effect, float** inputs, float** outputs,
                                                 int32_t frames);
using Vst2ProcessDoubleProc = void(CORVANE_VST2_CALL*)(Vst2EffectRecord* effect, double** inputs, double** outputs,
                                                       int32_t frames);
using Vst2SetParameterProc = void(CORVANE_VST2_CALL*)(Vst2EffectRecord* effect, int32_t index, float value);
using Vst2GetParameterProc = float(CORVANE_VST2_CALL*)(Vst2EffectRecord* effect, int32_t index);

// 'VstP', first character in the most significant byte.
constexpr int32_t kVst2Magic = 0x56737450;

// Bits of the record's flags.
enum Vst2EffectFlags : int32_t {
  kVst2FlagHasEditor = 0x1,
  kVst2FlagCanMono = 0x8,
  kVst2FlagCanReplacing = 0x10,
  kVst2FlagProgramChunks = 0x20,
  kVst2FlagIsSynth = 0x100,
  kVst2FlagCanDoubleReplacing = 0x1000,
};

// The plug-in record a host holds: 144 bytes on x86, 192 on x86-64.
struct Vst2EffectRecord {
  int32_t magic;
  Vst2DispatcherProc dispatcher;
  Vst2ProcessProc process;  // accumulating: adds into the outputs
  Vst2SetParameterProc setParameter;
  Vst2GetParameterProc getParameter;
  int32_t numPrograms;
  int32_t numParams;
  int32_t numInputs;
  int32_t numOutputs;
  int32_t flags;
  Vst2IntPtr resvd1;  // the host's; never read by the plug-in
  Vst2IntPtr resvd2;
  int32_t initialDelay;
  int32_t realQualities;
  int32_t offQualities;
  float ioRatio;
  void* object;
  void* user;
  int32_t uniqueID;
  int32_t version;
  Vst2ProcessProc processReplacing;
  Vst2ProcessDoubleProc processDoubleReplacing;
  char future[56];
};

namespace vst2layout {
constexpr bool k64 = sizeof(void*) == 8;
constexpr std::size_t At(std::size_t x86, std::size_t x64) { return k64 ? x64 : x86; }
}  // namespace vst2layout

static_assert(sizeof(void*) == 4 || sizeof(void*) == 8, "the record is published for 32- and 64-bit pointers");
static_assert(sizeof(Vst2IntPtr) == sizeof(void*), "Vst2IntPtr is pointer-sized");
static_assert(sizeof(Vst2EffectRecord) == vst2layout::At(144, 192), "record size");
static_assert(alignof(Vst2EffectRecord) == vst2layout::At(4, 8), "record alignment");
static_assert(offsetof(Vst2EffectRecord, magic) == 0, "magic");
static_assert(offsetof(Vst2EffectRecord, dispatcher) == vst2layout::At(4, 8), "dispatcher");
static_assert(offsetof(Vst2EffectRecord, process) == vst2layout::At(8, 16), "process");
static_assert(offsetof(Vst2EffectRecord, setParameter) == vst2layout::At(12, 24), "setParameter");
static_assert(offsetof(Vst2EffectRecord, getParameter) == vst2layout::At(16, 32), "getParameter");
static_assert(offsetof(Vst2EffectRecord, numPrograms) == vst2layout::At(20, 40), "numPrograms");
static_assert(offsetof(Vst2EffectRecord, numParams) == vst2layout::At(24, 44), "numParams");
static_assert(offsetof(Vst2EffectRecord, numInputs) == vst2layout::At(28, 48), "numInputs");
static_assert(offsetof(Vst2EffectRecord, numOutputs) == vst2layout::At(32, 52), "numOutputs");
static_assert(offsetof(Vst2EffectRecord, flags) == vst2layout::At(36, 56), "flags");
static_assert(offsetof(Vst2EffectRecord, resvd1) == vst2layout::At(40, 64), "resvd1");
static_assert(offsetof(Vst2EffectRecord, resvd2) == vst2layout::At(44, 72), "resvd2");
static_assert(offsetof(Vst2EffectRecord, initialDelay) == vst2layout::At(48, 80), "initialDelay");
static_assert(offsetof(Vst2EffectRecord, realQualities) == vst2layout::At(52, 84), "realQualities");
static_assert(offsetof(Vst2EffectRecord, offQualities) == vst2layout::At(56, 88), "offQualities");
static_assert(offsetof(Vst2EffectRecord, ioRatio) == vst2layout::At(60, 92), "ioRatio");
static_assert(offsetof(Vst2EffectRecord, object) == vst2layout::At(64, 96), "object");
static_assert(offsetof(Vst2EffectRecord, user) == vst2layout::At(68, 104), "user");
static_assert(offsetof(Vst2EffectRecord, uniqueID) == vst2layout::At(72, 112), "uniqueID");
static_assert(offsetof(Vst2EffectRecord, version) == vst2layout::At(76, 116), "version");
static_assert(offsetof(Vst2EffectRecord, processReplacing) == vst2layout::At(80, 120), "processReplacing");
static_assert(offsetof(Vst2EffectRecord, processDoubleReplacing) == vst2layout::At(84, 128), "processDoubleReplacing");
static_assert(offsetof(Vst2EffectRecord, future) == vst2layout::At(88, 136), "future");
