#pragma once
// The re-entrant lock of the framework and its scoped holder. Windows builds use a critical
// section; other builds a recursive mutex.

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#endif

class PlugMutex {
 public:
  PlugMutex();
  ~PlugMutex();
  PlugMutex(const PlugMutex&) = delete;
  PlugMutex& operator=(const PlugMutex&) = delete;

  void Enter();
  void Leave();

 private:
#if defined(_WIN32)
  CRITICAL_SECTION mSection;
#else
  std::recursive_mutex mMutex;
#endif
};

// Enters the mutex for its lifetime when the pointer is not null.
class PlugLock {
 public:
  explicit PlugLock(PlugMutex* mutex) : mMutex(mutex) {
    if (mMutex) mMutex->Enter();
  }
  ~PlugLock() { Release(); }
  PlugLock(const PlugLock&) = delete;
  PlugLock& operator=(const PlugLock&) = delete;

  // Leaves the mutex early (for a caller that must drop it before the object goes away).
  void Release() {
    if (mMutex) {
      mMutex->Leave();
      mMutex = nullptr;
    }
  }

 private:
  PlugMutex* mMutex;
};
