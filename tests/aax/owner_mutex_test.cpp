#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "iplug/aax/OwnerMutex.h"

namespace {

TEST(OwnerMutex, OwnerPassesAgainWithoutASecondHold) {
  OwnerMutex mutex;
  ASSERT_TRUE(mutex.Lock());
  EXPECT_FALSE(mutex.Lock());  // at once, no wait on itself
  // The inner caller got false and does not unlock; the outer unlock frees the mutex.
  mutex.Unlock();
  std::atomic<bool> taken{false};
  std::thread other([&] {
    taken = mutex.Lock();
    if (taken) mutex.Unlock();
  });
  other.join();
  EXPECT_TRUE(taken);
  EXPECT_TRUE(mutex.Lock());
  mutex.Unlock();
  mutex.Unlock();  // a second unlock by the former owner does nothing
  EXPECT_TRUE(mutex.Lock());
  mutex.Unlock();
}

TEST(OwnerMutex, ReleaseByANonOwnerIsRefused) {
  OwnerMutex mutex;
  ASSERT_TRUE(mutex.Lock());
  std::thread stranger([&] { mutex.Unlock(); });
  stranger.join();

  std::atomic<bool> waiterHolds{false};
  std::thread waiter([&] {
    if (mutex.Lock()) {
      waiterHolds = true;
      mutex.Unlock();
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(waiterHolds);  // the stranger's unlock freed nothing
  mutex.Unlock();
  waiter.join();
  EXPECT_TRUE(waiterHolds);
}

TEST(OwnerMutex, HoldersExcludeEachOther) {
  OwnerMutex mutex;
  constexpr int kThreads = 6;
  constexpr int kRounds = 2000;
  int counter = 0;  // plain: only safe when the mutex excludes
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        ASSERT_TRUE(mutex.Lock());
        if (inside.fetch_add(1) != 0) ++overlaps;
        EXPECT_FALSE(mutex.Lock());
        ++counter;
        inside.fetch_sub(1);
        mutex.Unlock();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(0, overlaps.load());
  EXPECT_EQ(kThreads * kRounds, counter);
}

}  // namespace
