// The GUI object: host connections, the view container the host hands over, and the framework
// editor's window opened inside it.

#include "iplug/aax/AAX_CEffectGUI.h"

#include <new>

#include "iplug/aax/AAX_CString.h"
#include "iplug/aax/AAX_VProxies.h"
#include "iplug/aax/IPlugAAX.h"
#include "iplug/igraphics/IGraphics.h"

const acfIID IID_IAAXEffectGUI = {
    0x964E323D, 0x424C, 0x5E1A, {0x22, 0x27, 0x28, 0x24, 0x23, 0x22, 0x2E, 0x1E}};

// ---- AAX_CEffectGUI ---------------------------------------------------------------------------

AAX_CEffectGUI::~AAX_CEffectGUI() {
  DropHostConnections();
  delete mViewContainer;
}

ACFRESULT ACF_CALLTYPE AAX_CEffectGUI::QueryInterface(const acfIID& iid, void** out) {
  return OuterUnknown()->QueryInterface(iid, out);
}

uint32_t ACF_CALLTYPE AAX_CEffectGUI::AddRef() { return OuterUnknown()->AddRef(); }

uint32_t ACF_CALLTYPE AAX_CEffectGUI::Release() { return OuterUnknown()->Release(); }

ACFRESULT AAX_CEffectGUI::InnerQueryInterface(const acfIID& iid, void** out) {
  if (out && iid == IID_IAAXEffectGUI) {
    AAX_IACFEffectGUI* self = this;
    *out = self;
    self->AddRef();
    return ACF_OK;
  }
  return CACFUnknown::InnerQueryInterface(iid, out);
}

void AAX_CEffectGUI::DropHostConnections() {
  if (mEffectParameters) mEffectParameters->Release();
  mEffectParameters = nullptr;
  delete mController;
  mController = nullptr;
  delete mTransport;
  mTransport = nullptr;
}

AAX_Result ACF_CALLTYPE AAX_CEffectGUI::Initialize(IACFUnknown* hostContext) {
  return AAX_GuardSlot([&] {
    Uninitialize();
    mController = new (std::nothrow) AAX_VController(hostContext);
    if (!hostContext || !mController) return AAX_ERROR_NO_HOST_CONTEXT;
    void* parameters = nullptr;
    hostContext->QueryInterface(IID_IAAXEffectParameters, &parameters);
    mEffectParameters = static_cast<AAX_IACFEffectParameters_V2*>(parameters);
    mTransport = new (std::nothrow) AAX_VTransport(hostContext);
    TakeGraphics();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectGUI::Uninitialize() {
  return AAX_GuardSlot([&] {
    // The editor belongs to the instance this GUI is about to let go of.
    CloseView();
    DropHostConnections();
    TakeGraphics();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectGUI::SetViewContainer(IACFUnknown* viewContainer) {
  return AAX_GuardSlot([&] {
    // The window lives in one view at a time: it leaves the old one before the proxy goes.
    CloseView();
    delete mViewContainer;
    mViewContainer = nullptr;
    if (!viewContainer) return AAX_Result(0);
    mViewContainer = new (std::nothrow) AAX_VViewContainer(viewContainer);
    OpenView();
    RefreshAllParameters();
    return AAX_Result(0);
  });
}

AAX_Result ACF_CALLTYPE AAX_CEffectGUI::GetViewSize(float* size) const {
  return AAX_GuardSlot([&] {
    if (size) ViewSize(size);
    return AAX_Result(0);
  });
}

void AAX_CEffectGUI::RefreshAllParameters() {
  if (!mEffectParameters) return;
  int32_t count = 0;
  if (mEffectParameters->CountParameters(&count) != 0) return;
  for (int32_t i = 0; i < count; ++i) {
    AAX_CString id;
    if (mEffectParameters->LookUpIdentifier(i, &id) == 0) ParameterUpdated(id.Get());
  }
}

// ---- AAX_CEffectGUI_IPLUG ---------------------------------------------------------------------

AAX_CEffectGUI_IPLUG::~AAX_CEffectGUI_IPLUG() {
  // While the host still holds the instance through this GUI, its editor is alive.
  CloseView();
}

void AAX_CEffectGUI_IPLUG::TakeGraphics() {
  mPlug = AAX_PlugOfEffectParameters(mEffectParameters);
  mGraphics = mPlug ? dynamic_cast<IGraphics*>(mPlug->GetGUI()) : nullptr;
}

void AAX_CEffectGUI_IPLUG::OpenView() {
  void* parent = mViewContainer ? mViewContainer->GetNativeView() : nullptr;
  if (!parent || !mGraphics) return;
  mPlug->SetEditorViewContainer(mViewContainer);
  mGraphics->OpenEditorWindow(parent);
}

void AAX_CEffectGUI_IPLUG::CloseView() {
  if (!mGraphics) return;
  mGraphics->CloseEditorWindow();
  // A resize asked for later must not reach a view this GUI has let go of.
  if (mPlug->GetEditorViewContainer() == mViewContainer) mPlug->SetEditorViewContainer(nullptr);
}

void AAX_CEffectGUI_IPLUG::ViewSize(float* size) const {
  if (!mGraphics) return;
  size[0] = static_cast<float>(mGraphics->Height());
  size[1] = static_cast<float>(mGraphics->Width());
}

IACFUnknown* CreateGuiInstance() {
  try {
    AAX_IACFEffectGUI* gui = new AAX_CEffectGUI_IPLUG;
    return gui;
  } catch (...) {
    return nullptr;
  }
}
