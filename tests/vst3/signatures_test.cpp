// Compile-time check of every interface method against its published signature: exact
// parameter and return types and, on 32-bit Windows, the stdcall convention (initialising a
// member-function pointer of the published type fails to compile on any difference).
#include "iplug/vst3/layer/vst3.h"
#include "published_abi.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

#define PUBLISHED(Iface, method, R, ...)                                         \
  [[maybe_unused]] constexpr R(PUBLISHED_API Iface::*published_##Iface##_##method)( \
      __VA_ARGS__) = &Iface::method

namespace {
using i32 = std::int32_t;
using u32 = std::uint32_t;
using i16 = std::int16_t;
using i64 = std::int64_t;
using u8 = unsigned char;  // TBool
using cstr = const char*;  // FIDString, 16-byte ids, 8-bit text
using u16s = char16_t*;    // String128 buffers

PUBLISHED(FUnknown, queryInterface, i32, cstr, void**);
PUBLISHED(FUnknown, addRef, u32);
PUBLISHED(FUnknown, release, u32);
PUBLISHED(IPluginBase, initialize, i32, FUnknown*);
PUBLISHED(IPluginBase, terminate, i32);

PUBLISHED(IComponent, getControllerClassId, i32, char*);
PUBLISHED(IComponent, setIoMode, i32, i32);
PUBLISHED(IComponent, getBusCount, i32, i32, i32);
PUBLISHED(IComponent, getBusInfo, i32, i32, i32, i32, BusInfo&);
PUBLISHED(IComponent, getRoutingInfo, i32, RoutingInfo&, RoutingInfo&);
PUBLISHED(IComponent, activateBus, i32, i32, i32, i32, u8);
PUBLISHED(IComponent, setActive, i32, u8);
PUBLISHED(IComponent, setState, i32, IBStream*);
PUBLISHED(IComponent, getState, i32, IBStream*);

PUBLISHED(IAudioProcessor, setBusArrangements, i32, std::uint64_t*, i32, std::uint64_t*, i32);
PUBLISHED(IAudioProcessor, getBusArrangement, i32, i32, i32, std::uint64_t&);
PUBLISHED(IAudioProcessor, canProcessSampleSize, i32, i32);
PUBLISHED(IAudioProcessor, getLatencySamples, u32);
PUBLISHED(IAudioProcessor, setupProcessing, i32, ProcessSetup&);
PUBLISHED(IAudioProcessor, setProcessing, i32, u8);
PUBLISHED(IAudioProcessor, process, i32, ProcessData&);
PUBLISHED(IAudioProcessor, getTailSamples, u32);

PUBLISHED(IEditController, setComponentState, i32, IBStream*);
PUBLISHED(IEditController, setState, i32, IBStream*);
PUBLISHED(IEditController, getState, i32, IBStream*);
PUBLISHED(IEditController, getParameterCount, i32);
PUBLISHED(IEditController, getParameterInfo, i32, i32, ParameterInfo&);
PUBLISHED(IEditController, getParamStringByValue, i32, u32, double, u16s);
PUBLISHED(IEditController, getParamValueByString, i32, u32, u16s, double&);
PUBLISHED(IEditController, normalizedParamToPlain, double, u32, double);
PUBLISHED(IEditController, plainParamToNormalized, double, u32, double);
PUBLISHED(IEditController, getParamNormalized, double, u32);
PUBLISHED(IEditController, setParamNormalized, i32, u32, double);
PUBLISHED(IEditController, setComponentHandler, i32, IComponentHandler*);
PUBLISHED(IEditController, createView, IPlugView*, cstr);

PUBLISHED(IEditController2, setKnobMode, i32, i32);
PUBLISHED(IEditController2, openHelp, i32, u8);
PUBLISHED(IEditController2, openAboutBox, i32, u8);

PUBLISHED(IConnectionPoint, connect, i32, IConnectionPoint*);
PUBLISHED(IConnectionPoint, disconnect, i32, IConnectionPoint*);
PUBLISHED(IConnectionPoint, notify, i32, IMessage*);

PUBLISHED(IUnitInfo, getUnitCount, i32);
PUBLISHED(IUnitInfo, getUnitInfo, i32, i32, UnitInfo&);
PUBLISHED(IUnitInfo, getProgramListCount, i32);
PUBLISHED(IUnitInfo, getProgramListInfo, i32, i32, ProgramListInfo&);
PUBLISHED(IUnitInfo, getProgramName, i32, i32, i32, u16s);
PUBLISHED(IUnitInfo, getProgramInfo, i32, i32, i32, cstr, u16s);
PUBLISHED(IUnitInfo, hasProgramPitchNames, i32, i32, i32);
PUBLISHED(IUnitInfo, getProgramPitchName, i32, i32, i32, i16, u16s);
PUBLISHED(IUnitInfo, getSelectedUnit, i32);
PUBLISHED(IUnitInfo, selectUnit, i32, i32);
PUBLISHED(IUnitInfo, getUnitByBus, i32, i32, i32, i32, i32, i32&);
PUBLISHED(IUnitInfo, setUnitProgramData, i32, i32, i32, IBStream*);

PUBLISHED(IMidiMapping, getMidiControllerAssignment, i32, i32, i16, i16, u32&);

PUBLISHED(IPlugView, isPlatformTypeSupported, i32, cstr);
PUBLISHED(IPlugView, attached, i32, void*, cstr);
PUBLISHED(IPlugView, removed, i32);
PUBLISHED(IPlugView, onWheel, i32, float);
PUBLISHED(IPlugView, onKeyDown, i32, char16_t, i16, i16);
PUBLISHED(IPlugView, onKeyUp, i32, char16_t, i16, i16);
PUBLISHED(IPlugView, getSize, i32, ViewRect*);
PUBLISHED(IPlugView, onSize, i32, ViewRect*);
PUBLISHED(IPlugView, onFocus, i32, u8);
PUBLISHED(IPlugView, setFrame, i32, IPlugFrame*);
PUBLISHED(IPlugView, canResize, i32);
PUBLISHED(IPlugView, checkSizeConstraint, i32, ViewRect*);
PUBLISHED(IPlugFrame, resizeView, i32, IPlugView*, ViewRect*);

PUBLISHED(IPluginFactory, getFactoryInfo, i32, PFactoryInfo*);
PUBLISHED(IPluginFactory, countClasses, i32);
PUBLISHED(IPluginFactory, getClassInfo, i32, i32, PClassInfo*);
PUBLISHED(IPluginFactory, createInstance, i32, cstr, cstr, void**);
PUBLISHED(IPluginFactory2, getClassInfo2, i32, i32, PClassInfo2*);
PUBLISHED(IPluginFactory3, getClassInfoUnicode, i32, i32, PClassInfoW*);
PUBLISHED(IPluginFactory3, setHostContext, i32, FUnknown*);
PUBLISHED(IDependent, update, void, FUnknown*, i32);

PUBLISHED(IHostApplication, getName, i32, u16s);
PUBLISHED(IHostApplication, createInstance, i32, char*, char*, void**);
PUBLISHED(IComponentHandler, beginEdit, i32, u32);
PUBLISHED(IComponentHandler, performEdit, i32, u32, double);
PUBLISHED(IComponentHandler, endEdit, i32, u32);
PUBLISHED(IComponentHandler, restartComponent, i32, i32);
PUBLISHED(IComponentHandler2, setDirty, i32, u8);
PUBLISHED(IComponentHandler2, requestOpenEditor, i32, cstr);
PUBLISHED(IComponentHandler2, startGroupEdit, i32);
PUBLISHED(IComponentHandler2, finishGroupEdit, i32);
PUBLISHED(IComponentHandler3, createContextMenu, IContextMenu*, IPlugView*, const u32*);
PUBLISHED(IContextMenu, getItemCount, i32);
PUBLISHED(IContextMenu, getItem, i32, i32, IContextMenuItem&, IContextMenuTarget**);
PUBLISHED(IContextMenu, addItem, i32, const IContextMenuItem&, IContextMenuTarget*);
PUBLISHED(IContextMenu, removeItem, i32, const IContextMenuItem&, IContextMenuTarget*);
PUBLISHED(IContextMenu, popup, i32, i32, i32);
PUBLISHED(IContextMenuTarget, executeMenuItem, i32, i32);
PUBLISHED(IUnitHandler, notifyUnitSelection, i32, i32);
PUBLISHED(IUnitHandler, notifyProgramListChange, i32, i32, i32);

PUBLISHED(IBStream, read, i32, void*, i32, i32*);
PUBLISHED(IBStream, write, i32, void*, i32, i32*);
PUBLISHED(IBStream, seek, i32, i64, i32, i64*);
PUBLISHED(IBStream, tell, i32, i64*);
PUBLISHED(ISizeableStream, getStreamSize, i32, i64&);
PUBLISHED(ISizeableStream, setStreamSize, i32, i64);

PUBLISHED(IParameterChanges, getParameterCount, i32);
PUBLISHED(IParameterChanges, getParameterData, IParamValueQueue*, i32);
PUBLISHED(IParameterChanges, addParameterData, IParamValueQueue*, const u32&, i32&);
PUBLISHED(IParamValueQueue, getParameterId, u32);
PUBLISHED(IParamValueQueue, getPointCount, i32);
PUBLISHED(IParamValueQueue, getPoint, i32, i32, i32&, double&);
PUBLISHED(IParamValueQueue, addPoint, i32, i32, double, i32&);
PUBLISHED(IEventList, getEventCount, i32);
PUBLISHED(IEventList, getEvent, i32, i32, Event&);
PUBLISHED(IEventList, addEvent, i32, Event&);

PUBLISHED(IMessage, getMessageID, cstr);
PUBLISHED(IMessage, setMessageID, void, cstr);
PUBLISHED(IMessage, getAttributes, IAttributeList*);
PUBLISHED(IAttributeList, setInt, i32, cstr, i64);
PUBLISHED(IAttributeList, getInt, i32, cstr, i64&);
PUBLISHED(IAttributeList, setFloat, i32, cstr, double);
PUBLISHED(IAttributeList, getFloat, i32, cstr, double&);
PUBLISHED(IAttributeList, setString, i32, cstr, const char16_t*);
PUBLISHED(IAttributeList, getString, i32, cstr, u16s, u32);
PUBLISHED(IAttributeList, setBinary, i32, cstr, const void*, u32);
PUBLISHED(IAttributeList, getBinary, i32, cstr, const void*&, u32&);

// Interfaces carry no data and no destructor: just the vtable pointer.
static_assert(sizeof(IComponent) == sizeof(void*) && sizeof(IPlugView) == sizeof(void*), "no data");
static_assert(std::is_abstract_v<IEditController> && !std::has_virtual_destructor_v<FUnknown>,
              "interfaces have no virtual destructor");
}  // namespace
