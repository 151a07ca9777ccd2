#pragma once
// A fake AAX host, registration side: the host context a module is started with, its component
// factory, and recording versions of the collection, effect descriptor, component descriptor,
// property map and host services the factory makes. It is written from the published
// identifiers and operation numbers alone and shares no declaration with the module: every
// host object is a table of plain functions laid out by operation number, so a wrong slot or
// identifier in the module's own declarations shows up here as a call that lands elsewhere.
//
// Objects the factory makes are reference counted as a host's are; the host keeps every object
// a module hands back to it (effect descriptors, components, property maps) until the object
// that holds it goes. Whatever is still alive when the host goes is deleted with it, so a
// module holding host services of a host must be shut down before that host goes.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace aaxfake {

#if defined(_WIN32) && !defined(_WIN64)
#define AAXFAKE_CALL __stdcall
#else
#define AAXFAKE_CALL
#endif

using Result = int32_t;

constexpr Result kOk = 0;
constexpr Result kNoInterface = static_cast<Result>(0x80000004u);
constexpr Result kClassNotAvailable = static_cast<Result>(0x80040111u);
// What an operation the module should never call answers, besides recording the call.
constexpr Result kUnusedSlot = -777;

struct Guid {
  uint32_t d1;
  uint16_t d2;
  uint16_t d3;
  uint8_t d4[8];
};
bool operator==(const Guid& a, const Guid& b);

extern const Guid kUnknownIid;
extern const Guid kComponentFactoryIid;
extern const Guid kCollectionClass, kCollectionIid, kPluginDefinitionIid;
extern const Guid kEffectDescriptorClass, kEffectDescriptorIid, kEffectDescriptor2Iid;
extern const Guid kComponentDescriptorClass, kComponentDescriptorIid, kComponentDescriptor2Iid;
extern const Guid kPropertyMapClass, kPropertyMapIid, kPropertyMap2Iid;
extern const Guid kHostServicesClass, kHostServicesIid;

// Calls through the first three slots of any object's table (query, add and drop a reference).
Result RawQuery(void* object, const Guid& iid, void** out);
uint32_t RawAddRef(void* object);
uint32_t RawRelease(void* object);

class FakeRegistrationHost;
class HostObject;

// A host object as a module sees it: the table of operations first.
struct Face {
  const void* const* table;
  HostObject* owner;
};

// Base of every fake host object: its face, reference count and call record. Further host
// objects (the parameter side's) derive from it with a table of their own.
class HostObject {
 public:
  // Counted objects are the factory's: alive until their last release, deleted by it.
  HostObject(FakeRegistrationHost& host, const void* const* table, std::string kind,
             bool counted = true);
  virtual ~HostObject();
  HostObject(const HostObject&) = delete;
  HostObject& operator=(const HostObject&) = delete;

  void* Interface() { return &mFace; }
  const std::string& Kind() const { return mKind; }
  int References() const { return mRefs; }
  uint32_t AddRef();
  uint32_t Release();
  virtual Result Query(const Guid& iid, void** out);

  // Records "<kind>.<operation>" and answers what the host was told to answer for it (0 when
  // nothing was set).
  Result Record(const char* operation);
  FakeRegistrationHost& Host() { return mHost; }
  const FakeRegistrationHost& Host() const { return mHost; }

 protected:
  // Identifiers answered with this object besides the unknown.
  virtual bool Answers(const Guid& iid) const = 0;
  // Drops what the object holds; called once, before it is deleted by its last release.
  virtual void ReleaseHeld() {}

 private:
  FakeRegistrationHost& mHost;
  bool mCounted;
  Face mFace;
  std::string mKind;
  int mRefs = 0;
};

// The object behind a pointer the module handed to the host when it is a host object of the
// given table; null otherwise (a foreign or null pointer).
HostObject* OwnerOf(void* object, const void* const* table);

class FakePropertyMap : public HostObject {
 public:
  explicit FakePropertyMap(FakeRegistrationHost& host);
  static const void* const* Table();
  std::vector<std::pair<uint32_t, int32_t>> properties;  // in the order they were added
  bool Find(uint32_t id, int32_t* value) const;          // the latest value of id

 protected:
  bool Answers(const Guid& iid) const override;
};

struct ComponentField {
  enum Kind { AudioIn, AudioOut, BufferLength, SideChainIn, ExtraOutputStem, PrivateData, Meters,
              MidiNode };
  ComponentField(Kind k, uint32_t i) : kind(k), index(i) {}
  Kind kind;
  uint32_t index;
  int32_t byteSize = 0;          // private data
  uint32_t options = 0;          // private data
  int32_t nodeType = 0;          // MIDI node
  uint32_t channelMask = 0;      // MIDI node
  uint32_t stemFormat = 0;       // extra output stem
  std::string name;              // MIDI node, extra output stem
  std::vector<uint32_t> meterIds;
};

struct ProcessProcedure {
  void* callback = nullptr;
  FakePropertyMap* properties = nullptr;  // held by the component
  void* extra[3] = {nullptr, nullptr, nullptr};
};

class FakeComponentDescriptor : public HostObject {
 public:
  explicit FakeComponentDescriptor(FakeRegistrationHost& host);
  static const void* const* Table();
  std::vector<ComponentField> fields;  // in the order they were declared
  std::vector<ProcessProcedure> processProcedures;

 protected:
  bool Answers(const Guid& iid) const override;
  void ReleaseHeld() override;
};

struct Procedure {
  void* address;
  uint32_t id;
};

class FakeEffectDescriptor : public HostObject {
 public:
  explicit FakeEffectDescriptor(FakeRegistrationHost& host);
  static const void* const* Table();
  std::vector<std::string> names;
  std::vector<uint32_t> descriptorValues;
  std::vector<Procedure> procedures;
  std::vector<FakeComponentDescriptor*> components;  // held
  void* ProcedureOf(uint32_t id) const;                // null when none has the id

 protected:
  bool Answers(const Guid& iid) const override;
  void ReleaseHeld() override;
};

struct RegisteredEffect {
  std::string id;
  FakeEffectDescriptor* descriptor;  // held; null when the module passed none of ours
};

class FakeCollection : public HostObject {
 public:
  explicit FakeCollection(FakeRegistrationHost& host);
  static const void* const* Table();
  std::vector<RegisteredEffect> effects;
  std::vector<std::string> manufacturerNames;
  std::vector<std::string> packageNames;
  std::vector<uint32_t> packageVersions;

 protected:
  bool Answers(const Guid& iid) const override;
  void ReleaseHeld() override;
};

class FakeHostServices : public HostObject {
 public:
  explicit FakeHostServices(FakeRegistrationHost& host);
  static const void* const* Table();

 protected:
  bool Answers(const Guid& iid) const override;
};

struct Trace {
  int32_t priority;
  std::string text;
};

class FakeRegistrationHost {
 public:
  FakeRegistrationHost();
  ~FakeRegistrationHost();
  FakeRegistrationHost(const FakeRegistrationHost&) = delete;
  FakeRegistrationHost& operator=(const FakeRegistrationHost&) = delete;

  // The host context the module is given (ACFStartup, ACFRegisterPlugin, instance contexts).
  void* Context();
  // A further interface the context answers (the parameter side's controller, automation,
  // transport ...): object is any host object; each answer gives one reference.
  void Answer(const Guid& iid, void* object);

  // The collection behind a plug-in definition the module handed over; null when it is not one.
  FakeCollection* CollectionOf(void* definition);
  // Host objects alive (made by the factory and not yet released).
  int Live() const { return static_cast<int>(mAlive.size()); }
  // Objects the factory made, by kind ("collection", "effect descriptor", "component
  // descriptor", "property map", "host services").
  int Made(const std::string& kind) const;
  int ContextReferences() const;

  // ---- behaviour
  std::map<std::string, Result> answers;  // "<kind>.<operation>" -> result (default 0)
  std::set<std::string> refusedKinds;     // kinds the factory does not make
  bool offersFactory = true;              // the context answers the factory identifier
  bool nullFactory = false;               // ... with success and no factory
  bool offersLaterInterfaces = true;      // descriptors and maps answer their second identifiers
  bool offersDefinition = true;           // the collection answers the plug-in definition
  bool refusalLeavesJunk = false;         // a refused creation still writes a pointer

  // ---- records
  std::vector<std::string> calls;  // "<kind>.<operation>", in order
  std::vector<Trace> traces;

 private:
  friend class HostObject;
  class HostContext;
  class HostFactory;
  HostContext* mContext;
  HostFactory* mFactory;
  std::set<HostObject*> mAlive;
  std::map<std::string, int> mMade;
  std::vector<std::pair<Guid, void*>> mExtraAnswers;
};

}  // namespace aaxfake
