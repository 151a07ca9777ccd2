// The parameter-side fake AAX host objects: their operation tables, in the host's slot order.

#include "fakehost/fake_params_host.h"

#include <cstdio>
#include <cstring>

namespace fakehost {

const Guid kController = {
    0x9D5E3E3D, 0x52DC, 0x5EFB, {0x20, 0x18, 0xDE, 0x1D, 0xE2, 0xE6, 0x3F, 0x4E}};
const Guid kController2 = {
    0x4C59AA0E, 0xD7C0, 0x4205, {0x8B, 0x6C, 0x32, 0x46, 0x8D, 0x42, 0xD2, 0x02}};
const Guid kAutomation = {
    0x9D5E3D3D, 0x42DC, 0x5EFA, {0x22, 0x17, 0xEE, 0xE2, 0xE8, 0xE5, 0x3E, 0x2E}};
const Guid kTransport = {
    0x5CEE4EF4, 0x6337, 0x4359, {0xB6, 0x3B, 0xFE, 0x58, 0xDC, 0x36, 0x54, 0x3A}};
const Guid kTransport2 = {
    0x203CBD9F, 0x982C, 0x4FE6, {0xA8, 0x27, 0x07, 0x48, 0x02, 0x57, 0xAE, 0xC3}};
const Guid kViewContainer = {
    0x22DA0BBC, 0xD550, 0x4D5E, {0x8C, 0xC6, 0x73, 0x44, 0x83, 0xB8, 0x83, 0x7F}};
const Guid kEffectParameters = {
    0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E}};
const Guid kEffectParameters2 = {
    0xF1F47D06, 0x308F, 0x4CC5, {0x9C, 0x7C, 0x50, 0xA8, 0x3F, 0x8A, 0xB8, 0x13}};

namespace {

template <class F>
void* fn(F f) {
  return reinterpret_cast<void*>(f);
}

template <typename T>
T& Owner(Face* self) {
  return static_cast<T&>(*self->owner);
}

int32_t FAKEHOST_CALL QueryInterface(Face* self, const Guid* iid, void** out) {
  HostObject& object = *self->owner;
  if (auto* context = dynamic_cast<FakeParamsHost*>(&object)) {
    if (context->Serve(*iid, out)) return 0;
    if (context->fallback) return CallSlot<int32_t>(context->fallback, 0, iid, out);
  }
  if (*iid == aaxfake::kUnknownIid || object.Answers(*iid)) {
    *out = &object.face;
    ++object.refs;
    return 0;
  }
  *out = nullptr;
  return kNoInterface;
}

uint32_t FAKEHOST_CALL AddRef(Face* self) { return static_cast<uint32_t>(++self->owner->refs); }
uint32_t FAKEHOST_CALL Release(Face* self) { return static_cast<uint32_t>(--self->owner->refs); }

template <int N>
int32_t FAKEHOST_CALL Unexpected(Face* self) {
  self->owner->unexpected.push_back(N);
  return kUnexpected;
}

#define FAKEHOST_UNKNOWN fn(QueryInterface), fn(AddRef), fn(Release)

// ---- controller
int32_t FAKEHOST_CALL GetSampleRate(Face* self, float* rate) {
  auto& c = Owner<FakeController>(self);
  if (c.sampleRateResult == 0) *rate = c.sampleRate;
  return c.sampleRateResult;
}
int32_t FAKEHOST_CALL GetInputStem(Face* self, uint32_t* stem) {
  auto& c = Owner<FakeController>(self);
  if (c.stemResult == 0) *stem = c.inputStem;
  return c.stemResult;
}
int32_t FAKEHOST_CALL GetOutputStem(Face* self, uint32_t* stem) {
  auto& c = Owner<FakeController>(self);
  if (c.stemResult == 0) *stem = c.outputStem;
  return c.stemResult;
}
int32_t FAKEHOST_CALL SetLatency(Face* self, int32_t samples) {
  Owner<FakeController>(self).latencies.push_back(samples);
  return 0;
}
int32_t FAKEHOST_CALL PostPacket(Face* self, uint32_t field, const void* data, uint32_t size) {
  auto& c = Owner<FakeController>(self);
  const auto* bytes = static_cast<const uint8_t*>(data);
  c.packets.push_back({field, std::vector<uint8_t>(bytes, bytes + size)});
  if (c.postResults.empty()) return 0;
  const int32_t result = c.postResults.front();
  c.postResults.erase(c.postResults.begin());
  return result;
}

void* const kControllerTable[] = {
    FAKEHOST_UNKNOWN, fn(Unexpected<3>), fn(GetSampleRate), fn(GetInputStem),
    fn(GetOutputStem), fn(Unexpected<7>), fn(Unexpected<8>), fn(Unexpected<9>), fn(SetLatency),
    fn(Unexpected<11>), fn(PostPacket), fn(Unexpected<13>), fn(Unexpected<14>),
    fn(Unexpected<15>), fn(Unexpected<16>), fn(Unexpected<17>), fn(Unexpected<18>),
    fn(Unexpected<19>), fn(Unexpected<20>), fn(Unexpected<21>), fn(Unexpected<22>),
    fn(Unexpected<23>)};

// ---- automation
int32_t FAKEHOST_CALL Attach(Face* self, const char* id) {
  Owner<FakeAutomation>(self).Log("attach", id);
  return 0;
}
int32_t FAKEHOST_CALL Detach(Face* self, const char* id) {
  Owner<FakeAutomation>(self).Log("detach", id);
  return 0;
}
int32_t FAKEHOST_CALL Request(Face* self, const char* id, double value) {
  auto& a = Owner<FakeAutomation>(self);
  a.Log("request", id, value);
  if (a.echoInto) CallSlot<int32_t>(a.echoInto, kApplyHostValue, id, value, int32_t{0});
  return 0;
}
int32_t FAKEHOST_CALL Report(Face* self, const char* id, double value) {
  Owner<FakeAutomation>(self).Log("report", id, value);
  return 0;
}
int32_t FAKEHOST_CALL Touch(Face* self, const char* id) {
  Owner<FakeAutomation>(self).Log("touch", id);
  return 0;
}
int32_t FAKEHOST_CALL ReleaseParameter(Face* self, const char* id) {
  Owner<FakeAutomation>(self).Log("release", id);
  return 0;
}

void* const kAutomationTable[] = {FAKEHOST_UNKNOWN, fn(Attach), fn(Detach), fn(Request),
                                  fn(Report), fn(Touch), fn(ReleaseParameter),
                                  fn(Unexpected<9>)};

// ---- transport
int32_t FAKEHOST_CALL GetTempo(Face* self, double* bpm) {
  auto& t = Owner<FakeTransport>(self);
  *bpm = t.tempo;
  return t.result;
}
int32_t FAKEHOST_CALL GetMeter(Face* self, int32_t* numerator, int32_t* denominator) {
  auto& t = Owner<FakeTransport>(self);
  *numerator = t.numerator;
  *denominator = t.denominator;
  return t.result;
}
int32_t FAKEHOST_CALL IsPlaying(Face* self, bool* playing) {
  auto& t = Owner<FakeTransport>(self);
  *playing = t.playing;
  return t.result;
}
int32_t FAKEHOST_CALL GetTicks(Face* self, int64_t* ticks) {
  auto& t = Owner<FakeTransport>(self);
  *ticks = t.ticks;
  return t.result;
}
int32_t FAKEHOST_CALL GetLoop(Face* self, bool* looping, int64_t* start, int64_t* end) {
  auto& t = Owner<FakeTransport>(self);
  *looping = t.looping;
  *start = t.loopStart;
  *end = t.loopEnd;
  return t.result;
}
int32_t FAKEHOST_CALL GetSamples(Face* self, int64_t* samples) {
  auto& t = Owner<FakeTransport>(self);
  *samples = t.samples;
  return t.result;
}

void* const kTransportTable[] = {
    FAKEHOST_UNKNOWN, fn(GetTempo), fn(GetMeter), fn(IsPlaying), fn(GetTicks), fn(GetLoop),
    fn(GetSamples), fn(Unexpected<9>), fn(Unexpected<10>), fn(Unexpected<11>),
    fn(Unexpected<12>), fn(Unexpected<13>), fn(Unexpected<14>), fn(Unexpected<15>),
    fn(Unexpected<16>)};

// ---- view container
void* FAKEHOST_CALL GetNativeView(Face* self) { return Owner<FakeViewContainer>(self).nativeView; }
int32_t FAKEHOST_CALL SetViewSize(Face* self, const float* size) {
  Owner<FakeViewContainer>(self).sizes.emplace_back(size[0], size[1]);
  return 0;
}

void* const kViewContainerTable[] = {
    FAKEHOST_UNKNOWN, fn(Unexpected<3>), fn(GetNativeView), fn(Unexpected<5>), fn(SetViewSize),
    fn(Unexpected<7>), fn(Unexpected<8>), fn(Unexpected<9>)};

void* const kContextTable[] = {FAKEHOST_UNKNOWN};

// ---- host string: plain member calls
void FAKEHOST_THISCALL StringDestructor(HostString* self) { self->destructorCalled = true; }
uint32_t FAKEHOST_THISCALL StringLength(const HostString* self) {
  return static_cast<uint32_t>(self->text.size());
}
uint32_t FAKEHOST_THISCALL StringMaxLength(const HostString* self) { return self->maxLength; }
const char* FAKEHOST_THISCALL StringGet(const HostString* self) { return self->text.c_str(); }
void FAKEHOST_THISCALL StringSet(HostString* self, const char* text) {
  self->text = text;
  if (self->text.size() > self->maxLength) self->text.resize(self->maxLength);
  ++self->sets;
}
HostString* FAKEHOST_THISCALL StringAssignText(HostString* self, const char* text) {
  StringSet(self, text);
  return self;
}
HostString* FAKEHOST_THISCALL StringAssignString(HostString* self, const HostString* other) {
  StringSet(self, other->text.c_str());
  return self;
}

void* const kStringTable[] = {fn(StringDestructor), fn(StringLength),     fn(StringMaxLength),
                              fn(StringGet),        fn(StringSet),        fn(StringAssignText),
                              fn(StringAssignString)};

}  // namespace

void FakeAutomation::Log(const char* what, const char* id) {
  calls.push_back(std::string(what) + ":" + id);
}

void FakeAutomation::Log(const char* what, const char* id, double value) {
  char number[32];
  std::snprintf(number, sizeof(number), "%g", value);
  calls.push_back(std::string(what) + ":" + id + "=" + number);
}

FakeController::FakeController() : HostObject(kControllerTable) {}
bool FakeController::Answers(const Guid& iid) const {
  return iid == kController || (answerSecond && iid == kController2);
}

FakeAutomation::FakeAutomation() : HostObject(kAutomationTable) {}
bool FakeAutomation::Answers(const Guid& iid) const { return iid == kAutomation; }

FakeTransport::FakeTransport() : HostObject(kTransportTable) {}
bool FakeTransport::Answers(const Guid& iid) const {
  return iid == kTransport || (answerSecond && iid == kTransport2);
}

FakeViewContainer::FakeViewContainer() : HostObject(kViewContainerTable) {}
bool FakeViewContainer::Answers(const Guid& iid) const { return iid == kViewContainer; }

FakeParamsHost::FakeParamsHost() : HostObject(kContextTable) {}
bool FakeParamsHost::Answers(const Guid&) const { return false; }

bool FakeParamsHost::Serve(const Guid& iid, void** out) {
  HostObject* object = nullptr;
  if (withController && controller.Answers(iid)) object = &controller;
  if (withAutomation && automation.Answers(iid)) object = &automation;
  if (withTransport && transport.Answers(iid)) object = &transport;
  if (!object) return false;
  *out = object->Interface();
  ++object->refs;
  return true;
}

bool FakeParamsHost::Balanced() const {
  return refs == 0 && controller.refs == 0 && automation.refs == 0 && transport.refs == 0;
}

HostString::HostString() : HostString(std::string()) {}
HostString::HostString(const std::string& initial, uint32_t limit)
    : table(kStringTable), text(initial), maxLength(limit) {}

HostChunk::HostChunk(uint32_t dataSize) : capacity(dataSize) {
  bytes.resize(kHeader, 0);
  bytes.resize(kHeader + capacity + kGuard, 0xCD);
  const int32_t size = static_cast<int32_t>(dataSize);
  std::memcpy(bytes.data(), &size, sizeof(size));
}

int32_t HostChunk::Size() const {
  int32_t size = 0;
  std::memcpy(&size, bytes.data(), sizeof(size));
  return size;
}

void HostChunk::SetChunkId(uint32_t id) { std::memcpy(bytes.data() + 20, &id, sizeof(id)); }

std::string HostChunk::Name() const {
  const char* field = reinterpret_cast<const char*>(bytes.data() + 24);
  return std::string(field, strnlen(field, 32));
}

int32_t HostChunk::Version() const {
  int32_t version = 0;
  std::memcpy(&version, bytes.data() + 4, sizeof(version));
  return version;
}

bool HostChunk::GuardIntact() const {
  for (size_t i = kHeader + capacity; i < bytes.size(); ++i)
    if (bytes[i] != 0xCD) return false;
  return true;
}

}  // namespace fakehost
