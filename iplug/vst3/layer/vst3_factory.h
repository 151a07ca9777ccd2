// The plug-in factory a VST3 module hands to its host, and builders for its records.
#pragma once

#include <atomic>
#include <vector>

#include "vst3_interfaces.h"

namespace Steinberg {

// Makes a new object and returns it carrying one reference (or null). `context` is the
// pointer given at registration.
using FUnknownCreateFunction = FUnknown* (*)(void* context);

// Record builders. Texts are copied into their fixed fields cut to fit and terminated, the
// rest of each field zero-filled. The factory flags always include kUnicode.
PFactoryInfo makeFactoryInfo(const char8* vendor, const char8* url, const char8* email,
                             int32 flags = PFactoryInfo::kNoFlags);
PClassInfo makeClassInfo(const TUID cid, int32 cardinality, const char8* category,
                         const char8* name);
PClassInfo2 makeClassInfo2(const TUID cid, int32 cardinality, const char8* category,
                           const char8* name, uint32 classFlags, const char8* subCategories,
                           const char8* vendor, const char8* version, const char8* sdkVersion);
PClassInfoW makeClassInfoW(const TUID cid, int32 cardinality, const char8* category,
                           const char16* name, uint32 classFlags, const char8* subCategories,
                           const char16* vendor, const char16* version, const char16* sdkVersion);

// IPluginFactory3 (and so 2 and 1) over a table of registered classes. Its reference count
// starts at 1; the last release deletes it.
class CPluginFactory : public IPluginFactory3 {
 public:
  explicit CPluginFactory(const PFactoryInfo& info);
  CPluginFactory(const CPluginFactory&) = delete;
  CPluginFactory& operator=(const CPluginFactory&) = delete;
  // Clears the kept module factory (obtainPluginFactory) when it is this one.
  virtual ~CPluginFactory();

  // Registration from any of the three record forms; false (nothing registered) for a null
  // record or create function or when memory runs out. From PClassInfo or PClassInfo2 the
  // Unicode record is derived (texts widened); a class registered from PClassInfoW has only
  // the Unicode record, and getClassInfo/getClassInfo2 answer kResultFalse for it.
  bool registerClass(const PClassInfo* info, FUnknownCreateFunction createFunc,
                     void* context = nullptr);
  bool registerClass(const PClassInfo2* info, FUnknownCreateFunction createFunc,
                     void* context = nullptr);
  bool registerClass(const PClassInfoW* info, FUnknownCreateFunction createFunc,
                     void* context = nullptr);

  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override;
  uint32 CORVANE_VST3_CALL addRef() override;
  uint32 CORVANE_VST3_CALL release() override;

  tresult CORVANE_VST3_CALL getFactoryInfo(PFactoryInfo* info) override;
  int32 CORVANE_VST3_CALL countClasses() override;
  // Null record or index outside the table: kInvalidArgument.
  tresult CORVANE_VST3_CALL getClassInfo(int32 index, PClassInfo* info) override;
  // The first class whose 16-byte id equals cid is created and asked for iid. On any failure
  // (unknown class, no object, interface not offered, an exception) *obj is null and the
  // result kNoInterface; null cid, iid or obj: kInvalidArgument.
  tresult CORVANE_VST3_CALL createInstance(FIDString cid, FIDString iid, void** obj) override;
  tresult CORVANE_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) override;
  tresult CORVANE_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) override;
  tresult CORVANE_VST3_CALL setHostContext(FUnknown* context) override;  // kNotImplemented

  int32 getRefCount() const { return refCount_.load(); }

 private:
  friend IPluginFactory* obtainPluginFactory(CPluginFactory* (*build)());
  // Adds a reference unless the count has already dropped to 0 (the factory is going away).
  bool tryAddRef();

  struct ClassEntry {
    PClassInfo2 info8;
    PClassInfoW info16;
    FUnknownCreateFunction create;
    void* context;
    bool isUnicode;
  };
  bool addEntry(const ClassEntry& entry);

  std::atomic<int32> refCount_{1};
  PFactoryInfo factoryInfo_;
  std::vector<ClassEntry> classes_;
};

// The module's GetPluginFactory: while a factory is kept, returns it with a reference added;
// otherwise calls `build` (a factory carrying one reference, or null), keeps the result and
// returns it. Calls are serialised; the kept factory is forgotten when it is destroyed, so a
// later call builds a new one. Exceptions from `build` give null.
IPluginFactory* obtainPluginFactory(CPluginFactory* (*build)());

// The kept factory (borrowed), or null.
IPluginFactory* keptPluginFactory();

}  // namespace Steinberg
