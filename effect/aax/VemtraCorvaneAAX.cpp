// The effect's AAX module entries: the description and the creation of instances.
#include "effect/aax/VemtraCorvaneAAX.h"

#include <new>

#include "effect/VemtraCorvane.h"
#include "iplug/aax/AAX_CEffectGUI.h"
#include "iplug/aax/AAX_Description.h"

#if defined(_WIN32)
#include "iplug/igraphicswin/IGraphicsWin.h"
#endif

IPlugAAX* CreatePlugObject() {
#if defined(_WIN32)
  // The editor finds its window class and bitmaps through the instance the library entry kept.
  if (!GetPlugModuleInstance()) SetPlugModuleInstance(static_cast<HINSTANCE>(AAX_GetModuleInstance()));
#endif
  return new (std::nothrow) VemtraCorvane;
}

IACFUnknown* CreateParametersInstance() { return AAX_CreateParametersInstance(&CreatePlugObject); }

AAX_Result DescribePlugIn(AAX_ICollection& collection) {
  AaxEffectDescription effect{};
  effect.effectNames = VemtraCorvaneAAX::kEffectNames;
  effect.makerNames = VemtraCorvaneAAX::kMakerNames;
  effect.channelIO = VemtraCorvane::kChannelIO;
  effect.effectId = VemtraCorvaneAAX::kEffectId;
  effect.packageVersion = VemtraCorvaneAAX::kPackageVersion;
  effect.descriptorValue = VemtraCorvaneAAX::kDescriptorValue;
  effect.manufacturerId = static_cast<uint32_t>(VemtraCorvane::kMakerId);
  effect.productId = static_cast<uint32_t>(VemtraCorvane::kUniqueId);
  effect.typeIds = VemtraCorvaneAAX::kTypeIds;
  effect.typeIdRows = 2;
  effect.localMidi = false;  // the effect takes no MIDI
  effect.localMidiName = VemtraCorvaneAAX::kLocalMidiName;
  effect.createParameters = &CreateParametersInstance;
  effect.createGui = &CreateGuiInstance;
  return AAX_DescribeEffect(collection, effect);
}
