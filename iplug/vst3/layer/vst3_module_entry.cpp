#include "vst3_module_entry.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {
void* gModuleHandle = nullptr;
}

namespace Steinberg {
void* getModuleHandle() { return gModuleHandle; }
}  // namespace Steinberg

// No exception may reach the host through an export.
extern "C" CORVANE_VST3_EXPORT bool InitDll() {
  try {
    return InitModule();
  } catch (...) {
    return false;
  }
}

extern "C" CORVANE_VST3_EXPORT bool ExitDll() {
  try {
    return DeinitModule();
  } catch (...) {
    return false;
  }
}

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) gModuleHandle = instance;
  return TRUE;
}
#endif
