#pragma once
// A mutex that knows the thread holding it. Lock answers false at once to the thread that
// already holds it, and only a Lock that answered true is followed by Unlock. Windows builds use
// a kernel mutex; other builds a standard mutex.

#include <atomic>
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#include <thread>
#endif

class OwnerMutex {
 public:
  OwnerMutex();
  ~OwnerMutex();
  OwnerMutex(const OwnerMutex&) = delete;
  OwnerMutex& operator=(const OwnerMutex&) = delete;

  // True when this call took the mutex (waiting as long as it takes); false for the thread
  // that already holds it, and when no mutex could be made.
  bool Lock();
  // Releases the mutex when the calling thread holds it; otherwise nothing.
  void Unlock();

 private:
#if defined(_WIN32)
  HANDLE mMutex;
  std::atomic<DWORD> mOwner{0};  // 0 when none
#else
  std::mutex mMutex;
  std::atomic<std::thread::id> mOwner{};  // default id when none
#endif
};
