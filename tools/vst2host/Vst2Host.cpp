// The VST2 test host: module loading, the host callback with its answers and its record of the
// traffic, and rendering a WAV file through a plug-in.
#include "tools/vst2host/Vst2Host.h"

#include <algorithm>
#include <cstring>

#include "tools/vst3host/Vst3Host.h"

namespace vst2host {

using namespace vst2pub;

namespace {

// A created plug-in's host is found through resvd1; during the entry call (no record yet) it is
// the host creating it.
thread_local Host* tCreating = nullptr;

Host* HostOf(void* effect) {
  if (!effect) return tCreating;
  return reinterpret_cast<Host*>(field<IntPtr>(effect, record::resvd1));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Module

bool LoadModule(const std::string& path, Module* module, std::string* error) {
  void* library = vst3host::OpenLibrary(path);
  if (!library) {
    *error = "cannot load \"" + path + "\" (" + vst3host::LoadError() + ")";
    return false;
  }
  void* entry = vst3host::Symbol(library, "VSTPluginMain");
  if (!entry) entry = vst3host::Symbol(library, "main");
  if (!entry) {
    vst3host::CloseLibrary(library);
    *error = "\"" + path + "\" exports neither VSTPluginMain nor main";
    return false;
  }
  module->library = library;
  module->entry = reinterpret_cast<EntryPoint>(entry);
  return true;
}

void UnloadModule(Module* module) {
  if (module->library) vst3host::CloseLibrary(module->library);
  *module = Module();
}

// ---------------------------------------------------------------------------------------------
// Host

Host::Host() : time(timeinfo::kSize, 0) {
  setField<double>(time.data(), timeinfo::sampleRate, 44100.0);
}

void* Host::Create(EntryPoint entry) {
  Host* previous = tCreating;
  tCreating = this;
  void* effect = entry(&Host::Callback);
  tCreating = previous;
  if (effect) setField<IntPtr>(effect, record::resvd1, reinterpret_cast<IntPtr>(this));
  return effect;
}

IntPtr PUBLISHED_VST2_CALL Host::Callback(void* effect, int32_t opcode, int32_t index, IntPtr value, void* ptr,
                                          float opt) {
  Host* self = HostOf(effect);
  if (!self) return 0;
  HostCall call;
  call.opcode = opcode;
  call.index = index;
  call.value = value;
  call.opt = opt;
  call.hadEffect = effect != nullptr;
  if (opcode == host::processEvents && ptr && field<int32_t>(ptr, events::numEvents) > 0) {
    const auto* first = field<const unsigned char*>(ptr, events::entries);
    call.event.assign(first, first + event::kSize);
  }
  std::lock_guard<std::mutex> guard(self->mLock);
  self->mCalls.push_back(call);
  return self->Answer(opcode, ptr);
}

IntPtr Host::Answer(int32_t opcode, void* ptr) {
  switch (opcode) {
    case host::version:
      return 2400;
    case host::getTime:
      return giveTime ? reinterpret_cast<IntPtr>(time.data()) : 0;
    case host::processEvents:
    case host::updateDisplay:
      return 1;
    case host::getCurrentProcessLevel:
      return processLevel;
    case host::getProductString:
      if (!ptr) return 0;
      std::snprintf(static_cast<char*>(ptr), 64, "%s", product.c_str());
      return 1;
    case host::getVendorVersion:
      return vendorVersion;
    default:
      return 0;
  }
}

std::vector<HostCall> Host::Calls() {
  std::lock_guard<std::mutex> guard(mLock);
  return mCalls;
}

std::vector<HostCall> Host::Calls(int32_t opcode) {
  std::vector<HostCall> calls = Calls();
  calls.erase(std::remove_if(calls.begin(), calls.end(), [opcode](const HostCall& c) { return c.opcode != opcode; }),
              calls.end());
  return calls;
}

void Host::ClearCalls() {
  std::lock_guard<std::mutex> guard(mLock);
  mCalls.clear();
}

std::string TextOpcode(void* effect, int32_t opcode, int32_t index, std::size_t size, IntPtr value, float opt) {
  std::vector<char> buffer(size + 64, 'x');  // guard bytes to see a write past the given size
  dispatch(effect, opcode, index, value, buffer.data(), opt);
  const auto limit = buffer.begin() + static_cast<long>(size);
  const auto end = std::find(buffer.begin(), limit, '\0');
  if (end == limit) return "<unterminated>";
  if (std::any_of(limit, buffer.end(), [](char c) { return c != 'x'; })) {
    return "<wrote past " + std::to_string(size) + " bytes>";
  }
  return std::string(buffer.begin(), end);
}

// ---------------------------------------------------------------------------------------------
// Rendering

namespace {

// The program of that name, through the program names by index; -1 when there is none.
int FindProgram(void* effect, const std::string& name) {
  const int32_t programs = field<int32_t>(effect, record::numPrograms);
  for (int32_t i = 0; i < programs; ++i) {
    if (TextOpcode(effect, op::getProgramNameIndexed, i, 24) == name) return i;
  }
  return -1;
}

// One block of the host's buffers: four inputs (main, then the side chain) and two outputs.
template <class Sample>
struct Buffers {
  explicit Buffers(int frames) {
    for (auto& channel : in) channel.assign(static_cast<std::size_t>(frames), 0);
    for (auto& channel : out) channel.assign(static_cast<std::size_t>(frames), 0);
    for (int c = 0; c < 4; ++c) inPointers[c] = in[c].data();
    for (int c = 0; c < 2; ++c) outPointers[c] = out[c].data();
  }
  std::vector<Sample> in[4], out[2];
  Sample* inPointers[4];
  Sample* outPointers[2];
};

template <class Sample>
void RenderBlocks(void* effect, const Wav& in, int blockSize, std::vector<double>* samples) {
  Buffers<Sample> buffers(blockSize);
  const bool sideChain = in.channels == 4;
  const long long frames = in.Frames();
  const std::size_t slot = sizeof(Sample) == 8 ? record::processDoubleReplacing : record::processReplacing;
  for (long long at = 0; at < frames; at += blockSize) {
    const int n = static_cast<int>(std::min<long long>(blockSize, frames - at));
    for (int i = 0; i < n; ++i) {
      for (int c = 0; c < 4; ++c) {
        const double value = c < 2 || sideChain ? in.At(at + i, c) : 0.0;
        buffers.in[c][static_cast<std::size_t>(i)] = static_cast<Sample>(value);
      }
    }
    process<Sample>(effect, slot, buffers.inPointers, buffers.outPointers, n);
    for (int i = 0; i < n; ++i) {
      samples->push_back(buffers.out[0][static_cast<std::size_t>(i)]);
      samples->push_back(buffers.out[1][static_cast<std::size_t>(i)]);
    }
  }
}

}  // namespace

bool RenderThroughEntry(EntryPoint entry, const Wav& in, Wav* out, const RenderOptions& options, std::string* error) {
  if (in.channels != 2 && in.channels != 4) {
    *error = "the input must have 2 channels, or 4 with the side chain";
    return false;
  }
  if (options.blockSize < 1) {
    *error = "bad block size";
    return false;
  }
  Host host;
  host.processLevel = 4;  // offline
  void* effect = host.Create(entry);
  if (!effect || field<int32_t>(effect, record::magic) != kMagic) {
    *error = "the entry gave no plug-in record";
    return false;
  }
  if (field<int32_t>(effect, record::numInputs) != 4 || field<int32_t>(effect, record::numOutputs) != 2) {
    dispatch(effect, op::close);
    *error = "the plug-in does not take four inputs and two outputs";
    return false;
  }
  dispatch(effect, op::open);
  const int program = options.preset.empty() ? -1 : FindProgram(effect, options.preset);
  if (!options.preset.empty() && program < 0) {
    dispatch(effect, op::close);
    *error = "the plug-in has no program \"" + options.preset + "\"";
    return false;
  }
  dispatch(effect, op::setSampleRate, 0, 0, nullptr, static_cast<float>(in.sampleRate));
  dispatch(effect, op::setBlockSize, 0, options.blockSize);
  if (program >= 0) dispatch(effect, op::setProgram, 0, program);
  dispatch(effect, op::setProcessPrecision, 0, options.sample64 ? 1 : 0);
  dispatch(effect, op::mainsChanged, 0, 1);

  Wav result;
  result.sampleRate = in.sampleRate;
  result.channels = 2;
  result.format = in.format;
  result.samples.reserve(static_cast<std::size_t>(in.Frames()) * 2);
  if (options.sample64) {
    RenderBlocks<double>(effect, in, options.blockSize, &result.samples);
  } else {
    RenderBlocks<float>(effect, in, options.blockSize, &result.samples);
  }
  dispatch(effect, op::mainsChanged, 0, 0);
  dispatch(effect, op::close);
  *out = std::move(result);
  return true;
}

}  // namespace vst2host
