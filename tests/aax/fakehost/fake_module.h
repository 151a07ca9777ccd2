#pragma once
// The seven exports of an AAX module as the fake host calls them: from a module file through
// LoadLibrary and the exported names (Windows), or the same code linked into the test program.

#include <cstdint>
#include <string>

#include "fake_registration_host.h"

namespace aaxfake {

struct AaxModule {
  Result(AAXFAKE_CALL* startup)(void* host) = nullptr;
  Result(AAXFAKE_CALL* shutdown)(void* host) = nullptr;
  Result(AAXFAKE_CALL* registerPlugin)(void* host, void** definition) = nullptr;
  Result(AAXFAKE_CALL* registerComponent)(void* host, uint32_t index, void** component) = nullptr;
  Result(AAXFAKE_CALL* getClassFactory)(void* host, const Guid* classId, const Guid* iid,
                                        void** factory) = nullptr;
  Result(AAXFAKE_CALL* canUnloadNow)(void* host) = nullptr;
  Result(AAXFAKE_CALL* getSdkVersion)(uint64_t* version) = nullptr;
  void* library = nullptr;  // the loaded module file; null when linked in

  bool Complete() const {
    return startup && shutdown && registerPlugin && registerComponent && getClassFactory &&
           canUnloadNow && getSdkVersion;
  }
};

#if defined(_WIN32)
// The module file at path (UTF-8), with its exports looked up under the names a host uses:
// plain on x86-64, stdcall-decorated (ACFStartup@4, ...) on x86. Incomplete when the file does
// not load or lacks an export.
AaxModule LoadAaxModule(const std::string& path);
void UnloadAaxModule(AaxModule& module);
// A file next to the running program.
std::string BesideProgram(const std::string& fileName);
#else
// The exports linked into this program.
AaxModule LinkedAaxModule();
#endif

}  // namespace aaxfake
