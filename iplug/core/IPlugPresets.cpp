// State chunks and preset slots of IPlugBase.

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "iplug/core/IPlugBase.h"

namespace {

// Marks a parameter that no pair of MakePresetFromParamPairs set.
constexpr double kUnsetValue = 9.999e-8;
constexpr int kParamPairAssertLine = 696;
constexpr const char* kUserPresetName = "user preset";

// The value of a character of the standard base64 alphabet, or -1.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool IPlugBase::SerializeParams(ByteBlock* chunk) {
  if (!chunk) return false;
  PlugLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) {
    const double value = GetParam(i)->Value();
    const int size = chunk->Size();
    if (chunk->Put(&value) != size + static_cast<int>(sizeof(double))) return false;
  }
  return true;
}

int IPlugBase::UnserializeParams(ByteBlock* chunk, int position) {
  if (!chunk) return -1;
  PlugLock lock(&mMutex);
  for (int i = 0; i < NParams() && position >= 0; ++i) {
    double value = 0.0;
    position = chunk->Get(&value, position);
    GetParam(i)->SetClamped(position >= 0 ? value : 0.0);
  }
  NotifyAllParamsChanged(kSourceRecall);
  return position;
}

bool IPlugBase::CompareParamValues(const double* values, int start) {
  if (!values) return false;
  for (int i = 0; i < NParams(); ++i) {
    const float difference = static_cast<float>(GetParam(i)->Value()) - static_cast<float>(values[start + i]);
    if (!(std::fabs(difference) < 1e-5)) return false;
  }
  return true;
}

PresetRecord* IPlugBase::FirstUninitializedPreset() const {
  for (int i = 0; i < NPresets(); ++i) {
    if (!mPresets.Get(i)->mInitialized) return mPresets.Get(i);
  }
  return nullptr;
}

void IPlugBase::MakePresetFromParamPairs(const char* name, int nPairs, ...) {
  PlugLock lock(&mMutex);
  PresetRecord* preset = FirstUninitializedPreset();
  if (!preset) return;
  preset->mInitialized = true;
  CopyTextField(preset->mName, kPresetNameSize, name);

  const int n = NParams();
  std::vector<double> values(static_cast<size_t>(n), kUnsetValue);
  va_list args;
  va_start(args, nPairs);
  for (int k = 0; k < nPairs; ++k) {
    const int paramIdx = va_arg(args, int);
    if (!(paramIdx >= 0 && paramIdx < n)) {
      PlugAssertFailed("paramIdx >= 0 && paramIdx < n", "iplugbase", kParamPairAssertLine);
      // The value's type follows from the parameter, so the rest of the list cannot be read.
      break;
    }
    const ParamKind kind = GetParam(paramIdx)->Kind();
    if (kind == kParamBoolean || kind == kParamInteger || kind == kParamEnumeration) {
      values[static_cast<size_t>(paramIdx)] = va_arg(args, int);
    } else {
      values[static_cast<size_t>(paramIdx)] = va_arg(args, double);
    }
  }
  va_end(args);

  preset->mChunk.Clear();
  for (int i = 0; i < n; ++i) {
    double value = values[static_cast<size_t>(i)];
    if (value == kUnsetValue) value = GetParam(i)->Value();
    preset->mChunk.Put(&value);
  }
}

void IPlugBase::MakePresetFromBase64(const char* name, const char* base64, int maxBytes) {
  PlugLock lock(&mMutex);
  PresetRecord* preset = FirstUninitializedPreset();
  if (!preset) return;
  if (maxBytes < 0) maxBytes = 0;
  preset->mChunk.Clear();
  if (!preset->mChunk.Resize(maxBytes)) return;  // zero-filled

  uint8_t* out = preset->mChunk.GetBytes();
  unsigned bits = 0;
  int nBits = 0, n = 0;
  for (const char* p = base64 ? base64 : ""; *p && n < maxBytes; ++p) {
    const int v = Base64Value(*p);
    if (v < 0) break;
    bits = ((bits << 6) | static_cast<unsigned>(v)) & 0xFFFFu;
    nBits += 6;
    if (nBits >= 8) {
      nBits -= 8;
      out[n++] = static_cast<uint8_t>(bits >> nBits);
    }
  }
  preset->mInitialized = true;
  CopyTextField(preset->mName, kPresetNameSize, name);
}

bool IPlugBase::RecallPreset(int index) {
  PlugLock lock(&mMutex);
  PresetRecord* preset = mPresets.Get(index);
  if (!preset) return false;

  bool ok;
  if (preset->mInitialized) {
    ok = LoadState(&preset->mChunk, 0) > 0;
  } else {
    int nUserPresets = 0;
    for (int i = 0; i < NPresets(); ++i) {
      if (std::strstr(mPresets.Get(i)->mName, kUserPresetName)) ++nUserPresets;
    }
    preset->mChunk.Clear();
    ok = SaveState(&preset->mChunk);
    if (ok) {
      preset->mInitialized = true;
      std::snprintf(preset->mName, kPresetNameSize, "%s %d", kUserPresetName, nUserPresets + 1);
    }
  }
  if (ok) {
    mCurrentPresetIdx = index;
    PresetSelectionChanged();
    PushParamsToGraphics();
  }
  return ok;
}

const char* IPlugBase::PresetNameAt(int index) const {
  const PresetRecord* preset = mPresets.Get(index);
  return preset ? preset->mName : "";
}

void IPlugBase::ModifyCurrentPreset(const char* name) {
  PlugLock lock(&mMutex);
  PresetRecord* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return;
  preset->mChunk.Clear();
  SaveState(&preset->mChunk);
  if (name && *name) CopyTextField(preset->mName, kPresetNameSize, name);
}
