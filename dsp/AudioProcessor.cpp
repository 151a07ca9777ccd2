#include "dsp/AudioProcessor.h"

#include <climits>

namespace Corvane {

namespace {
constexpr int kEngineFrameWidth = 2;   // ProcessFrames works on (L, R) frames
constexpr int kMaxChannels = 64;       // wider frames are refused
constexpr int kMaxPreparedFrames = 1 << 16;
}  // namespace

AudioProcessor::AudioProcessor() {
  mDry.Reserve(static_cast<std::size_t>(kPreparedFrames) * kEngineFrameWidth);
}

AudioProcessor::~AudioProcessor() = default;

void AudioProcessor::SetOversampling(int factor) {
  if (factor <= 0) {
    factor = 1;
  }
  oversampling = factor;
  DesignAntiAliasFilters();
  const std::size_t frames = static_cast<std::size_t>(PreparedFrameCount()) * kEngineFrameWidth;
  mDry.Reserve(frames);
  mUp.Reserve(frames);
  Init();
}

void AudioProcessor::SetMix(double wet) { mix = wet; }

void AudioProcessor::Reset() {
  upsampleFilter.ResetStages();
  downsampleFilter.ResetStages();
  DesignAntiAliasFilters();
}

void AudioProcessor::SetSampleRate(int rate) { sampleRate = rate; }

void AudioProcessor::SetChannels(int count) { channels = static_cast<double>(count); }

int AudioProcessor::PreparedFrameCount() const {
  const int factor = oversampling > 1 ? oversampling : 1;
  if (factor > kMaxPreparedFrames / kPreparedFrames) {
    return kMaxPreparedFrames;
  }
  return kPreparedFrames * factor;
}

void AudioProcessor::DesignAntiAliasFilters() {
  const int factor = oversampling > 1 ? oversampling : 1;
  // Half the base rate, as a fraction of the oversampled rate.
  double cutoff = sampleRate * 0.5 / (static_cast<double>(sampleRate) * factor);
  if (!(cutoff > 0.0 && cutoff <= 0.5)) {
    cutoff = 0.5 / factor;
  }
  upsampleFilter.SetupOrder6(cutoff, 9.0);
  downsampleFilter.SetupOrder6(cutoff, 9.0);
}

int AudioProcessor::FrameWidth() const {
  if (!(channels >= 1.0 && channels <= kMaxChannels)) {
    return 0;
  }
  return static_cast<int>(channels);
}

void AudioProcessor::Mix(double* wet, const double* dry, int count) const {
  const double dryShare = 1.0 - mix;
  for (int i = 0; i < count; ++i) {
    const double w = wet[i] * mix;
    const double d = dry[i] * dryShare;
    wet[i] = w + d;
  }
}

bool AudioProcessor::ProcessBlock(double* frames, int n) {
  const int width = FrameWidth();
  if (n < 0 || (n > 0 && !frames) || width == 0) {
    return false;
  }
  const int factor = oversampling > 1 ? oversampling : 1;
  if (factor > 1 && n > INT_MAX / factor / kEngineFrameWidth) {
    return false;
  }
  const int total = n * factor;
  const std::size_t values = static_cast<std::size_t>(total) * kEngineFrameWidth;

  if (factor == 1 && channels == 2.0) {
    if (mix == 1.0) {
      ProcessFrames(frames, n);  // all wet: exactly what the processing made
      return true;
    }
    if (!mDry.Reserve(values)) {
      return false;
    }
    double* dry = mDry.Data();
    for (std::size_t i = 0; i < values; ++i) {
      dry[i] = Dsp::CleanSample(frames[i]);
    }
    ProcessFrames(frames, n);
    Mix(frames, dry, static_cast<int>(values));
    return true;
  }

  if (!mUp.Reserve(values) || !mDry.Reserve(values)) {
    return false;
  }
  double* up = mUp.Data();
  double* dry = mDry.Data();
  const bool stereo = channels == 2.0;
  for (int i = 0; i < n; ++i) {
    const double l = Dsp::CleanSample(frames[i * width]);
    const double r = stereo ? Dsp::CleanSample(frames[i * width + 1]) : 0.0;
    double* held = up + static_cast<std::size_t>(i) * factor * kEngineFrameWidth;
    for (int k = 0; k < factor; ++k) {
      held[2 * k] = l;
      held[2 * k + 1] = r;
    }
  }
  if (factor > 1) {
    Dsp::ProcessDirectFormII(upsampleFilter, total, up, 0);
  }
  for (std::size_t i = 0; i < values; ++i) {
    dry[i] = up[i];
  }
  ProcessFrames(up, total);
  Mix(up, dry, static_cast<int>(values));
  if (factor > 1) {
    FilterAndDecimate(up, frames, total);
  } else {
    for (int i = 0; i < n; ++i) {
      frames[i * width] = up[2 * i];
    }
  }
  return true;
}

void AudioProcessor::FilterAndDecimate(double* in, double* out, int count) {
  const int width = FrameWidth();
  if (count <= 0 || !in || !out || width == 0) {
    return;
  }
  const int factor = oversampling > 1 ? oversampling : 1;
  Dsp::ProcessDirectFormII(downsampleFilter, count, in, 0);
  const bool stereo = channels == 2.0;
  for (long long i = 0, j = 0; i < count; i += factor, ++j) {
    out[j * width] = in[2 * i];
    if (stereo) {
      out[j * width + 1] = in[2 * i + 1];
    }
  }
}

}  // namespace Corvane
