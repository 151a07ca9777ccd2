#pragma once
// What the benchmarks of the effect's module files share: a signal that keeps the ride moving,
// and standard output kept out of the report while the blocks are timed (a module's 32-bit path
// reports each bound channel on standard output, as it does in a host).

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdio>

// Level steps every half second under four tones (channel 0 ... 3), so the detectors and
// processors keep working.
inline double RidingSignal(int channel, std::size_t frame) {
  const double t = static_cast<double>(frame) / 44100.0;
  return (0.05 + 0.2 * static_cast<double>(frame / 22050 % 2)) * std::sin(6.283185307179586 * 110.0 * (channel + 1) * t);
}

// Standard output goes to /dev/null for as long as it lives.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDOUT_FILENO);
      close(null);
    }
  }
  ~QuietStdout() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, STDOUT_FILENO);
      close(saved_);
    }
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int saved_ = -1;
};
