#pragma once
// Helpers of the render fingerprints: a speech-like test signal made with nothing but IEEE
// additions and multiplications (so it is the same bit for bit on every platform), and a 64-bit
// digest of the doubles a render produces.
#include <cstdint>
#include <cstring>
#include <vector>

namespace CorvaneTest {

// A strong 64-bit digest of a sequence of words: every word goes through a full avalanche
// before it is mixed into the state, and its position counts.
class Digest {
 public:
  void Add(std::uint64_t word) {
    ++mCount;
    mState = Mix(mState ^ Mix(word + 0x9E3779B97F4A7C15ull * mCount));
  }
  void Add(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Add(bits);
  }
  void Add(int v) { Add(static_cast<std::uint64_t>(static_cast<std::int64_t>(v))); }
  void Add(const double* values, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) Add(values[i]);
  }
  std::uint64_t Value() const { return mState; }

 private:
  static std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint64_t mState = 0x243F6A8885A308D3ull;
  std::uint64_t mCount = 0;
};

// A talker at 44.1 kHz: syllables of a few harmonics on a pitch that glides from syllable to
// syllable, some syllables unvoiced (noise), pauses between them, and levels from whisper to
// shout. The oscillator is a rotating phasor kept on the unit circle by a Newton step.
class Talker {
 public:
  explicit Talker(std::uint32_t seed) : mSeed(seed) { NextSyllable(); }

  double Next() {
    if (mLeft <= 0) NextSyllable();
    --mLeft;
    const int done = mLength - mLeft;
    // Linear attack over the first fifth, linear decay over the rest, silence in the pause.
    double env = 0.0;
    if (done <= mVoiced) {
      const int attack = mVoiced / 5 + 1;
      env = done < attack ? static_cast<double>(done) / attack
                          : static_cast<double>(mVoiced - done) / (mVoiced - attack + 1);
    }
    // Rotate the phasor, pull it back onto the unit circle, glide the pitch.
    const double re = mRe * mCos - mIm * mSin;
    const double im = mRe * mSin + mIm * mCos;
    const double fix = 1.5 - 0.5 * (re * re + im * im);
    mRe = re * fix;
    mIm = im * fix;
    const double re2 = mRe * mRe - mIm * mIm, im2 = 2.0 * mRe * mIm;
    const double re3 = re2 * mRe - im2 * mIm;
    const double tone = 0.6 * mRe + 0.3 * re2 + 0.15 * re3;
    const double noise = Uniform() * 2.0 - 1.0;
    const double body = mUnvoiced ? 0.7 * noise : tone + 0.05 * noise;
    return mLevel * env * body;
  }

 private:
  double Uniform() {
    mSeed = mSeed * 1664525u + 1013904223u;
    return (mSeed >> 8) / 16777216.0;
  }

  void NextSyllable() {
    mVoiced = 2000 + static_cast<int>(Uniform() * 9000.0);   // 45 .. 250 ms
    mLength = mVoiced + static_cast<int>(Uniform() * 12000.0);  // pause up to 270 ms
    mLeft = mLength;
    mUnvoiced = Uniform() < 0.25;
    const double u = Uniform();
    mLevel = 0.01 + 0.9 * u * u * u;
    // Pitch between about 90 and 280 Hz: the angle per sample, and its cosine and sine from
    // their series (accurate to far below what the test needs).
    const double a = 0.0128 + 0.0271 * Uniform();
    const double a2 = a * a;
    mCos = 1.0 - a2 / 2.0 + a2 * a2 / 24.0 - a2 * a2 * a2 / 720.0;
    mSin = a - a * a2 / 6.0 + a * a2 * a2 / 120.0 - a * a2 * a2 * a2 / 5040.0;
  }

  std::uint32_t mSeed;
  int mLength = 0, mVoiced = 0, mLeft = 0;
  bool mUnvoiced = false;
  double mLevel = 0.0, mCos = 1.0, mSin = 0.0, mRe = 1.0, mIm = 0.0;
};

// Stereo speech: left from one talker, right a blend of it with a second one, so that both the
// mid and the side carry speech.
inline void StereoSpeech(std::uint32_t seed, std::size_t n, std::vector<double>& left, std::vector<double>& right) {
  Talker a(seed), b(seed + 101);
  left.resize(n);
  right.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = a.Next(), y = b.Next();
    left[i] = x + 0.3 * y;
    right[i] = 0.7 * x + 0.5 * y;
  }
}

}  // namespace CorvaneTest
