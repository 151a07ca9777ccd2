// The render side of the fake AAX host: node and transport tables, render contexts.

#include "fake_render_host.h"

#include <cstring>

namespace fakehost {
namespace {

template <typename F>
void* fn(F f) {
  return reinterpret_cast<void*>(f);
}

void FAKEHOST_THISCALL NoDestructor(void*) {}

int32_t FAKEHOST_THISCALL Tempo(const NodeTransport* n, double* bpm) {
  const FakeTransport& t = *n->values;
  if (t.result == 0) *bpm = t.tempo;
  return t.result;
}
int32_t FAKEHOST_THISCALL Meter(const NodeTransport* n, int32_t* num, int32_t* den) {
  const FakeTransport& t = *n->values;
  if (t.result == 0) *num = t.numerator, *den = t.denominator;
  return t.result;
}
int32_t FAKEHOST_THISCALL Playing(const NodeTransport* n, bool* playing) {
  const FakeTransport& t = *n->values;
  if (t.result == 0) *playing = t.playing;
  return t.result;
}
int32_t FAKEHOST_THISCALL Ticks(const NodeTransport* n, int64_t* ticks) {
  const FakeTransport& t = *n->values;
  if (t.result == 0) *ticks = t.ticks;
  return t.result;
}
int32_t FAKEHOST_THISCALL Loop(const NodeTransport* n, bool* looping, int64_t* start, int64_t* end) {
  const FakeTransport& t = *n->values;
  if (t.result == 0) *looping = t.looping, *start = t.loopStart, *end = t.loopEnd;
  return t.result;
}
int32_t FAKEHOST_THISCALL Samples(const NodeTransport* n, int64_t* samples) {
  const FakeTransport& t = *n->values;
  if (t.result == 0) *samples = t.samples;
  return t.result;
}

void* const kTransportTable[] = {fn(NoDestructor), fn(Tempo), fn(Meter), fn(Playing),
                                 fn(Ticks), fn(Loop), fn(Samples)};

void* FAKEHOST_THISCALL NoBuffer(TransportNode*) { return nullptr; }
void* FAKEHOST_THISCALL Transport(TransportNode* node) { return node->transport; }

void* const kNodeTable[] = {fn(NoDestructor), fn(NoBuffer), fn(Transport)};

}  // namespace

NodeTransport::NodeTransport(const FakeTransport* answers) : table(kTransportTable), values(answers) {}
TransportNode::TransportNode() : table(kNodeTable), transport(&own), own(&values) {}

RenderContext::RenderContext(int inputs, int outputs, int n, void* effectParameters)
    : in(static_cast<size_t>(inputs) + 1), out(static_cast<size_t>(outputs)), frames(0) {
  SetFrames(n);
  constexpr int kGetInstanceField = 32;
  mFilled = CallSlot<int32_t>(effectParameters, kGetInstanceField, int32_t{kFieldInstance},
                              static_cast<void*>(mPrivate), uint32_t{sizeof(mPrivate)}) == 0;
}

void RenderContext::SetFrames(int n) {
  frames = n;
  const size_t size = n > 0 ? static_cast<size_t>(n) : 1;
  for (auto& buffer : in)
    if (buffer.size() < size) buffer.resize(size);
  for (auto& buffer : out)
    if (buffer.size() < size) buffer.resize(size);
  Link();
}

void RenderContext::RouteSideChain(bool routed) {
  mSideChainIndex = routed ? static_cast<int32_t>(in.size() - 1) : 0;
}

void RenderContext::Link() {
  mIn.clear();
  mOut.clear();
  for (auto& buffer : in) mIn.push_back(buffer.data());
  for (auto& buffer : out) mOut.push_back(buffer.data());
  mWords[kFieldInputs] = mIn.data();
  mWords[kFieldOutputs] = mOut.data();
  mWords[kFieldSideChain] = &mSideChainIndex;
  mWords[kFieldBufferLength] = &frames;
  mWords[kFieldTransport] = &transportNode;
  mWords[kFieldInstance] = mPrivate;
}

void RenderContext::Render(ProcessProcedure process) {
  Link();
  void* contexts[1] = {mWords};
  process(contexts, contexts + 1);
}

}  // namespace fakehost
