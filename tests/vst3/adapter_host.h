#pragma once
// A host for the adapter tests. It holds the test plug-in the way a host does: through the
// interface the create function hands out, the others found by queryInterface with the
// published identifiers, and every call made through the published vtable slots. The host's own
// objects (application, component handler, context menu, frame, streams, parameter queues,
// event lists) are the raw objects of raw_host.h, which know nothing of our layer; records that
// cross the interface (process data, set-up, bus and parameter information) use the layer's
// structures, whose layouts the layer's own tests pin against the published offsets.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "raw_host.h"
#include "vst3_test_plug.h"

namespace vst3test {

using namespace published;
using Steinberg::Vst::AudioBusBuffers;
using Steinberg::Vst::BusInfo;
using Steinberg::Vst::ParameterInfo;
using Steinberg::Vst::ProcessContext;
using Steinberg::Vst::ProcessData;
using Steinberg::Vst::ProcessSetup;

using rawhost::faceAddRef;
using rawhost::faceQuery;
using rawhost::faceRelease;
using rawhost::fn;

inline std::u16string u16(const char16_t* text) { return std::u16string(text); }

// A host object seen through one of its interfaces: the object itself begins with its vtable.
inline Steinberg::Vst::IParameterChanges* asChanges(rawhost::ChangesFace& changes) {
  return reinterpret_cast<Steinberg::Vst::IParameterChanges*>(&changes);
}
inline Steinberg::Vst::IEventList* asEvents(rawhost::EventsFace& events) {
  return reinterpret_cast<Steinberg::Vst::IEventList*>(&events);
}

// ---- IHostApplication answering a name of the test's choice
struct ApplicationFace : rawhost::Face {
  explicit ApplicationFace(std::u16string productName);
  std::u16string name;
};
// Fills the String128 like a careless host: a name of 128 units or more is written without a
// terminator.
inline int32_t PUBLISHED_API namedAppGetName(rawhost::Face* self, char16_t* out) {
  const std::u16string& name = static_cast<ApplicationFace*>(self)->name;
  std::size_t n = 0;
  for (; n < name.size() && n < 128; ++n) out[n] = name[n];
  if (n < 128) out[n] = 0;
  return kOk;
}
inline void* const kNamedAppTable[] = {RAWHOST_UNKNOWN, fn(namedAppGetName),
                                       fn(rawhost::appCreateInstance)};
inline ApplicationFace::ApplicationFace(std::u16string productName)
    : Face(kNamedAppTable, kIHostApplication), name(std::move(productName)) {}

using rawhost::FaultyStream;

// ---- IParamValueQueue whose points cannot be read
inline int32_t PUBLISHED_API brokenQueueGetPoint(rawhost::Face*, int32_t, int32_t*, double*) { return kFalse; }
inline void* const kBrokenQueueTable[] = {RAWHOST_UNKNOWN, fn(rawhost::queueId),
                                          fn(rawhost::queueCount), fn(brokenQueueGetPoint),
                                          fn(rawhost::queueAddPoint)};

// Adds a queue for `id` with the given points (sample offset, value).
inline rawhost::QueueFace& addQueue(rawhost::ChangesFace& changes, uint32_t id,
                                    std::vector<std::pair<int32_t, double>> points) {
  changes.queues.emplace_back(id);
  changes.queues.back().points = std::move(points);
  return changes.queues.back();
}

// ---- Audio buffers of one block, owned by the host: per bus an exactly sized pointer array
// and exactly sized channels, so that any read or write past them trips the address sanitizer.
class HostBlock {
 public:
  HostBlock(bool is64, int frames, std::vector<int> inputChannels, std::vector<int> outputChannels)
      : is64_(is64), frames_(frames) {
    build(inputChannels, inputs_, inBuses_);
    build(outputChannels, outputs_, outBuses_);
    data_ = ProcessData{};
    data_.processMode = Steinberg::Vst::kRealtime;
    data_.symbolicSampleSize = is64 ? Steinberg::Vst::kSample64 : Steinberg::Vst::kSample32;
    data_.numSamples = frames;
    data_.numInputs = static_cast<int32_t>(inBuses_.size());
    data_.numOutputs = static_cast<int32_t>(outBuses_.size());
    data_.inputs = inBuses_.empty() ? nullptr : inBuses_.data();
    data_.outputs = outBuses_.empty() ? nullptr : outBuses_.data();
  }

  ProcessData& data() { return data_; }
  int frames() const { return frames_; }

  // Fills an input channel with f(frame); the value is stored in the block's sample format.
  template <class F>
  void fill(int bus, int channel, F f) {
    Channel& c = inputs_[static_cast<std::size_t>(bus)][static_cast<std::size_t>(channel)];
    for (int i = 0; i < frames_; ++i) set(c, i, f(i));
  }
  void fillOutputs(double value) {
    for (auto& bus : outputs_)
      for (Channel& c : bus)
        for (int i = 0; i < frames_; ++i) set(c, i, value);
  }
  double in(int bus, int channel, int i) const { return get(inputs_[bus][channel], i); }
  double out(int bus, int channel, int i) const { return get(outputs_[bus][channel], i); }

 private:
  struct Channel {
    std::vector<float> f;
    std::vector<double> d;
  };
  using BusChannels = std::vector<Channel>;

  void build(const std::vector<int>& counts, std::vector<BusChannels>& buses, std::vector<AudioBusBuffers>& records) {
    buses.resize(counts.size());
    records.resize(counts.size());
    pointers32_.reserve(pointers32_.size() + counts.size());
    pointers64_.reserve(pointers64_.size() + counts.size());
    for (std::size_t b = 0; b < counts.size(); ++b) {
      const int n = counts[b];
      buses[b].resize(static_cast<std::size_t>(n));
      auto p32 = std::make_unique<float*[]>(static_cast<std::size_t>(n));
      auto p64 = std::make_unique<double*[]>(static_cast<std::size_t>(n));
      for (int c = 0; c < n; ++c) {
        Channel& ch = buses[b][static_cast<std::size_t>(c)];
        if (is64_) {
          ch.d.assign(static_cast<std::size_t>(frames_), 0.0);
          p64[c] = ch.d.data();
        } else {
          ch.f.assign(static_cast<std::size_t>(frames_), 0.0f);
          p32[c] = ch.f.data();
        }
      }
      records[b] = AudioBusBuffers{};
      records[b].numChannels = n;
      if (is64_) {
        records[b].channelBuffers64 = n > 0 ? p64.get() : nullptr;
      } else {
        records[b].channelBuffers32 = n > 0 ? p32.get() : nullptr;
      }
      pointers32_.push_back(std::move(p32));
      pointers64_.push_back(std::move(p64));
    }
  }
  void set(Channel& c, int i, double v) {
    if (is64_) {
      c.d[static_cast<std::size_t>(i)] = v;
    } else {
      c.f[static_cast<std::size_t>(i)] = static_cast<float>(v);
    }
  }
  double get(const Channel& c, int i) const {
    return is64_ ? c.d[static_cast<std::size_t>(i)] : static_cast<double>(c.f[static_cast<std::size_t>(i)]);
  }

  bool is64_;
  int frames_;
  std::vector<BusChannels> inputs_, outputs_;
  std::vector<AudioBusBuffers> inBuses_, outBuses_;
  std::vector<std::unique_ptr<float*[]>> pointers32_;
  std::vector<std::unique_ptr<double*[]>> pointers64_;
  ProcessData data_;
};

// ---- The host side of one plug-in instance
class AdapterHost : public ::testing::Test {
 protected:
  void SetUp() override {
    rawhost::log().clear();
    SetPlugConsoleSink(&Quiet);  // the 32-bit input binder reports each channel
  }
  void TearDown() override {
    Destroy();
    EXPECT_EQ(application.refs, 1);
    EXPECT_EQ(host.handler.refs, 1);
    EXPECT_EQ(host.handler3.refs, 1);
    EXPECT_EQ(host.menu.refs, 1);
    EXPECT_EQ(host.frame.refs, 1);
    SetPlugConsoleSink(nullptr);
  }
  static void Quiet(const char*) {}

  // Terminates and releases the plug-in as a host does; the last release destroys it.
  void Destroy() {
    if (!plug) return;
    EXPECT_EQ(call<int32_t>(component, slot::terminate), kOk);
    for (void* face : {component, controller, controller2, unitInfo, midiMapping}) release(face);
    EXPECT_EQ(release(processor), 0u) << "the host's last release must destroy the plug-in";
    EXPECT_TRUE(destroyed);
    plug = nullptr;
    destroyed = false;
  }

  // The plug-in Make creates; a fixture may make a variant of the test plug-in.
  virtual TestPlug* NewPlug(const PlugOptions& options) { return new TestPlug(options); }

  // Creates the plug-in as the module's create function does (its IAudioProcessor carries the
  // one reference), finds its other interfaces and, unless told otherwise, initialises it.
  void Make(const PlugOptions& options = PlugOptions(), bool initialize = true) {
    plug = NewPlug(options);
    plug->destroyed = &destroyed;
    processor = static_cast<Steinberg::Vst::IAudioProcessor*>(plug);
    component = query(processor, kIComponent);
    controller = query(processor, kIEditController);
    controller2 = query(processor, kIEditController2);
    unitInfo = query(processor, kIUnitInfo);
    midiMapping = query(processor, kIMidiMapping);
    ASSERT_TRUE(component && controller && controller2 && unitInfo && midiMapping);
    if (initialize) {
      ASSERT_EQ(call<int32_t>(component, slot::initialize, static_cast<void*>(&application)), kOk);
    }
  }

  // ---- Calls through the published slots ----
  int32_t setHandler(void* handler) {
    return call<int32_t>(controller, slot::setComponentHandler, handler);
  }
  int32_t arrange(std::vector<uint64_t> ins, std::vector<uint64_t> outs) {
    return call<int32_t>(processor, slot::setBusArrangements, ins.empty() ? nullptr : ins.data(),
                         static_cast<int32_t>(ins.size()), outs.empty() ? nullptr : outs.data(),
                         static_cast<int32_t>(outs.size()));
  }
  int32_t activateBus(int32_t type, int32_t dir, int32_t index, bool state) {
    return call<int32_t>(component, slot::activateBus, type, dir, index, static_cast<uint8_t>(state));
  }
  int32_t setup(int32_t sampleSize, int32_t maxBlock, double rate = 48000.0, int32_t mode = 0) {
    ProcessSetup s{mode, sampleSize, maxBlock, rate};
    return call<int32_t>(processor, slot::setupProcessing, &s);
  }
  int32_t process(ProcessData& data) { return call<int32_t>(processor, slot::process, &data); }
  // The usual start: stereo in, stereo side chain, stereo out, buses active, set up.
  void StartStereo(int32_t sampleSize, int32_t maxBlock = 64, bool sideChainActive = true) {
    ASSERT_EQ(arrange({0x3, 0x3}, {0x3}), kOk);
    ASSERT_EQ(activateBus(0, 0, 0, true), kOk);
    ASSERT_EQ(activateBus(0, 0, 1, sideChainActive), kOk);
    ASSERT_EQ(activateBus(0, 1, 0, true), kOk);
    ASSERT_EQ(setup(sampleSize, maxBlock), kOk);
    ASSERT_EQ(call<int32_t>(component, slot::setActive, uint8_t(1)), kOk);
  }

  int32_t busCount(int32_t type, int32_t dir) { return call<int32_t>(component, slot::getBusCount, type, dir); }
  BusInfo busInfo(int32_t type, int32_t dir, int32_t index, int32_t* result = nullptr) {
    BusInfo info{};
    const int32_t r = call<int32_t>(component, slot::getBusInfo, type, dir, index, &info);
    if (result) *result = r;
    return info;
  }
  int32_t paramCount() { return call<int32_t>(controller, slot::getParameterCount); }
  ParameterInfo paramInfo(int32_t index) {
    ParameterInfo info{};
    EXPECT_EQ(call<int32_t>(controller, slot::getParameterInfo, index, &info), kOk) << "parameter " << index;
    return info;
  }
  std::u16string paramText(uint32_t id, double value, int32_t* result = nullptr) {
    char16_t text[128];
    text[0] = u'#';
    text[1] = 0;
    const int32_t r = call<int32_t>(controller, slot::getParamStringByValue, id, value, text);
    if (result) *result = r;
    return text;
  }
  double getNormalized(uint32_t id) { return call<double>(controller, slot::getParamNormalized, id); }
  int32_t setNormalized(uint32_t id, double v) { return call<int32_t>(controller, slot::setParamNormalized, id, v); }
  int32_t getState(void* stream) { return call<int32_t>(component, slot::componentGetState, stream); }
  int32_t setState(void* stream) { return call<int32_t>(component, slot::componentSetState, stream); }

  double value(int index) const { return plug->GetParam(index)->Value(); }

  TestPlug* plug = nullptr;
  bool destroyed = false;
  void* processor = nullptr;
  void* component = nullptr;
  void* controller = nullptr;
  void* controller2 = nullptr;
  void* unitInfo = nullptr;
  void* midiMapping = nullptr;
  ApplicationFace application{u"Corvane Raw Host"};
  rawhost::HostObjects host;
};

}  // namespace vst3test
