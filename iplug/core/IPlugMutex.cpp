#include "iplug/core/IPlugMutex.h"

#if defined(_WIN32)

PlugMutex::PlugMutex() { InitializeCriticalSection(&mSection); }
PlugMutex::~PlugMutex() { DeleteCriticalSection(&mSection); }
void PlugMutex::Enter() { EnterCriticalSection(&mSection); }
void PlugMutex::Leave() { LeaveCriticalSection(&mSection); }

#else

PlugMutex::PlugMutex() = default;
PlugMutex::~PlugMutex() = default;
void PlugMutex::Enter() { mMutex.lock(); }
void PlugMutex::Leave() { mMutex.unlock(); }

#endif
