#include "iplug/vst2/IPlugVST2Base.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr const char* kEmptyPresetName = "Empty";

bool Overlaps(const void* a, size_t aBytes, const void* b, size_t bBytes) {
  const auto pa = reinterpret_cast<uintptr_t>(a);
  const auto pb = reinterpret_cast<uintptr_t>(b);
  return pa < pb + bBytes && pb < pa + aBytes;
}

// One preset as read from a bank, held until the whole bank has been read.
struct StagedPreset {
  char mName[kPresetNameSize] = "";
  bool mInitialized = false;
  ByteBlock mState;
};

}  // namespace

void AddDoublesToFloats(float* out, const double* in, int count) {
  if (count <= 0) return;
  const size_t n = static_cast<size_t>(count);
  int i = 0;
  if (!Overlaps(out, n * sizeof(float), in, n * sizeof(double))) {
    for (; i + 8 <= count; i += 8) {
      for (int k = 0; k < 8; ++k) out[i + k] += static_cast<float>(in[i + k]);
    }
    for (; i + 4 <= count; i += 4) {
      for (int k = 0; k < 4; ++k) out[i + k] += static_cast<float>(in[i + k]);
    }
  }
  for (; i < count; ++i) out[i] += static_cast<float>(in[i]);
}

IPlugVST2Base::IPlugVST2Base(int nParams, const char* channelIOString, int nPresets, const char* effectName,
                             const char* productName, const char* makerName, int version, int uniqueId,
                             int makerId, int latency, bool midiIn, bool stateChunks, bool instrument)
    : IPlugBase(nParams, channelIOString, nPresets, effectName, productName, makerName, version, uniqueId,
                makerId, latency, midiIn, stateChunks, instrument, kApiVST2) {}

// ---------------------------------------------------------------------------------------------
// Chunks

void IPlugVST2Base::WriteStateChunkHeader(ByteBlock* chunk) {
  chunk->Clear();
  chunk->Put(&kStateChunkMagic);
  chunk->Put(&kFrameworkVersion);
}

int IPlugVST2Base::ReadStateChunkHeader(ByteBlock* chunk, int* position) {
  int32_t magic = 0;
  if (*position < 0 || chunk->Get(&magic, *position) < 0 || magic != kStateChunkMagic) return 0;
  int32_t version = 0;
  const int end = chunk->Get(&version, *position + static_cast<int>(sizeof(magic)));
  if (end < 0) {
    *position = -1;
    return 0;
  }
  *position = end;
  return version;
}

int IPlugVST2Base::BankStateSize() {
  ByteBlock state;
  SaveState(&state);
  return state.Size();
}

bool IPlugVST2Base::SerializePresets(ByteBlock* chunk) {
  // A bank carries no state lengths, so the reader can only step over what LoadState consumes.
  // Every state is therefore written at the size this plug-in's state has now: a longer stored
  // state (a factory preset padded with zeros) is cut, a shorter one filled with zeros.
  const int stateSize = BankStateSize();
  std::vector<uint8_t> zeros;
  for (int i = 0; i < NPresets(); ++i) {
    PresetRecord* preset = mPresets.Get(i);
    const int32_t nameLength = static_cast<int32_t>(std::strlen(preset->mName));
    const uint8_t initialized = preset->mInitialized ? 1 : 0;
    const int before = chunk->Size();
    int expected = before + static_cast<int>(sizeof(nameLength)) + nameLength + 1;
    chunk->Put(&nameLength);
    chunk->Put(preset->mName, nameLength);
    chunk->Put(&initialized);
    if (initialized) {
      const int stored = preset->mChunk.Size() < stateSize ? preset->mChunk.Size() : stateSize;
      chunk->Put(preset->mChunk.GetBytes(), stored);
      if (stored < stateSize) {
        zeros.assign(static_cast<size_t>(stateSize - stored), 0);
        chunk->Put(zeros.data(), stateSize - stored);
      }
      expected += stateSize;
    }
    if (chunk->Size() != expected) return false;  // out of memory: the bank would be cut short
  }
  return chunk->Size() > 0;
}

int IPlugVST2Base::UnserializePresets(ByteBlock* chunk, int position) {
  if (position < 0) return -1;
  // Reading a state changes the parameters, so they are saved first and put back when the
  // bank turns out to be short or malformed. The presets change only once all of it was read.
  ByteBlock saved;
  SaveState(&saved);
  std::vector<std::unique_ptr<StagedPreset>> staged;
  bool ok = true;
  for (int i = 0; i < NPresets() && ok; ++i) {
    auto preset = std::make_unique<StagedPreset>();
    int32_t nameLength = 0;
    int pos = chunk->Get(&nameLength, position);
    // In 64 bits, so that no length a host writes can wrap the sum.
    if (pos < 0 || nameLength < 0 || static_cast<int64_t>(pos) + nameLength > chunk->Size()) {
      ok = false;
      break;
    }
    const char* name = reinterpret_cast<const char*>(chunk->GetBytes() + pos);
    size_t length = 0;
    while (length < static_cast<size_t>(nameLength) && length < kPresetNameSize - 1 && name[length]) ++length;
    std::memcpy(preset->mName, name, length);
    preset->mName[length] = '\0';
    pos += nameLength;

    uint8_t initialized = 0;
    pos = chunk->Get(&initialized, pos);
    if (pos < 0) {
      ok = false;
      break;
    }
    preset->mInitialized = initialized != 0;
    if (preset->mInitialized) {
      pos = LoadState(chunk, pos);
      if (pos <= 0) {
        ok = false;
        break;
      }
      SaveState(&preset->mState);
    }
    position = pos;
    staged.push_back(std::move(preset));
  }

  if (!ok) {
    LoadState(&saved, 0);
    return -1;
  }
  for (int i = 0; i < NPresets(); ++i) {
    PresetRecord* preset = mPresets.Get(i);
    StagedPreset* read = staged[static_cast<size_t>(i)].get();
    std::memcpy(preset->mName, read->mName, kPresetNameSize);
    preset->mInitialized = read->mInitialized;
    if (read->mInitialized) {
      preset->mChunk.Clear();
      preset->mChunk.Put(read->mState.GetBytes(), read->mState.Size());
    }
  }
  RecallPreset(mCurrentPresetIdx);
  return position;
}

void IPlugVST2Base::FillEmptyPresets() {
  for (int i = 0; i < NPresets(); ++i) {
    PresetRecord* preset = mPresets.Get(i);
    if (preset->mInitialized) continue;
    preset->mInitialized = true;
    std::snprintf(preset->mName, kPresetNameSize, "%s", kEmptyPresetName);
    preset->mChunk.Clear();
    SaveState(&preset->mChunk);
  }
}

// ---------------------------------------------------------------------------------------------
// Audio and host

void IPlugVST2Base::RunProcessAddingFloat(int nFrames) {
  const int frames = UsableFrames(nFrames);
  ProcessAudio(static_cast<double**>(mInData.Get()), static_cast<double**>(mOutData.Get()), frames);
  for (int i = 0; i < NOutChannels(); ++i) {
    OutputChannel* channel = mOutChannels.Get(i);
    if (channel->mConnected && channel->mFDest) AddDoublesToFloats(channel->mFDest, *channel->mDest, frames);
  }
}

void IPlugVST2Base::LimitChannelsForHost() {
  if (NInChannels() > 2) MarkInputsConnected(2, NInChannels() - 2, false);
  if (NOutChannels() > 2) MarkOutputsConnected(2, NOutChannels() - 2, true);
}

int IPlugVST2Base::VendorVersionNumber(bool decimal) const {
  return decimal ? DecimalVersion(mVersion) : mVersion;
}

bool IPlugVST2Base::MapDisplayText(const IPlugParameter* param, const char* text, int* value) {
  if (!param || !text) return false;
  for (int i = 0; i < param->CountDisplayTexts(); ++i) {
    const DisplayTextEntry* entry = param->GetDisplayTextEntry(i);
    if (entry && std::strcmp(entry->mText, text) == 0) {
      *value = entry->mValue;
      return true;
    }
  }
  return false;
}
