#pragma once
// What the host hands the render callback: the per-instance render context, laid out by the
// field indices the component descriptor declares, and the host objects reached through it (the
// MIDI and transport nodes, the node's MIDI buffer and the host transport).
//
// Every context field is one pointer-sized word: 4 bytes on x86, 8 on x86-64. Fields that hold
// no pointer of their own (the placeholders) are declared with that size as well.

#include <cstddef>
#include <cstdint>

#include "iplug/aax/AAX_HostInterfaces.h"

class AAX_CIPlugParameters;

// Field indices of the render context, as declared to the host.
enum AaxRenderField : uint32_t {
  kAaxFieldAudioIn = 0,
  kAaxFieldAudioOut = 1,
  kAaxFieldSideChain = 2,
  kAaxFieldBufferLength = 3,
  kAaxFieldLocalMidi = 5,
  kAaxFieldGlobalMidi = 6,
  kAaxFieldTransport = 7,
  kAaxFieldInstance = 8,
  kAaxFieldMeters = 9,
};

// The size the host gives a private-data field: one word.
constexpr int32_t kAaxFieldBytes = static_cast<int32_t>(sizeof(void*));

// One packet as the host stores it in a MIDI node's buffer; packets follow each other every
// kAaxMidiPacketStride bytes, so they are read byte-wise rather than through this layout.
constexpr size_t kAaxMidiPacketStride = 14;
constexpr size_t kAaxMidiOffsetAt = 0;
constexpr size_t kAaxMidiStatusAt = 8;

// A node's buffer: the packet count and the first packet.
struct AAX_CMidiStream {
  uint32_t mBufferSize;
  const unsigned char* mBuffer;
};

// The host's transport as a node hands it out: a host C++ object whose table has one entry for
// its destructor (never called from here), then the queries.
class AAX_IHostNodeTransport {
 public:
  virtual void DestructorEntry() {}
  virtual AAX_Result GetTempo(double* bpm) const = 0;
  virtual AAX_Result GetMeter(int32_t* numerator, int32_t* denominator) const = 0;
  virtual AAX_Result IsPlaying(bool* playing) const = 0;
  virtual AAX_Result GetTickPosition(int64_t* ticks) const = 0;  // 960000 per quarter note
  virtual AAX_Result GetLoop(bool* looping, int64_t* startTick, int64_t* endTick) const = 0;
  virtual AAX_Result GetSamplePosition(int64_t* samples) const = 0;

 protected:
  ~AAX_IHostNodeTransport() = default;
};

// A MIDI or transport node of the render context (a host object of the same kind).
class AAX_IMIDINode {
 public:
  virtual void DestructorEntry() {}
  virtual AAX_CMidiStream* GetNodeBuffer() = 0;
  virtual AAX_IHostNodeTransport* GetTransport() = 0;

 protected:
  ~AAX_IMIDINode() = default;
};

// The context of one instance. The side-chain field points to the index, in the input buffer
// array, of the side-chain channel's buffer; it is null, or the index 0, when no side chain is
// routed to the instance. The instance field points to the private data the host filled from
// the instance (AAX_CIPlugParameters::GetInstanceField): the instance pointer.
struct AaxRenderContext {
  float* const* mInputs;             // 0
  float* const* mOutputs;            // 1
  const int32_t* mSideChainIndex;    // 2
  const int32_t* mBufferLength;      // 3
  void* mUndeclared;                 // 4
  AAX_IMIDINode* mLocalMidi;         // 5
  AAX_IMIDINode* mGlobalMidi;        // 6
  AAX_IMIDINode* mTransportNode;     // 7
  AAX_CIPlugParameters* const* mInstance;  // 8
  void* mMeters;                     // 9
};

static_assert(offsetof(AaxRenderContext, mBufferLength) == kAaxFieldBufferLength * sizeof(void*),
              "context fields are pointer-sized words");
static_assert(offsetof(AaxRenderContext, mTransportNode) == kAaxFieldTransport * sizeof(void*),
              "context fields are pointer-sized words");
static_assert(offsetof(AaxRenderContext, mInstance) == kAaxFieldInstance * sizeof(void*),
              "context fields are pointer-sized words");
static_assert(sizeof(AAX_IMIDINode) == sizeof(void*) && sizeof(AAX_IHostNodeTransport) == sizeof(void*),
              "host objects are seen through their table only");
