// The block callback: the engine frame by frame, in runs up to the next wrap of a history, the
// four gain histories (the engine writes them directly), the published gain parameters, the
// graphs and the automation roads.

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "dsp/Decibels.h"
#include "effect/VemtraCorvane.h"

namespace {

constexpr double kGainParamMinDb = -100.0;
constexpr double kGainParamMaxDb = 100.0;
// Graph value of a processor whose limits coincide: the middle of the graph.
constexpr double kGraphMiddle = 0.5;

// The largest item of a history, starting from 0 (an item that is not a number is passed
// over). Running maxima side by side: the largest value is the same in any order, and a -0
// never replaces the starting +0 in any of them.
double HistoryMax(const Corvane::GainBuffer& history) {
  const double* items = history.items;
  const int n = history.length;
  int i = 0;
#if defined(__SSE2__)
  __m128d a = _mm_setzero_pd(), b = _mm_setzero_pd(), c = _mm_setzero_pd(), d = _mm_setzero_pd();
  for (; i + 8 <= n; i += 8) {
    a = _mm_max_pd(_mm_loadu_pd(items + i), a);  // max_pd(x, m): x > m ? x : m
    b = _mm_max_pd(_mm_loadu_pd(items + i + 2), b);
    c = _mm_max_pd(_mm_loadu_pd(items + i + 4), c);
    d = _mm_max_pd(_mm_loadu_pd(items + i + 6), d);
  }
  a = _mm_max_pd(_mm_max_pd(a, b), _mm_max_pd(c, d));
  double lanes[2];
  _mm_storeu_pd(lanes, a);
  double m = lanes[0] > lanes[1] ? lanes[0] : lanes[1];
#else
  double m = 0.0;
#endif
  for (; i < n; ++i) {
    if (items[i] > m) m = items[i];
  }
  return m;
}

double DecibelsOf(double gain) { return Corvane::kGainToDbFactor * Dsp::Log(std::fabs(gain)); }

// A history maximum as the value of a gain parameter: dB within the parameter's range, -100
// for silence.
double GainParamValue(double gain) {
  const double db = DecibelsOf(gain);
  if (!(db >= kGainParamMinDb)) return kGainParamMinDb;
  return db > kGainParamMaxDb ? kGainParamMaxDb : db;
}

// Frames a run may take when a history has no room of its own.
constexpr int kSinkFrames = 64;

bool HasRoom(const Corvane::GainBuffer& history) {
  return history.items && history.position >= 0 && history.position < history.length;
}

// The position after count pushes that end at or before the ring's end, as Push leaves it.
void Advance(Corvane::GainBuffer& history, int count) {
  if (!HasRoom(history)) return;
  history.position += count;
  if (history.position >= history.length) {
    history.position = 0;
    history.OnWrap();
  }
}

bool ClearWrapped(Corvane::GainBuffer& history) {
  if (!history.wrapped) return false;
  history.wrapped = false;
  return true;
}

}  // namespace

void VemtraCorvane::ProcessAudio(double** inputs, double** outputs, int nFrames) {
  if (nFrames < 1 || !inputs || !outputs) return;

#if defined(CORVANE_EFFECT_AAX) && CORVANE_EFFECT_AAX
  // One side-chain channel: it feeds both sides.
  const double* sideRight = inputs[2];
#else
  // A main input with the same samples on both sides (a mono source) takes a mono side chain
  // from its first channel.
  const bool mainDiffers =
      std::memcmp(inputs[0], inputs[1], sizeof(double) * static_cast<size_t>(nFrames)) != 0;
  const double* sideRight = mainDiffers ? inputs[3] : inputs[2];
#endif

  processor1History.Resize(meterLength);
  processor2History.Resize(meterLength);
  detector1History.Resize(meterLength);
  detector2History.Resize(meterLength);

  if (EnumValue(Value(Automation)) == AutomationRead) {
    RunRead(inputs, outputs, nFrames);
  } else {
    RunEngine(inputs, outputs, sideRight, nFrames);
  }
  if (IPlugEditor* editor = GetGUI()) editor->MarkAllControlsChanged();
}

void VemtraCorvane::RunEngine(double** inputs, double** outputs, const double* sideRight, int nFrames) {
  Corvane::GainBuffer* const histories[] = {&processor1History, &processor2History, &detector1History,
                                            &detector2History};
  // Where the values of a history without room go (one that could never be sized).
  double sink[kSinkFrames];
  for (int i = 0; i < nFrames;) {
    // The engine runs up to the next wrap of a history; while a wrap still waits for its
    // update, one frame at a time, because every frame runs at most one update.
    int run = nFrames - i;
    bool waiting = false;
    double* into[4];
    for (int h = 0; h < 4; ++h) {
      Corvane::GainBuffer& history = *histories[h];
      waiting = waiting || history.wrapped;
      if (HasRoom(history)) {
        run = std::min(run, history.length - history.position);
        into[h] = history.items + history.position;
      } else {
        run = std::min(run, kSinkFrames);
        into[h] = sink;
      }
    }
    if (waiting) run = 1;

    const Corvane::PlanarFrames io = {inputs[0] + i, inputs[1] + i, inputs[2] + i, sideRight + i,
                                      outputs[0] + i, outputs[1] + i};
    engine.ProcessEachFrame(io, run, Corvane::FrameTrace{into[0], into[1], into[2], into[3]});
    for (Corvane::GainBuffer* history : histories) Advance(*history, run);
    i += run;
    // In this order: a wrap of all four histories updates on four frames.
    if (ClearWrapped(processor1History) || ClearWrapped(processor2History) || ClearWrapped(detector1History) ||
        ClearWrapped(detector2History)) {
      PublishGains();
    }
  }
  engine.sidechainFrames = nullptr;
}

void VemtraCorvane::PublishGains() {
  const double m1 = HistoryMax(processor1History);
  const double m2 = HistoryMax(processor2History);
  const double m3 = HistoryMax(detector1History);
  const double m4 = HistoryMax(detector2History);
  GetParam(Processor1Gain)->Set(GainParamValue(m1));
  GetParam(Processor2Gain)->Set(GainParamValue(m2));

  IPlugEditor* editor = GetGUI();
  const HostCode host = GetHostCode();
  if (!HostWritesFromAudioThread(host)) {
    // In Write mode the faders hand the values to the host when the editor draws them.
    if (editor) {
      editor->UpdateControlValue(processor1Fader, GetParam(Processor1Gain)->GetNormalizedValue());
      editor->UpdateControlValue(processor2Fader, GetParam(Processor2Gain)->GetNormalizedValue());
    }
  } else if (EnumValue(Value(Automation)) == AutomationWrite) {
    PlugLock lock(GetMutex());
    for (int p : {Processor1Gain, Processor2Gain}) {
      BeginInformHostOfParamChange(p);
      InformHostOfParamChange(p, GetParam(p)->GetNormalizedValue());
      EndInformHostOfParamChange(p);
    }
  }

  if (editor) {
    editor->UpdateControlValue(processor1Graph, GraphValue(0));
    editor->UpdateControlValue(processor2Graph, GraphValue(1));
    editor->UpdateControlValue(detector1Graph, std::isfinite(m3) ? m3 : 0.0);
    editor->UpdateControlValue(detector2Graph, std::isfinite(m4) ? m4 : 0.0);
  }
}

double VemtraCorvane::GraphValue(int processor) const {
  const Corvane::GainProcessor& p = engine.processors[processor];
  const double maxDb = DecibelsOf(p.maxGain);
  const double minDb = DecibelsOf(p.minGain);
  const double range = maxDb - minDb;
  if (!(range > 0.0) || !std::isfinite(range)) return kGraphMiddle;
  const double v = (Value(Processor1Gain + processor) - minDb) / range;
  if (!(v >= 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

void VemtraCorvane::UpdateProcessorGraphs() {
  PlugLock lock(GetMutex());
  IPlugEditor* editor = GetGUI();
  if (!editor) return;
  editor->UpdateControlValue(processor1Graph, GraphValue(0));
  editor->UpdateControlValue(processor2Graph, GraphValue(1));
  editor->UpdateControlValue(detector1Graph, 0.0);
  editor->UpdateControlValue(detector2Graph, 0.0);
}

void VemtraCorvane::RunRead(double** inputs, double** outputs, int nFrames) {
  const double* in0 = inputs[0];
  const double* in1 = inputs[1];
  double* out0 = outputs[0];
  double* out1 = outputs[1];
  const double g0 = GetParam(Processor1Gain)->DecibelsToGain();
  const double g1 = GetParam(Processor2Gain)->DecibelsToGain();
  const int mode = EnumValue(Value(CorvaneMode));
  const bool leftRight = mode == ModeClassic || mode == ModeStereo;
  for (int i = 0; i < nFrames; ++i) {
    const double l = in0[i];
    const double r = in1[i];
    if (leftRight) {
      out0[i] = l * g0;
      out1[i] = r * g1;
    } else {
      const double mid = (l + r) * 0.5 * g0;
      const double side = (l - r) * 0.5 * g1;
      out0[i] = mid + side;
      out1[i] = mid - side;
    }
    processor1History.Push(g0);
    processor2History.Push(g1);
    if (ClearWrapped(processor1History) || ClearWrapped(processor2History)) UpdateProcessorGraphs();
  }
}
