#pragma once
// The render side of a fake AAX host, written from the host's layouts alone (no module
// header): the per-instance render context as pointer-sized words by field index, the transport
// node with its transport, and the call of a module's process procedure over an array of
// context pointers. The node and its transport are host C++ objects: one destructor entry in
// their tables, then member calls.

#include <cstdint>
#include <vector>

#include "fake_params_host.h"

namespace fakehost {

enum RenderField : int {
  kFieldInputs = 0, kFieldOutputs = 1, kFieldSideChain = 2, kFieldBufferLength = 3,
  kFieldLocalMidi = 5, kFieldGlobalMidi = 6, kFieldTransport = 7, kFieldInstance = 8,
  kFieldMeters = 9, kRenderFields = 10,
};

// The transport a node hands out; it answers what the values say (the parameter side's
// transport: tempo, meter, ticks, loop, samples and the result of every query).
struct NodeTransport {
  explicit NodeTransport(const FakeTransport* values);
  void* const* table;
  const FakeTransport* values;
};

struct TransportNode {
  TransportNode();
  TransportNode(const TransportNode&) = delete;
  TransportNode& operator=(const TransportNode&) = delete;
  void* const* table;
  NodeTransport* transport;
  FakeTransport values;
  NodeTransport own;
};

using ProcessProcedure = void (*)(void* const* first, const void* last);

// One instance's context with its buffers: inputs (main channels, then the side-chain buffer
// when one is routed), outputs, block length and the private data the instance filled.
class RenderContext {
 public:
  // Asks the instance for its private data through its table, as a host does when it builds
  // the context (Filled() tells whether the instance answered).
  RenderContext(int inputs, int outputs, int frames, void* effectParameters);
  RenderContext(const RenderContext&) = delete;
  RenderContext& operator=(const RenderContext&) = delete;
  bool Filled() const { return mFilled; }
  // Routes a side-chain buffer (the entry after the main inputs), or none.
  void RouteSideChain(bool routed);
  void SetSideChainIndex(int32_t index) { mSideChainIndex = index; }
  void SetFrames(int frames);  // buffers keep the largest size seen
  void* const* Words() const { return mWords; }
  void Render(ProcessProcedure process);

  std::vector<std::vector<float>> in;   // main inputs, then the side chain
  std::vector<std::vector<float>> out;
  TransportNode transportNode;
  int32_t frames;

 private:
  void Link();
  void* mWords[kRenderFields] = {};
  std::vector<float*> mIn, mOut;
  int32_t mSideChainIndex = 0;
  bool mFilled = false;
  alignas(void*) unsigned char mPrivate[sizeof(void*)] = {};
};

}  // namespace fakehost
