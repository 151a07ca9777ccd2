#include "dsp/DspTwoChannel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Dsp {

namespace {

// True while any working coefficient of the stage still differs from its target.
bool IsRamping(const Stage& s) {
  return s.a1Work != s.a1 || s.a2Work != s.a2 || s.b0Work != s.b0 || s.b1Work != s.b1 || s.b2Work != s.b2;
}

struct RampStep {
  double a1, a2, b0, b1, b2;
};

RampStep RampIncrements(const Stage& s, int count) {
  return RampStep{(s.a1 - s.a1Work) / count, (s.a2 - s.a2Work) / count, (s.b0 - s.b0Work) / count,
                  (s.b1 - s.b1Work) / count, (s.b2 - s.b2Work) / count};
}

// Moves the working coefficients one step; the block's last frame lands on the targets.
void AdvanceRamp(Stage& s, const RampStep& step, bool last) {
  if (last) {
    s.a1Work = s.a1;
    s.a2Work = s.a2;
    s.b0Work = s.b0;
    s.b1Work = s.b1;
    s.b2Work = s.b2;
    return;
  }
  s.a1Work += step.a1;
  s.a2Work += step.a2;
  s.b0Work += step.b0;
  s.b1Work += step.b1;
  s.b2Work += step.b2;
}

#if defined(__SSE2__)

inline __m128d CleanPacked(__m128d v) {
  const __m128d a = _mm_andnot_pd(_mm_set1_pd(-0.0), v);
  const __m128d ok = _mm_and_pd(_mm_cmpge_pd(a, _mm_set1_pd(kTinyLevel)), _mm_cmple_pd(a, _mm_set1_pd(DBL_MAX)));
  return _mm_and_pd(v, ok);
}

inline __m128d Pair(double left, double right) { return _mm_set_pd(right, left); }
inline double Low(__m128d v) { return _mm_cvtsd_f64(v); }
inline double High(__m128d v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

#endif

}  // namespace

void ProcessDirectFormITwoChannel(CascadeFilter& filter, int count, double* frames, int stride) {
  const int step = 2 + stride;
  for (int s = 0; s < filter.GetStageCount(); ++s) {
    const Stage& c = filter.GetStage(s);
    StageState& l = filter.State(0, s);
    StageState& r = filter.State(1, s);
    double* f = frames;
#if defined(__SSE2__)
    const __m128d b0 = _mm_set1_pd(c.b0), b1 = _mm_set1_pd(c.b1), b2 = _mm_set1_pd(c.b2);
    const __m128d a1 = _mm_set1_pd(c.a1), a2 = _mm_set1_pd(c.a2);
    __m128d x1 = Pair(l.x1, r.x1), x2 = Pair(l.x2, r.x2), y1 = Pair(l.y1, r.y1), y2 = Pair(l.y2, r.y2);
    for (int i = 0; i < count; ++i, f += step) {
      const __m128d x = CleanPacked(_mm_loadu_pd(f));
      __m128d y = _mm_add_pd(_mm_mul_pd(b0, x), _mm_mul_pd(b1, x1));
      y = _mm_add_pd(y, _mm_mul_pd(b2, x2));
      y = _mm_add_pd(y, _mm_mul_pd(a1, y1));
      y = CleanPacked(_mm_add_pd(y, _mm_mul_pd(a2, y2)));
      x2 = x1;
      x1 = x;
      y2 = y1;
      y1 = y;
      _mm_storeu_pd(f, y);
    }
    l = StageState{Low(x1), Low(x2), Low(y1), Low(y2)};
    r = StageState{High(x1), High(x2), High(y1), High(y2)};
#else
    for (int i = 0; i < count; ++i, f += step) {
      for (int ch = 0; ch < 2; ++ch) {
        StageState& st = ch == 0 ? l : r;
        const double x = CleanSample(f[ch]);
        const double y = CleanSample(c.b0 * x + c.b1 * st.x1 + c.b2 * st.x2 + c.a1 * st.y1 + c.a2 * st.y2);
        st = StageState{x, st.x1, y, st.y1};
        f[ch] = y;
      }
    }
#endif
  }
}

void ProcessStageStereoRamped(int count, double* frames, Stage& stage, StageState& left, StageState& right,
                              int stride) {
  if (count <= 0) {
    return;
  }
  const int step = 2 + stride;
  const RampStep inc = RampIncrements(stage, count);
  double* f = frames;
#if defined(__SSE2__)
  const __m128d dcIn = _mm_set1_pd(1e-18), dcState = _mm_set1_pd(1e-25);
  __m128d w1 = Pair(left.x1, right.x1), w2 = Pair(left.x2, right.x2);
  __m128d a1 = _mm_set1_pd(stage.a1Work), a2 = _mm_set1_pd(stage.a2Work);
  __m128d b0 = _mm_set1_pd(stage.b0Work), b1 = _mm_set1_pd(stage.b1Work), b2 = _mm_set1_pd(stage.b2Work);
  for (int i = 0; i < count; ++i, f += step) {
    if (IsRamping(stage)) {
      AdvanceRamp(stage, inc, i == count - 1);
      a1 = _mm_set1_pd(stage.a1Work);
      a2 = _mm_set1_pd(stage.a2Work);
      b0 = _mm_set1_pd(stage.b0Work);
      b1 = _mm_set1_pd(stage.b1Work);
      b2 = _mm_set1_pd(stage.b2Work);
    }
    const __m128d x = CleanPacked(_mm_loadu_pd(f));
    __m128d w = _mm_add_pd(_mm_add_pd(x, dcIn), _mm_mul_pd(a1, w1));
    w = _mm_add_pd(w, _mm_mul_pd(a2, w2));
    w = CleanPacked(_mm_add_pd(w, dcState));
    __m128d y = _mm_add_pd(_mm_mul_pd(b0, w), _mm_mul_pd(b1, w1));
    y = CleanPacked(_mm_add_pd(y, _mm_mul_pd(b2, w2)));
    w2 = w1;
    w1 = w;
    _mm_storeu_pd(f, y);
  }
  left.x1 = Low(w1);
  left.x2 = Low(w2);
  right.x1 = High(w1);
  right.x2 = High(w2);
#else
  for (int i = 0; i < count; ++i, f += step) {
    if (IsRamping(stage)) {
      AdvanceRamp(stage, inc, i == count - 1);
    }
    for (int ch = 0; ch < 2; ++ch) {
      StageState& st = ch == 0 ? left : right;
      const double x = CleanSample(f[ch]);
      const double w = CleanSample((x + 1e-18) + stage.a1Work * st.x1 + stage.a2Work * st.x2 + 1e-25);
      const double y = CleanSample(stage.b0Work * w + stage.b1Work * st.x1 + stage.b2Work * st.x2);
      st.x2 = st.x1;
      st.x1 = w;
      f[ch] = y;
    }
  }
#endif
}

}  // namespace Dsp
