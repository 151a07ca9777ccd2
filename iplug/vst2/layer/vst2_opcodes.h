// Opcode numbers of the VST 2.4 binary interface in both directions (the plug-in's dispatcher
// and the host callback), the capability strings and answers the plug-in uses, and the sizes
// of the text buffers hosts hand over. Only what the adapter answers or sends is named; the
// numbers are the published ones, which hosts send whether we name them or not.
#pragma once

#include <cstdint>

#include "iplug/vst2/layer/vst2_types.h"

// Host -> plug-in: the dispatcher's opcode argument.
enum Vst2Opcode : int32_t {
  kVst2Open = 0,
  kVst2Close = 1,
  kVst2SetProgram = 2,
  kVst2GetProgram = 3,
  kVst2SetProgramName = 4,
  kVst2GetProgramName = 5,
  kVst2GetParamLabel = 6,
  kVst2GetParamDisplay = 7,
  kVst2GetParamName = 8,
  kVst2SetSampleRate = 10,
  kVst2SetBlockSize = 11,
  kVst2MainsChanged = 12,
  kVst2EditGetRect = 13,
  kVst2EditOpen = 14,
  kVst2EditClose = 15,
  kVst2EditIdle = 19,
  kVst2Identify = 22,
  kVst2GetChunk = 23,
  kVst2SetChunk = 24,
  kVst2ProcessEvents = 25,
  kVst2CanBeAutomated = 26,
  kVst2String2Parameter = 27,
  kVst2GetProgramNameIndexed = 29,
  kVst2GetInputProperties = 33,
  kVst2GetOutputProperties = 34,
  kVst2GetPlugCategory = 35,
  kVst2SetSpeakerArrangement = 42,
  kVst2GetEffectName = 45,
  kVst2GetVendorString = 47,
  kVst2GetProductString = 48,
  kVst2GetVendorVersion = 49,
  kVst2VendorSpecific = 50,
  kVst2CanDo = 51,
  kVst2GetTailSize = 52,
  kVst2Idle = 53,
  kVst2GetVstVersion = 58,
  kVst2GetMidiKeyName = 66,
  kVst2GetSpeakerArrangement = 69,
};

// Plug-in -> host: the host callback's opcode argument.
enum Vst2HostOpcode : int32_t {
  kVst2HostAutomate = 0,
  kVst2HostVersion = 1,
  kVst2HostWantMidi = 6,
  kVst2HostGetTime = 7,
  kVst2HostProcessEvents = 8,
  kVst2HostGetCurrentProcessLevel = 23,
  kVst2HostGetProductString = 33,
  kVst2HostGetVendorVersion = 34,
  kVst2HostUpdateDisplay = 42,
  kVst2HostBeginEdit = 43,
  kVst2HostEndEdit = 44,
};

// Text buffers the interface promises, each including its terminating zero.
constexpr int kVst2MaxProgNameLen = 24;
// Parameter label, display text and name (opcodes 6, 7, 8): the published minimum only. Hosts
// pass larger buffers (32 bytes and more) and expect the texts whole; the adapter writes them
// bounded by the framework's own 32-byte fields.
constexpr int kVst2MaxParamStrLen = 8;
constexpr int kVst2MaxVendorStrLen = 64;
constexpr int kVst2MaxProductStrLen = 64;
constexpr int kVst2MaxEffectNameLen = 32;
constexpr int kVst2MaxNameLen = 64;
constexpr int kVst2MaxLabelLen = 64;

// Answers.
constexpr Vst2IntPtr kVst2IdentifyAnswer = 0x4E764566;  // 'NvEf'
constexpr Vst2IntPtr kVst2InterfaceVersion = 2400;
constexpr Vst2IntPtr kVst2CockosYes = static_cast<Vst2IntPtr>(0xBEEF0000u);  // zero-extended on x86-64
constexpr Vst2IntPtr kVst2CockosParamAnswer = 0xBEEF;
constexpr int32_t kVst2CategoryEffect = 1;
constexpr int32_t kVst2CategorySynth = 2;
constexpr Vst2IntPtr kVst2ProcessLevelOffline = 4;

// Vendor-specific (opcode 50) indices of REAPER's extensions.
constexpr int32_t kVst2VendorFormatParamValue = 7;
constexpr int32_t kVst2VendorParamIsStepped = 8;

// Plug-in capability strings (opcode 51).
constexpr const char* kVst2CanReceiveTimeInfo = "receiveVstTimeInfo";
constexpr const char* kVst2CanSendEvents = "sendVstEvents";
constexpr const char* kVst2CanSendMidiEvent = "sendVstMidiEvent";
constexpr const char* kVst2CanReceiveEvents = "receiveVstEvents";
constexpr const char* kVst2CanReceiveMidiEvent = "receiveVstMidiEvent";
constexpr const char* kVst2HasCockosExtensions = "hasCockosExtensions";
constexpr const char* kVst2HasCockosViewAsConfig = "hasCockosViewAsConfig";

static_assert(static_cast<std::uintptr_t>(kVst2CockosYes) == 0xBEEF0000u, "0xBEEF0000 reaches an x86-64 host zero-extended");
