// Reaching a module's exports: by name in a loaded module file, or linked in.

#include "fake_module.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace aaxfake {

#if defined(_WIN32)

namespace {

#if defined(_WIN64)
#define AAXFAKE_EXPORT_NAME(name, bytes) name
#else
#define AAXFAKE_EXPORT_NAME(name, bytes) name "@" #bytes
#endif

template <typename F>
void Look(HMODULE library, const char* name, F*& out) {
  out = reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

AaxModule LoadAaxModule(const std::string& path) {
  AaxModule module;
  HMODULE library = LoadLibraryA(path.c_str());
  if (!library) return module;
  module.library = library;
  Look(library, AAXFAKE_EXPORT_NAME("ACFStartup", 4), module.startup);
  Look(library, AAXFAKE_EXPORT_NAME("ACFShutdown", 4), module.shutdown);
  Look(library, AAXFAKE_EXPORT_NAME("ACFRegisterPlugin", 8), module.registerPlugin);
  Look(library, AAXFAKE_EXPORT_NAME("ACFRegisterComponent", 12), module.registerComponent);
  Look(library, AAXFAKE_EXPORT_NAME("ACFGetClassFactory", 16), module.getClassFactory);
  Look(library, AAXFAKE_EXPORT_NAME("ACFCanUnloadNow", 4), module.canUnloadNow);
  Look(library, AAXFAKE_EXPORT_NAME("ACFGetSDKVersion", 4), module.getSdkVersion);
  return module;
}

void UnloadAaxModule(AaxModule& module) {
  if (module.library) FreeLibrary(static_cast<HMODULE>(module.library));
  module = AaxModule();
}

std::string BesideProgram(const std::string& fileName) {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file(path, n);
  return file.substr(0, file.find_last_of("\\/") + 1) + fileName;
}

#else

}  // namespace aaxfake

// The module's exports, declared here as the host sees them.
extern "C" {
aaxfake::Result ACFStartup(void* host);
aaxfake::Result ACFShutdown(void* host);
aaxfake::Result ACFRegisterPlugin(void* host, void** definition);
aaxfake::Result ACFRegisterComponent(void* host, uint32_t index, void** component);
aaxfake::Result ACFGetClassFactory(void* host, const aaxfake::Guid* classId,
                                   const aaxfake::Guid* iid, void** factory);
aaxfake::Result ACFCanUnloadNow(void* host);
aaxfake::Result ACFGetSDKVersion(uint64_t* version);
}

namespace aaxfake {

AaxModule LinkedAaxModule() {
  AaxModule module;
  module.startup = &ACFStartup;
  module.shutdown = &ACFShutdown;
  module.registerPlugin = &ACFRegisterPlugin;
  module.registerComponent = &ACFRegisterComponent;
  module.getClassFactory = &ACFGetClassFactory;
  module.canUnloadNow = &ACFCanUnloadNow;
  module.getSdkVersion = &ACFGetSDKVersion;
  return module;
}

#endif

}  // namespace aaxfake
