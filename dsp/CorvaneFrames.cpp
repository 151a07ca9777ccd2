// The engine over a run of frames, one frame at a time, as the block callback drives it. The
// fast road keeps every follower and filter state in registers for the whole run and computes
// both detectors, and both processors, side by side in the two lanes of one SSE2 register. The
// lanes run the scalar operations in their order, so every value is the one a one-frame call
// computes, bit for bit. The per-call decisions (sources, routes, references, modes, link) are
// taken once per run: the usual settings of the plug-in's modes get loops of their own, any
// other setting runs a loop that makes every decision with lane masks.
#include <cfloat>
#include <initializer_list>

#include "dsp/Corvane.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Corvane {

#if defined(__SSE2__)

namespace {

using V = __m128d;

// Lane 0 holds detector (or processor) 1, lane 1 detector (or processor) 2.
inline V Pair(double first, double second) { return _mm_set_pd(second, first); }
inline V All(double v) { return _mm_set1_pd(v); }
inline V Mask(bool first, bool second) {
  return _mm_castsi128_pd(_mm_set_epi64x(second ? -1 : 0, first ? -1 : 0));
}
inline double Lane(V v, int lane) { return _mm_cvtsd_f64(lane == 0 ? v : _mm_unpackhi_pd(v, v)); }
inline V Abs(V v) { return _mm_andnot_pd(All(-0.0), v); }
// mask ? a : b, lane by lane, bits unchanged.
inline V Select(V mask, V a, V b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); }

// Lanes with kTinyLevel <= a <= DBL_MAX (not NaN).
inline V CleanRange(V a) { return _mm_and_pd(_mm_cmpge_pd(a, All(Dsp::kTinyLevel)), _mm_cmple_pd(a, All(DBL_MAX))); }
// Dsp::CleanSample on both lanes: kept when kTinyLevel <= |v| <= DBL_MAX, else +0.
inline V Clean(V v) { return _mm_and_pd(CleanRange(Abs(v)), v); }
// The same for a value that is not below +0 (or NaN): no magnitude needed.
inline V CleanNonNegative(V v) { return _mm_and_pd(CleanRange(v), v); }

// The followers' hold for a value that is not below +0: +0 stays, a value below kTinyLevel
// becomes kTinyLevel, infinity and NaN become +0.
inline V HoldNonNegative(V v) {
  const V kept = _mm_and_pd(_mm_cmpgt_pd(v, _mm_setzero_pd()), _mm_cmple_pd(v, All(DBL_MAX)));
  return _mm_and_pd(kept, _mm_max_pd(v, All(Dsp::kTinyLevel)));  // v > tiny ? v : tiny
}

// What a run decides once. Bits of a road: the loop is compiled for each road in use.
enum RoadBit : unsigned {
  kRoutesLeftRight = 1u << 0,  // processor 1 on the left, processor 2 on the right
  kRoutesMidSide = 1u << 1,    // processor 1 on the mid, processor 2 on the side
  kLinked = 1u << 2,           // both processors get the combined gain
  kSourcesExt = 1u << 3,       // detector 1 (when on) on the side chain's mid, 2 on its side
  kRefsFirst = 1u << 4,        // both processors refer to detector 1, which is on
  kRefsOwn = 1u << 5,          // processor j refers to detector j, both on
  kOneDirection = 1u << 6,     // attack = release in every detector that is on and every processor
  kReverse = 1u << 7,          // some processor applies the reciprocal gain
  kRatioDirection = 1u << 8,   // the ratio smoother's rise and fall differ
  kMasked = 1u << 9,           // routes, link, sources and references by lane masks
};
constexpr unsigned kStereoRoad = kRoutesLeftRight | kLinked | kSourcesExt | kRefsFirst;
constexpr unsigned kMidSideRoad = kRoutesMidSide | kSourcesExt | kRefsOwn;
constexpr unsigned kMaskedRoad = kMasked | kReverse | kRatioDirection;

// Coefficients of a one-pole follower; the (1 - c) factors are the values the scalar step
// computes on every call.
struct FollowerCoefs {
  V up, down, upRest, downRest;
  FollowerCoefs(double up1, double up2, double down1, double down2)
      : up(Pair(up1, up2)), down(Pair(down1, down2)), upRest(Pair(1.0 - up1, 1.0 - up2)),
        downRest(Pair(1.0 - down1, 1.0 - down2)) {}
  // input > state ? up * state + (1 - up) * input : down * state + (1 - down) * input; with
  // one direction up and down are equal and the choice is left out.
  template <bool kChoose>
  V Step(V state, V input) const {
    const V rising = _mm_add_pd(_mm_mul_pd(up, state), _mm_mul_pd(upRest, input));
    if (!kChoose) {
      return rising;
    }
    const V falling = _mm_add_pd(_mm_mul_pd(down, state), _mm_mul_pd(downRest, input));
    return Select(_mm_cmpgt_pd(input, state), rising, falling);
  }
};

// A first-order Direct Form I stage in each lane (the detectors' filters). The terms of b2 and
// a2 are left out: the packed road runs only while both are 0, and with finite states a zero
// term changes at most the sign of a zero sum, which the clean step makes +0 anyway.
struct Stage1 {
  V b0, b1, a1;
  V x1, x2, y1, y2;

  Stage1(const Dsp::CascadeFilter& f1, const Dsp::CascadeFilter& f2)
      : b0(Pair(f1.GetStage(0).b0, f2.GetStage(0).b0)),
        b1(Pair(f1.GetStage(0).b1, f2.GetStage(0).b1)),
        a1(Pair(f1.GetStage(0).a1, f2.GetStage(0).a1)),
        x1(Pair(f1.State(0, 0).x1, f2.State(0, 0).x1)),
        x2(Pair(f1.State(0, 0).x2, f2.State(0, 0).x2)),
        y1(Pair(f1.State(0, 0).y1, f2.State(0, 0).y1)),
        y2(Pair(f1.State(0, 0).y2, f2.State(0, 0).y2)) {}

  // x must be clean already. x2 and y2, the states a frame further back, are set by
  // KeepPrevious just before the last frame of a stretch: only the last frame's are kept.
  V Step(V x) {
    const V y = Clean(_mm_add_pd(_mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1)), _mm_mul_pd(a1, y1)));
    x1 = x;
    y1 = y;
    return y;
  }
  void KeepPrevious() {
    x2 = x1;
    y2 = y1;
  }

  void StoreLane(int lane, Dsp::CascadeFilter& f) const {
    Dsp::StageState& s = f.State(0, 0);
    s.x1 = Lane(x1, lane);
    s.x2 = Lane(x2, lane);
    s.y1 = Lane(y1, lane);
    s.y2 = Lane(y2, lane);
  }
};

// Lane masks choosing, per lane, one of four candidate samples taken from the two lanes of
// two vectors (a, b), or zero for any other code.
struct Chooser {
  V aFirst, aSecond, bFirst, bSecond;
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

// (l + r) * 0.5 and (l - r) * 0.5 of an (l, r) pair; l - r is l + (-r) exactly.
inline V MidSide(V lr) {
  const V r = _mm_xor_pd(_mm_unpackhi_pd(lr, lr), Pair(0.0, -0.0));
  return _mm_mul_pd(_mm_add_pd(_mm_unpacklo_pd(lr, lr), r), All(0.5));
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

  // A frame's three steps, each a loop of its own over a stretch of frames (see RunDetectors).
  // Gate and input gain of the source samples (on the masked road zero where the source is
  // fixed, which gives the fixed level here).
  template <unsigned kRoad>
  V Input(V x) const {
    if (kRoad & kMasked) {
      x = _mm_or_pd(x, fixedLevel);
    }
    x = _mm_andnot_pd(_mm_cmpgt_pd(gate, Abs(x)), x);
    return _mm_mul_pd(x, gain);
  }
  // The level the follower takes: |filtered input|, or |input| where the source is fixed.
  template <unsigned kRoad>
  V Filter(V x) {
    const V filtered = lowPass.Step(highPass.Step(Clean(x)));
    return Abs((kRoad & kMasked) ? Select(fixed, x, filtered) : filtered);
  }
  // The envelope; blockMax gets each detector's block maximum after the frame. A lane that is
  // off, or whose source is fixed, runs on as well, but its states are not kept (Store), and no
  // processor reads the envelope of a detector that is off.
  template <unsigned kRoad>
  V Follow(V level, V& blockMax) {
    envelope = HoldNonNegative(times.Step<!(kRoad & kOneDirection)>(envelope, level));
    blockMax = _mm_or_pd(_mm_and_pd(on, _mm_max_pd(envelope, _mm_setzero_pd())), offBlockMax);
    return envelope;
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

  // A frame's two steps, each a loop of its own (see RunProcessors). s: the processors' signal
  // samples, r: their reference samples. Returns the ratios of reference to level.
  template <unsigned kRoad>
  V Ratio(V s, V r) {
    s = Select(_mm_cmplt_pd(Abs(s), All(0.01)), r, s);
    level = HoldNonNegative(times.Step<!(kRoad & kOneDirection)>(level, Abs(s)));
    r = Select(_mm_cmplt_pd(Abs(r), All(1.0e-5)), level, r);
    // level, or 1 where level is 0: adding 0 to a level that is not 0 changes nothing.
    const V d = _mm_add_pd(level, _mm_and_pd(_mm_cmpeq_pd(level, _mm_setzero_pd()), All(1.0)));
    return _mm_div_pd(r, d);
  }
  // The block gains of the ratios (the frame's gain when above 0, else 0). The ratio smoother
  // runs in Peak lanes as well; their state is not kept (Store).
  template <unsigned kRoad>
  V Gain(V ratio) {
    rmsState = CleanNonNegative(ratioTimes.Step<(kRoad & kRatioDirection) != 0>(rmsState, Abs(ratio)));
    ratio = Select(rms, rmsState, ratio);
    V g = _mm_sub_pd(All(1.0), _mm_mul_pd(_mm_sub_pd(All(1.0), ratio), scaler));
    if (kRoad & kReverse) {
      g = Select(reverse, _mm_div_pd(All(1.0), g), g);
    }
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

// The combined gain in both lanes, of block gains that are never NaN (they are max(g, 0)):
// processor 2's gain, when it is at least 1, keeps the larger of the two, else the smaller.
inline V Combine(V blockGains) {
  const V swapped = _mm_shuffle_pd(blockGains, blockGains, 1);
  const V larger = _mm_max_pd(swapped, blockGains);   // g2 > g1 ? g2 : g1
  const V smaller = _mm_min_pd(swapped, blockGains);  // g2 < g1 ? g2 : g1
  const V combined = Select(_mm_cmpge_pd(swapped, All(1.0)), larger, smaller);
  return _mm_unpacklo_pd(combined, combined);
}

// The gained processor signals p = (P1, P2) as the output frame (L, R): L = P1 + P2 and
// R = P1 - P2 for mid and side, L = P2 + P1 and R = P2 - P1 for side and mid.
inline V DecodeOutput(V p, bool midSide, bool sideMid) {
  if (midSide) {
    return _mm_add_pd(_mm_unpacklo_pd(p, p), _mm_xor_pd(_mm_unpackhi_pd(p, p), Pair(0.0, -0.0)));
  }
  if (sideMid) {
    return _mm_add_pd(_mm_unpackhi_pd(p, p), _mm_xor_pd(_mm_unpacklo_pd(p, p), Pair(0.0, -0.0)));
  }
  return p;
}

// Code of a processor's reference for the masked road: 0 or 1 for a detector that is on, else
// a code that picks zero.
int ReferenceCode(const Corvane& e, int j) {
  const int ref = e.processorReference[j];
  return (ref == ReferenceDetector1 || ref == ReferenceDetector2) && e.detectorOn[ref] ? ref : -2;
}

// Runs shorter than this take the one-frame calls.
constexpr int kFewestPackedFrames = 4;

// Frames of a stretch: the steps of a frame pass their values on through arrays this long.
constexpr int kStretch = 64;

// The run's input channels; a missing side chain is one frame of silence read over and over.
struct RunInputs {
  const double* left;
  const double* right;
  const double* sideLeft;
  const double* sideRight;
  int sideStep;

  explicit RunInputs(const PlanarFrames& io) : left(io.left), right(io.right) {
    static const double kSilence[1] = {0.0};
    const bool side = io.sideLeft && io.sideRight;
    sideLeft = side ? io.sideLeft : kSilence;
    sideRight = side ? io.sideRight : kSilence;
    sideStep = side ? 1 : 0;
  }
  V Main(int i) const { return Clean(_mm_loadh_pd(_mm_load_sd(left + i), right + i)); }
  V Side(int i) const { return Clean(_mm_loadh_pd(_mm_load_sd(sideLeft + i * sideStep), sideRight + i * sideStep)); }
};

// The values a frame's steps pass on to the next ones, two per frame (one per lane).
struct StretchWork {
  alignas(16) double levels[2 * kStretch];     // the detectors' input, then their filtered level
  alignas(16) double envelopes[2 * kStretch];  // the envelopes, then the processors' ratios
  alignas(16) double signals[2 * kStretch];    // the processors' signal samples
  static V Get(const double* a, int k) { return _mm_load_pd(a + 2 * k); }
  static void Put(double* a, int k, V v) { _mm_store_pd(a + 2 * k, v); }
};

// What a run decides once beyond its road: the masked road's choices.
struct RunChoices {
  Chooser sources, routes, references;
  V link;
  bool midSide, sideMid;

  explicit RunChoices(const Corvane& e)
      : sources(e.detectorSource[0], e.detectorSource[1], SourceIntMid, SourceIntSide, SourceExtMid, SourceExtSide),
        routes(e.processorRoute[0], e.processorRoute[1], RouteMid, RouteSide, RouteLeft, RouteRight),
        references(ReferenceCode(e, 0), ReferenceCode(e, 1), 0, 1, -1, -1),
        link(Mask(e.stereoLink, e.stereoLink)),
        midSide(e.processorRoute[0] == RouteMid && e.processorRoute[1] == RouteSide),
        sideMid(e.processorRoute[0] == RouteSide && e.processorRoute[1] == RouteMid) {}

  // The processors' signal samples of a clean main frame.
  template <unsigned kRoad>
  V Signal(V lr) const {
    if (kRoad & kRoutesLeftRight) {
      return lr;
    }
    return (kRoad & kRoutesMidSide) ? MidSide(lr) : routes.Pick(MidSide(lr), lr);
  }
  // The output frame of the gained processor signals.
  template <unsigned kRoad>
  V Output(V gained) const {
    if (kRoad & kRoutesLeftRight) {
      return gained;
    }
    return (kRoad & kRoutesMidSide) ? DecodeOutput(gained, true, false) : DecodeOutput(gained, midSide, sideMid);
  }
};

// Frames [at, at + count). A frame takes five steps: the detectors' input, their filters, their
// envelope followers, the processors' ratios and the processors' gains with the output. The
// first has no state and runs as a loop of its own. The other four are recursions that depend
// on each other only within a frame, so one loop runs them staggered: in iteration k the
// filters take frame k, the followers frame k - 1, the ratios frame k - 2 and the gains frame
// k - 3. Each recursion then overlaps the others, and no iteration holds a long chain of
// dependent steps. Every value stays what it was; every frame is read whole before its output
// is written. Returns the last frame's gains.
template <unsigned kRoad>
[[gnu::noinline]] V RunStretch(PackedDetectors& detState, PackedProcessors& procState, const RunChoices& choices,
                               const RunInputs& input, const PlanarFrames& io, int at, int count, StretchWork& work,
                               const FrameTrace& trace) {
  PackedDetectors det = detState;
  PackedProcessors proc = procState;
  const RunChoices c = choices;
  const RunInputs in = input;
  for (int k = 0; k < count; ++k) {
    const V ext = MidSide(in.Side(at + k));
    const V source = (kRoad & kSourcesExt) ? ext : c.sources.Pick(MidSide(in.Main(at + k)), ext);
    work.Put(work.levels, k, det.Input<kRoad>(source));
  }
  V gains = _mm_setzero_pd();
  // Stage s of iteration k works on frame k - s, when that is a frame of the stretch.
  const auto iteration = [&](int k, bool filters, bool followers, bool ratios,
                             bool outputs) __attribute__((always_inline)) {
    if (filters) {
      if (k == count - 1) {
        det.highPass.KeepPrevious();
        det.lowPass.KeepPrevious();
      }
      work.Put(work.levels, k, det.Filter<kRoad>(work.Get(work.levels, k)));
    }
    if (followers) {
      const int f = k - 1;
      V blockMax;
      work.Put(work.envelopes, f, det.Follow<kRoad>(work.Get(work.levels, f), blockMax));
      _mm_store_sd(trace.level1 + at + f, blockMax);
      _mm_storeh_pd(trace.level2 + at + f, blockMax);
    }
    if (ratios) {
      const int f = k - 2;
      const V env = work.Get(work.envelopes, f);
      const V reference = (kRoad & kRefsFirst) ? _mm_unpacklo_pd(env, env)
                          : (kRoad & kRefsOwn) ? env
                                               : c.references.Pick(env, env);
      const V signal = c.Signal<kRoad>(in.Main(at + f));
      work.Put(work.signals, f, signal);
      // The ratio takes the envelope's place, which nothing reads any more.
      work.Put(work.envelopes, f, proc.Ratio<kRoad>(signal, reference));
    }
    if (outputs) {
      const int f = k - 3;
      const V blockGains = proc.Gain<kRoad>(work.Get(work.envelopes, f));
      if (kRoad & kLinked) {
        gains = Combine(blockGains);
      } else if (kRoad & kMasked) {
        gains = Select(c.link, Combine(blockGains), blockGains);
      } else {
        gains = blockGains;
      }
      const int i = at + f;
      const V out = c.Output<kRoad>(_mm_mul_pd(work.Get(work.signals, f), gains));
      _mm_store_sd(io.outLeft + i, out);
      _mm_storeh_pd(io.outRight + i, out);
      _mm_store_sd(trace.gain1 + i, gains);
      _mm_storeh_pd(trace.gain2 + i, gains);
    }
  };
  // Filling, the steady state with every stage at work, draining.
  int k = 0;
  for (; k < 3 && k < count; ++k) {
    iteration(k, true, k >= 1, k >= 2, false);
  }
  for (; k < count; ++k) {
    iteration(k, true, true, true, true);
  }
  for (; k < count + 3; ++k) {
    iteration(k, false, k - 1 < count && k >= 1, k - 2 < count && k >= 2, k >= 3);
  }
  detState = det;
  procState = proc;
  return gains;
}

template <unsigned kRoad>
void RunPacked(Corvane& e, const PlanarFrames& io, int n, const FrameTrace& trace) {
  PackedDetectors det(e);
  PackedProcessors proc(e);
  const RunChoices choices(e);
  const RunInputs in(io);
  StretchWork work;
  V gains = _mm_setzero_pd();
  for (int at = 0; at < n; at += kStretch) {
    const int count = n - at < kStretch ? n - at : kStretch;
    gains = RunStretch<kRoad>(det, proc, choices, in, io, at, count, work, trace);
  }
  det.Store(e);
  proc.Store(e, gains);
}

bool InUnitRange(double c) { return c >= 0.0 && c <= 1.0; }

// The packed road keeps the arithmetic of a one-frame call only where that call has factor 1,
// two channels and no dry share, first-order detector filters, follower coefficients in [0, 1]
// and follower states that are not negative (so the followers' values are never negative).
bool PackedRoadHolds(const Corvane& e) {
  if (!(e.oversampling <= 1 && e.channels == 2.0 && e.mix == 1.0)) {
    return false;
  }
  for (const LevelDetector& d : e.detectors) {
    for (const Dsp::CascadeFilter* f : {static_cast<const Dsp::CascadeFilter*>(&d.highPass),
                                        static_cast<const Dsp::CascadeFilter*>(&d.lowPass)}) {
      if (f->GetStageCount() != 1 || f->GetStage(0).b2 != 0.0 || f->GetStage(0).a2 != 0.0) {
        return false;
      }
    }
    if (!InUnitRange(d.attackCoef) || !InUnitRange(d.releaseCoef) || !(d.envelope >= 0.0)) {
      return false;
    }
  }
  for (const GainProcessor& p : e.processors) {
    if (!InUnitRange(p.attackCoef) || !InUnitRange(p.releaseCoef) || !InUnitRange(p.rmsRiseCoef) ||
        !InUnitRange(p.rmsFallCoef) || !(p.level >= 0.0) || !(p.rmsState >= 0.0)) {
      return false;
    }
  }
  return true;
}

unsigned RoadOf(const Corvane& e) {
  const GainProcessor* p = e.processors;
  const LevelDetector* d = e.detectors;
  if (p[0].rmsRiseCoef != p[0].rmsFallCoef || p[1].rmsRiseCoef != p[1].rmsFallCoef) {
    return kMaskedRoad;
  }
  unsigned road = 0;
  const int* route = e.processorRoute;
  road |= route[0] == RouteLeft && route[1] == RouteRight ? kRoutesLeftRight : 0u;
  road |= route[0] == RouteMid && route[1] == RouteSide ? kRoutesMidSide : 0u;
  road |= e.stereoLink ? kLinked : 0u;
  const bool ext = (!e.detectorOn[0] || e.detectorSource[0] == SourceExtMid) &&
                   (!e.detectorOn[1] || e.detectorSource[1] == SourceExtSide);
  road |= ext ? kSourcesExt : 0u;
  const int* ref = e.processorReference;
  road |= ref[0] == ReferenceDetector1 && ref[1] == ReferenceDetector1 && e.detectorOn[0] ? kRefsFirst : 0u;
  road |= ref[0] == ReferenceDetector1 && ref[1] == ReferenceDetector2 && e.detectorOn[0] && e.detectorOn[1]
              ? kRefsOwn
              : 0u;
  const bool oneDirection = (!e.detectorOn[0] || d[0].attackCoef == d[0].releaseCoef) &&
                            (!e.detectorOn[1] || d[1].attackCoef == d[1].releaseCoef) &&
                            p[0].attackCoef == p[0].releaseCoef && p[1].attackCoef == p[1].releaseCoef;
  road |= oneDirection ? kOneDirection : 0u;
  road |= p[0].reverse || p[1].reverse ? kReverse : 0u;
  return road;
}

// The road's loop: the plug-in's Stereo and Mid / Side settings each with or without one
// direction and reverse, everything else masked.
template <unsigned kBase>
bool RunRoadOf(unsigned road, Corvane& e, const PlanarFrames& io, int n, const FrameTrace& trace) {
  switch (road ^ kBase) {
    case 0: RunPacked<kBase>(e, io, n, trace); return true;
    case kOneDirection: RunPacked<kBase | kOneDirection>(e, io, n, trace); return true;
    case kReverse: RunPacked<kBase | kReverse>(e, io, n, trace); return true;
    case kOneDirection | kReverse: RunPacked<kBase | kOneDirection | kReverse>(e, io, n, trace); return true;
    default: return false;
  }
}

}  // namespace

#endif

void Corvane::ProcessEachFrame(const PlanarFrames& io, int n, const FrameTrace& trace) {
  if (n <= 0) {
    return;
  }
#if defined(__SSE2__)
  // A frame or two cost less by calls than the packed road's set-up.
  if (n >= kFewestPackedFrames && PackedRoadHolds(*this)) {
    const unsigned road = RoadOf(*this);
    if (!RunRoadOf<kStereoRoad>(road, *this, io, n, trace) && !RunRoadOf<kMidSideRoad>(road, *this, io, n, trace)) {
      RunPacked<kMaskedRoad>(*this, io, n, trace);
    }
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

}  // namespace Corvane
