#include "vst3_factory.h"

#include <mutex>

#include "vst3_object.h"
#include "vst3_strings.h"

namespace Steinberg {

namespace {

std::recursive_mutex& factoryLock() {
  static std::recursive_mutex lock;
  return lock;
}

CPluginFactory* gPluginFactory = nullptr;

template <std::size_t N>
void fixed8(char8 (&dst)[N], const char8* src) {
  copyFixedString8(dst, static_cast<int32>(N), src);
}
template <std::size_t N>
void fixed16(char16 (&dst)[N], const char8* src) {
  widenFixedString(dst, static_cast<int32>(N), src);
}
template <std::size_t N>
void fixed16(char16 (&dst)[N], const char16* src) {
  for (auto& unit : dst) unit = 0;
  copyString16(dst, src);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Records

PFactoryInfo makeFactoryInfo(const char8* vendor, const char8* url, const char8* email,
                             int32 flags) {
  PFactoryInfo info{};
  fixed8(info.vendor, vendor);
  fixed8(info.url, url);
  fixed8(info.email, email);
  info.flags = flags | PFactoryInfo::kUnicode;
  return info;
}

namespace {
// The fields all three class records begin with.
template <class Info>
Info classInfoHead(const TUID cid, int32 cardinality, const char8* category) {
  Info info{};
  std::memcpy(info.cid, cid, sizeof(TUID));
  info.cardinality = cardinality;
  fixed8(info.category, category);
  return info;
}
}  // namespace

PClassInfo makeClassInfo(const TUID cid, int32 cardinality, const char8* category,
                         const char8* name) {
  auto info = classInfoHead<PClassInfo>(cid, cardinality, category);
  fixed8(info.name, name);
  return info;
}

PClassInfo2 makeClassInfo2(const TUID cid, int32 cardinality, const char8* category,
                           const char8* name, uint32 classFlags, const char8* subCategories,
                           const char8* vendor, const char8* version, const char8* sdkVersion) {
  auto info = classInfoHead<PClassInfo2>(cid, cardinality, category);
  fixed8(info.name, name);
  info.classFlags = classFlags;
  fixed8(info.subCategories, subCategories);
  fixed8(info.vendor, vendor);
  fixed8(info.version, version);
  fixed8(info.sdkVersion, sdkVersion);
  return info;
}

PClassInfoW makeClassInfoW(const TUID cid, int32 cardinality, const char8* category,
                           const char16* name, uint32 classFlags, const char8* subCategories,
                           const char16* vendor, const char16* version, const char16* sdkVersion) {
  auto info = classInfoHead<PClassInfoW>(cid, cardinality, category);
  fixed16(info.name, name);
  info.classFlags = classFlags;
  fixed8(info.subCategories, subCategories);
  fixed16(info.vendor, vendor);
  fixed16(info.version, version);
  fixed16(info.sdkVersion, sdkVersion);
  return info;
}

// ---------------------------------------------------------------------------------------------
// CPluginFactory

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : factoryInfo_(info) {}

CPluginFactory::~CPluginFactory() {
  std::lock_guard<std::recursive_mutex> guard(factoryLock());
  if (gPluginFactory == this) gPluginFactory = nullptr;
}

bool CPluginFactory::addEntry(const ClassEntry& entry) {
  try {
    classes_.push_back(entry);
    return true;
  } catch (...) {
    return false;
  }
}

bool CPluginFactory::registerClass(const PClassInfo* info, FUnknownCreateFunction createFunc,
                                   void* context) {
  if (!info || !createFunc) return false;
  PClassInfo2 info2{};
  std::memcpy(&info2, info, sizeof(PClassInfo));
  return registerClass(&info2, createFunc, context);
}

bool CPluginFactory::registerClass(const PClassInfo2* info, FUnknownCreateFunction createFunc,
                                   void* context) {
  if (!info || !createFunc) return false;
  ClassEntry entry{};
  entry.info8 = *info;
  PClassInfoW& w = entry.info16;
  std::memcpy(w.cid, info->cid, sizeof(TUID));
  w.cardinality = info->cardinality;
  w.classFlags = info->classFlags;
  std::memcpy(w.category, info->category, sizeof(w.category));
  std::memcpy(w.subCategories, info->subCategories, sizeof(w.subCategories));
  // The source fields may be full (unterminated); each copy stops inside its own field.
  widenFixedString(w.name, PClassInfo::kNameSize, info->name);
  widenFixedString(w.vendor, PClassInfoW::kVendorSize, info->vendor);
  widenFixedString(w.version, PClassInfoW::kVersionSize, info->version);
  widenFixedString(w.sdkVersion, PClassInfoW::kVersionSize, info->sdkVersion);
  entry.create = createFunc;
  entry.context = context;
  entry.isUnicode = false;
  return addEntry(entry);
}

bool CPluginFactory::registerClass(const PClassInfoW* info, FUnknownCreateFunction createFunc,
                                   void* context) {
  if (!info || !createFunc) return false;
  ClassEntry entry{};
  entry.info16 = *info;
  entry.create = createFunc;
  entry.context = context;
  entry.isUnicode = true;
  return addEntry(entry);
}

tresult CORVANE_VST3_CALL CPluginFactory::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (queryAnswer<IPluginFactory>(iid, obj, this) || queryAnswer<IPluginFactory2>(iid, obj, this) ||
      queryAnswer<IPluginFactory3>(iid, obj, this) || queryAnswer<FUnknown>(iid, obj, this))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

uint32 CORVANE_VST3_CALL CPluginFactory::addRef() { return static_cast<uint32>(++refCount_); }

uint32 CORVANE_VST3_CALL CPluginFactory::release() {
  const int32 left = --refCount_;
  if (left == 0) {
    refCount_ = -1000;
    delete this;
    return 0;
  }
  return static_cast<uint32>(left);
}

bool CPluginFactory::tryAddRef() {
  int32 count = refCount_.load();
  while (count > 0) {
    if (refCount_.compare_exchange_weak(count, count + 1)) return true;
  }
  return false;
}

tresult CORVANE_VST3_CALL CPluginFactory::getFactoryInfo(PFactoryInfo* info) {
  if (info) *info = factoryInfo_;
  return kResultOk;
}

int32 CORVANE_VST3_CALL CPluginFactory::countClasses() {
  return static_cast<int32>(classes_.size());
}

tresult CORVANE_VST3_CALL CPluginFactory::getClassInfo(int32 index, PClassInfo* info) {
  if (!info || index < 0 || index >= countClasses()) return kInvalidArgument;
  const ClassEntry& entry = classes_[static_cast<std::size_t>(index)];
  if (entry.isUnicode) {
    std::memset(info, 0, sizeof(PClassInfo));
    return kResultFalse;
  }
  std::memcpy(info, &entry.info8, sizeof(PClassInfo));
  return kResultOk;
}

tresult CORVANE_VST3_CALL CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
  if (!info || index < 0 || index >= countClasses()) return kInvalidArgument;
  const ClassEntry& entry = classes_[static_cast<std::size_t>(index)];
  if (entry.isUnicode) {
    std::memset(info, 0, sizeof(PClassInfo2));
    return kResultFalse;
  }
  *info = entry.info8;
  return kResultOk;
}

tresult CORVANE_VST3_CALL CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  if (!info || index < 0 || index >= countClasses()) return kInvalidArgument;
  *info = classes_[static_cast<std::size_t>(index)].info16;
  return kResultOk;
}

tresult CORVANE_VST3_CALL CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kInvalidArgument;
  for (const ClassEntry& entry : classes_) {
    if (!iidEqual(entry.info16.cid, cid)) continue;
    try {
      // The creation reference ends with this scope; the caller keeps the query's reference.
      const auto instance = IPtr<FUnknown>::adopt(entry.create(entry.context));
      void* answer = nullptr;
      if (!instance || instance->queryInterface(iid, &answer) != kResultOk || !answer)
        return kNoInterface;
      *obj = answer;
      return kResultOk;
    } catch (...) {
      return kNoInterface;
    }
  }
  return kNoInterface;
}

tresult CORVANE_VST3_CALL CPluginFactory::setHostContext(FUnknown*) { return kNotImplemented; }

// ---------------------------------------------------------------------------------------------
// The module's factory

IPluginFactory* obtainPluginFactory(CPluginFactory* (*build)()) {
  std::lock_guard<std::recursive_mutex> guard(factoryLock());
  if (gPluginFactory && gPluginFactory->tryAddRef()) return gPluginFactory;
  if (!build) return nullptr;
  try {
    gPluginFactory = build();
  } catch (...) {
    gPluginFactory = nullptr;
  }
  return gPluginFactory;
}

IPluginFactory* keptPluginFactory() {
  std::lock_guard<std::recursive_mutex> guard(factoryLock());
  return gPluginFactory;
}

}  // namespace Steinberg
