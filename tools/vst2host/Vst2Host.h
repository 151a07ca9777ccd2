#pragma once
// A VST2 host of our own, written against the published binary facts only (record offsets,
// opcode numbers, record sizes; tests/vst2/published_vst2.h) and not against the plug-in side's
// headers, so that a wrong offset or opcode on that side shows up here.
//
// It loads a module file (LoadLibrary on Windows, dlopen elsewhere) or takes an entry point that
// is linked in, answers the plug-in's host callback (product, vendor version, time record,
// process level) while recording every call, drives one plug-in through its record, and renders
// audio through it.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "tests/vst2/published_vst2.h"
#include "tools/vst3host/WavFile.h"

namespace vst2host {

using vst2pub::IntPtr;
using vst3host::Wav;

// ---- The module -----------------------------------------------------------------------------

struct Module {
  void* library = nullptr;  // the loaded file; null when the entry point is linked in
  vst2pub::EntryPoint entry = nullptr;
};

// Loads the module file and finds VSTPluginMain, else main; false with the reason when the file
// cannot be loaded or has neither (the module is then unloaded again).
bool LoadModule(const std::string& path, Module* module, std::string* error);
void UnloadModule(Module* module);

// ---- The host side ------------------------------------------------------------------------------

// One call the plug-in made to the host. For event lists, the first event's bytes.
struct HostCall {
  int32_t opcode = 0;
  int32_t index = 0;
  IntPtr value = 0;
  float opt = 0.0f;
  bool hadEffect = false;  // the call carried the plug-in's record
  std::vector<unsigned char> event;
};

// The host's answers and its record of the traffic. One Host serves the plug-ins it created; it
// finds itself again through the record's resvd1 field, as real hosts do.
class Host {
 public:
  Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The plug-in's record from the entry point, with resvd1 set to this host; null when the entry
  // gave none.
  void* Create(vst2pub::EntryPoint entry);

  std::string product = "Corvane Test Host";
  IntPtr vendorVersion = 10203;  // 1.2.3
  IntPtr processLevel = 2;       // realtime
  bool giveTime = true;          // false: callback 7 answers 0
  std::vector<unsigned char> time;  // the time record handed out (88 bytes)

  std::vector<HostCall> Calls();
  // The calls of one opcode.
  std::vector<HostCall> Calls(int32_t opcode);
  void ClearCalls();

  static IntPtr PUBLISHED_VST2_CALL Callback(void* effect, int32_t opcode, int32_t index, IntPtr value, void* ptr,
                                             float opt);

 private:
  IntPtr Answer(int32_t opcode, void* ptr);

  std::mutex mLock;
  std::vector<HostCall> mCalls;
};

// Text the plug-in writes into a host buffer of `size` bytes (filled with 'x' before the call),
// or "<unterminated>" / "<wrote past N bytes>" when it left no zero there or touched any of the
// 64 guard bytes after it.
std::string TextOpcode(void* effect, int32_t opcode, int32_t index, std::size_t size, IntPtr value = 0, float opt = 0.0f);

// ---- Rendering --------------------------------------------------------------------------------

struct RenderOptions {
  int blockSize = 512;   // frames per process call
  bool sample64 = true;  // the replacing double callback (else the replacing float one)
  std::string preset;    // a program of the plug-in, chosen by the host by name
};

// Runs `in` (stereo, or stereo with the side chain in channels 3 and 4) through a new plug-in of
// the entry as a host does: open, sample rate, block size, program, resume, the blocks, suspend,
// close. `out` is stereo in the input's sample format.
bool RenderThroughEntry(vst2pub::EntryPoint entry, const Wav& in, Wav* out, const RenderOptions& options,
                        std::string* error);

}  // namespace vst2host
