#include "tools/vst3host/Vst3Host.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace vst3host {

using namespace published;

namespace {

// Published values used here.
constexpr int32_t kSample32 = 0, kSample64 = 1;
constexpr int32_t kOffline = 2;
constexpr int32_t kAudio = 0, kInput = 0, kOutput = 1;
constexpr uint64_t kStereo = 0x3;
constexpr int32_t kIsProgramChange = 0x8000;

// Record sizes and offsets.
constexpr std::size_t kBusRecordSize = 24;  // AudioBusBuffers: channels @0, silence @8, buffers @16
constexpr std::size_t kClassInfoSize = 116;
constexpr std::size_t kParameterInfoSize = 792;
constexpr std::size_t kSetupSize = 24;
constexpr std::size_t kInputsAt = k64 ? 24 : 20;
constexpr std::size_t kOutputsAt = k64 ? 32 : 24;
constexpr std::size_t kHostObjectsAt = k64 ? 40 : 28;

std::string Text8(const unsigned char* record, std::size_t offset, std::size_t size) {
  const char* p = reinterpret_cast<const char*>(record + offset);
  return std::string(p, strnlen(p, size));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Module

// The platform's loader.
#if defined(_WIN32)
void* OpenLibrary(const std::string& path) { return LoadLibraryA(path.c_str()); }
void* Symbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void CloseLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }
std::string LoadError() { return "error " + std::to_string(GetLastError()); }
#else
void* OpenLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* Symbol(void* library, const char* name) { return dlsym(library, name); }
void CloseLibrary(void* library) { dlclose(library); }
std::string LoadError() {
  const char* reason = dlerror();
  return reason ? reason : "?";
}
#endif

namespace {

template <class F>
F Entry(void* library, const char* name) {
  return reinterpret_cast<F>(Symbol(library, name));
}

}  // namespace

bool LoadModule(const std::string& path, Module* module, std::string* error) {
  void* library = OpenLibrary(path);
  if (!library) {
    *error = "cannot load \"" + path + "\" (" + LoadError() + ")";
    return false;
  }
  Module m;
  m.library = library;
  m.getPluginFactory = Entry<Module::GetFactory>(library, "GetPluginFactory");
  m.initDll = Entry<Module::Hook>(library, "InitDll");
  m.exitDll = Entry<Module::Hook>(library, "ExitDll");
  if (!m.getPluginFactory) {
    CloseLibrary(library);
    *error = "\"" + path + "\" exports no GetPluginFactory";
    return false;
  }
  *module = m;
  return true;
}

void UnloadModule(Module* module) {
  if (module->library) CloseLibrary(module->library);
  *module = Module();
}

// ---------------------------------------------------------------------------------------------
// Records

std::vector<unsigned char> ProcessSetupRecord(int32_t mode, int32_t sampleSize, int32_t maxBlock, double rate) {
  std::vector<unsigned char> setup(kSetupSize, 0);
  setField<int32_t>(setup.data(), 0, mode);
  setField<int32_t>(setup.data(), 4, sampleSize);
  setField<int32_t>(setup.data(), 8, maxBlock);
  setField<double>(setup.data(), 16, rate);
  return setup;
}

ProcessBlock::ProcessBlock(bool is64, int maxFrames, std::vector<int> inputBuses, std::vector<int> outputBuses)
    : mIs64(is64), mMaxFrames(std::max(maxFrames, 0)), mData(kProcessDataSize, 0) {
  Build(inputBuses, mInputs, mInputRecords);
  Build(outputBuses, mOutputs, mOutputRecords);
  SetProcessMode(0);
  setField<int32_t>(mData.data(), 4, is64 ? kSample64 : kSample32);
  SetFrames(mMaxFrames);
  SetBuses();
}

void ProcessBlock::Build(const std::vector<int>& counts, std::vector<Bus>& buses, std::vector<unsigned char>& records) {
  buses.resize(counts.size());
  records.assign(counts.size() * kBusRecordSize, 0);
  for (std::size_t b = 0; b < counts.size(); ++b) {
    const std::size_t n = static_cast<std::size_t>(std::max(counts[b], 0));
    Bus& bus = buses[b];
    bus.pointers.resize(n);
    for (std::size_t c = 0; c < n; ++c) {
      if (mIs64) {
        bus.d.emplace_back(static_cast<std::size_t>(mMaxFrames), 0.0);
        bus.pointers[c] = bus.d.back().data();
      } else {
        bus.f.emplace_back(static_cast<std::size_t>(mMaxFrames), 0.0f);
        bus.pointers[c] = bus.f.back().data();
      }
    }
    unsigned char* record = records.data() + b * kBusRecordSize;
    setField<int32_t>(record, 0, static_cast<int32_t>(n));
    setField<void*>(record, 16, n ? static_cast<void*>(bus.pointers.data()) : nullptr);
  }
}

void ProcessBlock::SetFrames(int frames) {
  setField<int32_t>(mData.data(), 8, std::min(std::max(frames, 0), mMaxFrames));
}

void ProcessBlock::SetProcessMode(int32_t mode) { setField<int32_t>(mData.data(), 0, mode); }

void ProcessBlock::SetHostObjects(void* inChanges, void* outChanges, void* inEvents, void* outEvents, void* context) {
  void* objects[] = {inChanges, outChanges, inEvents, outEvents, context};
  for (std::size_t i = 0; i < 5; ++i) setField<void*>(mData.data(), kHostObjectsAt + i * sizeof(void*), objects[i]);
}

void ProcessBlock::SetFlush() {
  setField<int32_t>(mData.data(), 8, 0);
  setField<int32_t>(mData.data(), 12, 0);
  setField<int32_t>(mData.data(), 16, 0);
  setField<void*>(mData.data(), kInputsAt, nullptr);
  setField<void*>(mData.data(), kOutputsAt, nullptr);
}

void ProcessBlock::SetBuses() {
  setField<int32_t>(mData.data(), 12, static_cast<int32_t>(mInputs.size()));
  setField<int32_t>(mData.data(), 16, static_cast<int32_t>(mOutputs.size()));
  setField<void*>(mData.data(), kInputsAt, mInputs.empty() ? nullptr : static_cast<void*>(mInputRecords.data()));
  setField<void*>(mData.data(), kOutputsAt, mOutputs.empty() ? nullptr : static_cast<void*>(mOutputRecords.data()));
}

void ProcessBlock::SetSample(Bus& bus, int channel, int frame, double value) {
  if (mIs64) {
    bus.d[static_cast<std::size_t>(channel)][static_cast<std::size_t>(frame)] = value;
  } else {
    bus.f[static_cast<std::size_t>(channel)][static_cast<std::size_t>(frame)] = static_cast<float>(value);
  }
}

double ProcessBlock::Sample(const Bus& bus, int channel, int frame) const {
  return mIs64 ? bus.d[static_cast<std::size_t>(channel)][static_cast<std::size_t>(frame)]
               : static_cast<double>(bus.f[static_cast<std::size_t>(channel)][static_cast<std::size_t>(frame)]);
}

void ProcessBlock::SetInput(int bus, int channel, int frame, double value) {
  SetSample(mInputs[static_cast<std::size_t>(bus)], channel, frame, value);
}
double ProcessBlock::Input(int bus, int channel, int frame) const {
  return Sample(mInputs[static_cast<std::size_t>(bus)], channel, frame);
}
double ProcessBlock::Output(int bus, int channel, int frame) const {
  return Sample(mOutputs[static_cast<std::size_t>(bus)], channel, frame);
}

void ProcessBlock::FillOutputs(double value) {
  for (Bus& bus : mOutputs) {
    for (auto& c : bus.f) std::fill(c.begin(), c.end(), static_cast<float>(value));
    for (auto& c : bus.d) std::fill(c.begin(), c.end(), value);
  }
}

// ---------------------------------------------------------------------------------------------
// Instance

int32_t Instance::Create(void* factory, const unsigned char* classId) {
  Release();
  void* obj = nullptr;
  const int32_t result = call<int32_t>(factory, slot::createInstance, reinterpret_cast<const char*>(classId),
                                       reinterpret_cast<const char*>(kIComponent), &obj);
  if (result != kOk || !obj) return result == kOk ? kNoInterface : result;
  component = obj;
  processor = query(component, kIAudioProcessor);
  controller = query(component, kIEditController);
  controller2 = query(component, kIEditController2);
  unitInfo = query(component, kIUnitInfo);
  midiMapping = query(component, kIMidiMapping);
  return kOk;
}

long Instance::Release() {
  long last = -1;
  for (void** face : {&midiMapping, &unitInfo, &controller2, &controller, &processor, &component}) {
    if (*face) last = static_cast<long>(release(*face));
    *face = nullptr;
  }
  return last;
}

std::vector<unsigned char> FindEffectClass(void* factory) {
  const int32_t count = call<int32_t>(factory, slot::countClasses);
  for (int32_t i = 0; i < count; ++i) {
    unsigned char info[kClassInfoSize] = {};
    if (call<int32_t>(factory, slot::getClassInfo, i, static_cast<void*>(info)) != kOk) continue;
    if (Text8(info, 20, 32) == "Audio Module Class") return std::vector<unsigned char>(info, info + 16);
  }
  return {};
}

// ---------------------------------------------------------------------------------------------
// Rendering

namespace {

// The program-change parameter (its id and step count) and the index of the named program in
// its program list; false when there is none of that name.
bool FindProgram(void* controller, void* unitInfo, const std::string& name, uint32_t* id, double* normalized) {
  if (!controller || !unitInfo) return false;
  const int32_t count = call<int32_t>(controller, slot::getParameterCount);
  for (int32_t i = 0; i < count; ++i) {
    unsigned char info[kParameterInfoSize] = {};
    if (call<int32_t>(controller, slot::getParameterInfo, i, static_cast<void*>(info)) != kOk) continue;
    if (!(field<int32_t>(info, 788) & kIsProgramChange)) continue;
    const uint32_t paramId = field<uint32_t>(info, 0);
    const int32_t steps = field<int32_t>(info, 772);
    for (int32_t p = 0; p < steps; ++p) {
      char16_t programName[128] = {};
      if (call<int32_t>(unitInfo, slot::getProgramName, static_cast<int32_t>(paramId), p, programName) != kOk) continue;
      std::string text;
      for (const char16_t* c = programName; *c && c < programName + 128; ++c) text += static_cast<char>(*c);
      if (text == name) {
        *id = paramId;
        *normalized = static_cast<double>(p) / steps;
        return true;
      }
    }
  }
  return false;
}

bool Check(int32_t result, const char* what, std::string* error) {
  if (result == kOk) return true;
  *error = std::string(what) + " failed (result " + std::to_string(result) + ")";
  return false;
}

}  // namespace

bool RenderThroughFactory(void* factory, const Wav& in, Wav* out, const RenderOptions& options, std::string* error) {
  if (in.channels != 2 && in.channels != 4) {
    *error = "the input must have 2 channels, or 4 with the side chain";
    return false;
  }
  if (options.blockSize < 1) {
    *error = "bad block size";
    return false;
  }
  const std::vector<unsigned char> classId = FindEffectClass(factory);
  if (classId.empty()) {
    *error = "the module has no audio effect class";
    return false;
  }
  rawhost::HostObjects host;
  Instance plug;
  if (!Check(plug.Create(factory, classId.data()), "createInstance", error)) return false;
  if (!plug.processor) {
    *error = "the effect has no IAudioProcessor";
    return false;
  }
  const bool sideChain = in.channels == 4;
  uint32_t presetId = 0;
  double presetValue = 0.0;
  bool ok = Check(call<int32_t>(plug.component, slot::initialize, static_cast<void*>(&host.application)),
                  "initialize", error);
  if (ok && !options.preset.empty() && !FindProgram(plug.controller, plug.unitInfo, options.preset, &presetId, &presetValue)) {
    *error = "the effect has no program \"" + options.preset + "\"";
    ok = false;
  }
  if (ok) {
    uint64_t ins[] = {kStereo, kStereo};
    uint64_t outs[] = {kStereo};
    const std::vector<unsigned char> setup =
        ProcessSetupRecord(kOffline, options.sample64 ? kSample64 : kSample32, options.blockSize, in.sampleRate);
    ok = Check(call<int32_t>(plug.processor, slot::setBusArrangements, ins, int32_t(2), outs, int32_t(1)),
               "setBusArrangements", error) &&
         Check(call<int32_t>(plug.component, slot::activateBus, kAudio, kInput, int32_t(0), uint8_t(1)), "activateBus", error) &&
         Check(call<int32_t>(plug.component, slot::activateBus, kAudio, kInput, int32_t(1), uint8_t(sideChain)),
               "activateBus", error) &&
         Check(call<int32_t>(plug.component, slot::activateBus, kAudio, kOutput, int32_t(0), uint8_t(1)), "activateBus", error) &&
         Check(call<int32_t>(plug.processor, slot::setupProcessing, static_cast<const void*>(setup.data())),
               "setupProcessing", error) &&
         Check(call<int32_t>(plug.component, slot::setActive, uint8_t(1)), "setActive", error);
  }
  Wav result;
  result.sampleRate = in.sampleRate;
  result.channels = 2;
  result.format = in.format;
  if (ok) {
    call<int32_t>(plug.processor, slot::setProcessing, uint8_t(1));  // optional for a plug-in
    ProcessBlock block(options.sample64, options.blockSize, {2, 2}, {2});
    block.SetProcessMode(kOffline);
    rawhost::ChangesFace presetChange, noChanges;
    if (!options.preset.empty()) {
      presetChange.queues.emplace_back(presetId);
      presetChange.queues.back().points = {{0, presetValue}};
    }
    const long long frames = in.Frames();
    result.samples.reserve(static_cast<std::size_t>(frames) * 2);
    for (long long at = 0; at < frames && ok; at += options.blockSize) {
      const int n = static_cast<int>(std::min<long long>(options.blockSize, frames - at));
      for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 2; ++c) {
          block.SetInput(0, c, i, in.At(at + i, c));
          block.SetInput(1, c, i, sideChain ? in.At(at + i, 2 + c) : 0.0);
        }
      }
      block.SetFrames(n);
      block.SetHostObjects(at == 0 ? &presetChange : &noChanges, nullptr, nullptr, nullptr, nullptr);
      ok = Check(call<int32_t>(plug.processor, slot::process, block.Data()), "process", error);
      for (int i = 0; i < n && ok; ++i) {
        result.samples.push_back(block.Output(0, 0, i));
        result.samples.push_back(block.Output(0, 1, i));
      }
    }
    call<int32_t>(plug.processor, slot::setProcessing, uint8_t(0));
    call<int32_t>(plug.component, slot::setActive, uint8_t(0));
  }
  call<int32_t>(plug.component, slot::terminate);
  plug.Release();
  if (ok) *out = std::move(result);
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Test signal and comparison

Wav MakeTestSignal(int sampleRate, double seconds) {
  static const double kLevels[] = {0.05, 0.25, 0.1, 0.02, 0.2, 0.08, 0.15, 0.03};
  const double kPi = 3.14159265358979323846;
  Wav wav;
  wav.sampleRate = sampleRate;
  wav.channels = 4;
  wav.format = WavFormat::kPcm32;
  const long long frames = static_cast<long long>(seconds * sampleRate);
  wav.samples.resize(static_cast<std::size_t>(frames) * 4);
  uint32_t noise = 0x12345678u;
  for (long long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / sampleRate;
    const long long step = static_cast<long long>(t / 0.25);
    const double level = kLevels[step % 8];
    double* frame = &wav.samples[static_cast<std::size_t>(i) * 4];
    frame[0] = level * std::sin(2.0 * kPi * 220.0 * t);
    frame[1] = level * 0.7 * std::sin(2.0 * kPi * 330.0 * t + 0.5);
    for (int c = 2; c < 4; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double white = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
      frame[c] = white * (step % 2 ? 0.1 : 0.03);
    }
  }
  return wav;
}

bool CompareWav(const Wav& a, const Wav& b, double* maxDifference, long long* frame, std::string* error) {
  if (a.sampleRate != b.sampleRate || a.channels != b.channels || a.Frames() != b.Frames()) {
    *error = "the files differ in rate, channels or length";
    return false;
  }
  double worst = 0.0;
  long long where = 0;
  for (std::size_t i = 0; i < a.samples.size(); ++i) {
    const double d = std::fabs(a.samples[i] - b.samples[i]);
    if (d > worst || std::isnan(d)) {
      worst = std::isnan(d) ? INFINITY : d;
      where = static_cast<long long>(i) / a.channels;
    }
  }
  *maxDifference = worst;
  *frame = where;
  return true;
}

}  // namespace vst3host
