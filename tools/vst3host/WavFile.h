#pragma once
// A small WAV reader and writer for the test host, which runs where libsndfile is not at hand
// (under Wine). Sample formats: 16-, 24- and 32-bit PCM, 32- and 64-bit float, in plain or
// extensible format chunks. Samples are held as doubles, converted as libsndfile converts them,
// so files written here and by the native renderer compare sample for sample:
//   PCM read:  value / 2^(bits - 1)
//   PCM write: nearest integer to value x 2^(bits - 1) (ties to even), clipped to the range
//   float:     as is (a NaN is written as 0 in PCM)

#include <cstdint>
#include <string>
#include <vector>

namespace vst3host {

enum class WavFormat { kPcm16, kPcm24, kPcm32, kFloat32, kFloat64 };

struct Wav {
  int sampleRate = 44100;
  int channels = 2;
  WavFormat format = WavFormat::kFloat32;
  std::vector<double> samples;  // interleaved, frames x channels

  long long Frames() const { return channels > 0 ? static_cast<long long>(samples.size()) / channels : 0; }
  double At(long long frame, int channel) const { return samples[static_cast<std::size_t>(frame * channels + channel)]; }
};

// Limits of what is read: more channels or frames than this is refused.
constexpr int kMaxWavChannels = 64;
constexpr long long kMaxWavFrames = 1LL << 28;

// The file's bytes into a Wav; false with the reason when the bytes are not a WAV file this
// reader understands (the Wav is then left as it was).
bool ParseWav(const std::vector<std::uint8_t>& bytes, Wav* wav, std::string* error);
// The Wav as the bytes of a WAV file; false for a Wav that cannot be written (no channels, a
// sample count that is not a whole number of frames, a non-positive rate, too large).
bool FormatWav(const Wav& wav, std::vector<std::uint8_t>* bytes, std::string* error);

bool ReadWavFile(const std::string& path, Wav* wav, std::string* error);
bool WriteWavFile(const std::string& path, const Wav& wav, std::string* error);

const char* WavFormatName(WavFormat format);

}  // namespace vst3host
