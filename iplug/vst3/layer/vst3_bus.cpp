#include "vst3_bus.h"

#include "vst3_strings.h"

namespace Steinberg {
namespace Vst {

Bus::Bus(const TChar* name, BusType busType, int32 flags) : busType_(busType), flags_(flags) {
  setName(name);
}

void Bus::setName(const TChar* name) { name_.assign(name ? name : u""); }

bool Bus::getInfo(BusInfo& info) const {
  info.channelCount = channelCount();
  for (auto& unit : info.name) unit = 0;
  copyString16(info.name, name_.c_str());
  info.busType = busType_;
  info.flags = static_cast<uint32>(flags_);
  return true;
}

bool Bus::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "Vst::Bus") || (askBaseClass && FObject::isTypeOf(name, true));
}

AudioBus::AudioBus(const TChar* name, BusType busType, int32 flags, SpeakerArrangement arr)
    : Bus(name, busType, flags), arrangement_(arr) {}

bool AudioBus::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "Vst::AudioBus") || (askBaseClass && Bus::isTypeOf(name, true));
}

EventBus::EventBus(const TChar* name, BusType busType, int32 flags, int32 channelCount)
    : Bus(name, busType, flags), channels_(channelCount) {}

bool EventBus::isTypeOf(const char* name, bool askBaseClass) const {
  return classNameIs(name, "Vst::EventBus") || (askBaseClass && Bus::isTypeOf(name, true));
}

Bus* BusList::at(int32 index) const {
  if (index < 0 || index >= size()) return nullptr;
  return buses_[static_cast<std::size_t>(index)].get();
}

AudioBus* BusList::audioBusAt(int32 index) const {
  Bus* bus = at(index);
  return bus && bus->isTypeOf("Vst::AudioBus") ? static_cast<AudioBus*>(bus) : nullptr;
}

Bus* BusList::append(Bus* bus) {
  auto held = IPtr<Bus>::adopt(bus);
  if (!bus) return nullptr;
  buses_.push_back(std::move(held));
  return bus;
}

bool BusList::replace(int32 index, Bus* bus) {
  auto held = IPtr<Bus>::adopt(bus);
  if (!bus || index < 0 || index >= size()) return false;
  buses_[static_cast<std::size_t>(index)] = std::move(held);
  return true;
}

}  // namespace Vst
}  // namespace Steinberg
