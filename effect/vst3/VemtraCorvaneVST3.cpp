#include "effect/vst3/VemtraCorvaneVST3.h"

#include <mutex>

#include "effect/VemtraCorvane.h"

#if defined(_WIN32)
#include "iplug/igraphicswin/IGraphicsWin.h"
#endif

using namespace Steinberg;

namespace VemtraCorvaneVST3 {

namespace {
constexpr char LittleEndianByte(int code, int byte) { return static_cast<char>((code >> (8 * byte)) & 0xFF); }
constexpr int kMaker = VemtraCorvane::kMakerId;
constexpr int kProduct = VemtraCorvane::kUniqueId;
}  // namespace

const TUID kClassId = {'\x0D', '\xE7', '\xAE', '\xF2', '\x4E', '\x4F', '\xDE', '\x00',
                       LittleEndianByte(kMaker, 0),   LittleEndianByte(kMaker, 1),
                       LittleEndianByte(kMaker, 2),   LittleEndianByte(kMaker, 3),
                       LittleEndianByte(kProduct, 0), LittleEndianByte(kProduct, 1),
                       LittleEndianByte(kProduct, 2), LittleEndianByte(kProduct, 3)};

namespace {

// The framework's module instance (window class, bitmap resources) is the handle the library
// entry kept when the module was loaded.
void KeepModuleInstance() {
#if defined(_WIN32)
  if (void* handle = getModuleHandle()) SetPlugModuleInstance(static_cast<HINSTANCE>(handle));
#endif
}

bool ModuleInstanceKnown() {
#if defined(_WIN32)
  return GetPlugModuleInstance() != nullptr;
#else
  return true;
#endif
}

CPluginFactory* BuildFactory() {
  static const PFactoryInfo factoryInfo = makeFactoryInfo(kVendor, kVendorUrl, kVendorEmail, PFactoryInfo::kUnicode);
  static const PClassInfo2 classInfo =
      makeClassInfo2(kClassId, PClassInfo::kManyInstances, Vst::kVstAudioEffectClass, kClassName, kSimpleModeSupported,
                     kSubCategories, kVendor, kClassVersion, Vst::kVstVersionString);
  auto* factory = new CPluginFactory(factoryInfo);
  if (!factory->registerClass(&classInfo, CreateVST3PlugObject)) {
    factory->release();
    return nullptr;
  }
  return factory;
}

}  // namespace
}  // namespace VemtraCorvaneVST3

bool InitModule() {
  VemtraCorvaneVST3::KeepModuleInstance();
  return true;
}

bool DeinitModule() { return true; }

FUnknown* CreateVST3PlugObject(void*) {
  try {
    static std::mutex creationLock;
    std::lock_guard<std::mutex> guard(creationLock);
    // A host that skipped InitDll still gets an editor that finds its resources.
    if (!VemtraCorvaneVST3::ModuleInstanceKnown()) VemtraCorvaneVST3::KeepModuleInstance();
    return static_cast<Vst::IAudioProcessor*>(new VemtraCorvane);
  } catch (...) {
    return nullptr;
  }
}

extern "C" CORVANE_VST3_EXPORT IPluginFactory* CORVANE_VST3_CALL GetPluginFactory() {
  try {
    return obtainPluginFactory(VemtraCorvaneVST3::BuildFactory);
  } catch (...) {
    return nullptr;
  }
}
