#pragma once
// The parameter-side pieces of a fake AAX host, written from the host's identifiers and
// operation numbers alone (no module header): a host context that answers the controller,
// automation and transport queries, those three host objects, a view container, host-made
// strings and chunk records, and a way to call a plug-in interface by operation number as a host does.
// Every object is a table pointer followed by data, its operations take the object first with
// the host's calling convention, so a wrong slot or identifier in the module cannot hide behind
// the module's own declarations. The test owns every object; reference counts only show balance.

#include <cstdint>
#include <string>
#include <vector>

#include "fake_registration_host.h"

#if defined(_WIN32) && !defined(_WIN64)
#define FAKEHOST_CALL __stdcall
#define FAKEHOST_THISCALL __thiscall
#else
#define FAKEHOST_CALL
#define FAKEHOST_THISCALL
#endif

namespace fakehost {

// Identifiers and answers shared with the registration side of the fake host.
using aaxfake::Guid;
using aaxfake::kNoInterface;
constexpr int32_t kUnexpected = aaxfake::kUnusedSlot;  // what an operation the module should
                                                       // not call answers

extern const Guid kController;       // {9D5E3E3D-52DC-5EFB-2018-DE1DE2E63F4E}
extern const Guid kController2;      // {4C59AA0E-D7C0-4205-8B6C-32468D42D202}
extern const Guid kAutomation;       // {9D5E3D3D-42DC-5EFA-2217-EEE2E8E53E2E}
extern const Guid kTransport;        // {5CEE4EF4-6337-4359-B63B-FE58DC36543A}
extern const Guid kTransport2;       // {203CBD9F-982C-4FE6-A827-07480257AEC3}
extern const Guid kViewContainer;    // {22DA0BBC-D550-4D5E-8CC6-734483B8837F}
extern const Guid kEffectParameters;  // {964E333D-334C-533F-C2C7-3834C3C23E3E}
extern const Guid kEffectParameters2;  // {F1F47D06-308F-4CC5-9C7C-50A83F8AB813}

// Operation numbers of the effect-parameters interface, as a host calls them.
enum EffectParametersSlot : int {
  kQueryInterface = 0, kAddRef = 1, kRelease = 2,
  kStartInstance = 3, kStopInstance = 4, kHandleNotification = 5, kCountParameters = 6,
  kQueryBypassIdentifier = 7, kQueryAutomatable = 8, kQueryStepCount = 9, kQueryName = 10,
  kQueryShortName = 11, kQueryDefaultNormalized = 12, kChangeDefaultNormalized = 13,
  kQueryParamType = 14, kQueryOrientation = 15, kLookUpParameter = 16, kLookUpIndex = 17,
  kLookUpIdentifier = 18, kReserved19 = 19, kTextToNormalized = 20, kNormalizedToText = 21,
  kQueryValueText = 22, kQueryNormalized = 23, kPostNormalized = 24, kPostNormalizedDelta = 25,
  kBeginGesture = 26, kEndGesture = 27, kReserved28 = 28, kApplyHostValue = 29,
  kApplyHostDelta = 30, kDispatchPackets = 31, kGetInstanceField = 32, kCountChunks = 33,
  kChunkIdAt = 34, kMeasureChunk = 35, kWriteChunk = 36, kReadChunk = 37, kCompareChunk = 38,
  kCountChanges = 39, kReserved40 = 40, kReserved41 = 41, kReserved42 = 42, kReserved43 = 43,
  kReserved44 = 44, kReserved45 = 45, kReserved46 = 46, kReserved47 = 47,
};

// Calls operation `slot` of a plug-in interface through its table, the object first.
template <typename R, typename... A>
R CallSlot(void* object, int slot, A... args) {
  using Fn = R(FAKEHOST_CALL*)(void*, A...);
  void* const* table = *static_cast<void* const* const*>(object);
  return reinterpret_cast<Fn>(table[slot])(object, args...);
}

struct HostObject;

// What a plug-in holds: the table pointer, then the way back to the fake.
struct Face {
  void* const* table;
  HostObject* owner;
};

struct HostObject {
  explicit HostObject(void* const* table) : face{table, this} {}
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;
  virtual ~HostObject() = default;
  // The identifiers this object answers with itself, besides IUnknown.
  virtual bool Answers(const Guid& iid) const = 0;
  void* Interface() { return &face; }

  Face face;
  int refs = 0;
  std::vector<int> unexpected;  // operation numbers the module called but should not have
};

class FakeController : public HostObject {
 public:
  FakeController();
  bool Answers(const Guid& iid) const override;
  bool answerSecond = true;  // the later interface {4C59...}

  float sampleRate = 44100.f;
  int32_t sampleRateResult = 0;
  uint32_t inputStem = 0x00020002;   // stereo
  uint32_t outputStem = 0x00020002;
  int32_t stemResult = 0;
  std::vector<int32_t> latencies;
  struct Packet {
    uint32_t field;
    std::vector<uint8_t> data;
  };
  std::vector<Packet> packets;
  std::vector<int32_t> postResults;  // answers to the next posts, in order; then 0
};

class FakeAutomation : public HostObject {
 public:
  FakeAutomation();
  bool Answers(const Guid& iid) const override;
  // "touch:id", "request:id=0.5", "report:id=0.5", "release:id", "attach:id", "detach:id".
  std::vector<std::string> calls;
  // When set, every request is answered at once by setting the value through operation 29
  // of this effect-parameters interface, as a host does.
  void* echoInto = nullptr;
  void Log(const char* what, const char* id);
  void Log(const char* what, const char* id, double value);
};

class FakeTransport : public HostObject {
 public:
  FakeTransport();
  bool Answers(const Guid& iid) const override;
  bool answerSecond = true;
  double tempo = 120.0;
  int32_t numerator = 4;
  int32_t denominator = 4;
  bool playing = false;
  int64_t ticks = 0;  // 960000 per quarter note
  bool looping = false;
  int64_t loopStart = 0;
  int64_t loopEnd = 0;
  int64_t samples = 0;
  int32_t result = 0;  // every query's answer
};

class FakeViewContainer : public HostObject {
 public:
  FakeViewContainer();
  bool Answers(const Guid& iid) const override;
  void* nativeView = nullptr;
  std::vector<std::pair<float, float>> sizes;  // {vertical, horizontal} as set by the module
};

// The host context an effect-parameters object is started with. Each of the three objects can
// be withheld; other identifiers go to the fallback context (for example the registration
// side's, which serves the component factory), else they are refused.
class FakeParamsHost : public HostObject {
 public:
  FakeParamsHost();
  bool Answers(const Guid& iid) const override;
  // Serves the host objects' identifiers itself.
  bool Serve(const Guid& iid, void** out);

  FakeController controller;
  FakeAutomation automation;
  FakeTransport transport;
  bool withController = true;
  bool withAutomation = true;
  bool withTransport = true;
  void* fallback = nullptr;  // a host context, as a module sees it
  // Whether every reference the module took on the context and its objects was given back.
  bool Balanced() const;
};

// A string the host makes and the module fills, with the host's table: one destructor entry,
// then Length, MaxLength, Get, Set, AssignText, AssignString, all as plain member calls.
struct HostString {
  HostString();
  explicit HostString(const std::string& initial, uint32_t maxLength = 0xFFFFFFFEu);
  void* Interface() { return this; }

  void* const* table;
  std::string text;
  uint32_t maxLength;
  int sets = 0;
  bool destructorCalled = false;
};

// A chunk record as the host allocates it: the 56-byte header, then dataSize bytes, then a
// guard area that must stay untouched.
struct HostChunk {
  explicit HostChunk(uint32_t dataSize);
  void* Record() { return bytes.data(); }
  int32_t Size() const;
  void SetChunkId(uint32_t id);
  std::string Name() const;  // the 32-byte name field at byte 24
  int32_t Version() const;
  bool GuardIntact() const;

  static constexpr size_t kHeader = 56;
  static constexpr size_t kGuard = 32;
  uint32_t capacity;
  std::vector<uint8_t> bytes;
};

}  // namespace fakehost
