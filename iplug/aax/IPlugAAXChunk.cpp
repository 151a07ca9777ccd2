// The plug-in's one state chunk, named by its unique id: exactly the bytes the framework's
// SaveState produces. The host asks for its size, has it written into a record of that size,
// reads it back and compares it with the current state.
//
// A host record is trusted no further than its size field: a write never passes the size the
// host last asked for, a read or compare of a record shorter than the state loads or reads
// nothing.

#include <cstring>
#include <vector>

#include "iplug/aax/AAX_VProxies.h"
#include "iplug/aax/IPlugAAX.h"

namespace {

constexpr int kStateGranularity = 4096;

AAX_CTypeID ChunkIdOf(const AAX_SPlugInChunk& chunk) {
  return static_cast<AAX_CTypeID>(chunk.fChunkID);
}

}  // namespace

bool IPlugAAX::SaveStateTo(ByteBlock* block) { return SaveState(block) && block->Size() > 0; }

AAX_Result IPlugAAX::GetStateChunkId(int32_t index, AAX_CTypeID* id) const {
  if (!id) return AAX_ERROR_NULL_OBJECT;
  *id = index == 0 ? static_cast<AAX_CTypeID>(GetUniqueID()) : 0;
  return index == 0 ? 0 : AAX_ERROR_INVALID_CHUNK_INDEX;
}

AAX_Result IPlugAAX::GetStateChunkSize(AAX_CTypeID id, uint32_t* size) {
  if (!size) return AAX_ERROR_NULL_OBJECT;
  if (id != static_cast<AAX_CTypeID>(GetUniqueID())) {
    *size = 0;
    return AAX_ERROR_INVALID_CHUNK_ID;
  }
  ByteBlock state;
  if (!SaveStateTo(&state)) return AAX_ERROR_INVALID_CHUNK_ID;
  mLastChunkSize = static_cast<uint32_t>(state.Size());
  *size = mLastChunkSize;
  return 0;
}

AAX_Result IPlugAAX::WriteStateChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk) {
  if (id != static_cast<AAX_CTypeID>(GetUniqueID())) return AAX_ERROR_INVALID_CHUNK_ID;
  if (!chunk) return AAX_ERROR_NULL_OBJECT;
  ByteBlock state;
  if (!SaveStateTo(&state)) return AAX_ERROR_INVALID_CHUNK_ID;
  // The record holds what the host was told to allocate, and no more.
  if (static_cast<uint32_t>(state.Size()) > mLastChunkSize) {
    TraceCall("IPlugAAX::WriteStateChunk", "host misbehaving: %d bytes to write, %u asked for",
              state.Size(), mLastChunkSize);
    return AAX_ERROR_INCORRECT_CHUNK_SIZE;
  }
  chunk->fSize = state.Size();
  std::memcpy(chunk->fData, state.GetBytes(), static_cast<size_t>(state.Size()));
  return 0;
}

AAX_Result IPlugAAX::ReadStateChunk(AAX_CTypeID id, const AAX_SPlugInChunk* chunk) {
  if (id != static_cast<AAX_CTypeID>(GetUniqueID())) return AAX_ERROR_INVALID_CHUNK_ID;
  if (!chunk) return AAX_ERROR_NULL_OBJECT;
  ByteBlock current;
  if (!SaveStateTo(&current)) return AAX_ERROR_INVALID_CHUNK_ID;
  if (chunk->fSize < current.Size()) {
    TraceCall("IPlugAAX::ReadStateChunk", "host misbehaving: a record of %d bytes", chunk->fSize);
    return AAX_ERROR_INCORRECT_CHUNK_SIZE;
  }

  ByteBlock state;
  if (state.Put(chunk->fData, chunk->fSize) != chunk->fSize) return AAX_ERROR_INCORRECT_CHUNK_SIZE;
  LoadState(&state, 0);
  for (int i = 0; i < NParams(); ++i) PostNormalized(HostParameterId(i), GetParam(i)->GetNormalizedValue());
  PushParamsToGraphics();
  IncrementChangeCount();
  return 0;
}

AAX_Result IPlugAAX::CompareStateChunk(const AAX_SPlugInChunk* chunk, bool* equal) {
  if (!chunk || !equal) return AAX_ERROR_NULL_OBJECT;
  if (ChunkIdOf(*chunk) != static_cast<AAX_CTypeID>(GetUniqueID())) {
    *equal = true;  // another plug-in's record says nothing about this state
    return 0;
  }
  const size_t count = static_cast<size_t>(NParams());
  if (chunk->fSize < 0 || static_cast<size_t>(chunk->fSize) < count * sizeof(double)) {
    *equal = false;
    return 0;
  }
  // Host record data need not be aligned for doubles.
  std::vector<double> values(count > 0 ? count : 1);
  std::memcpy(values.data(), chunk->fData, count * sizeof(double));
  *equal = CompareParamValues(values.data(), 0);
  return 0;
}

// ---- Host slots ---------------------------------------------------------------------------------

AAX_Result ACF_CALLTYPE IPlugAAX::ChunkIdAt(int32_t index, AAX_CTypeID* id) const {
  return AAX_GuardSlot([&] { return GetStateChunkId(index, id); });
}

AAX_Result ACF_CALLTYPE IPlugAAX::MeasureChunk(AAX_CTypeID id, uint32_t* size) {
  return AAX_GuardSlot([&] { return GetStateChunkSize(id, size); });
}

AAX_Result ACF_CALLTYPE IPlugAAX::WriteChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk) {
  return AAX_GuardSlot([&] { return WriteStateChunk(id, chunk); });
}

AAX_Result ACF_CALLTYPE IPlugAAX::ReadChunk(AAX_CTypeID id, const AAX_SPlugInChunk* chunk) {
  return AAX_GuardSlot([&] { return ReadStateChunk(id, chunk); });
}

AAX_Result ACF_CALLTYPE IPlugAAX::CompareChunk(const AAX_SPlugInChunk* chunk, bool* equal) {
  return AAX_GuardSlot([&] { return CompareStateChunk(chunk, equal); });
}
