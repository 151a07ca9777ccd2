// The VST2 module's entry (VSTPluginMain, exported as main too) and, on Windows, its library
// entry, which keeps the module's instance handle for the editor's window class and bitmaps.
#include "effect/vst2/VemtraCorvaneVST2.h"

#include <memory>

#include "effect/VemtraCorvane.h"

#if defined(_WIN32)
#include "iplug/igraphicswin/IGraphicsWin.h"
#endif

namespace {

// Made on the first creation (thread-safe function-static construction) and gone when the
// module is unloaded.
PlugMutex& CreationLock() {
  static PlugMutex lock;
  return lock;
}

}  // namespace

extern "C" CORVANE_VST2_EXPORT Vst2EffectRecord* CORVANE_VST2_CALL VSTPluginMain(Vst2HostCallback hostCallback) {
  try {
    PlugLock lock(&CreationLock());
    std::unique_ptr<VemtraCorvane> effect;
    {
      IPlugVST::CreationScope scope(hostCallback);
      effect.reset(new VemtraCorvane);
    }
    effect->FillEmptyPresets();
    Vst2EffectRecord* record = effect->GetRecord();
    if (record->numPrograms < 1) record->numPrograms = 1;
    effect.release();  // from here the host owns it, until opcode 1 deletes it
    return record;
  } catch (...) {
    return nullptr;
  }
}

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  SetPlugModuleInstance(instance);
  return TRUE;
}
#endif
