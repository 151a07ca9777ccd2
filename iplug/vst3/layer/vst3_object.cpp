#include "vst3_object.h"

#include <cstring>

namespace Steinberg {

tresult CORVANE_VST3_CALL FObject::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (queryAnswer<FUnknown>(iid, obj, unknownCast()) ||
      queryAnswer<IDependent>(iid, obj, static_cast<IDependent*>(this)))
    return kResultOk;
  *obj = nullptr;
  return kNoInterface;
}

uint32 CORVANE_VST3_CALL FObject::addRef() { return static_cast<uint32>(++refCount_); }

uint32 CORVANE_VST3_CALL FObject::release() {
  const int32 left = --refCount_;
  if (left == 0) {
    refCount_ = -1000;  // a release from the destructor must not delete twice
    delete this;
    return 0;
  }
  return static_cast<uint32>(left);
}

bool FObject::classNameIs(const char* name, const char* own) {
  return name != nullptr && std::strcmp(name, own) == 0;
}

bool FObject::isTypeOf(const char* name, bool) const { return classNameIs(name, "FObject"); }

}  // namespace Steinberg
