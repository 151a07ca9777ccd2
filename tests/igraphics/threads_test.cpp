// The audio thread meets the editor: it stores control values and marks (UpdateControlValue,
// MarkAllControlsChanged) and echoes parameter values (UpdateControlsOfParam, under the plug-in
// lock) while the user-interface thread drags, draws and ticks. Run under ThreadSanitizer for
// data races; the round checks catch a lost update or an undone drag without it.
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "tests/igraphics/igraphics_test_util.h"

using namespace igtest;

namespace {

// Remembers the value it showed last (read by the user-interface thread only).
class ValueProbe : public IBitmapControl {
 public:
  using IBitmapControl::IBitmapControl;
  bool Draw(IGraphics* g) override {
    drawn = GetValue();
    return IBitmapControl::Draw(g);
  }
  double drawn = -1.0;
};

// Like the effect's graphs: a value from the audio thread only marks the control (no redraw
// request), and drawing takes a while after the value was read.
class GraphProbe : public ValueProbe {
 public:
  using ValueProbe::ValueProbe;
  void ApplyPlugValue(double value) override {
    mValue = value;
    MarkChanged(false);
  }
  bool Draw(IGraphics* g) override {
    ValueProbe::Draw(g);
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(10);
    while (std::chrono::steady_clock::now() < until) {
    }
    return true;
  }
};

// Takes its time to draw, so that the other thread's writes land in the middle of a pass.
class SlowControl : public IControl {
 public:
  SlowControl(IPlugBase* plug, const IRectangle& r, std::chrono::microseconds spin) : IControl(plug, r), mSpin(spin) {}
  bool Draw(IGraphics*) override {
    const auto until = std::chrono::steady_clock::now() + mSpin;
    while (std::chrono::steady_clock::now() < until) {
    }
    return true;
  }

 private:
  std::chrono::microseconds mSpin;
};

// Both threads leave the barrier together at the start of each round (the user-interface
// thread starts the round, the audio thread answers) and meet again at its end.
class Rounds {
 public:
  void Start(int round) {
    mStart.store(round);
    Spin([&] { return mAnswered.load() >= round; });
  }
  void WaitStart(int round) {
    Spin([&] { return mStart.load() >= round; });
    mAnswered.store(round);
  }
  void Done(int round) { mDone.store(round); }
  void WaitDone(int round) const {
    while (mDone.load() < round) std::this_thread::yield();
  }

 private:
  template <class F>
  static void Spin(F ready) {
    for (int n = 1; !ready(); ++n) {
      if (n % 4096 == 0) std::this_thread::yield();
    }
  }
  std::atomic<int> mStart{-1};
  std::atomic<int> mAnswered{-1};
  std::atomic<int> mDone{-1};
};

TEST(TwoThreads, AudioUpdatesAreNeverLostAndNeverUndoADrag) {
  TestPlug plug;
  plug.pushBack = true;
  IGraphicsHeadless* g = new IGraphicsHeadless(&plug, 200, 100);
  AddPlainBackground(g, LICE_RGBA(9, 9, 9, 255));
  const IFrameBitmap strip = LoadStrip(g, 20, 20, 51);
  IKnobMultiControl* knob = new IKnobMultiControl(&plug, 10, 10, kFree, LoadStrip(g, 20, 40, 11));
  GraphProbe* meter = new GraphProbe(&plug, 150, 60, -1, strip);  // far from the knob
  ValueProbe* neighbour = new ValueProbe(&plug, 40, 10, kGain, strip);
  ITextStyle style(12, BlackColour);
  const std::chrono::microseconds spin(20);
  g->AddControl(new SlowControl(&plug, IRectangle(10, 10, 30, 50), spin));  // drawn with the knob
  g->AddControl(knob);
  const int meterIndex = g->AddControl(meter);
  const int neighbourIndex = g->AddControl(neighbour);
  g->AddControl(new ICaptionControl(&plug, IRectangle(0, 80, 100, 100), kScaler, &style));
  plug.BindGraphics(g);
  for (int i = 0; i < 4; ++i) g->Tick();

  // The audio thread's writes land at spread-out moments of the user-interface thread's tick,
  // most of them while the slow control is drawn.
  using Clock = std::chrono::steady_clock;

  const int kRounds = 20000;
  Rounds rounds;
  std::thread audio([&] {
    for (int r = 0; r < kRounds; ++r) {
      rounds.WaitStart(r);
      const Clock::time_point until = Clock::now() + spin * (r % 16) / 10;
      while (Clock::now() < until) {
      }
      // Two rounds of three: in the first the meter is clean when the tick collects the dirty
      // area, in the second it is being drawn.
      if (r % 3 != 0) g->UpdateControlValue(meterIndex, (r % 50) / 50.0 + 0.01);
      if (r % 3 == 0) g->UpdateControlValue(neighbourIndex, (r % 7) / 7.0);
      {
        PlugLock lock(plug.GetMutex());
        g->UpdateControlsOfParam(kFree, 0.25, true);  // a stale echo of the dragged parameter
      }
      if (r % 5 == 0) g->MarkAllControlsChanged();
      rounds.Done(r);
    }
  });

  const IMouseMods fine(true, false, true);
  g->MouseDown(20, 30, fine);
  double expected = knob->GetValue();
  int y = 30;
  int lost = 0, undone = 0;
  for (int r = 0; r < kRounds; ++r) {
    const int step = (r / 10) % 2 == 0 ? -1 : 1;  // ten pixels up, ten down
    y += step;
    g->MouseDrag(20, y, fine);
    expected -= step / 1600.0;
    rounds.Start(r);
    g->Tick();
    rounds.WaitDone(r);
    // Quiet now: whatever the meter shows differently from its value must still be due.
    if (meter->drawn != meter->GetValue() && !meter->NeedsRedraw()) ++lost;
    if (neighbour->drawn != neighbour->GetValue() && !neighbour->NeedsRedraw()) ++lost;
    if (std::abs(knob->GetValue() - expected) > 1e-9) ++undone;
  }
  audio.join();
  g->MouseUp(20, y, fine);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(undone, 0);
  // Everything due gets drawn.
  for (int i = 0; i < 4; ++i) g->Tick();
  EXPECT_EQ(meter->drawn, meter->GetValue());
  EXPECT_FALSE(meter->NeedsRedraw());
  EXPECT_EQ(plug.HostSequence().substr(0, 3), "B6 ");
  EXPECT_EQ(plug.HostSequence().substr(plug.HostSequence().size() - 3), " E6");
}

// Bitmaps are decoded outside the cache lock; two editors that miss at once both succeed.
// (Fonts are made and drawn on the user-interface thread only: the drawing library renders
// glyphs through one shared canvas.)
TEST(TwoThreads, EditorsOnTwoThreadsLoadTheSameBitmap) {
  const int id = FreshResourceId();
  LICE_IBitmap* seen[2] = {nullptr, nullptr};
  std::atomic<int> ready{0};
  auto work = [&](int k) {
    TestPlug plug;
    IGraphicsHeadless g(&plug, 10, 10);
    g.SetBitmapResolver([](int, const char*) -> LICE_IBitmap* { return MakeStrip(3, 3, 1); });
    ready.fetch_add(1);
    while (ready.load() < 2) std::this_thread::yield();
    seen[k] = g.LoadFrameBitmap(id, "shared.png").bitmap;
  };
  std::thread a(work, 0), b(work, 1);
  a.join();
  b.join();
  ASSERT_NE(seen[0], nullptr);
  ASSERT_NE(seen[1], nullptr);
  // Both may have decoded; from now on every editor finds the first entry.
  TestPlug plug;
  IGraphicsHeadless g(&plug, 10, 10);
  LICE_IBitmap* found = g.LoadFrameBitmap(id, "shared.png").bitmap;
  EXPECT_TRUE(found == seen[0] || found == seen[1]);
  EXPECT_EQ(g.LoadFrameBitmap(id, "shared.png").bitmap, found);
  EXPECT_EQ(g.ResourceLoads(), 0);
}

}  // namespace
