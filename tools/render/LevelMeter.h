#pragma once
// Short-term level of a stereo signal: the RMS of both channels over 3-second windows, one
// every 0.1 s (the span broadcast meters call short-term; no weighting), in dB relative to full
// scale. Windows quieter than -70 dB count as silence and are left out. The range is the
// distance from the 10th to the 95th percentile of the windows, which a pause or a single
// loud moment does not move. The windows are also kept in time order, each at its centre, for
// the picture of the ride.

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

namespace Render {

// One window's level at the time of its centre; NaN for a silent window.
struct LevelPoint {
  double seconds;
  double db;
};

class LevelMeter {
 public:
  static constexpr int kHopsPerSecond = 10;
  static constexpr int kWindowHops = 30;
  static constexpr double kSilenceDb = -70.0;

  explicit LevelMeter(double sampleRate)
      : mRate(sampleRate), mHop(sampleRate >= kHopsPerSecond ? static_cast<long long>(sampleRate / kHopsPerSecond) : 1) {}

  void Add(double left, double right) {
    mSum += left * left + right * right;
    if (++mInHop == mHop) {
      mHops.push_back(mSum);
      mWindowSum += mSum;
      mSum = 0.0;
      mInHop = 0;
      if (static_cast<int>(mHops.size()) > kWindowHops) {
        mWindowSum -= mHops.front();
        mHops.pop_front();
      }
      ++mHopCount;
      if (static_cast<int>(mHops.size()) == kWindowHops) Measure(mWindowSum, mHop * kWindowHops, mHopCount * mHop);
    }
  }

  // Ends the signal: one shorter than a window is measured as a whole.
  void Finish() {
    const long long frames = mHopCount * mHop + mInHop;
    if (mHopCount < kWindowHops) Measure(mWindowSum + mSum, frames, frames);
    std::sort(mLevels.begin(), mLevels.end());
  }

  bool HasLevel() const { return !mLevels.empty(); }
  double MinDb() const { return mLevels.front(); }
  double MaxDb() const { return mLevels.back(); }
  double RangeDb() const { return Percentile(0.95) - Percentile(0.10); }
  const std::vector<LevelPoint>& Series() const { return mSeries; }

 private:
  // A window of `frames` frames that ends at frame `end`.
  void Measure(double sum, long long frames, long long end) {
    if (frames <= 0) return;
    const double meanSquare = sum / (2.0 * static_cast<double>(frames));
    const double db = meanSquare > 0.0 ? 10.0 * std::log10(meanSquare) : -1e300;
    const bool heard = db >= kSilenceDb;
    if (heard) mLevels.push_back(db);
    mSeries.push_back({(static_cast<double>(end) - 0.5 * static_cast<double>(frames)) / mRate,
                       heard ? db : std::nan("")});
  }
  double Percentile(double p) const {
    const size_t k = static_cast<size_t>(std::ceil(p * mLevels.size()));
    return mLevels[std::min(std::max<size_t>(k, 1), mLevels.size()) - 1];
  }

  double mRate;
  long long mHop;
  long long mInHop = 0;
  long long mHopCount = 0;
  double mSum = 0.0;
  double mWindowSum = 0.0;
  std::deque<double> mHops;
  std::vector<double> mLevels;  // sorted by Finish
  std::vector<LevelPoint> mSeries;
};

}  // namespace Render
