#pragma once
// The factory presets: "Default" (the parameter defaults) and ten stored ones, each the base64
// text of a 368-byte state chunk.

constexpr int kNumPresets = 11;
constexpr int kNumStoredPresets = 10;
// Bytes a stored preset's slot holds: its state chunk followed by zeros.
constexpr int kStoredPresetBytes = 492;

struct StoredPreset {
  const char* name;
  const char* base64;
};

extern const char* const kDefaultPresetName;
extern const StoredPreset kStoredPresets[kNumStoredPresets];
