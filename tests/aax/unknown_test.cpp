#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "iplug/aax/CACFUnknown.h"

namespace {

// {964E333D-334C-533F-C2C7-3834C3C23E3E}, standing for an object's own interface.
const acfIID kOwnIID = {0x964E333D, 0x334C, 0x533F, {0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E}};

class IOwnInterface : public IACFUnknown {
 public:
  virtual int32_t Answer() = 0;

 protected:
  ~IOwnInterface() = default;
};

// An object built the way the module's objects are: the host-facing interface first, then the
// counting part; the interface operations go to the outer unknown.
class Counted : public IOwnInterface, public CACFUnknown {
 public:
  explicit Counted(int* finalReleases = nullptr, int* destroyed = nullptr)
      : mFinalReleases(finalReleases), mDestroyed(destroyed) {}
  ~Counted() override {
    if (mDestroyed) ++*mDestroyed;
  }

  ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) override {
    return OuterUnknown()->QueryInterface(iid, out);
  }
  uint32_t ACF_CALLTYPE AddRef() override { return OuterUnknown()->AddRef(); }
  uint32_t ACF_CALLTYPE Release() override { return OuterUnknown()->Release(); }
  int32_t Answer() override { return 42; }

  ACFRESULT InnerQueryInterface(const acfIID& iid, void** out) override {
    if (out && iid == kOwnIID) {
      IOwnInterface* own = this;
      *out = own;
      own->AddRef();
      return ACF_OK;
    }
    return CACFUnknown::InnerQueryInterface(iid, out);
  }
  void OnFinalRelease() override {
    if (mFinalReleases) ++*mFinalReleases;
  }

 private:
  int* mFinalReleases;
  int* mDestroyed;
};

TEST(ACFUnknown, IdentifiersCompareEveryMember) {
  acfIID other = kOwnIID;
  EXPECT_TRUE(other == kOwnIID);
  other.Data4[7] ^= 1;
  EXPECT_TRUE(other != kOwnIID);
  other = kOwnIID;
  other.Data3 ^= 1;
  EXPECT_TRUE(other != kOwnIID);
  other = kOwnIID;
  other.Data1 ^= 0x80000000u;
  EXPECT_TRUE(other != kOwnIID);
  EXPECT_EQ(0x00000046u, IID_IUnknown.Data4[7] | 0u);
  EXPECT_EQ(0xC0u, IID_IUnknown.Data4[0] | 0u);
}

TEST(ACFUnknown, LifetimeFollowsReferencesAndTheLiveCount) {
  const int32_t before = CACFUnknown::GetActiveObjectCount();
  int finals = 0, destroyed = 0;
  Counted* object = new Counted(&finals, &destroyed);
  EXPECT_EQ(before + 1, CACFUnknown::GetActiveObjectCount());
  EXPECT_EQ(0, object->GetRefCount());

  EXPECT_EQ(1u, object->AddRef());
  EXPECT_EQ(2u, object->AddRef());
  EXPECT_EQ(1u, object->Release());
  EXPECT_EQ(0, destroyed);
  EXPECT_EQ(before + 1, CACFUnknown::GetActiveObjectCount());

  EXPECT_EQ(0u, object->Release());
  EXPECT_EQ(1, finals);
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(before, CACFUnknown::GetActiveObjectCount());
}

TEST(ACFUnknown, QueryInterfaceAnswersOwnAndIUnknownAndRefusesOthers) {
  const int32_t before = CACFUnknown::GetActiveObjectCount();
  int destroyed = 0;
  Counted* object = new Counted(nullptr, &destroyed);

  void* out = reinterpret_cast<void*>(1);
  const acfIID unknownIID = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  EXPECT_EQ(static_cast<ACFRESULT>(0x80000004u), object->QueryInterface(unknownIID, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_EQ(0, object->GetRefCount());

  void* own = nullptr;
  ASSERT_EQ(ACF_OK, object->QueryInterface(kOwnIID, &own));
  EXPECT_EQ(static_cast<IOwnInterface*>(object), own);
  EXPECT_EQ(42, static_cast<IOwnInterface*>(own)->Answer());
  EXPECT_EQ(1, object->GetRefCount());

  void* unknown = nullptr;
  ASSERT_EQ(ACF_OK, object->QueryInterface(IID_IUnknown, &unknown));
  EXPECT_EQ(object->OuterUnknown(), unknown);
  EXPECT_EQ(2, object->GetRefCount());

  // The private unknown leads back to the same object and its count.
  void* again = nullptr;
  ASSERT_EQ(ACF_OK, static_cast<IACFUnknown*>(unknown)->QueryInterface(kOwnIID, &again));
  EXPECT_EQ(own, again);
  EXPECT_EQ(3, object->GetRefCount());

  EXPECT_EQ(ACF_E_NOINTERFACE, object->QueryInterface(kOwnIID, nullptr));
  EXPECT_EQ(3, object->GetRefCount());

  static_cast<IACFUnknown*>(again)->Release();
  static_cast<IACFUnknown*>(unknown)->Release();
  EXPECT_EQ(0, destroyed);
  static_cast<IOwnInterface*>(own)->Release();
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(before, CACFUnknown::GetActiveObjectCount());
}

TEST(ACFUnknown, ReferencesFromManyThreadsDeleteExactlyOnce) {
  const int32_t before = CACFUnknown::GetActiveObjectCount();
  constexpr int kThreads = 8;
  constexpr int kRounds = 5000;
  int destroyed = 0;
  Counted* object = new Counted(nullptr, &destroyed);
  object->AddRef();  // the test's own reference keeps it alive
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        object->AddRef();
        object->Release();
      }
      for (int i = 0; i < 10; ++i) {  // objects made and dropped on many threads at once
        Counted* local = new Counted;
        local->AddRef();
        local->Release();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(1, object->GetRefCount());
  EXPECT_EQ(before + 1, CACFUnknown::GetActiveObjectCount());
  EXPECT_EQ(0u, object->Release());
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(before, CACFUnknown::GetActiveObjectCount());
}

}  // namespace
