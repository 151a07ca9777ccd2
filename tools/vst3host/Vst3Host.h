#pragma once
// A VST3 host of our own, written against the published binary facts only (interface identifier
// bytes, vtable slot numbers, record offsets; tests/vst3/published_abi.h) and not against the
// plug-in side's headers, so that a wrong identifier, slot or layout on that side shows up
// here. The host's own objects (application, component handler, streams, parameter queues) are
// those of tests/vst3/raw_host.h.
//
// It loads a module file (LoadLibrary on Windows, dlopen elsewhere) or takes entry points that
// are linked in, drives one plug-in object through its interfaces, and renders audio through it.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/vst3/published_abi.h"
#include "tests/vst3/raw_host.h"
#include "tools/vst3host/WavFile.h"

namespace vst3host {

// ---- The module -----------------------------------------------------------------------------

// The platform's library loader (LoadLibrary or dlopen): open (null on failure), find a symbol,
// close, and the reason of the last failure.
void* OpenLibrary(const std::string& path);
void* Symbol(void* library, const char* name);
void CloseLibrary(void* library);
std::string LoadError();

struct Module {
  using GetFactory = void*(PUBLISHED_API*)();
  using Hook = bool (*)();
  void* library = nullptr;  // the loaded file; null when the entry points are linked in
  GetFactory getPluginFactory = nullptr;
  Hook initDll = nullptr;  // optional for a host, as InitDll and ExitDll are
  Hook exitDll = nullptr;
};

// Loads the module file and finds its entry points; false with the reason when the file cannot
// be loaded or has no GetPluginFactory (the module is then unloaded again).
bool LoadModule(const std::string& path, Module* module, std::string* error);
// Unloads a module that LoadModule loaded; forgets linked-in entry points.
void UnloadModule(Module* module);

// ---- Records in the published layouts --------------------------------------------------------

// ProcessSetup: process mode, sample size (0: 32-bit, 1: 64-bit), largest block, sample rate.
std::vector<unsigned char> ProcessSetupRecord(int32_t mode, int32_t sampleSize, int32_t maxBlock, double rate);

// One ProcessData record with its AudioBusBuffers records and the host's sample buffers: per
// bus an exactly sized pointer array, per channel an exactly sized buffer of the block's sample
// size.
class ProcessBlock {
 public:
  ProcessBlock(bool is64, int maxFrames, std::vector<int> inputBuses, std::vector<int> outputBuses);
  ProcessBlock(const ProcessBlock&) = delete;
  ProcessBlock& operator=(const ProcessBlock&) = delete;

  void* Data() { return mData.data(); }
  bool Is64() const { return mIs64; }
  int MaxFrames() const { return mMaxFrames; }
  // The frame count the record announces (at most MaxFrames).
  void SetFrames(int frames);
  void SetProcessMode(int32_t mode);
  // Parameter changes in and out, events in and out, process context (each may be null).
  void SetHostObjects(void* inChanges, void* outChanges, void* inEvents, void* outEvents, void* context);
  // A flush as some hosts send it: no samples and no bus records at all.
  void SetFlush();
  // Restores the buses after SetFlush.
  void SetBuses();

  void SetInput(int bus, int channel, int frame, double value);
  double Input(int bus, int channel, int frame) const;
  double Output(int bus, int channel, int frame) const;
  void FillOutputs(double value);

 private:
  struct Bus {
    std::vector<std::vector<float>> f;
    std::vector<std::vector<double>> d;
    std::vector<void*> pointers;
  };
  void Build(const std::vector<int>& counts, std::vector<Bus>& buses, std::vector<unsigned char>& records);
  void SetSample(Bus& bus, int channel, int frame, double value);
  double Sample(const Bus& bus, int channel, int frame) const;

  bool mIs64;
  int mMaxFrames;
  std::vector<Bus> mInputs, mOutputs;
  std::vector<unsigned char> mInputRecords, mOutputRecords, mData;
};

// ---- A plug-in object ------------------------------------------------------------------------

// The interfaces of one plug-in object. Create asks the factory for its IComponent, the rest
// come from queryInterface (null when not offered). Release drops every interface held; the
// destructor does the same.
class Instance {
 public:
  Instance() = default;
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;
  ~Instance() { Release(); }

  // The factory's createInstance result.
  int32_t Create(void* factory, const unsigned char* classId);
  // Releases the interfaces; returns what the last release answered (0 when that destroyed the
  // object), or -1 when nothing was held.
  long Release();

  void* component = nullptr;
  void* processor = nullptr;
  void* controller = nullptr;
  void* controller2 = nullptr;
  void* unitInfo = nullptr;
  void* midiMapping = nullptr;
};

// The id of the factory's first class of category "Audio Module Class" (16 bytes), or empty.
std::vector<unsigned char> FindEffectClass(void* factory);

// ---- Rendering --------------------------------------------------------------------------------

struct RenderOptions {
  int blockSize = 512;   // frames per process call
  bool sample64 = true;  // process in 64-bit samples (else 32-bit)
  std::string preset;    // a program of the plug-in's program list, recalled by the host
};

// Runs `in` (stereo, or stereo with the side chain in channels 3 and 4) through the factory's
// effect class as a host does: the object is created and initialised, arranged stereo (with the
// side chain active for four channels), set up for offline processing at the file's rate,
// activated, given the blocks, and torn down again. `out` is stereo in the input's sample format.
bool RenderThroughFactory(void* factory, const Wav& in, Wav* out, const RenderOptions& options, std::string* error);

// A deterministic test signal of four channels (stereo, then a stereo side chain) in 32-bit PCM:
// level steps, two tones and a pseudo-random side chain, at most -12 dBFS.
Wav MakeTestSignal(int sampleRate, double seconds);

// The largest difference between two files of the same shape (rate, channels, frames), and
// where it is; false with the reason when the shapes differ.
bool CompareWav(const Wav& a, const Wav& b, double* maxDifference, long long* frame, std::string* error);

}  // namespace vst3host
