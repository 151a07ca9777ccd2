#include "iplug/aax/OwnerMutex.h"

#if defined(_WIN32)

OwnerMutex::OwnerMutex() : mMutex(CreateMutexA(nullptr, FALSE, nullptr)) {}

OwnerMutex::~OwnerMutex() {
  if (mMutex) CloseHandle(mMutex);
}

bool OwnerMutex::Lock() {
  if (!mMutex) return false;
  const DWORD self = GetCurrentThreadId();
  if (mOwner.load() == self) return false;
  const DWORD waited = WaitForSingleObject(mMutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
  mOwner.store(self);
  return true;
}

void OwnerMutex::Unlock() {
  if (!mMutex) return;
  if (mOwner.load() != GetCurrentThreadId()) return;
  mOwner.store(0);
  ReleaseMutex(mMutex);
}

#else

OwnerMutex::OwnerMutex() = default;
OwnerMutex::~OwnerMutex() = default;

bool OwnerMutex::Lock() {
  const std::thread::id self = std::this_thread::get_id();
  if (mOwner.load() == self) return false;
  mMutex.lock();
  mOwner.store(self);
  return true;
}

void OwnerMutex::Unlock() {
  if (mOwner.load() != std::this_thread::get_id()) return;
  mOwner.store(std::thread::id());
  mMutex.unlock();
}

#endif
