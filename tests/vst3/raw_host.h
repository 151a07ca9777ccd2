// Host-side objects for raw VST3 tests, built without the layer's headers: each object is a
// vtable pointer followed by data, its functions take the object first and use the published
// calling convention and slot order. They log what the plug-in asks of them, so a test can see
// which method a plug-in's call reached.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "published_abi.h"

namespace rawhost {

using namespace published;

inline std::vector<std::string>& log() {
  static std::vector<std::string> entries;
  return entries;
}

template <class F>
void* fn(F f) {
  return reinterpret_cast<void*>(f);
}

inline std::u16string u16at(const void* record, std::size_t offset, std::size_t maxUnits = 128) {
  std::u16string text;
  for (std::size_t i = 0; i < maxUnits; ++i) {
    const char16_t unit = field<char16_t>(record, offset + 2 * i);
    if (unit == 0) break;
    text += unit;
  }
  return text;
}

inline std::string text8(const void* record, std::size_t offset) {
  return std::string(static_cast<const char*>(record) + offset);
}

// A record buffer with a guard area behind it, to see that the plug-in writes no further.
struct Record {
  explicit Record(std::size_t n) : size(n), bytes(n + 16, 0xCD) {}
  void* data() { return bytes.data(); }
  bool guardIntact() const {
    for (std::size_t i = size; i < bytes.size(); ++i)
      if (bytes[i] != 0xCD) return false;
    return true;
  }
  std::size_t size;
  std::vector<unsigned char> bytes;
};

// One interface of a host object. The test owns every face; the count only shows whether the
// plug-in's addRef and release calls balance.
struct Face {
  Face(void* const* table, const Iid& interfaceId) : vtable(table), iid(interfaceId) {}
  void* const* vtable;  // must stay the first member
  const unsigned char* iid;
  std::vector<Face*>* siblings = nullptr;  // other interfaces of the same host object
  int refs = 1;
};

inline int32_t PUBLISHED_API faceQuery(Face* self, const unsigned char* iid, void** obj) {
  if (!obj) return kInvalidArgument;
  Face* answer = nullptr;
  if (std::memcmp(iid, kFUnknown, 16) == 0 || std::memcmp(iid, self->iid, 16) == 0) answer = self;
  if (!answer && self->siblings) {
    for (Face* f : *self->siblings)
      if (std::memcmp(iid, f->iid, 16) == 0) answer = f;
  }
  if (!answer) {
    *obj = nullptr;
    return kNoInterface;
  }
  ++answer->refs;
  *obj = answer;
  return kOk;
}
inline uint32_t PUBLISHED_API faceAddRef(Face* self) { return static_cast<uint32_t>(++self->refs); }
inline uint32_t PUBLISHED_API faceRelease(Face* self) { return static_cast<uint32_t>(--self->refs); }

#define RAWHOST_UNKNOWN fn(faceQuery), fn(faceAddRef), fn(faceRelease)

// ---- IHostApplication: getName (3), createInstance (4)
inline int32_t PUBLISHED_API appGetName(Face*, char16_t* name) {
  const char16_t text[] = u"Raw Host";
  std::memcpy(name, text, sizeof text);
  log().push_back("getName");
  return kOk;
}
inline int32_t PUBLISHED_API appCreateInstance(Face*, char*, char*, void** obj) {
  *obj = nullptr;
  return kNoInterface;
}
inline void* const kApplicationTable[] = {RAWHOST_UNKNOWN, fn(appGetName), fn(appCreateInstance)};

// ---- IComponentHandler: beginEdit (3), performEdit (4), endEdit (5), restartComponent (6)
inline int32_t PUBLISHED_API handlerBegin(Face*, uint32_t id) {
  log().push_back("beginEdit " + std::to_string(id));
  return kOk;
}
inline int32_t PUBLISHED_API handlerPerform(Face*, uint32_t id, double value) {
  log().push_back("performEdit " + std::to_string(id) + " " + std::to_string(value));
  return kOk;
}
inline int32_t PUBLISHED_API handlerEnd(Face*, uint32_t id) {
  log().push_back("endEdit " + std::to_string(id));
  return kOk;
}
inline int32_t PUBLISHED_API handlerRestart(Face*, int32_t flags) {
  log().push_back("restartComponent " + std::to_string(flags));
  return kOk;
}
inline void* const kHandlerTable[] = {RAWHOST_UNKNOWN, fn(handlerBegin), fn(handlerPerform),
                                      fn(handlerEnd), fn(handlerRestart)};

// ---- IComponentHandler2: setDirty (3), requestOpenEditor (4), startGroupEdit (5), finishGroupEdit (6)
inline int32_t PUBLISHED_API handlerSetDirty(Face*, unsigned char state) {
  log().push_back("setDirty " + std::to_string(state));
  return kOk;
}
inline int32_t PUBLISHED_API handlerOpenEditor(Face*, const char* name) {
  log().push_back(std::string("requestOpenEditor ") + name);
  return kOk;
}
inline int32_t PUBLISHED_API handlerStartGroup(Face*) {
  log().push_back("startGroupEdit");
  return kOk;
}
inline int32_t PUBLISHED_API handlerFinishGroup(Face*) {
  log().push_back("finishGroupEdit");
  return kOk;
}
inline void* const kHandler2Table[] = {RAWHOST_UNKNOWN, fn(handlerSetDirty), fn(handlerOpenEditor),
                                       fn(handlerStartGroup), fn(handlerFinishGroup)};

// ---- IContextMenu: getItemCount (3), getItem (4), addItem (5), removeItem (6), popup (7)
inline int32_t PUBLISHED_API menuCount(Face*) { return 0; }
inline int32_t PUBLISHED_API menuGetItem(Face*, int32_t, void*, void**) { return kInvalidArgument; }
inline int32_t PUBLISHED_API menuAddItem(Face*, const void* item, void*) {
  std::string name;
  for (char16_t c : u16at(item, 0)) name += static_cast<char>(c);
  log().push_back("addItem " + name + " " + std::to_string(field<int32_t>(item, 256)) + " " +
                  std::to_string(field<int32_t>(item, 260)));
  return kOk;
}
inline int32_t PUBLISHED_API menuRemoveItem(Face*, const void*, void*) { return kOk; }
inline int32_t PUBLISHED_API menuPopup(Face*, int32_t x, int32_t y) {
  log().push_back("popup " + std::to_string(x) + " " + std::to_string(y));
  return kOk;
}
inline void* const kMenuTable[] = {RAWHOST_UNKNOWN, fn(menuCount), fn(menuGetItem),
                                   fn(menuAddItem), fn(menuRemoveItem), fn(menuPopup)};

// ---- IComponentHandler3: createContextMenu (3), handing out `menu`
struct Handler3Face : Face {
  using Face::Face;
  Face* menu = nullptr;
  void* expectedView = nullptr;
};
inline void* PUBLISHED_API handlerCreateMenu(Face* self, void* view, const uint32_t* id) {
  auto* h = static_cast<Handler3Face*>(self);
  log().push_back("createContextMenu " + std::to_string(id ? *id : 0xFFFFFFFFu) +
                  (view == h->expectedView ? " view" : " other view"));
  ++h->menu->refs;
  return h->menu;
}
inline void* const kHandler3Table[] = {RAWHOST_UNKNOWN, fn(handlerCreateMenu)};

// ---- IPlugFrame: resizeView (3); like a host, it answers with the view's onSize
inline int32_t PUBLISHED_API frameResize(Face*, void* view, void* rect) {
  log().push_back("resizeView " + std::to_string(field<int32_t>(rect, 8)) + "x" +
                  std::to_string(field<int32_t>(rect, 12)));
  return call<int32_t>(view, slot::onSize, rect);
}
inline void* const kFrameTable[] = {RAWHOST_UNKNOWN, fn(frameResize)};

// ---- IBStream: read (3), write (4), seek (5), tell (6), over memory like the SDK's memory
// stream (short reads are clipped and still answer kResultTrue).
struct StreamFace : Face {
  StreamFace();
  std::vector<unsigned char> bytes;
  int64_t pos = 0;
};
inline int32_t PUBLISHED_API streamRead(Face* self, void* buffer, int32_t n, int32_t* numRead) {
  auto* s = static_cast<StreamFace*>(self);
  const int64_t left = static_cast<int64_t>(s->bytes.size()) - s->pos;
  const int32_t count = n < 0 ? 0 : static_cast<int32_t>(left < n ? (left < 0 ? 0 : left) : n);
  if (count > 0) std::memcpy(buffer, s->bytes.data() + s->pos, static_cast<std::size_t>(count));
  s->pos += count;
  if (numRead) *numRead = count;
  return kOk;
}
inline int32_t PUBLISHED_API streamWrite(Face* self, void* buffer, int32_t n, int32_t* numWritten) {
  auto* s = static_cast<StreamFace*>(self);
  if (n < 0) return kInvalidArgument;
  if (s->bytes.size() < static_cast<std::size_t>(s->pos + n)) s->bytes.resize(static_cast<std::size_t>(s->pos + n));
  std::memcpy(s->bytes.data() + s->pos, buffer, static_cast<std::size_t>(n));
  s->pos += n;
  if (numWritten) *numWritten = n;
  return kOk;
}
inline int32_t PUBLISHED_API streamSeek(Face* self, int64_t pos, int32_t mode, int64_t* result) {
  auto* s = static_cast<StreamFace*>(self);
  const int64_t base = mode == 0 ? 0 : (mode == 1 ? s->pos : static_cast<int64_t>(s->bytes.size()));
  s->pos = base + pos < 0 ? 0 : base + pos;
  if (result) *result = s->pos;
  return kOk;
}
inline int32_t PUBLISHED_API streamTell(Face* self, int64_t* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<StreamFace*>(self)->pos;
  return kOk;
}
inline void* const kStreamTable[] = {RAWHOST_UNKNOWN, fn(streamRead), fn(streamWrite),
                                     fn(streamSeek), fn(streamTell)};
inline StreamFace::StreamFace() : Face(kStreamTable, kIBStream) {}

// ---- IBStream over memory that can be told to misbehave
struct FaultyStream : Face {
  FaultyStream();
  std::vector<unsigned char> bytes;
  int64_t pos = 0;
  int64_t failReadsFrom = -1;  // a read reaching past this position reports failure (bytes up to it)
  bool failAllReads = false;   // every read reports failure but still delivers its bytes
  int32_t bogusReadCount = 0;  // when set, every read reports this byte count
  bool seekable = true;
  int64_t failWritesFrom = -1;  // a write reaching past this position fails and writes nothing
  int32_t writePiece = 0;       // when set, a write takes at most this many bytes
  bool stallWrites = false;     // writes answer kResultOk but take nothing
  int reads = 0;
  int seeks = 0;
};
inline int32_t PUBLISHED_API faultyRead(Face* self, void* buffer, int32_t n, int32_t* numRead) {
  auto* s = static_cast<FaultyStream*>(self);
  ++s->reads;
  int64_t count = std::min<int64_t>(std::max<int64_t>(static_cast<int64_t>(s->bytes.size()) - s->pos, 0), n);
  bool fail = s->failAllReads;
  if (s->failReadsFrom >= 0 && s->pos + count > s->failReadsFrom) {
    count = std::max<int64_t>(s->failReadsFrom - s->pos, 0);
    fail = true;
  }
  if (count > 0) std::memcpy(buffer, s->bytes.data() + s->pos, static_cast<std::size_t>(count));
  s->pos += count;
  if (numRead) *numRead = s->bogusReadCount ? s->bogusReadCount : static_cast<int32_t>(count);
  return fail ? kFalse : kOk;
}
inline int32_t PUBLISHED_API faultyWrite(Face* self, void* buffer, int32_t n, int32_t* numWritten) {
  auto* s = static_cast<FaultyStream*>(self);
  if (numWritten) *numWritten = 0;
  if (n < 0) return kInvalidArgument;
  if (s->failWritesFrom >= 0 && s->pos + n > s->failWritesFrom) return kFalse;
  if (s->stallWrites) return kOk;
  const int32_t count = s->writePiece > 0 ? std::min(n, s->writePiece) : n;
  if (s->bytes.size() < static_cast<std::size_t>(s->pos + count)) s->bytes.resize(static_cast<std::size_t>(s->pos + count));
  std::memcpy(s->bytes.data() + s->pos, buffer, static_cast<std::size_t>(count));
  s->pos += count;
  if (numWritten) *numWritten = count;
  return kOk;
}
inline int32_t PUBLISHED_API faultySeek(Face* self, int64_t pos, int32_t mode, int64_t* result) {
  auto* s = static_cast<FaultyStream*>(self);
  ++s->seeks;
  if (!s->seekable) return kNotImplemented;
  const int64_t base = mode == 0 ? 0 : (mode == 1 ? s->pos : static_cast<int64_t>(s->bytes.size()));
  s->pos = std::max<int64_t>(base + pos, 0);
  if (result) *result = s->pos;
  return kOk;
}
inline int32_t PUBLISHED_API faultyTell(Face* self, int64_t* pos) {
  if (!pos) return kInvalidArgument;
  *pos = static_cast<FaultyStream*>(self)->pos;
  return kOk;
}
inline void* const kFaultyStreamTable[] = {RAWHOST_UNKNOWN, fn(faultyRead), fn(faultyWrite),
                                           fn(faultySeek), fn(faultyTell)};
inline FaultyStream::FaultyStream() : Face(kFaultyStreamTable, kIBStream) {}

// ---- IParamValueQueue: getParameterId (3), getPointCount (4), getPoint (5), addPoint (6)
struct QueueFace : Face {
  explicit QueueFace(uint32_t parameterId);
  uint32_t id;
  std::vector<std::pair<int32_t, double>> points;
};
inline uint32_t PUBLISHED_API queueId(Face* self) { return static_cast<QueueFace*>(self)->id; }
inline int32_t PUBLISHED_API queueCount(Face* self) {
  return static_cast<int32_t>(static_cast<QueueFace*>(self)->points.size());
}
inline int32_t PUBLISHED_API queueGetPoint(Face* self, int32_t index, int32_t* offset, double* value) {
  auto* q = static_cast<QueueFace*>(self);
  if (index < 0 || index >= static_cast<int32_t>(q->points.size())) return kFalse;
  *offset = q->points[static_cast<std::size_t>(index)].first;
  *value = q->points[static_cast<std::size_t>(index)].second;
  return kOk;
}
inline int32_t PUBLISHED_API queueAddPoint(Face* self, int32_t offset, double value, int32_t* index) {
  auto* q = static_cast<QueueFace*>(self);
  q->points.emplace_back(offset, value);
  *index = static_cast<int32_t>(q->points.size()) - 1;
  return kOk;
}
inline void* const kQueueTable[] = {RAWHOST_UNKNOWN, fn(queueId), fn(queueCount),
                                    fn(queueGetPoint), fn(queueAddPoint)};
inline QueueFace::QueueFace(uint32_t parameterId) : Face(kQueueTable, kIParamValueQueue), id(parameterId) {}

// ---- IParameterChanges: getParameterCount (3), getParameterData (4), addParameterData (5)
struct ChangesFace : Face {
  ChangesFace();
  std::deque<QueueFace> queues;
};
inline int32_t PUBLISHED_API changesCount(Face* self) {
  return static_cast<int32_t>(static_cast<ChangesFace*>(self)->queues.size());
}
inline void* PUBLISHED_API changesData(Face* self, int32_t index) {
  auto* c = static_cast<ChangesFace*>(self);
  if (index < 0 || index >= static_cast<int32_t>(c->queues.size())) return nullptr;
  return &c->queues[static_cast<std::size_t>(index)];
}
inline void* PUBLISHED_API changesAdd(Face* self, const uint32_t* id, int32_t* index) {
  auto* c = static_cast<ChangesFace*>(self);
  c->queues.emplace_back(*id);
  *index = static_cast<int32_t>(c->queues.size()) - 1;
  return &c->queues.back();
}
inline void* const kChangesTable[] = {RAWHOST_UNKNOWN, fn(changesCount), fn(changesData),
                                      fn(changesAdd)};
inline ChangesFace::ChangesFace() : Face(kChangesTable, kIParameterChanges) {}

// ---- IEventList: getEventCount (3), getEvent (4), addEvent (5); events as raw published records
struct EventsFace : Face {
  EventsFace();
  std::vector<std::vector<unsigned char>> events;
};
inline int32_t PUBLISHED_API eventsCount(Face* self) {
  return static_cast<int32_t>(static_cast<EventsFace*>(self)->events.size());
}
inline int32_t PUBLISHED_API eventsGet(Face* self, int32_t index, void* e) {
  auto* l = static_cast<EventsFace*>(self);
  if (index < 0 || index >= static_cast<int32_t>(l->events.size())) return kFalse;
  std::memcpy(e, l->events[static_cast<std::size_t>(index)].data(), kEventSize);
  return kOk;
}
inline int32_t PUBLISHED_API eventsAdd(Face* self, void* e) {
  auto* bytes = static_cast<unsigned char*>(e);
  static_cast<EventsFace*>(self)->events.emplace_back(bytes, bytes + kEventSize);
  return kOk;
}
inline void* const kEventsTable[] = {RAWHOST_UNKNOWN, fn(eventsCount), fn(eventsGet), fn(eventsAdd)};
inline EventsFace::EventsFace() : Face(kEventsTable, kIEventList) {}

// The host's own objects: an application context and a component handler with its second and
// third interfaces and a context menu; a plug frame.
struct HostObjects {
  HostObjects() {
    handlerGroup = {&handler, &handler2, &handler3};
    handler.siblings = handler2.siblings = handler3.siblings = &handlerGroup;
    handler3.menu = &menu;
  }
  Face application{kApplicationTable, kIHostApplication};
  Face handler{kHandlerTable, kIComponentHandler};
  Face handler2{kHandler2Table, kIComponentHandler2};
  Handler3Face handler3{kHandler3Table, kIComponentHandler3};
  Face menu{kMenuTable, kIContextMenu};
  Face frame{kFrameTable, kIPlugFrame};
  std::vector<Face*> handlerGroup;
};

}  // namespace rawhost
