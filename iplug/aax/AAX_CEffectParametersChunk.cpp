// The effect-parameters base's default state chunk 'elck' ("Complete Controls State"): one
// tagged entry per parameter, named by its identifier, written, read back and compared
// through the chunk data parser.

#include <cstring>

#include "iplug/aax/AAX_CEffectParameters.h"
#include "iplug/aax/AAX_IParameter.h"
#include "iplug/aax/AAX_VProxies.h"

namespace {

// How a parameter's value is stored, asked in the order float, int32, bool, double, text:
// each reader succeeds only for its own kind.
enum class ChunkKind { kFloat, kInt32, kBool, kDouble, kText, kNone };

struct ChunkValue {
  ChunkKind kind = ChunkKind::kNone;
  float f = 0;
  int32_t i = 0;
  bool b = false;
  double d = 0;
  AAX_CString text;
};

ChunkValue ReadChunkValue(const AAX_IParameter& parameter) {
  ChunkValue v;
  if (parameter.ReadFloat(v.f))
    v.kind = ChunkKind::kFloat;
  else if (parameter.ReadInt32(v.i))
    v.kind = ChunkKind::kInt32;
  else if (parameter.ReadBool(v.b))
    v.kind = ChunkKind::kBool;
  else if (parameter.ReadDouble(v.d))
    v.kind = ChunkKind::kDouble;
  else if (parameter.ReadText(v.text))
    v.kind = ChunkKind::kText;
  return v;
}

}  // namespace

bool AAX_CEffectParameters::IsExcluded(const AAX_IParameter& parameter) const {
  return mExcludedIds.count(parameter.GetIdentifier()) != 0;
}

// Every parameter of the list, not only the first "count minus excluded" indices: with the
// excluded bypass at index 0 those would leave the last parameter out of the state.
void AAX_CEffectParameters::BuildDefaultChunk() {
  mChunkParser.Clear();
  for (int32_t i = 0; i < mParameterManager.Count(); ++i) {
    const AAX_IParameter& parameter = *mParameterManager.ParameterAt(i);
    if (IsExcluded(parameter)) continue;
    const char* id = parameter.GetIdentifier();
    const ChunkValue v = ReadChunkValue(parameter);
    switch (v.kind) {
      case ChunkKind::kFloat: mChunkParser.AddDouble(id, v.f); break;
      case ChunkKind::kInt32: mChunkParser.AddInt32(id, v.i); break;
      case ChunkKind::kBool: mChunkParser.AddInt32(id, v.b ? 1 : 0); break;
      case ChunkKind::kDouble: mChunkParser.AddDouble(id, v.d); break;
      case ChunkKind::kText: mChunkParser.AddString(id, v.text); break;
      case ChunkKind::kNone: break;
    }
  }
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::MeasureChunk(AAX_CTypeID id, uint32_t* size) {
  if (!size) return RefuseNull("MeasureChunk");
  if (id != kAAXDefaultChunkId) {
    *size = 0;
    return AAX_ERROR_INVALID_CHUNK_ID;
  }
  return AAX_GuardSlot([&] {
    BuildDefaultChunk();
    mLastDefaultChunkSize = mChunkParser.GetChunkDataSize();
    if (mLastDefaultChunkSize < 0) return AAX_ERROR_INCORRECT_CHUNK_SIZE;
    *size = static_cast<uint32_t>(mLastDefaultChunkSize);
    return AAX_Result(0);
  });
}

// The host must have asked for the size with nothing changed since: the record holds exactly
// that many bytes of data.
AAX_Result ACF_CALLTYPE AAX_CEffectParameters::WriteChunk(AAX_CTypeID id, AAX_SPlugInChunk* chunk) {
  if (id != kAAXDefaultChunkId) return AAX_ERROR_INVALID_CHUNK_ID;
  if (!chunk) return RefuseNull("WriteChunk");
  return AAX_GuardSlot([&] {
    BuildDefaultChunk();
    const int32_t size = mChunkParser.GetChunkDataSize();
    if (mLastDefaultChunkSize == 0 || size != mLastDefaultChunkSize)
      return Refuse("WriteChunk", "size not asked first, or the state changed since",
                    AAX_ERROR_INCORRECT_CHUNK_SIZE);
    chunk->fVersion = mChunkParser.GetChunkVersion();
    std::memset(chunk->fName, 0, sizeof(chunk->fName));
    std::strncpy(chunk->fName, kAAXDefaultChunkName, sizeof(chunk->fName) - 1);
    return AAX_Result(mChunkParser.GetChunkData(chunk));
  });
}

void AAX_CEffectParameters::ReadParameterFromChunk(AAX_IParameter& parameter) {
  const char* id = parameter.GetIdentifier();
  ChunkValue v = ReadChunkValue(parameter);
  double d = 0;
  int32_t i = 0;
  switch (v.kind) {
    case ChunkKind::kFloat:
      if (mChunkParser.FindDouble(id, &d)) parameter.WriteFloat(static_cast<float>(d));
      break;
    case ChunkKind::kInt32:
      if (mChunkParser.FindInt32(id, &i)) parameter.WriteInt32(i);
      break;
    case ChunkKind::kBool:
      if (mChunkParser.FindInt32(id, &i)) parameter.WriteBool(i != 0);
      break;
    case ChunkKind::kDouble:
      if (mChunkParser.FindDouble(id, &d)) parameter.WriteDouble(d);
      break;
    case ChunkKind::kText:
      if (mChunkParser.FindString(id, &v.text)) parameter.WriteText(v.text);
      break;
    case ChunkKind::kNone:
      break;
  }
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::ReadChunk(AAX_CTypeID id,
                                                         const AAX_SPlugInChunk* chunk) {
  if (id != kAAXDefaultChunkId) return AAX_ERROR_INVALID_CHUNK_ID;
  if (!chunk) return RefuseNull("ReadChunk");
  return AAX_GuardSlot([&] {
    mChunkParser.LoadChunk(chunk);
    for (int32_t i = 0; i < mParameterManager.Count(); ++i) {
      AAX_IParameter& parameter = *mParameterManager.ParameterAt(i);
      if (!IsExcluded(parameter)) ReadParameterFromChunk(parameter);
    }
    return AAX_Result(0);
  });
}

bool AAX_CEffectParameters::ChunkMatchesParameter(AAX_IParameter& parameter) {
  const char* id = parameter.GetIdentifier();
  const ChunkValue v = ReadChunkValue(parameter);
  double d = 0;
  int32_t i = 0;
  AAX_CString text;
  switch (v.kind) {
    case ChunkKind::kFloat:
      return mChunkParser.FindDouble(id, &d) && static_cast<float>(d) == v.f;
    case ChunkKind::kInt32:
      return mChunkParser.FindInt32(id, &i) && i == v.i;
    case ChunkKind::kBool:
      return mChunkParser.FindInt32(id, &i) && (i != 0) == v.b;
    case ChunkKind::kDouble:
      return mChunkParser.FindDouble(id, &d) &&
             static_cast<float>(d) == static_cast<float>(v.d);
    case ChunkKind::kText:
      return mChunkParser.FindString(id, &text) && text == v.text;
    case ChunkKind::kNone:
      return true;
  }
  return true;
}

AAX_Result ACF_CALLTYPE AAX_CEffectParameters::CompareChunk(const AAX_SPlugInChunk* chunk,
                                                            bool* equal) {
  if (!chunk || !equal) return RefuseNull("CompareChunk");
  return AAX_GuardSlot([&] {
    if (static_cast<AAX_CTypeID>(chunk->fChunkID) != kAAXDefaultChunkId) {
      *equal = true;
      return AAX_Result(0);
    }
    *equal = false;
    mChunkParser.LoadChunk(chunk);
    for (int32_t i = 0; i < mParameterManager.Count(); ++i) {
      AAX_IParameter& parameter = *mParameterManager.ParameterAt(i);
      if (!IsExcluded(parameter) && !ChunkMatchesParameter(parameter)) return AAX_Result(0);
    }
    *equal = true;
    return AAX_Result(0);
  });
}
