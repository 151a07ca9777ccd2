#pragma once
// The GUI object the host creates beside an effect instance: AAX_CEffectGUI holds the host
// connections of a GUI (controller, transport, view container and the instance's
// effect-parameters interface); AAX_CEffectGUI_IPLUG binds it to the framework editor of that
// instance, opening the editor's window as a child of the host's view and closing it again.
// The GUI never owns the editor: the plug-in object does.

#include <cstdint>
#include <type_traits>

#include "iplug/aax/AAX_IEffectParameters.h"
#include "iplug/aax/AAX_VProxies.h"

class AAX_VController;
class AAX_VTransport;
class AAX_VViewContainer;
class IGraphics;
class IPlugAAX;

// {964E323D-424C-5E1A-2227-282423222E1E}
extern const acfIID IID_IAAXEffectGUI;

constexpr AAX_Result AAX_ERROR_NO_HOST_CONTEXT = -20011;

// The GUI interface as the host calls it (our own declaration, in the host's slot order; no
// destructor entry).
class AAX_IACFEffectGUI : public IACFUnknown {
 public:
  virtual AAX_Result ACF_CALLTYPE Initialize(IACFUnknown* hostContext) = 0;               // 3
  virtual AAX_Result ACF_CALLTYPE Uninitialize() = 0;                                    // 4
  virtual AAX_Result ACF_CALLTYPE Reserved5(const void* a, const void* b, const void* c) = 0;
  virtual AAX_Result ACF_CALLTYPE SetViewContainer(IACFUnknown* viewContainer) = 0;      // 6
  // {vertical, horizontal} as 32-bit floats.
  virtual AAX_Result ACF_CALLTYPE GetViewSize(float* size) const = 0;                    // 7
  virtual AAX_Result ACF_CALLTYPE Reserved8(const void* a) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved9() = 0;
  virtual AAX_Result ACF_CALLTYPE ParameterUpdated(const char* id) = 0;                  // 10
  virtual AAX_Result ACF_CALLTYPE Reserved11(const void* a, const void* b) = 0;
  virtual AAX_Result ACF_CALLTYPE Reserved12(const void* a, const void* b, const void* c) = 0;

 protected:
  ~AAX_IACFEffectGUI() = default;
};
static_assert(sizeof(AAX_IACFEffectGUI) == sizeof(void*), "interface is a table only");
static_assert(!std::has_virtual_destructor_v<AAX_IACFEffectGUI>,
              "a virtual destructor would shift the host's slots");

class AAX_IEffectGUI : public AAX_IACFEffectGUI, public CACFUnknown {};

class AAX_CEffectGUI : public AAX_IEffectGUI {
 public:
  AAX_CEffectGUI() = default;
  ~AAX_CEffectGUI() override;

  ACFRESULT ACF_CALLTYPE QueryInterface(const acfIID& iid, void** out) override;
  uint32_t ACF_CALLTYPE AddRef() override;
  uint32_t ACF_CALLTYPE Release() override;
  ACFRESULT InnerQueryInterface(const acfIID& iid, void** out) override;

  // -20011 without a host context. Connections of an earlier Initialize are dropped first.
  AAX_Result ACF_CALLTYPE Initialize(IACFUnknown* hostContext) override;
  // Closes the view and drops every host connection.
  AAX_Result ACF_CALLTYPE Uninitialize() override;
  AAX_Result ACF_CALLTYPE Reserved5(const void*, const void*, const void*) override { return 0; }
  // Null closes the view; a container opens the view in it (after closing one in another).
  AAX_Result ACF_CALLTYPE SetViewContainer(IACFUnknown* viewContainer) override;
  AAX_Result ACF_CALLTYPE GetViewSize(float* size) const override;
  AAX_Result ACF_CALLTYPE Reserved8(const void*) override { return 0; }
  AAX_Result ACF_CALLTYPE Reserved9() override { return 0; }
  AAX_Result ACF_CALLTYPE ParameterUpdated(const char*) override { return 0; }
  AAX_Result ACF_CALLTYPE Reserved11(const void*, const void*) override { return AAX_ERROR_NULL_OBJECT; }
  AAX_Result ACF_CALLTYPE Reserved12(const void*, const void*, const void*) override { return 0; }

  virtual void TakeGraphics() = 0;
  virtual void OpenView() = 0;
  virtual void CloseView() = 0;
  void RefreshAllParameters();

 protected:
  virtual void ViewSize(float* size) const {}
  void DropHostConnections();

  AAX_VController* mController = nullptr;
  AAX_IACFEffectParameters_V2* mEffectParameters = nullptr;  // one reference held
  AAX_VViewContainer* mViewContainer = nullptr;
  AAX_VTransport* mTransport = nullptr;
};

// The GUI of a framework plug-in: the editor of the IPlugAAX whose effect-parameters object the
// host handed over.
class AAX_CEffectGUI_IPLUG : public AAX_CEffectGUI {
 public:
  ~AAX_CEffectGUI_IPLUG() override;

  void TakeGraphics() override;
  void OpenView() override;
  void CloseView() override;

 protected:
  void ViewSize(float* size) const override;

 private:
  IPlugAAX* mPlug = nullptr;
  IGraphics* mGraphics = nullptr;  // the plug-in's editor; not owned
};

// The host's procedure 1: a new GUI object, without a reference; null when none can be made.
IACFUnknown* CreateGuiInstance();

// The framework plug-in behind an effect-parameters interface, when it is an IPlugAAX of this
// module that is still alive; null for anything else.
IPlugAAX* AAX_PlugOfEffectParameters(AAX_IACFEffectParameters_V2* parameters);
