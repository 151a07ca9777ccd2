// Reference-counted object base and interface-pointer helpers of the VST3 layer.
#pragma once

#include <atomic>
#include <utility>

#include "vst3_interfaces.h"

namespace Steinberg {

// Holds one reference to an interface or object.
template <class I>
class IPtr {
 public:
  IPtr() = default;
  // Takes over a reference the caller already owns (e.g. a new object, a query result).
  static IPtr adopt(I* p) {
    IPtr r;
    r.ptr_ = p;
    return r;
  }
  // Adds a reference of its own (e.g. to keep a pointer a host lends us).
  static IPtr share(I* p) {
    if (p) p->addRef();
    return adopt(p);
  }

  IPtr(const IPtr& other) : ptr_(other.ptr_) {
    if (ptr_) ptr_->addRef();
  }
  IPtr(IPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  IPtr& operator=(IPtr other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~IPtr() {
    if (ptr_) ptr_->release();
  }

  I* get() const { return ptr_; }
  I* operator->() const { return ptr_; }
  I& operator*() const { return *ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

  void reset() { IPtr().swap(*this); }
  // Gives the reference to the caller.
  I* detach() { return std::exchange(ptr_, nullptr); }
  void swap(IPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

 private:
  I* ptr_ = nullptr;
};

// Asks `unknown` for interface I; empty when it is null or does not offer I.
template <class I>
IPtr<I> queryAs(FUnknown* unknown) {
  void* obj = nullptr;
  if (unknown && unknown->queryInterface(I::iid, &obj) == kResultOk && obj)
    return IPtr<I>::adopt(static_cast<I*>(obj));
  return {};
}

// For queryInterface implementations: when `iid` names interface I, stores `ptr` with one
// reference added into *obj and returns true.
template <class I>
bool queryAnswer(const TUID iid, void** obj, I* ptr) {
  if (!obj || !iidEqual(iid, I::iid)) return false;
  ptr->addRef();
  *obj = ptr;
  return true;
}

// The reference-counted object: one atomic count (starting at 1) for all of its interfaces;
// the object deletes itself when the count reaches 0. Answers FUnknown and IDependent with its
// primary base, which gives one stable FUnknown pointer per object.
//
// A class that adds interfaces must override queryInterface (answering its own and then asking
// its base) and route addRef/release to the base (CORVANE_VST3_REFCOUNT_METHODS), so that every
// interface sub-object reaches the one count.
class FObject : public IDependent {
 public:
  FObject() = default;
  FObject(const FObject&) = delete;
  FObject& operator=(const FObject&) = delete;
  virtual ~FObject() = default;

  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override;
  uint32 CORVANE_VST3_CALL addRef() override;
  uint32 CORVANE_VST3_CALL release() override;
  void CORVANE_VST3_CALL update(FUnknown* changedUnknown, int32 message) override {}

  int32 getRefCount() const { return refCount_.load(); }
  FUnknown* unknownCast() { return static_cast<IDependent*>(this); }

  // Run-time type names: className() is the object's own class name; isTypeOf(name) is true
  // for it and, when askBaseClass, for the names of its base classes up to "FObject".
  virtual const char* className() const { return "FObject"; }
  virtual bool isTypeOf(const char* name, bool askBaseClass = true) const;
  bool isA(const char* name) const { return isTypeOf(name, false); }

 protected:
  static bool classNameIs(const char* name, const char* own);

 private:
  std::atomic<int32> refCount_{1};
};

}  // namespace Steinberg

// addRef/release of a class with extra interfaces, routed to its base class's count.
#define CORVANE_VST3_REFCOUNT_METHODS(Base)                                           \
  ::Steinberg::uint32 CORVANE_VST3_CALL addRef() override { return Base::addRef(); }   \
  ::Steinberg::uint32 CORVANE_VST3_CALL release() override { return Base::release(); }
