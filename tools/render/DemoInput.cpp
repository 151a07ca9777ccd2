// corvane_demo_input: writes the renderer's demo input, a four-channel WAV: in channels 1 and 2
// a speech-like voice whose level jumps by 10 dB up or down every eight seconds, in channels 3
// and 4 a second voice at a steady level as the side chain.

#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBaseLevelDb = -20.0;  // RMS of each voice, pauses included
constexpr double kSegmentSeconds = 8.0;
// The main voice's level in each segment against the side chain's: 5 dB too quiet
// or too loud in turn, so that every change is a 10 dB jump.
constexpr double kSegmentDb[] = {-5, 5};
constexpr double kRampSeconds = 0.005;

class Random {
 public:
  explicit Random(uint32_t seed) : mState(seed) {}
  double Uniform() {  // [0, 1)
    mState = mState * 1664525u + 1013904223u;
    return (mState >> 8) / 16777216.0;
  }
  double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  int Below(int n) { return static_cast<int>(Uniform() * n); }

 private:
  uint32_t mState;
};

// A two-pole resonator: one formant.
class Resonator {
 public:
  void Set(double hz, double bandwidth, double rate) {
    const double r = std::exp(-kPi * bandwidth / rate);
    mA1 = 2.0 * r * std::cos(2.0 * kPi * hz / rate);
    mA2 = -r * r;
    mGain = 1.0 - r;
  }
  double Run(double x) {
    const double y = mGain * x + mA1 * mY1 + mA2 * mY2;
    mY2 = mY1;
    mY1 = y;
    return y;
  }

 private:
  double mA1 = 0, mA2 = 0, mGain = 0, mY1 = 0, mY2 = 0;
};

struct Vowel {
  double f1, f2, f3;
};
constexpr Vowel kVowels[] = {{730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240},
                             {530, 1840, 2480}, {570, 840, 2410},  {660, 1720, 2410}};

// Syllables of a voice (a pulse train through three formants, some with a hiss before them),
// grouped into words and phrases with pauses between them.
std::vector<double> Voice(size_t frames, double rate, double pitch, uint32_t seed) {
  Random rnd(seed);
  std::vector<double> out(frames, 0.0);
  Resonator f[3];
  double phase = 0.0, tilt = 0.0, hissState = 0.0;
  size_t at = static_cast<size_t>(rnd.Range(0.1, 0.3) * rate);
  int syllablesLeft = 0;
  while (at < frames) {
    if (syllablesLeft == 0) {
      syllablesLeft = 2 + rnd.Below(4);
      at += static_cast<size_t>((rnd.Uniform() < 0.1 ? rnd.Range(0.35, 0.6) : rnd.Range(0.08, 0.2)) * rate);
    }
    --syllablesLeft;
    // An unvoiced onset: filtered noise.
    if (rnd.Uniform() < 0.4) {
      const size_t n = static_cast<size_t>(rnd.Range(0.04, 0.09) * rate);
      for (size_t i = 0; i < n && at + i < frames; ++i) {
        const double noise = rnd.Range(-1.0, 1.0);
        const double high = noise - hissState;
        hissState = noise;
        out[at + i] += 0.05 * high * std::sin(kPi * i / n);
      }
      at += n;
    }
    const Vowel& v = kVowels[rnd.Below(6)];
    const double start = pitch * rnd.Range(0.9, 1.2), end = start * rnd.Range(0.8, 1.05);
    f[0].Set(v.f1, 80, rate);
    f[1].Set(v.f2, 110, rate);
    f[2].Set(v.f3, 160, rate);
    const size_t n = static_cast<size_t>(rnd.Range(0.12, 0.3) * rate);
    const double loudness = rnd.Range(0.8, 1.0);
    for (size_t i = 0; i < n && at + i < frames; ++i) {
      const double t = static_cast<double>(i) / n;
      phase += (start + (end - start) * t) / rate;
      double pulse = 0.0;
      if (phase >= 1.0) {
        phase -= 1.0;
        pulse = 1.0;
      }
      tilt = 0.97 * tilt + pulse;  // falling spectrum of a voice
      const double formants = 1.0 * f[0].Run(tilt) + 0.5 * f[1].Run(tilt) + 0.25 * f[2].Run(tilt);
      const double envelope = std::pow(std::sin(kPi * t), 0.7) * loudness;
      out[at + i] += formants * envelope;
    }
    at += n + static_cast<size_t>(rnd.Range(0.02, 0.06) * rate);
  }
  return out;
}

// Scales the voice to an RMS of db, then rounds off its peaks above db + kCrestDb, so that the
// loudest segment stays below full scale.
constexpr double kCrestDb = 14.0;
void Normalise(std::vector<double>& v, double db) {
  double sum = 0.0;
  for (double x : v) sum += x * x;
  const double rms = std::sqrt(sum / static_cast<double>(v.size()));
  const double gain = rms > 0.0 ? std::pow(10.0, db / 20.0) / rms : 0.0;
  const double ceiling = std::pow(10.0, (db + kCrestDb) / 20.0);
  for (double& x : v) x = ceiling * std::tanh(x * gain / ceiling);
}

// The voice in a small room: each side adds its own faint early reflection.
double Side(const std::vector<double>& v, size_t i, size_t delay) { return v[i] + (i >= delay ? 0.15 * v[i - delay] : 0.0); }

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  double seconds = 48.0;
  int rate = 48000;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (a == "--rate" && i + 1 < argc) {
      rate = std::atoi(argv[++i]);
    } else if (path.empty() && !a.empty() && a[0] != '-') {
      path = a;
    } else {
      path.clear();
      break;
    }
  }
  if (path.empty() || !(seconds > 0.0 && seconds <= 3600.0) || rate < 8000 || rate > 384000) {
    std::fprintf(stderr, "usage: corvane_demo_input OUTPUT.wav [--seconds S (default 48)] [--rate HZ (default 48000)]\n");
    return 2;
  }

  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<double> voice = Voice(frames, rate, 120.0, 1), reference = Voice(frames, rate, 130.0, 2);
  Normalise(voice, kBaseLevelDb);
  Normalise(reference, kBaseLevelDb);

  const size_t segment = static_cast<size_t>(kSegmentSeconds * rate);
  const size_t ramp = static_cast<size_t>(kRampSeconds * rate);
  const size_t segments = sizeof kSegmentDb / sizeof kSegmentDb[0];
  std::vector<float> interleaved(frames * 4);
  for (size_t i = 0; i < frames; ++i) {
    const size_t k = i / segment, into = i % segment;
    double db = kSegmentDb[k % segments];
    if (k > 0 && into < ramp) {  // a short ramp keeps the jump free of a click
      const double before = kSegmentDb[(k - 1) % segments];
      db = before + (db - before) * static_cast<double>(into) / ramp;
    }
    const double g = std::pow(10.0, db / 20.0);
    interleaved[4 * i + 0] = static_cast<float>(g * Side(voice, i, rate / 190));
    interleaved[4 * i + 1] = static_cast<float>(g * Side(voice, i, rate / 130));
    interleaved[4 * i + 2] = static_cast<float>(Side(reference, i, rate / 170));
    interleaved[4 * i + 3] = static_cast<float>(Side(reference, i, rate / 110));
  }

  SF_INFO info;
  std::memset(&info, 0, sizeof info);
  info.samplerate = rate;
  info.channels = 4;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    std::fprintf(stderr, "corvane_demo_input: cannot write \"%s\": %s\n", path.c_str(), sf_strerror(nullptr));
    return 1;
  }
  const bool ok = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames)) == static_cast<sf_count_t>(frames);
  if (sf_close(file) != 0 || !ok) {
    std::fprintf(stderr, "corvane_demo_input: cannot write \"%s\"\n", path.c_str());
    std::remove(path.c_str());
    return 1;
  }
  std::printf("demo input %s: %.0f s at %d Hz; channels 1-2 a voice jumping by 10 dB every %.0f s, 3-4 a steady voice as side chain\n",
              path.c_str(), seconds, rate, kSegmentSeconds);
  return 0;
}
