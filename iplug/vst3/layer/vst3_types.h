// Basic types, result codes, identifiers and the calling convention of the VST3 binary
// interface, as hosts on Windows x86 and x86-64 expect them.
//
// Identifiers are always laid out in the Windows (COM) byte order, on every platform we build
// for: the native test builds talk to the same byte patterns a Windows host uses.
#pragma once

#include <cstdint>
#include <cstring>

// Every interface method (and every override of one) carries CORVANE_VST3_CALL. On 32-bit
// Windows this is stdcall: `this` and all arguments on the stack, the callee pops them. GCC's
// default for member functions there is thiscall, which would compile fine and crash in a host.
// Hosts built with MSVC only keep the stack 4-byte aligned on x86, so each entry also realigns
// it for our SSE code. On x86-64 (and natively) the one platform convention applies.
#if defined(_WIN32) && defined(__i386__)
#define CORVANE_VST3_CALL __attribute__((stdcall, force_align_arg_pointer))
#define CORVANE_VST3_X86 1
#else
#define CORVANE_VST3_CALL
#define CORVANE_VST3_X86 0
#endif

// Exported module entry points.
#if defined(_WIN32)
#define CORVANE_VST3_EXPORT __declspec(dllexport)
#else
#define CORVANE_VST3_EXPORT __attribute__((visibility("default")))
#endif

namespace Steinberg {

using int8 = char;
using uint8 = unsigned char;
using uchar = unsigned char;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using TSize = int64;
using tresult = int32;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using tchar = char16;
using FIDString = const char8*;
using UCoord = int32;
using TPtrInt = std::uintptr_t;

// Sixteen raw bytes; as a parameter it decays to a pointer to them.
using TUID = char[16];

// Result codes with their Windows (COM) values.
enum : int32 {
  kResultOk = 0,
  kResultTrue = kResultOk,
  kResultFalse = 1,
  kNoInterface = static_cast<int32>(0x80004002u),
  kNotImplemented = static_cast<int32>(0x80004001u),
  kInternalError = static_cast<int32>(0x80004005u),
  kInvalidArgument = static_cast<int32>(0x80070057u),
  kNotInitialized = static_cast<int32>(0x8000FFFFu),
  kOutOfMemory = static_cast<int32>(0x8007000Eu),
};

inline bool iidEqual(const void* a, const void* b) {
  return a != nullptr && b != nullptr && std::memcmp(a, b, sizeof(TUID)) == 0;
}

namespace Vst {

using TChar = char16;
using String128 = TChar[128];
using CString = const char8*;  // 8-bit text inside the Vst interfaces
using ParamID = uint32;
using ParamValue = double;
using UnitID = int32;
using ProgramListID = int32;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using KnobMode = int32;
using CtrlNumber = int16;
using TQuarterNotes = double;
using TSamples = int64;
using SampleRate = double;
using Sample32 = float;
using Sample64 = double;
using SpeakerArrangement = uint64;
using Speaker = uint64;
using ColorSpec = uint32;

}  // namespace Vst
}  // namespace Steinberg

// The sixteen bytes of an identifier written as the four published 32-bit words, in the COM
// order: word 1 little-endian, word 2 as two little-endian halves (high half first), words 3
// and 4 big-endian.
#define CORVANE_VST3_TUID(l1, l2, l3, l4)                                                    \
  {                                                                                          \
    static_cast<char>((l1) & 0xFF), static_cast<char>(((l1) >> 8) & 0xFF),                   \
        static_cast<char>(((l1) >> 16) & 0xFF), static_cast<char>(((l1) >> 24) & 0xFF),      \
        static_cast<char>(((l2) >> 16) & 0xFF), static_cast<char>(((l2) >> 24) & 0xFF),      \
        static_cast<char>((l2) & 0xFF), static_cast<char>(((l2) >> 8) & 0xFF),               \
        static_cast<char>(((l3) >> 24) & 0xFF), static_cast<char>(((l3) >> 16) & 0xFF),      \
        static_cast<char>(((l3) >> 8) & 0xFF), static_cast<char>((l3) & 0xFF),               \
        static_cast<char>(((l4) >> 24) & 0xFF), static_cast<char>(((l4) >> 16) & 0xFF),      \
        static_cast<char>(((l4) >> 8) & 0xFF), static_cast<char>((l4) & 0xFF)                \
  }

// Declares the interface identifier of an interface class: `static constexpr TUID iid`.
#define CORVANE_VST3_IID(l1, l2, l3, l4) \
  static constexpr ::Steinberg::TUID iid = CORVANE_VST3_TUID(l1, l2, l3, l4)
