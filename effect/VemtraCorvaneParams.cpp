#include "effect/VemtraCorvaneParams.h"

namespace {

const char* const kAutomationTexts[] = {"Ignore", "Read", "Write"};
const char* const kModeTexts[] = {"Classic", "Stereo", "Mid / Side"};
const char* const kSourceTexts[] = {"Int. Mid", "Int. Side", "Ext. Mid", "Ext. Side", "Int. Fix"};
const char* const kReferenceTexts[] = {"Detector 1", "Detector 2", "None"};
const char* const kProcessorModeTexts[] = {"Peak", "RMS"};

constexpr EffectParamSpec Number(const char* name, double def, double lo, double hi, double step, double shape,
                                 const char* label) {
  return {name, kParamNumber, def, lo, hi, step, shape, label, nullptr, 0};
}

constexpr EffectParamSpec Boolean(const char* name, bool def) {
  return {name, kParamBoolean, def ? 1.0 : 0.0, 0.0, 1.0, 0.0, 1.0, "", nullptr, 0};
}

template <int N>
constexpr EffectParamSpec Enumeration(const char* name, int def, const char* const (&texts)[N]) {
  return {name, kParamEnumeration, static_cast<double>(def), 0.0, N - 1.0, 0.0, 1.0, "", texts, N};
}

// Names letter for letter as hosts and saved sessions know them (misspellings included).
const EffectParamSpec kTable[kNumParams] = {
    Number("Processor 1 Gain", 0, -100, 100, 0.1, 1, "dB"),
    Number("Processor 2 Gain", 0, -100, 100, 0.1, 1, "dB"),
    Enumeration("Automation", 0, kAutomationTexts),
    Enumeration("Corvane Mode", 1, kModeTexts),
    Boolean("Enable detector 1 graph", true),
    Boolean("Enable detector 2 graph", true),
    Boolean("Enable processor 1 graph", true),
    Boolean("Enable processro 2 graph", true),
    Enumeration("Detector 1 source", 2, kSourceTexts),
    Number("Detector 1 gate", -100, -100, 0, 1, 1, "dB"),
    Number("Detector 1 gain", 0, -30, 30, 0.1, 1, "dB"),
    Boolean("Detector 1 link att. rel.", false),
    Number("Detector 1 attack", 500, 1, 3000, 1, 1, "ms"),
    Number("Detector 1 release", 500, 1, 3000, 1, 1, "ms"),
    Number("Detector 1 hi pass", 20, 20, 3000, 1, 2, "Hz"),
    Number("Detector 1 low pass", 20000, 3000, 20000, 1, 2, "Hz"),
    Boolean("Detector 1 on", true),
    Enumeration("Detector 2 source", 2, kSourceTexts),
    Number("Detector 2 gate", -100, -100, 0, 1, 1, "dB"),
    Number("Detector 2 gain", 0, -30, 30, 0.1, 1, "dB"),
    Boolean("Detector 2 link att. rel.", false),
    Number("Detector 2 attack", 500, 1, 3000, 1, 1, "ms"),
    Number("Detector 2 release", 500, 1, 3000, 1, 1, "ms"),
    Number("Detector 2 hi pass", 20, 20, 3000, 1, 2, "Hz"),
    Number("Detector 2 low pass", 20000, 3000, 20000, 1, 2, "Hz"),
    Boolean("Detector 2 on", false),
    Enumeration("Processor 1 reference", 0, kReferenceTexts),
    Boolean("Processor 1 link att. rel.", false),
    Number("Processor 1 attack", 500, 1, 3000, 1, 1, "ms"),
    Number("Processor 1 release", 500, 1, 3000, 1, 1, "ms"),
    Enumeration("Processor 1 mode", 1, kProcessorModeTexts),
    Boolean("Processor 1 rev. gain", false),
    Number("Processor 1 max gain", 12, 0, 100, 1, 1, "dB"),
    Number("Processor 1 min gain", -12, -100, 0, 1, 1, "dB"),
    Boolean("Processor 1 link min max gain", false),
    Number("Processor 1 gain scaler", 50, 0, 100, 1, 1, "%"),
    Enumeration("Processor 2 reference", 0, kReferenceTexts),
    Boolean("Processor 2 link att. rel.", false),
    Number("Processor 2 attack", 500, 1, 3000, 1, 1, "ms"),
    Number("Processor 2 release", 500, 1, 3000, 1, 1, "ms"),
    Enumeration("Processor 2 mode", 1, kProcessorModeTexts),
    Boolean("Processor2  rev. gain", false),
    Number("Processor 2 max gain", 12, 0, 100, 1, 1, "dB"),
    Number("Processor 2 min gain", -12, -100, 0, 1, 1, "dB"),
    Boolean("Processor 2 link min max gain", false),
    Number("Processro 2 gain scaler", 50, 0, 100, 1, 1, "%"),
};

}  // namespace

const EffectParamSpec* EffectParamSpecAt(int index) {
  return index >= 0 && index < kNumParams ? &kTable[index] : nullptr;
}

void InitEffectParameter(IPlugParameter* param, int index) {
  const EffectParamSpec* spec = EffectParamSpecAt(index);
  if (!param || !spec) return;
  switch (spec->kind) {
    case kParamBoolean:
      param->InitBoolean(spec->name, spec->defaultValue >= 0.5);
      break;
    case kParamEnumeration:
      param->InitEnumeration(spec->name, static_cast<int>(spec->defaultValue), spec->nTexts);
      for (int v = 0; v < spec->nTexts; ++v) param->AddDisplayText(v, spec->texts[v]);
      break;
    default:
      param->InitNumber(spec->name, spec->defaultValue, spec->minValue, spec->maxValue, spec->step, spec->label);
      if (spec->shape != 1.0) param->SetCurveShape(spec->shape);
      break;
  }
}
