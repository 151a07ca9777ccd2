// The engine over a run of frames, one frame at a time, as the block callback drives it. The
// fast road keeps every follower and filter state in registers for the whole run and computes
// both detectors, and both processors, side by side in the two lanes of one SSE2 register: the
// lanes run exactly the scalar operations in exactly their order, so every value is the one a
// one-frame call would have computed, bit for bit. The per-call decisions (sources, routes,
// references, modes, link) are turned into lane masks and table indices once per run.
#include <climits>

#include "dsp/Corvane.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Corvane {

void Corvane::ProcessEachFrame(const PlanarFrames& io, int n, const FrameTrace& trace) {
  if (n <= 0) {
    return;
  }
#if defined(__SSE2__)
  const bool packed = oversampling <= 1 && channels == 2.0 && mix == 1.0 &&
                      detectors[0].highPass.GetStageCount() == 1 && detectors[0].lowPass.GetStageCount() == 1 &&
                      detectors[1].highPass.GetStageCount() == 1 && detectors[1].lowPass.GetStageCount() == 1;
  if (packed) {
    ProcessEachFramePacked(io, n, trace);
    return;
  }
#endif
  ProcessEachFrameByCalls(io, n, trace);
}

void Corvane::ProcessEachFrameByCalls(const PlanarFrames& io, int n, const FrameTrace& trace) {
  const double* saved = sidechainFrames;
  double side[2];
  for (int i = 0; i < n; ++i) {
    double frame[2] = {io.left[i], io.right[i]};
    side[0] = io.sideLeft ? io.sideLeft[i] : 0.0;
    side[1] = io.sideRight ? io.sideRight[i] : 0.0;
    sidechainFrames = io.sideLeft && io.sideRight ? side : nullptr;
    ProcessBlock(frame, 1);
    io.outLeft[i] = frame[0];
    io.outRight[i] = frame[1];
    trace.gain1[i] = processors[0].blockGain;
    trace.gain2[i] = processors[1].blockGain;
    trace.level1[i] = detectors[0].blockMax;
    trace.level2[i] = detectors[1].blockMax;
  }
  sidechainFrames = saved;
}

#if defined(__SSE2__)

namespace {

using V = __m128d;

// Lane 0 holds detector (or processor) 1, lane 1 detector (or processor) 2.
inline V Pair(double first, double second) { return _mm_set_pd(second, first); }
inline V All(double v) { return _mm_set1_pd(v); }
inline V Mask(bool first, bool second) {
  return _mm_castsi128_pd(_mm_set_epi64x(second ? -1 : 0, first ? -1 : 0));
}
inline double First(V v) { return _mm_cvtsd_f64(v); }
inline double Second(V v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

inline V Abs(V v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
// mask ? a : b, lane by lane, bits unchanged.
inline V Select(V mask, V a, V b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); }

// Dsp::CleanSample on both lanes: kept when kTinyLevel <= |v| <= DBL_MAX, else +0.
inline V Clean(V v) {
  const V a = Abs(v);
  return _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(a, All(Dsp::kTinyLevel)), _mm_cmple_pd(a, All(DBL_MAX))), v);
}

// The followers' hold: not finite gives +0, a positive value below kTinyLevel gives kTinyLevel.
inline V Hold(V v) {
  const V finite = _mm_and_pd(_mm_cmple_pd(Abs(v), All(DBL_MAX)), v);
  const V tiny = _mm_and_pd(_mm_cmpgt_pd(finite, _mm_setzero_pd()), _mm_cmplt_pd(finite, All(Dsp::kTinyLevel)));
  return Select(tiny, All(Dsp::kTinyLevel), finite);
}

// Coefficients of a one-pole follower; the (1 - c) factors are the values the scalar step
// computes on every call.
struct FollowerCoefs {
  V up, down, upRest, downRest;
  FollowerCoefs(double up1, double up2, double down1, double down2)
      : up(Pair(up1, up2)), down(Pair(down1, down2)), upRest(Pair(1.0 - up1, 1.0 - up2)),
        downRest(Pair(1.0 - down1, 1.0 - down2)) {}
  // input > state ? up * state + (1 - up) * input : down * state + (1 - down) * input
  V Step(V state, V input) const {
    const V rising = _mm_add_pd(_mm_mul_pd(up, state), _mm_mul_pd(upRest, input));
    const V falling = _mm_add_pd(_mm_mul_pd(down, state), _mm_mul_pd(downRest, input));
    return Select(_mm_cmpgt_pd(input, state), rising, falling);
  }
};

// One first-order Direct Form I stage per lane (the detectors' filters), with its state.
struct Stage1 {
  V b0, b1, b2, a1, a2;
  V x1, x2, y1, y2;

  Stage1(const Dsp::CascadeFilter& f1, const Dsp::CascadeFilter& f2)
      : b0(Pair(f1.GetStage(0).b0, f2.GetStage(0).b0)),
        b1(Pair(f1.GetStage(0).b1, f2.GetStage(0).b1)),
        b2(Pair(f1.GetStage(0).b2, f2.GetStage(0).b2)),
        a1(Pair(f1.GetStage(0).a1, f2.GetStage(0).a1)),
        a2(Pair(f1.GetStage(0).a2, f2.GetStage(0).a2)),
        x1(Pair(f1.State(0, 0).x1, f2.State(0, 0).x1)),
        x2(Pair(f1.State(0, 0).x2, f2.State(0, 0).x2)),
        y1(Pair(f1.State(0, 0).y1, f2.State(0, 0).y1)),
        y2(Pair(f1.State(0, 0).y2, f2.State(0, 0).y2)) {}

  // x must be clean already.
  V Step(V x) {
    V y = _mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1));
    y = _mm_add_pd(y, _mm_mul_pd(b2, x2));
    y = _mm_add_pd(y, _mm_mul_pd(a1, y1));
    y = Clean(_mm_add_pd(y, _mm_mul_pd(a2, y2)));
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }

  void StoreLane(int lane, Dsp::CascadeFilter& f) const {
    Dsp::StageState& s = f.State(0, 0);
    s.x1 = lane == 0 ? First(x1) : Second(x1);
    s.x2 = lane == 0 ? First(x2) : Second(x2);
    s.y1 = lane == 0 ? First(y1) : Second(y1);
    s.y2 = lane == 0 ? First(y2) : Second(y2);
  }
};

inline double Lane(V v, int lane) { return lane == 0 ? First(v) : Second(v); }

// Lane masks choosing, per lane, one of four candidate samples taken from the two lanes of
// two vectors (a, b), or nothing (zero). Built once per run from the settings.
struct Chooser {
  V aFirst, aSecond, bFirst, bSecond;
  // Codes of the two lanes; aFirst .. bSecond are the codes that pick the four candidates.
  Chooser(int lane1, int lane2, int codeAFirst, int codeASecond, int codeBFirst, int codeBSecond)
      : aFirst(Mask(lane1 == codeAFirst, lane2 == codeAFirst)),
        aSecond(Mask(lane1 == codeASecond, lane2 == codeASecond)),
        bFirst(Mask(lane1 == codeBFirst, lane2 == codeBFirst)),
        bSecond(Mask(lane1 == codeBSecond, lane2 == codeBSecond)) {}
  V Pick(V a, V b) const {
    const V fromA = _mm_or_pd(_mm_and_pd(aFirst, _mm_unpacklo_pd(a, a)), _mm_and_pd(aSecond, _mm_unpackhi_pd(a, a)));
    const V fromB = _mm_or_pd(_mm_and_pd(bFirst, _mm_unpacklo_pd(b, b)), _mm_and_pd(bSecond, _mm_unpackhi_pd(b, b)));
    return _mm_or_pd(fromA, fromB);
  }
};

// (l + r) * 0.5 and (l - r) * 0.5 of a (l, r) pair; l - r is l + (-r) exactly.
inline V MidSide(V lr) {
  const V l = _mm_unpacklo_pd(lr, lr);
  const V r = _mm_xor_pd(_mm_unpackhi_pd(lr, lr), Pair(0.0, -0.0));
  return _mm_mul_pd(_mm_add_pd(l, r), All(0.5));
}

// The two detectors of one frame.
struct PackedDetectors {
  V gate, gain, fixed, fixedLevel, on, offBlockMax;
  FollowerCoefs times;
  Stage1 highPass, lowPass;
  V envelope;

  explicit PackedDetectors(const Corvane& e)
      : gate(Pair(e.detectors[0].gate, e.detectors[1].gate)),
        gain(Pair(e.detectors[0].gain, e.detectors[1].gain)),
        fixed(Mask(e.detectorSource[0] == SourceIntFix, e.detectorSource[1] == SourceIntFix)),
        fixedLevel(_mm_and_pd(fixed, All(0.5))),
        on(Mask(e.detectorOn[0], e.detectorOn[1])),
        offBlockMax(_mm_andnot_pd(on, Pair(e.detectors[0].blockMax, e.detectors[1].blockMax))),
        times(e.detectors[0].attackCoef, e.detectors[1].attackCoef, e.detectors[0].releaseCoef,
              e.detectors[1].releaseCoef),
        highPass(e.detectors[0].highPass, e.detectors[1].highPass),
        lowPass(e.detectors[0].lowPass, e.detectors[1].lowPass),
        envelope(Pair(e.detectors[0].envelope, e.detectors[1].envelope)) {}

  // x: the source samples, zero in a lane whose source is fixed. Returns the envelopes the processors see (0 for a detector that is
  // off); blockMax gets each detector's block maximum after the frame. A lane that is off, or
  // whose source is fixed, runs on as well, but its states are not kept (Store).
  V Step(V x, V& blockMax) {
    x = _mm_or_pd(x, fixedLevel);
    x = _mm_andnot_pd(_mm_cmpgt_pd(gate, Abs(x)), x);
    x = _mm_mul_pd(x, gain);
    const V filtered = lowPass.Step(highPass.Step(Clean(x)));
    envelope = Hold(times.Step(envelope, Abs(Select(fixed, x, filtered))));
    blockMax = _mm_or_pd(_mm_and_pd(on, _mm_max_pd(envelope, _mm_setzero_pd())), offBlockMax);
    return _mm_and_pd(on, envelope);
  }

  void Store(Corvane& e) const {
    for (int j = 0; j < 2; ++j) {
      LevelDetector& d = e.detectors[j];
      d.fixedSource = e.detectorSource[j] == SourceIntFix;
      if (!e.detectorOn[j]) {
        continue;
      }
      d.envelope = Lane(envelope, j);
      d.blockMax = d.envelope > 0.0 ? d.envelope : 0.0;
      if (!d.fixedSource) {
        highPass.StoreLane(j, d.highPass);
        lowPass.StoreLane(j, d.lowPass);
      }
    }
  }
};

// The two processors of one frame.
struct PackedProcessors {
  FollowerCoefs times, ratioTimes;
  V rms, reverse, scaler, maxGain, minGain;
  V level, rmsState, gain;

  explicit PackedProcessors(const Corvane& e)
      : times(e.processors[0].attackCoef, e.processors[1].attackCoef, e.processors[0].releaseCoef,
              e.processors[1].releaseCoef),
        ratioTimes(e.processors[0].rmsRiseCoef, e.processors[1].rmsRiseCoef, e.processors[0].rmsFallCoef,
                   e.processors[1].rmsFallCoef),
        rms(Mask(e.processors[0].mode == ProcessorModeRms, e.processors[1].mode == ProcessorModeRms)),
        reverse(Mask(e.processors[0].reverse, e.processors[1].reverse)),
        scaler(Pair(e.processors[0].scaler, e.processors[1].scaler)),
        maxGain(Pair(e.processors[0].maxGain, e.processors[1].maxGain)),
        minGain(Pair(e.processors[0].minGain, e.processors[1].minGain)),
        level(Pair(e.processors[0].level, e.processors[1].level)),
        rmsState(Pair(e.processors[0].rmsState, e.processors[1].rmsState)),
        gain(Pair(e.processors[0].gain, e.processors[1].gain)) {}

  // s: the processors' signal samples, r: their reference samples. Returns the block gains
  // (the frame's gain when above 0, else 0). The ratio smoother runs in Peak lanes as well;
  // their state is not kept (Store).
  V Step(V s, V r) {
    s = Select(_mm_cmplt_pd(Abs(s), All(0.01)), r, s);
    level = Hold(times.Step(level, Abs(s)));
    r = Select(_mm_cmplt_pd(Abs(r), All(1.0e-5)), level, r);
    const V d = Select(_mm_cmpeq_pd(level, _mm_setzero_pd()), All(1.0), level);
    V ratio = _mm_div_pd(r, d);
    rmsState = Clean(ratioTimes.Step(rmsState, Abs(ratio)));
    ratio = Select(rms, rmsState, ratio);
    V g = _mm_sub_pd(All(1.0), _mm_mul_pd(_mm_sub_pd(All(1.0), ratio), scaler));
    g = Select(reverse, _mm_div_pd(All(1.0), g), g);
    g = _mm_min_pd(maxGain, g);  // maxGain < g ? maxGain : g
    g = _mm_max_pd(minGain, g);  // minGain > g ? minGain : g
    gain = g;
    return _mm_max_pd(g, _mm_setzero_pd());  // g > 0 ? g : 0
  }

  void Store(Corvane& e, V blockGains) const {
    for (int j = 0; j < 2; ++j) {
      GainProcessor& p = e.processors[j];
      p.level = Lane(level, j);
      if (p.mode == ProcessorModeRms) {
        p.rmsState = Lane(rmsState, j);
      }
      p.gain = Lane(gain, j);
      p.blockGain = Lane(blockGains, j);
    }
  }
};

// The combined gain of two block gains that are never NaN: processor 2's gain when it is at
// least 1 keeps the larger of the two, else the smaller, in the first lane.
inline V Combine(V blockGains) {
  const V swapped = _mm_shuffle_pd(blockGains, blockGains, 1);
  const V larger = _mm_max_pd(swapped, blockGains);   // g2 > g1 ? g2 : g1
  const V smaller = _mm_min_pd(swapped, blockGains);  // g2 < g1 ? g2 : g1
  const V combined = Select(_mm_cmpge_pd(swapped, All(1.0)), larger, smaller);
  return _mm_unpacklo_pd(combined, combined);
}

enum Decode { kLeftRight, kMidSide, kSideMid };

// The gained processor signals p = (P1, P2) as the output frame (L, R).
inline V DecodeOutput(V p, Decode decode) {
  if (decode == kMidSide) {  // L = P1 + P2, R = P1 - P2
    return _mm_add_pd(_mm_unpacklo_pd(p, p), _mm_xor_pd(_mm_unpackhi_pd(p, p), Pair(0.0, -0.0)));
  }
  if (decode == kSideMid) {  // L = P2 + P1, R = P2 - P1
    return _mm_add_pd(_mm_unpackhi_pd(p, p), _mm_xor_pd(_mm_unpacklo_pd(p, p), Pair(0.0, -0.0)));
  }
  return p;
}

}  // namespace

void Corvane::ProcessEachFramePacked(const PlanarFrames& io, int n, const FrameTrace& trace) {
  PackedDetectors det(*this);
  PackedProcessors proc(*this);
  const Chooser sources(detectorSource[0], detectorSource[1], SourceIntMid, SourceIntSide, SourceExtMid,
                        SourceExtSide);
  const Chooser routes(processorRoute[0], processorRoute[1], RouteMid, RouteSide, RouteLeft, RouteRight);
  // The references: detector 1's envelope, detector 2's, or zero (the second vector is unused).
  const Chooser references(processorReference[0], processorReference[1], ReferenceDetector1, ReferenceDetector2,
                           -1, -1);
  const V link = Mask(stereoLink, stereoLink);
  const Decode decode = processorRoute[0] == RouteMid && processorRoute[1] == RouteSide   ? kMidSide
                        : processorRoute[0] == RouteSide && processorRoute[1] == RouteMid ? kSideMid
                                                                                          : kLeftRight;
  // A missing side chain is one frame of silence read over and over.
  static const double kSilence[1] = {0.0};
  const bool side = io.sideLeft && io.sideRight;
  const double* sideLeft = side ? io.sideLeft : kSilence;
  const double* sideRight = side ? io.sideRight : kSilence;
  const int sideStep = side ? 1 : 0;

  V gains = _mm_setzero_pd();
  for (int i = 0; i < n; ++i) {
    const V lr = Clean(_mm_loadh_pd(_mm_load_sd(io.left + i), io.right + i));
    const V sc = Clean(_mm_loadh_pd(_mm_load_sd(sideLeft + i * sideStep), sideRight + i * sideStep));
    const V ms = MidSide(lr);

    V blockMax;
    const V envelopes = det.Step(sources.Pick(ms, MidSide(sc)), blockMax);
    const V signal = routes.Pick(ms, lr);
    const V blockGains = proc.Step(signal, references.Pick(envelopes, envelopes));
    gains = Select(link, Combine(blockGains), blockGains);

    const V out = DecodeOutput(_mm_mul_pd(signal, gains), decode);
    _mm_store_sd(io.outLeft + i, out);
    _mm_storeh_pd(io.outRight + i, out);
    _mm_store_sd(trace.gain1 + i, gains);
    _mm_storeh_pd(trace.gain2 + i, gains);
    _mm_store_sd(trace.level1 + i, blockMax);
    _mm_storeh_pd(trace.level2 + i, blockMax);
  }
  det.Store(*this);
  proc.Store(*this, gains);
}

#else

void Corvane::ProcessEachFramePacked(const PlanarFrames& io, int n, const FrameTrace& trace) {
  ProcessEachFrameByCalls(io, n, trace);
}

#endif

}  // namespace Corvane
