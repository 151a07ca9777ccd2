#pragma once
// Base of the engine: sample rate, oversampling factor, channel count and dry/wet mix, with two
// order-6 inverse-Chebyshev anti-alias filters around the oversampled road.
#include "dsp/AlignedMemory.h"
#include "dsp/DspFilters.h"

namespace Corvane {

class AudioProcessor {
 public:
  AudioProcessor();

  // A factor of 0 or less becomes 1. Redesigns both anti-alias filters for the factor,
  // prepares the work buffers and runs Init.
  virtual void SetOversampling(int factor);
  virtual void SetMix(double wet);
  // Pass-through stages, then the same design as SetOversampling; filter states are kept.
  virtual void Reset();
  virtual void SetSampleRate(int rate);
  virtual void SetChannels(int count);
  // Processes n interleaved frames of two values (L, R) in place, at the oversampled rate.
  virtual void ProcessFrames(double* frames, int n) = 0;
  virtual void Init() = 0;

  virtual ~AudioProcessor();
  AudioProcessor(const AudioProcessor&) = delete;
  AudioProcessor& operator=(const AudioProcessor&) = delete;

  // Processes n frames of `channels` values in place and mixes the result with the
  // unprocessed input. At a factor above 1 the frames are held factor times, filtered,
  // processed, filtered again and decimated. With `channels` other than 2 only channel 0 is
  // taken and written back. Returns false, leaving the frames as they were, when the
  // arguments are unusable or a larger block than ever before cannot get its work buffers.
  bool ProcessBlock(double* frames, int n);

  // Runs downsampleFilter over count frames of in (two values each) and copies every
  // oversampling-th frame, starting with the first, to out (`channels` values a frame).
  void FilterAndDecimate(double* in, double* out, int count);

  int sampleRate = 44100;
  int oversampling = 1;
  double channels = 2.0;
  double mix = 1.0;
  Dsp::ChebyIILowPass<6, 2> upsampleFilter;
  Dsp::ChebyIILowPass<6, 2> downsampleFilter;

 protected:
  // Frames of this many base-rate frames are prepared at set-up, so that the block callback's
  // one-frame calls never allocate.
  static constexpr int kPreparedFrames = 64;
  // Base-rate frames the work buffers are prepared for at the current factor.
  int PreparedFrameCount() const;

 private:
  void DesignAntiAliasFilters();
  int FrameWidth() const;
  void Mix(double* wet, const double* dry, int count) const;

  AlignedDoubles mDry;
  AlignedDoubles mUp;
};

}  // namespace Corvane
