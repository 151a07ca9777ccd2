// The registration side of the fake AAX host: tables of plain functions laid out by operation
// number, each recording what the module asked for.

#include "fake_registration_host.h"

#include <cstdio>
#include <cstring>

namespace aaxfake {

bool operator==(const Guid& a, const Guid& b) {
  return a.d1 == b.d1 && a.d2 == b.d2 && a.d3 == b.d3 && std::memcmp(a.d4, b.d4, 8) == 0;
}

const Guid kUnknownIid = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const Guid kComponentFactoryIid = {
    0x382B6A96, 0x7FD0, 0x11D6, {0xBC, 0xFE, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};
const Guid kCollectionClass = {
    0x89882C2D, 0x77BC, 0x42EF, {0x70, 0x7B, 0x79, 0x81, 0xB7, 0xBD, 0x0C, 0xCA}};
const Guid kCollectionIid = {
    0x96D42C2D, 0xEBBC, 0x41DF, {0xB1, 0xAB, 0x99, 0x91, 0xA2, 0xEE, 0x0C, 0xCA}};
const Guid kPluginDefinitionIid = {
    0x00EEF015, 0x7FD0, 0x11D6, {0x84, 0x85, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24}};
const Guid kEffectDescriptorClass = {
    0x89872C2D, 0x75BC, 0x423F, {0x40, 0x1B, 0xF9, 0xA1, 0xBA, 0xAD, 0x0C, 0xCA}};
const Guid kEffectDescriptorIid = {
    0x96D42C2D, 0xEBBC, 0x41EF, {0xD1, 0xCB, 0x49, 0x94, 0x42, 0xE4, 0x0F, 0xDA}};
const Guid kEffectDescriptor2Iid = {
    0x41ECCC52, 0x416B, 0x4072, {0x84, 0xBD, 0x40, 0xB0, 0x52, 0x10, 0xA7, 0x4C}};
const Guid kComponentDescriptorClass = {
    0x94872C3D, 0x95BC, 0x413D, {0xD0, 0xDB, 0xD9, 0xB1, 0x2A, 0xAD, 0x0C, 0xCA}};
const Guid kComponentDescriptorIid = {
    0x96E42C2D, 0xE2BC, 0x51EF, {0x61, 0xC7, 0x48, 0x99, 0x4A, 0xEB, 0x0C, 0xDA}};
const Guid kComponentDescriptor2Iid = {
    0x1895259E, 0xAAA9, 0x4F0F, {0xA9, 0x85, 0x14, 0x98, 0x37, 0xB7, 0x6F, 0x89}};
const Guid kPropertyMapClass = {
    0xA587AD3D, 0xD53C, 0x4ADC, {0xD0, 0xDD, 0xD9, 0xD1, 0x2D, 0xDD, 0xDC, 0xDA}};
const Guid kPropertyMapIid = {
    0x96EE2C2D, 0xEECC, 0x5EFF, {0xE2, 0xD7, 0xE8, 0x49, 0xE3, 0xE2, 0xEE, 0xEE}};
const Guid kPropertyMap2Iid = {
    0x7177DF80, 0x7C9C, 0x11E2, {0xB9, 0x2A, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66}};
const Guid kHostServicesClass = {
    0x88882C2D, 0xEBBC, 0x42EF, {0xC0, 0xAB, 0x89, 0x81, 0xB0, 0xBD, 0x0C, 0xCA}};
const Guid kHostServicesIid = {
    0x96D42C2D, 0xEBBC, 0x41EF, {0xB0, 0xAB, 0x99, 0x91, 0xA0, 0xED, 0x0C, 0xCA}};

namespace {

using Slot = const void*;

template <typename F>
Slot Fn(F* f) {
  return reinterpret_cast<Slot>(f);
}

template <typename F>
F* SlotOf(void* object, int slot) {
  const Slot* table = *static_cast<const Slot* const*>(object);
  return reinterpret_cast<F*>(table[slot]);
}

template <typename T>
T& Self(Face* face) {
  return *static_cast<T*>(face->owner);
}

std::string Text(const char* text) { return text ? text : "<null>"; }

// ---- the three operations every object starts with

Result AAXFAKE_CALL QueryOp(Face* self, const Guid* iid, void** out) {
  return self->owner->Query(*iid, out);
}
uint32_t AAXFAKE_CALL AddRefOp(Face* self) { return self->owner->AddRef(); }
uint32_t AAXFAKE_CALL ReleaseOp(Face* self) { return self->owner->Release(); }

#define AAXFAKE_UNKNOWN_SLOTS Fn(QueryOp), Fn(AddRefOp), Fn(ReleaseOp)

// An operation no module should call: recorded as "slotN".
template <int N>
Result AAXFAKE_CALL Unused(Face* self) {
  char name[16];
  std::snprintf(name, sizeof name, "slot%d", N);
  self->owner->Record(name);
  return kUnusedSlot;
}

// ---- property map

bool AAXFAKE_CALL MapGetProperty(Face* self, uint32_t id, int32_t* value) {
  auto& map = Self<FakePropertyMap>(self);
  map.Record("GetProperty");
  return map.Find(id, value);
}
Result AAXFAKE_CALL MapAddProperty(Face* self, uint32_t id, int32_t value) {
  auto& map = Self<FakePropertyMap>(self);
  const Result r = map.Record("AddProperty");
  if (r == kOk) map.properties.emplace_back(id, value);
  return r;
}

// ---- component descriptor

Result AddField(Face* self, const char* operation, ComponentField field) {
  auto& component = Self<FakeComponentDescriptor>(self);
  const Result r = component.Record(operation);
  if (r == kOk) component.fields.push_back(std::move(field));
  return r;
}

template <ComponentField::Kind K>
Result AAXFAKE_CALL ComponentAddStream(Face* self, uint32_t index) {
  static const char* const names[] = {"AddAudioIn", "AddAudioOut", "AddBufferLength",
                                      "AddSideChainIn"};
  ComponentField field(K, index);
  return AddField(self, names[K], field);
}
Result AAXFAKE_CALL ComponentAddExtraOutputStem(Face* self, uint32_t index, uint32_t stem,
                                                const char* name) {
  ComponentField field(ComponentField::ExtraOutputStem, index);
  field.stemFormat = stem;
  field.name = Text(name);
  return AddField(self, "AddExtraOutputStem", field);
}
Result AAXFAKE_CALL ComponentAddPrivateData(Face* self, uint32_t index, int32_t size,
                                            uint32_t options) {
  ComponentField field(ComponentField::PrivateData, index);
  field.byteSize = size;
  field.options = options;
  return AddField(self, "AddPrivateData", field);
}
Result AAXFAKE_CALL ComponentAddMidiNode(Face* self, uint32_t index, int32_t nodeType,
                                         const char* name, uint32_t mask) {
  ComponentField field(ComponentField::MidiNode, index);
  field.nodeType = nodeType;
  field.name = Text(name);
  field.channelMask = mask;
  return AddField(self, "AddMidiNode", field);
}
Result AAXFAKE_CALL ComponentAddMeters(Face* self, uint32_t index, const uint32_t* ids,
                                       uint32_t count) {
  ComponentField field(ComponentField::Meters, index);
  if (ids) field.meterIds.assign(ids, ids + count);
  return AddField(self, "AddMeters", field);
}
Result AAXFAKE_CALL ComponentAddProcessProcedure(Face* self, void* callback, void* map, void* a,
                                                 void* b, void* c) {
  auto& component = Self<FakeComponentDescriptor>(self);
  const Result r = component.Record("AddProcessProcedure");
  if (r != kOk) return r;
  ProcessProcedure procedure;
  procedure.callback = callback;
  procedure.properties = static_cast<FakePropertyMap*>(OwnerOf(map, FakePropertyMap::Table()));
  if (procedure.properties) procedure.properties->AddRef();
  procedure.extra[0] = a;
  procedure.extra[1] = b;
  procedure.extra[2] = c;
  component.processProcedures.push_back(procedure);
  return r;
}

// ---- effect descriptor

Result AAXFAKE_CALL EffectAddComponent(Face* self, void* component) {
  auto& effect = Self<FakeEffectDescriptor>(self);
  const Result r = effect.Record("AddComponent");
  auto* held = static_cast<FakeComponentDescriptor*>(
      OwnerOf(component, FakeComponentDescriptor::Table()));
  if (r != kOk || !held) return r;
  held->AddRef();
  effect.components.push_back(held);
  return r;
}
Result AAXFAKE_CALL EffectAddName(Face* self, const char* name) {
  auto& effect = Self<FakeEffectDescriptor>(self);
  const Result r = effect.Record("AddName");
  if (r == kOk) effect.names.push_back(Text(name));
  return r;
}
Result AAXFAKE_CALL EffectAddDescriptorValue(Face* self, uint32_t value) {
  auto& effect = Self<FakeEffectDescriptor>(self);
  const Result r = effect.Record("AddDescriptorValue");
  if (r == kOk) effect.descriptorValues.push_back(value);
  return r;
}
Result AAXFAKE_CALL EffectAddProcedure(Face* self, void* address, uint32_t id) {
  auto& effect = Self<FakeEffectDescriptor>(self);
  const Result r = effect.Record("AddProcedure");
  if (r == kOk) effect.procedures.push_back({address, id});
  return r;
}

// ---- collection

Result AAXFAKE_CALL CollectionAddEffect(Face* self, const char* id, void* descriptor) {
  auto& collection = Self<FakeCollection>(self);
  const Result r = collection.Record("AddEffect");
  if (r != kOk) return r;
  auto* held = static_cast<FakeEffectDescriptor*>(
      OwnerOf(descriptor, FakeEffectDescriptor::Table()));
  if (held) held->AddRef();
  collection.effects.push_back({Text(id), held});
  return r;
}
Result AAXFAKE_CALL CollectionSetManufacturerName(Face* self, const char* name) {
  auto& collection = Self<FakeCollection>(self);
  const Result r = collection.Record("SetManufacturerName");
  if (r == kOk) collection.manufacturerNames.push_back(Text(name));
  return r;
}
Result AAXFAKE_CALL CollectionAddPackageName(Face* self, const char* name) {
  auto& collection = Self<FakeCollection>(self);
  const Result r = collection.Record("AddPackageName");
  if (r == kOk) collection.packageNames.push_back(Text(name));
  return r;
}
Result AAXFAKE_CALL CollectionSetPackageVersion(Face* self, uint32_t version) {
  auto& collection = Self<FakeCollection>(self);
  const Result r = collection.Record("SetPackageVersion");
  if (r == kOk) collection.packageVersions.push_back(version);
  return r;
}

// ---- host services

Result AAXFAKE_CALL ServicesTrace(Face* self, int32_t priority, const char* text) {
  auto& services = Self<FakeHostServices>(self);
  services.Host().traces.push_back({priority, Text(text)});
  return services.Record("Trace");
}

}  // namespace

// ---- raw calls

Result RawQuery(void* object, const Guid& iid, void** out) {
  return SlotOf<Result AAXFAKE_CALL(void*, const Guid*, void**)>(object, 0)(object, &iid, out);
}
uint32_t RawAddRef(void* object) { return SlotOf<uint32_t AAXFAKE_CALL(void*)>(object, 1)(object); }
uint32_t RawRelease(void* object) {
  return SlotOf<uint32_t AAXFAKE_CALL(void*)>(object, 2)(object);
}

HostObject* OwnerOf(void* object, const void* const* table) {
  if (!object) return nullptr;
  Face* face = static_cast<Face*>(object);
  return face->table == table ? face->owner : nullptr;
}

// ---- host object

HostObject::HostObject(FakeRegistrationHost& host, const void* const* table, std::string kind,
                       bool counted)
    : mHost(host), mCounted(counted), mFace{table, this}, mKind(std::move(kind)) {
  if (mCounted) {
    mHost.mAlive.insert(this);
    ++mHost.mMade[mKind];
  }
}

HostObject::~HostObject() {
  if (mCounted) mHost.mAlive.erase(this);
}

uint32_t HostObject::AddRef() { return static_cast<uint32_t>(++mRefs); }

uint32_t HostObject::Release() {
  if (mRefs <= 0) {
    Record("over-release");
    return 0;
  }
  const int left = --mRefs;
  if (left == 0 && mCounted) {
    ReleaseHeld();
    delete this;
  }
  return static_cast<uint32_t>(left);
}

Result HostObject::Query(const Guid& iid, void** out) {
  if (!out) return kNoInterface;
  *out = nullptr;
  if (!(iid == kUnknownIid) && !Answers(iid)) return kNoInterface;
  AddRef();
  *out = Interface();
  return kOk;
}

Result HostObject::Record(const char* operation) {
  std::string call = mKind + "." + operation;
  const auto answer = mHost.answers.find(call);
  mHost.calls.push_back(std::move(call));
  return answer == mHost.answers.end() ? kOk : answer->second;
}

// ---- property map

FakePropertyMap::FakePropertyMap(FakeRegistrationHost& host)
    : HostObject(host, Table(), "property map") {}

const void* const* FakePropertyMap::Table() {
  static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS, Fn(MapGetProperty), Fn(MapAddProperty),
                               Fn(Unused<5>), Fn(Unused<6>), Fn(Unused<7>)};
  return table;
}

bool FakePropertyMap::Find(uint32_t id, int32_t* value) const {
  for (auto it = properties.rbegin(); it != properties.rend(); ++it) {
    if (it->first != id) continue;
    if (value) *value = it->second;
    return true;
  }
  return false;
}

bool FakePropertyMap::Answers(const Guid& iid) const {
  return iid == kPropertyMapIid || (Host().offersLaterInterfaces && iid == kPropertyMap2Iid);
}

// ---- component descriptor

FakeComponentDescriptor::FakeComponentDescriptor(FakeRegistrationHost& host)
    : HostObject(host, Table(), "component descriptor") {}

const void* const* FakeComponentDescriptor::Table() {
  static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS,
                               Fn(Unused<3>),
                               Fn(Unused<4>),
                               Fn(ComponentAddStream<ComponentField::AudioIn>),
                               Fn(ComponentAddStream<ComponentField::AudioOut>),
                               Fn(ComponentAddStream<ComponentField::BufferLength>),
                               Fn(Unused<8>),
                               Fn(Unused<9>),
                               Fn(ComponentAddStream<ComponentField::SideChainIn>),
                               Fn(Unused<11>),
                               Fn(ComponentAddExtraOutputStem),
                               Fn(ComponentAddPrivateData),
                               Fn(Unused<14>),
                               Fn(ComponentAddMidiNode),
                               Fn(ComponentAddProcessProcedure),
                               Fn(Unused<17>),
                               Fn(ComponentAddMeters),
                               Fn(Unused<19>)};
  return table;
}

bool FakeComponentDescriptor::Answers(const Guid& iid) const {
  return iid == kComponentDescriptorIid ||
         (Host().offersLaterInterfaces && iid == kComponentDescriptor2Iid);
}

void FakeComponentDescriptor::ReleaseHeld() {
  for (auto& procedure : processProcedures)
    if (procedure.properties) procedure.properties->Release();
  processProcedures.clear();
}

// ---- effect descriptor

FakeEffectDescriptor::FakeEffectDescriptor(FakeRegistrationHost& host)
    : HostObject(host, Table(), "effect descriptor") {}

const void* const* FakeEffectDescriptor::Table() {
  static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS,     Fn(EffectAddComponent),
                               Fn(EffectAddName),         Fn(EffectAddDescriptorValue),
                               Fn(Unused<6>),             Fn(EffectAddProcedure),
                               Fn(Unused<8>),             Fn(Unused<9>),
                               Fn(Unused<10>),            Fn(Unused<11>)};
  return table;
}

void* FakeEffectDescriptor::ProcedureOf(uint32_t id) const {
  for (const auto& procedure : procedures)
    if (procedure.id == id) return procedure.address;
  return nullptr;
}

bool FakeEffectDescriptor::Answers(const Guid& iid) const {
  return iid == kEffectDescriptorIid ||
         (Host().offersLaterInterfaces && iid == kEffectDescriptor2Iid);
}

void FakeEffectDescriptor::ReleaseHeld() {
  for (auto* component : components) component->Release();
  components.clear();
}

// ---- collection

FakeCollection::FakeCollection(FakeRegistrationHost& host)
    : HostObject(host, Table(), "collection") {}

const void* const* FakeCollection::Table() {
  static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS,
                               Fn(Unused<3>),
                               Fn(Unused<4>),
                               Fn(Unused<5>),
                               Fn(Unused<6>),
                               Fn(CollectionAddEffect),
                               Fn(CollectionSetManufacturerName),
                               Fn(CollectionAddPackageName),
                               Fn(CollectionSetPackageVersion),
                               Fn(Unused<11>)};
  return table;
}

bool FakeCollection::Answers(const Guid& iid) const {
  return iid == kCollectionIid || (Host().offersDefinition && iid == kPluginDefinitionIid);
}

void FakeCollection::ReleaseHeld() {
  for (auto& effect : effects)
    if (effect.descriptor) effect.descriptor->Release();
  effects.clear();
}

// ---- host services

FakeHostServices::FakeHostServices(FakeRegistrationHost& host)
    : HostObject(host, Table(), "host services") {}

const void* const* FakeHostServices::Table() {
  static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS, Fn(Unused<3>), Fn(ServicesTrace)};
  return table;
}

bool FakeHostServices::Answers(const Guid& iid) const { return iid == kHostServicesIid; }

// ---- host context and component factory

class FakeRegistrationHost::HostFactory : public HostObject {
 public:
  explicit HostFactory(FakeRegistrationHost& host)
      : HostObject(host, Table(), "factory", false) {}
  static const void* const* Table() {
    static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS, Fn(CreateOp)};
    return table;
  }

  // Operation 3: (class, outer, interface, out).
  static Result AAXFAKE_CALL CreateOp(Face* self, const Guid* classId, void* outer,
                                      const Guid* iid, void** out) {
    auto& factory = static_cast<HostFactory&>(*self->owner);
    factory.Record("CreateComponent");
    if (!out) return kClassNotAvailable;
    *out = outer ? nullptr : factory.Create(*classId, *iid);
    if (*out) return kOk;
    if (factory.Host().refusalLeavesJunk) *out = &factory;  // not an interface of anything
    return kClassNotAvailable;
  }

  // A new object of the class and interface pair with one reference; null for any other pair
  // or a kind the host was told to refuse.
  void* Create(const Guid& classId, const Guid& iid) {
    FakeRegistrationHost& host = Host();
    HostObject* made = nullptr;
    const std::string kind = KindOf(classId, iid);
    if (kind.empty() || host.refusedKinds.count(kind)) return nullptr;
    if (kind == "collection") made = new FakeCollection(host);
    if (kind == "effect descriptor") made = new FakeEffectDescriptor(host);
    if (kind == "component descriptor") made = new FakeComponentDescriptor(host);
    if (kind == "property map") made = new FakePropertyMap(host);
    if (kind == "host services") made = new FakeHostServices(host);
    made->AddRef();
    return made->Interface();
  }

 protected:
  bool Answers(const Guid& iid) const override { return iid == kComponentFactoryIid; }

 private:
  static std::string KindOf(const Guid& classId, const Guid& iid) {
    struct Pair {
      const Guid& classId;
      const Guid& iid;
      const char* kind;
    };
    static const Pair pairs[] = {
        {kCollectionClass, kCollectionIid, "collection"},
        {kEffectDescriptorClass, kEffectDescriptorIid, "effect descriptor"},
        {kComponentDescriptorClass, kComponentDescriptorIid, "component descriptor"},
        {kPropertyMapClass, kPropertyMapIid, "property map"},
        {kHostServicesClass, kHostServicesIid, "host services"}};
    for (const auto& pair : pairs)
      if (pair.classId == classId && pair.iid == iid) return pair.kind;
    return "";
  }
};

// Answers the component factory and whatever further interfaces the test gave it.
class FakeRegistrationHost::HostContext : public HostObject {
 public:
  explicit HostContext(FakeRegistrationHost& host)
      : HostObject(host, Table(), "context", false) {}
  static const void* const* Table() {
    static const Slot table[] = {AAXFAKE_UNKNOWN_SLOTS};
    return table;
  }
  Result Query(const Guid& iid, void** out) override {
    if (!out) return kNoInterface;
    *out = nullptr;
    FakeRegistrationHost& host = Host();
    if (iid == kComponentFactoryIid) {
      if (!host.offersFactory) return kNoInterface;
      if (host.nullFactory) return kOk;
      return host.mFactory->Query(kUnknownIid, out);
    }
    for (auto& [answered, object] : host.mExtraAnswers) {
      if (!(answered == iid)) continue;
      RawAddRef(object);
      *out = object;
      return kOk;
    }
    return HostObject::Query(iid, out);
  }

 protected:
  bool Answers(const Guid&) const override { return false; }
};

// ---- host

FakeRegistrationHost::FakeRegistrationHost()
    : mContext(new HostContext(*this)), mFactory(new HostFactory(*this)) {}

FakeRegistrationHost::~FakeRegistrationHost() {
  const std::set<HostObject*> left = mAlive;
  for (HostObject* object : left) delete object;
  delete mFactory;
  delete mContext;
}

void* FakeRegistrationHost::Context() { return mContext->Interface(); }

void FakeRegistrationHost::Answer(const Guid& iid, void* object) {
  mExtraAnswers.emplace_back(iid, object);
}

FakeCollection* FakeRegistrationHost::CollectionOf(void* definition) {
  return static_cast<FakeCollection*>(OwnerOf(definition, FakeCollection::Table()));
}

int FakeRegistrationHost::Made(const std::string& kind) const {
  const auto found = mMade.find(kind);
  return found == mMade.end() ? 0 : found->second;
}

int FakeRegistrationHost::ContextReferences() const { return mContext->References(); }

}  // namespace aaxfake
