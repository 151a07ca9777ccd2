// Buses of a component: audio and event buses and the ordered lists that hold them.
#pragma once

#include <string>
#include <vector>

#include "vst3_object.h"

namespace Steinberg {
namespace Vst {

class Bus : public FObject {
 public:
  // name: zero-terminated UTF-16 (null = empty). A bus starts inactive.
  Bus(const TChar* name, BusType busType, int32 flags);

  bool isActive() const { return active_; }
  void setActive(TBool state) { active_ = state != 0; }
  const TChar* getName() const { return name_.c_str(); }
  void setName(const TChar* name);
  BusType getBusType() const { return busType_; }
  int32 getFlags() const { return flags_; }

  // Fills channelCount, name (cut to 127 units, terminated, rest zeroed), busType and flags;
  // mediaType and direction are the caller's. The active flag is not reported.
  virtual bool getInfo(BusInfo& info) const;

  const char* className() const override { return "Vst::Bus"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  virtual int32 channelCount() const = 0;

 private:
  std::u16string name_;
  BusType busType_;
  int32 flags_;
  bool active_ = false;
};

class AudioBus : public Bus {
 public:
  AudioBus(const TChar* name, BusType busType, int32 flags, SpeakerArrangement arr);

  SpeakerArrangement getArrangement() const { return arrangement_; }
  void setArrangement(SpeakerArrangement arr) { arrangement_ = arr; }
  // The number of speakers of the arrangement.
  int32 getChannelCount() const { return SpeakerArr::getChannelCount(arrangement_); }

  const char* className() const override { return "Vst::AudioBus"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  int32 channelCount() const override { return getChannelCount(); }

 private:
  SpeakerArrangement arrangement_;
};

class EventBus : public Bus {
 public:
  EventBus(const TChar* name, BusType busType, int32 flags, int32 channelCount);

  int32 getChannelCount() const { return channels_; }

  const char* className() const override { return "Vst::EventBus"; }
  bool isTypeOf(const char* name, bool askBaseClass = true) const override;

 protected:
  int32 channelCount() const override { return channels_; }

 private:
  int32 channels_;
};

// An ordered list of buses of one media type and direction; the bus index is the position.
// The list holds one reference to each bus.
class BusList {
 public:
  BusList(MediaType type, BusDirection dir) : type_(type), direction_(dir) {}
  BusList(const BusList&) = delete;
  BusList& operator=(const BusList&) = delete;

  MediaType getType() const { return type_; }
  BusDirection getDirection() const { return direction_; }
  int32 size() const { return static_cast<int32>(buses_.size()); }
  bool empty() const { return buses_.empty(); }

  // Null for an index outside 0 ... size - 1.
  Bus* at(int32 index) const;
  // The entry as an audio bus (null when out of range or not an audio bus).
  AudioBus* audioBusAt(int32 index) const;

  // Appends a new bus, taking over the caller's reference; returns it.
  Bus* append(Bus* bus);
  // Puts a new bus at `index` in place of the one there (whose reference is released),
  // taking over the caller's reference; false (and the new bus released) when out of range.
  bool replace(int32 index, Bus* bus);
  void clear() { buses_.clear(); }

 private:
  MediaType type_;
  BusDirection direction_;
  std::vector<IPtr<Bus>> buses_;
};

}  // namespace Vst
}  // namespace Steinberg
