#pragma once
// The host's component model as far as every AAX object of the module takes part in it:
// interface identifiers, the base interface IACFUnknown, and CACFUnknown, the reference
// counting part that also keeps the module-wide count of live objects.

#include <atomic>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define ACF_CALLTYPE __stdcall
#else
#define ACF_CALLTYPE
#endif

typedef int32_t ACFRESULT;
constexpr ACFRESULT ACF_OK = 0;
constexpr ACFRESULT ACF_E_NOINTERFACE = static_cast<ACFRESULT>(0x80000004u);

// A 16-byte interface identifier.
struct acfIID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

// Member by member: 32-bit, 16-bit, 16-bit, then the 8 bytes.
bool operator==(const acfIID& a, const acfIID& b);
inline bool operator!=(const acfIID& a, const acfIID& b) { return !(a == b); }

// {00000000-0000-0000-C000-000000000046}
extern const acfIID IID_IUnknown;

class IACFUnknown {
 public:
  virtual ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) = 0;
  virtual uint32_t ACF_CALLTYPE AddRef() = 0;
  virtual uint32_t ACF_CALLTYPE Release() = 0;

 protected:
  ~IACFUnknown() = default;
};

// Derived classes answer QueryInterface, AddRef and Release of their host-facing interface by
// passing them to OuterUnknown(). An object starts with no reference and is deleted by the
// Release that brings its count to zero.
class CACFUnknown {
 public:
  CACFUnknown();
  virtual ~CACFUnknown();
  CACFUnknown(const CACFUnknown&) = delete;
  CACFUnknown& operator=(const CACFUnknown&) = delete;

  virtual ACFRESULT OnCreate(void* context);  // 0; nothing calls it
  virtual void OnFinalRelease();              // nothing
  virtual void DeleteSelf();                  // delete this
  // Base answers only IUnknown (the private unknown, one reference added); else
  // ACF_E_NOINTERFACE. The out pointer is always set, to null when nothing is answered.
  virtual ACFRESULT InnerQueryInterface(const acfIID& iid, void** out);
  virtual uint32_t InnerAddRef();
  virtual uint32_t InnerRelease();

  static int32_t GetActiveObjectCount();

  IACFUnknown* OuterUnknown() const { return mOuterUnknown; }
  int32_t GetRefCount() const { return mRefCount.load(); }

 private:
  class PrivateUnknown : public IACFUnknown {
   public:
    explicit PrivateUnknown(CACFUnknown* owner) : mOwner(owner) {}
    ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) override;
    uint32_t ACF_CALLTYPE AddRef() override;
    uint32_t ACF_CALLTYPE Release() override;

   private:
    CACFUnknown* mOwner;
  };

  std::atomic<int32_t> mRefCount{0};
  IACFUnknown* mOuterUnknown;
  PrivateUnknown mPrivateUnknown;

  static std::atomic<int32_t> sActiveObjectCount;
};
