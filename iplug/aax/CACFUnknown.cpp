#include "iplug/aax/CACFUnknown.h"

#include <cstring>

const acfIID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

bool operator==(const acfIID& a, const acfIID& b) {
  return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
         std::memcmp(a.Data4, b.Data4, sizeof(a.Data4)) == 0;
}

std::atomic<int32_t> CACFUnknown::sActiveObjectCount{0};

CACFUnknown::CACFUnknown() : mOuterUnknown(&mPrivateUnknown), mPrivateUnknown(this) {
  sActiveObjectCount.fetch_add(1);
}

CACFUnknown::~CACFUnknown() { sActiveObjectCount.fetch_sub(1); }

ACFRESULT CACFUnknown::OnCreate(void*) { return 0; }

void CACFUnknown::OnFinalRelease() {}

void CACFUnknown::DeleteSelf() { delete this; }

ACFRESULT CACFUnknown::InnerQueryInterface(const acfIID& iid, void** out) {
  if (!out) return ACF_E_NOINTERFACE;
  *out = nullptr;
  if (iid == IID_IUnknown) {
    IACFUnknown* unknown = &mPrivateUnknown;
    *out = unknown;
    unknown->AddRef();
    return ACF_OK;
  }
  return ACF_E_NOINTERFACE;
}

uint32_t CACFUnknown::InnerAddRef() { return static_cast<uint32_t>(mRefCount.fetch_add(1) + 1); }

uint32_t CACFUnknown::InnerRelease() {
  const int32_t count = mRefCount.fetch_sub(1) - 1;
  if (count == 0) {
    OnFinalRelease();
    DeleteSelf();
  }
  return static_cast<uint32_t>(count);
}

int32_t CACFUnknown::GetActiveObjectCount() { return sActiveObjectCount.load(); }

ACFRESULT ACF_CALLTYPE CACFUnknown::PrivateUnknown::QueryInterface(const acfIID& iid, void** out) {
  return mOwner->InnerQueryInterface(iid, out);
}

uint32_t ACF_CALLTYPE CACFUnknown::PrivateUnknown::AddRef() { return mOwner->InnerAddRef(); }

uint32_t ACF_CALLTYPE CACFUnknown::PrivateUnknown::Release() { return mOwner->InnerRelease(); }
