#include "allocation_hooks.h"

#include <cstdlib>
#include <new>
#if defined(_WIN32)
#include <malloc.h>
#endif

namespace AllocationHooks {
std::atomic<long> gAllocations{0};
std::atomic<bool> gFailAll{false};
}  // namespace AllocationHooks

namespace {

void* Plain(std::size_t size) {
  if (AllocationHooks::gFailAll) {
    return nullptr;
  }
  ++AllocationHooks::gAllocations;
  return std::malloc(size ? size : 1);
}

void* Aligned(std::size_t size, std::align_val_t align) {
  if (AllocationHooks::gFailAll) {
    return nullptr;
  }
  ++AllocationHooks::gAllocations;
  std::size_t a = static_cast<std::size_t>(align);
  if (a < sizeof(void*)) {
    a = sizeof(void*);
  }
#if defined(_WIN32)
  return _aligned_malloc(size ? size : 1, a);
#else
  void* p = nullptr;
  return posix_memalign(&p, a, size ? size : 1) == 0 ? p : nullptr;
#endif
}

void FreeAligned(void* p) {
#if defined(_WIN32)
  _aligned_free(p);
#else
  std::free(p);
#endif
}

void* OrThrow(void* p) {
  if (!p) {
    throw std::bad_alloc();
  }
  return p;
}

}  // namespace

void* operator new(std::size_t n) { return OrThrow(Plain(n)); }
void* operator new[](std::size_t n) { return OrThrow(Plain(n)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Plain(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Plain(n); }
void* operator new(std::size_t n, std::align_val_t a) { return OrThrow(Aligned(n, a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return OrThrow(Aligned(n, a)); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Aligned(n, a); }
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept { return Aligned(n, a); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(p); }
