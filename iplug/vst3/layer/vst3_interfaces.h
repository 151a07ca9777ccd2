// The VST3 interfaces: pure virtual methods in the published slot order, no data, no
// destructor (a virtual destructor would take a vtable slot). Slot numbers are given in the
// comments; slots 0-2 of every interface are queryInterface, addRef, release.
#pragma once

#include "vst3_structs.h"

namespace Steinberg {

class FUnknown {
 public:
  CORVANE_VST3_IID(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
  virtual tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) = 0;  // 0
  virtual uint32 CORVANE_VST3_CALL addRef() = 0;                                    // 1
  virtual uint32 CORVANE_VST3_CALL release() = 0;                                   // 2
};

// Base of the reference-counted object (change notifications; hosts never call it).
class IDependent : public FUnknown {
 public:
  CORVANE_VST3_IID(0xF52B7AAE, 0xDE72416D, 0x8AF18ACE, 0x9DD7BD5E);
  enum ChangeMessage : int32 { kWillChange, kChanged, kDestroyed, kWillDestroy };
  virtual void CORVANE_VST3_CALL update(FUnknown* changedUnknown, int32 message) = 0;  // 3
};

class IPluginBase : public FUnknown {
 public:
  CORVANE_VST3_IID(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
  virtual tresult CORVANE_VST3_CALL initialize(FUnknown* context) = 0;  // 3
  virtual tresult CORVANE_VST3_CALL terminate() = 0;                    // 4
};

class IBStream : public FUnknown {
 public:
  CORVANE_VST3_IID(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
  virtual tresult CORVANE_VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;  // 3
  virtual tresult CORVANE_VST3_CALL write(void* buffer, int32 numBytes,
                                          int32* numBytesWritten) = 0;                   // 4
  virtual tresult CORVANE_VST3_CALL seek(int64 pos, int32 mode, int64* result) = 0;      // 5
  virtual tresult CORVANE_VST3_CALL tell(int64* pos) = 0;                                // 6
};

class ISizeableStream : public FUnknown {
 public:
  CORVANE_VST3_IID(0x04F9549E, 0xE02F4E6E, 0x87E86A87, 0x47F4E17F);
  virtual tresult CORVANE_VST3_CALL getStreamSize(int64& size) = 0;  // 3
  virtual tresult CORVANE_VST3_CALL setStreamSize(int64 size) = 0;   // 4
};

class IPlugView;

class IPlugFrame : public FUnknown {
 public:
  CORVANE_VST3_IID(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
  virtual tresult CORVANE_VST3_CALL resizeView(IPlugView* view, ViewRect* newSize) = 0;  // 3
};

class IPlugView : public FUnknown {
 public:
  CORVANE_VST3_IID(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
  virtual tresult CORVANE_VST3_CALL isPlatformTypeSupported(FIDString type) = 0;     // 3
  virtual tresult CORVANE_VST3_CALL attached(void* parent, FIDString type) = 0;      // 4
  virtual tresult CORVANE_VST3_CALL removed() = 0;                                   // 5
  virtual tresult CORVANE_VST3_CALL onWheel(float distance) = 0;                     // 6
  virtual tresult CORVANE_VST3_CALL onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;  // 7
  virtual tresult CORVANE_VST3_CALL onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;    // 8
  virtual tresult CORVANE_VST3_CALL getSize(ViewRect* size) = 0;                     // 9
  virtual tresult CORVANE_VST3_CALL onSize(ViewRect* newSize) = 0;                   // 10
  virtual tresult CORVANE_VST3_CALL onFocus(TBool state) = 0;                        // 11
  virtual tresult CORVANE_VST3_CALL setFrame(IPlugFrame* frame) = 0;                 // 12
  virtual tresult CORVANE_VST3_CALL canResize() = 0;                                 // 13
  virtual tresult CORVANE_VST3_CALL checkSizeConstraint(ViewRect* rect) = 0;         // 14
};

class IPluginFactory : public FUnknown {
 public:
  CORVANE_VST3_IID(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
  virtual tresult CORVANE_VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;               // 3
  virtual int32 CORVANE_VST3_CALL countClasses() = 0;                                     // 4
  virtual tresult CORVANE_VST3_CALL getClassInfo(int32 index, PClassInfo* info) = 0;      // 5
  virtual tresult CORVANE_VST3_CALL createInstance(FIDString cid, FIDString iid, void** obj) = 0;  // 6
};

class IPluginFactory2 : public IPluginFactory {
 public:
  CORVANE_VST3_IID(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
  virtual tresult CORVANE_VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) = 0;  // 7
};

class IPluginFactory3 : public IPluginFactory2 {
 public:
  CORVANE_VST3_IID(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
  virtual tresult CORVANE_VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;  // 8
  virtual tresult CORVANE_VST3_CALL setHostContext(FUnknown* context) = 0;                   // 9
};

namespace Vst {

// ---------------------------------------------------------------------------------------------
// Host side: objects the plug-in receives and calls

class IHostApplication : public FUnknown {
 public:
  CORVANE_VST3_IID(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
  virtual tresult CORVANE_VST3_CALL getName(TChar* name) = 0;  // 3 (String128 buffer)
  virtual tresult CORVANE_VST3_CALL createInstance(TUID cid, TUID iid, void** obj) = 0;  // 4
};

class IComponentHandler : public FUnknown {
 public:
  CORVANE_VST3_IID(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
  virtual tresult CORVANE_VST3_CALL beginEdit(ParamID id) = 0;                              // 3
  virtual tresult CORVANE_VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) = 0;  // 4
  virtual tresult CORVANE_VST3_CALL endEdit(ParamID id) = 0;                                // 5
  virtual tresult CORVANE_VST3_CALL restartComponent(int32 flags) = 0;                      // 6
};

class IComponentHandler2 : public FUnknown {
 public:
  CORVANE_VST3_IID(0xF040B4B3, 0xA36045EC, 0xABCDC045, 0xB4D5A2CC);
  virtual tresult CORVANE_VST3_CALL setDirty(TBool state) = 0;              // 3
  virtual tresult CORVANE_VST3_CALL requestOpenEditor(FIDString name) = 0;  // 4
  virtual tresult CORVANE_VST3_CALL startGroupEdit() = 0;                   // 5
  virtual tresult CORVANE_VST3_CALL finishGroupEdit() = 0;                  // 6
};

class IContextMenuTarget : public FUnknown {
 public:
  CORVANE_VST3_IID(0x3CDF2E75, 0x85D34144, 0xBF86D36B, 0xD7C4894D);
  virtual tresult CORVANE_VST3_CALL executeMenuItem(int32 tag) = 0;  // 3
};

class IContextMenu : public FUnknown {
 public:
  CORVANE_VST3_IID(0x2E93C863, 0x0C9C4588, 0x97DBECF5, 0xAD17817D);
  using Item = IContextMenuItem;
  virtual int32 CORVANE_VST3_CALL getItemCount() = 0;  // 3
  virtual tresult CORVANE_VST3_CALL getItem(int32 index, Item& item,
                                            IContextMenuTarget** target) = 0;           // 4
  virtual tresult CORVANE_VST3_CALL addItem(const Item& item, IContextMenuTarget* target) = 0;     // 5
  virtual tresult CORVANE_VST3_CALL removeItem(const Item& item, IContextMenuTarget* target) = 0;  // 6
  virtual tresult CORVANE_VST3_CALL popup(UCoord x, UCoord y) = 0;                                 // 7
};

class IComponentHandler3 : public FUnknown {
 public:
  CORVANE_VST3_IID(0x69F11617, 0xD26B400D, 0xA4B6B964, 0x7B6EBBAB);
  // Returns a menu carrying one reference, or null; paramID may be null (generic menu).
  virtual IContextMenu* CORVANE_VST3_CALL createContextMenu(IPlugView* plugView,
                                                            const ParamID* paramID) = 0;  // 3
};

class IUnitHandler : public FUnknown {
 public:
  CORVANE_VST3_IID(0x4B5147F8, 0x4654486B, 0x8DAB30BA, 0x163A3C56);
  virtual tresult CORVANE_VST3_CALL notifyUnitSelection(UnitID unitId) = 0;  // 3
  virtual tresult CORVANE_VST3_CALL notifyProgramListChange(ProgramListID listId,
                                                            int32 programIndex) = 0;  // 4
};

class IParamValueQueue : public FUnknown {
 public:
  CORVANE_VST3_IID(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
  virtual ParamID CORVANE_VST3_CALL getParameterId() = 0;  // 3
  virtual int32 CORVANE_VST3_CALL getPointCount() = 0;     // 4
  virtual tresult CORVANE_VST3_CALL getPoint(int32 index, int32& sampleOffset,
                                             ParamValue& value) = 0;  // 5
  virtual tresult CORVANE_VST3_CALL addPoint(int32 sampleOffset, ParamValue value,
                                             int32& index) = 0;  // 6
};

class IParameterChanges : public FUnknown {
 public:
  CORVANE_VST3_IID(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
  virtual int32 CORVANE_VST3_CALL getParameterCount() = 0;  // 3
  // Borrowed (no reference added); null for an invalid index.
  virtual IParamValueQueue* CORVANE_VST3_CALL getParameterData(int32 index) = 0;  // 4
  virtual IParamValueQueue* CORVANE_VST3_CALL addParameterData(const ParamID& id,
                                                               int32& index) = 0;  // 5
};

class IEventList : public FUnknown {
 public:
  CORVANE_VST3_IID(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
  virtual int32 CORVANE_VST3_CALL getEventCount() = 0;               // 3
  virtual tresult CORVANE_VST3_CALL getEvent(int32 index, Event& e) = 0;  // 4
  virtual tresult CORVANE_VST3_CALL addEvent(Event& e) = 0;              // 5
};

class IAttributeList : public FUnknown {
 public:
  CORVANE_VST3_IID(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);
  using AttrID = const char8*;
  virtual tresult CORVANE_VST3_CALL setInt(AttrID id, int64 value) = 0;         // 3
  virtual tresult CORVANE_VST3_CALL getInt(AttrID id, int64& value) = 0;        // 4
  virtual tresult CORVANE_VST3_CALL setFloat(AttrID id, double value) = 0;      // 5
  virtual tresult CORVANE_VST3_CALL getFloat(AttrID id, double& value) = 0;     // 6
  virtual tresult CORVANE_VST3_CALL setString(AttrID id, const TChar* string) = 0;  // 7
  virtual tresult CORVANE_VST3_CALL getString(AttrID id, TChar* string,
                                              uint32 sizeInBytes) = 0;  // 8
  virtual tresult CORVANE_VST3_CALL setBinary(AttrID id, const void* data,
                                              uint32 sizeInBytes) = 0;  // 9
  virtual tresult CORVANE_VST3_CALL getBinary(AttrID id, const void*& data,
                                              uint32& sizeInBytes) = 0;  // 10
};

class IMessage : public FUnknown {
 public:
  CORVANE_VST3_IID(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);
  virtual FIDString CORVANE_VST3_CALL getMessageID() = 0;           // 3
  virtual void CORVANE_VST3_CALL setMessageID(FIDString id) = 0;    // 4
  virtual IAttributeList* CORVANE_VST3_CALL getAttributes() = 0;    // 5 (borrowed)
};

// ---------------------------------------------------------------------------------------------
// Plug-in side: what the component and controller object offers

class IConnectionPoint : public FUnknown {
 public:
  CORVANE_VST3_IID(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
  virtual tresult CORVANE_VST3_CALL connect(IConnectionPoint* other) = 0;     // 3
  virtual tresult CORVANE_VST3_CALL disconnect(IConnectionPoint* other) = 0;  // 4
  virtual tresult CORVANE_VST3_CALL notify(IMessage* message) = 0;            // 5
};

class IComponent : public IPluginBase {
 public:
  CORVANE_VST3_IID(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
  virtual tresult CORVANE_VST3_CALL getControllerClassId(TUID classId) = 0;         // 5
  virtual tresult CORVANE_VST3_CALL setIoMode(IoMode mode) = 0;                     // 6
  virtual int32 CORVANE_VST3_CALL getBusCount(MediaType type, BusDirection dir) = 0;  // 7
  virtual tresult CORVANE_VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index,
                                               BusInfo& bus) = 0;  // 8
  virtual tresult CORVANE_VST3_CALL getRoutingInfo(RoutingInfo& inInfo,
                                                   RoutingInfo& outInfo) = 0;  // 9
  virtual tresult CORVANE_VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index,
                                                TBool state) = 0;  // 10
  virtual tresult CORVANE_VST3_CALL setActive(TBool state) = 0;    // 11
  virtual tresult CORVANE_VST3_CALL setState(IBStream* state) = 0;  // 12
  virtual tresult CORVANE_VST3_CALL getState(IBStream* state) = 0;  // 13
};

class IAudioProcessor : public FUnknown {
 public:
  CORVANE_VST3_IID(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
  virtual tresult CORVANE_VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                       SpeakerArrangement* outputs,
                                                       int32 numOuts) = 0;  // 3
  virtual tresult CORVANE_VST3_CALL getBusArrangement(BusDirection dir, int32 index,
                                                      SpeakerArrangement& arr) = 0;  // 4
  virtual tresult CORVANE_VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) = 0;  // 5
  virtual uint32 CORVANE_VST3_CALL getLatencySamples() = 0;                             // 6
  virtual tresult CORVANE_VST3_CALL setupProcessing(ProcessSetup& setup) = 0;           // 7
  virtual tresult CORVANE_VST3_CALL setProcessing(TBool state) = 0;                     // 8
  virtual tresult CORVANE_VST3_CALL process(ProcessData& data) = 0;                     // 9
  virtual uint32 CORVANE_VST3_CALL getTailSamples() = 0;                                // 10
};

class IEditController : public IPluginBase {
 public:
  CORVANE_VST3_IID(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
  virtual tresult CORVANE_VST3_CALL setComponentState(IBStream* state) = 0;  // 5
  virtual tresult CORVANE_VST3_CALL setState(IBStream* state) = 0;           // 6
  virtual tresult CORVANE_VST3_CALL getState(IBStream* state) = 0;           // 7
  virtual int32 CORVANE_VST3_CALL getParameterCount() = 0;                   // 8
  virtual tresult CORVANE_VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;  // 9
  virtual tresult CORVANE_VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                          TChar* string) = 0;  // 10 (String128)
  virtual tresult CORVANE_VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                          ParamValue& valueNormalized) = 0;  // 11
  virtual ParamValue CORVANE_VST3_CALL normalizedParamToPlain(ParamID id,
                                                              ParamValue valueNormalized) = 0;  // 12
  virtual ParamValue CORVANE_VST3_CALL plainParamToNormalized(ParamID id,
                                                              ParamValue plainValue) = 0;  // 13
  virtual ParamValue CORVANE_VST3_CALL getParamNormalized(ParamID id) = 0;               // 14
  virtual tresult CORVANE_VST3_CALL setParamNormalized(ParamID id, ParamValue value) = 0;  // 15
  virtual tresult CORVANE_VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;   // 16
  // Returns a view carrying one reference, or null.
  virtual IPlugView* CORVANE_VST3_CALL createView(FIDString name) = 0;  // 17
};

class IEditController2 : public FUnknown {
 public:
  CORVANE_VST3_IID(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
  virtual tresult CORVANE_VST3_CALL setKnobMode(KnobMode mode) = 0;      // 3
  virtual tresult CORVANE_VST3_CALL openHelp(TBool onlyCheck) = 0;       // 4
  virtual tresult CORVANE_VST3_CALL openAboutBox(TBool onlyCheck) = 0;   // 5
};

class IUnitInfo : public FUnknown {
 public:
  CORVANE_VST3_IID(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
  virtual int32 CORVANE_VST3_CALL getUnitCount() = 0;                                  // 3
  virtual tresult CORVANE_VST3_CALL getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;  // 4
  virtual int32 CORVANE_VST3_CALL getProgramListCount() = 0;                           // 5
  virtual tresult CORVANE_VST3_CALL getProgramListInfo(int32 listIndex,
                                                       ProgramListInfo& info) = 0;  // 6
  virtual tresult CORVANE_VST3_CALL getProgramName(ProgramListID listId, int32 programIndex,
                                                   TChar* name) = 0;  // 7 (String128)
  virtual tresult CORVANE_VST3_CALL getProgramInfo(ProgramListID listId, int32 programIndex,
                                                   CString attributeId,
                                                   TChar* attributeValue) = 0;  // 8 (String128)
  virtual tresult CORVANE_VST3_CALL hasProgramPitchNames(ProgramListID listId,
                                                         int32 programIndex) = 0;  // 9
  virtual tresult CORVANE_VST3_CALL getProgramPitchName(ProgramListID listId, int32 programIndex,
                                                        int16 midiPitch, TChar* name) = 0;  // 10
  virtual UnitID CORVANE_VST3_CALL getSelectedUnit() = 0;            // 11
  virtual tresult CORVANE_VST3_CALL selectUnit(UnitID unitId) = 0;   // 12
  virtual tresult CORVANE_VST3_CALL getUnitByBus(MediaType type, BusDirection dir, int32 busIndex,
                                                 int32 channel, UnitID& unitId) = 0;  // 13
  virtual tresult CORVANE_VST3_CALL setUnitProgramData(int32 listOrUnitId, int32 programIndex,
                                                       IBStream* data) = 0;  // 14
};

class IMidiMapping : public FUnknown {
 public:
  CORVANE_VST3_IID(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
  virtual tresult CORVANE_VST3_CALL getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                                CtrlNumber midiControllerNumber,
                                                                ParamID& id) = 0;  // 3
};

}  // namespace Vst
}  // namespace Steinberg
