// Single-program files: a big-endian header ('CcnK') followed either by every parameter's
// normalised value as a big-endian float ('FxCk') or by an opaque state chunk ('FPCh').

#include <cmath>
#include <cstdio>
#include <cstring>

#include "iplug/core/IPlugBase.h"

namespace {

constexpr uint32_t FourCC(const char (&code)[5]) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3]));
}

constexpr uint32_t kFileMagic = FourCC("CcnK");
constexpr uint32_t kFormParams = FourCC("FxCk");
constexpr uint32_t kFormChunk = FourCC("FPCh");
constexpr uint32_t kFormatVersion = 1;

// Offsets of the header fields.
constexpr int kMagicAt = 0;
constexpr int kSizeAt = 4;
constexpr int kFormAt = 8;
constexpr int kVersionAt = 12;
constexpr int kUniqueIdAt = 16;
constexpr int kCountAt = 24;
constexpr int kNameAt = 28;
constexpr int kProgramNameSize = 28;  // 27 characters and a zero
constexpr int kParamsAt = 56;
constexpr int kChunkSizeAt = 56;
constexpr int kChunkAt = 60;

// Larger files are refused without being read.
constexpr long kMaxFileSize = 16L * 1024 * 1024;

void PutBE32(ByteBlock& block, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  block.Put(bytes, 4);
}

// The caller has checked that the four bytes exist.
uint32_t GetBE32(const ByteBlock& block, int position) {
  const uint8_t* p = block.GetBytes() + position;
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

uint32_t FloatBits(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

float BitsFloat(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

// Reads the whole file; false when it cannot be opened or read, or is too large.
bool ReadWholeFile(const char* path, ByteBlock* data) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  long length = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
  bool ok = length >= 0 && length <= kMaxFileSize && std::fseek(file, 0, SEEK_SET) == 0 &&
            data->Resize(static_cast<int>(length));
  if (ok && length > 0) ok = std::fread(data->GetBytes(), 1, static_cast<size_t>(length), file) == static_cast<size_t>(length);
  std::fclose(file);
  return ok;
}

}  // namespace

bool IPlugBase::WritePresetFile(PlugString* path) {
  if (!path || !*path->Get()) return false;
  PlugLock lock(&mMutex);

  ByteBlock chunk;
  if (mStateChunks) {
    chunk.Put(&kStateChunkMagic);
    chunk.Put(&kFrameworkVersion);
    if (chunk.Size() != 8 || !SaveState(&chunk) || chunk.Size() > INT32_MAX - kChunkAt) return false;
  }

  ByteBlock file;
  PutBE32(file, kFileMagic);
  PutBE32(file, mStateChunks ? static_cast<uint32_t>(chunk.Size() + kChunkAt) : 0);
  PutBE32(file, mStateChunks ? kFormChunk : kFormParams);
  PutBE32(file, kFormatVersion);
  PutBE32(file, static_cast<uint32_t>(mUniqueID));
  PutBE32(file, static_cast<uint32_t>(DecimalVersion(mVersion)));
  PutBE32(file, static_cast<uint32_t>(NParams()));
  char name[kProgramNameSize] = {};
  CopyTextField(name, kProgramNameSize, PresetNameAt(mCurrentPresetIdx));
  file.Put(name, kProgramNameSize);
  if (mStateChunks) {
    PutBE32(file, static_cast<uint32_t>(chunk.Size()));
    file.Put(chunk.GetBytes(), chunk.Size());
  } else {
    for (int i = 0; i < NParams(); ++i) PutBE32(file, FloatBits(static_cast<float>(GetParam(i)->GetNormalizedValue())));
  }
  const int expected = mStateChunks ? kChunkAt + chunk.Size() : kParamsAt + 4 * NParams();
  if (file.Size() != expected) return false;

  FILE* out = std::fopen(path->Get(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.GetBytes(), 1, static_cast<size_t>(file.Size()), out) == static_cast<size_t>(file.Size());
  const bool closed = std::fclose(out) == 0;
  return written && closed;
}

bool IPlugBase::ReadPresetFile(PlugString* path) {
  if (!path || !*path->Get()) return false;
  ByteBlock data;
  if (!ReadWholeFile(path->Get(), &data) || data.Size() < kParamsAt) return false;

  // Everything is checked before anything changes.
  const char* nameField = reinterpret_cast<const char*>(data.GetBytes() + kNameAt);
  if (GetBE32(data, kMagicAt) != kFileMagic || GetBE32(data, kVersionAt) != kFormatVersion ||
      static_cast<int32_t>(GetBE32(data, kUniqueIdAt)) != mUniqueID ||
      static_cast<int32_t>(GetBE32(data, kCountAt)) != NParams() || !std::memchr(nameField, 0, kProgramNameSize)) {
    return false;
  }
  char name[kProgramNameSize];
  CopyTextField(name, kProgramNameSize, nameField);

  const uint32_t form = GetBE32(data, kFormAt);
  PlugLock lock(&mMutex);
  if (form == kFormParams) {
    const int n = NParams();
    if (static_cast<long long>(data.Size()) < kParamsAt + 4LL * n) return false;
    for (int i = 0; i < n; ++i) {
      if (std::isnan(BitsFloat(GetBE32(data, kParamsAt + 4 * i)))) return false;
    }
    for (int i = 0; i < n; ++i) {
      double value = BitsFloat(GetBE32(data, kParamsAt + 4 * i));
      value = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
      GetParam(i)->SetFromNormalized(value);
    }
  } else if (form == kFormChunk && mStateChunks) {
    if (data.Size() < kChunkAt) return false;
    const uint32_t chunkSize = GetBE32(data, kChunkSizeAt);
    if (chunkSize > static_cast<uint32_t>(data.Size() - kChunkAt)) return false;
    ByteBlock chunk;
    if (chunk.Put(data.GetBytes() + kChunkAt, static_cast<int>(chunkSize)) != static_cast<int>(chunkSize)) return false;
    int32_t magic = 0;
    const int position = chunk.Get(&magic, 0) > 0 && magic == kStateChunkMagic ? 8 : 0;
    // A chunk that does not read back leaves the parameters as they were.
    ByteBlock previous;
    if (!SaveState(&previous)) return false;
    if (LoadState(&chunk, position) < 0) {
      LoadState(&previous, 0);
      return false;
    }
  } else {
    return false;
  }

  ModifyCurrentPreset(name);
  if (!RecallPreset(mCurrentPresetIdx)) {  // no preset slot to carry the state
    NotifyAllParamsChanged(kSourceRecall);
    PushParamsToGraphics();
  }
  lock.Release();
  InformHostOfDisplayChange();
  return true;
}
