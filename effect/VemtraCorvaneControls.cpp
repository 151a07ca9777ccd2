#include "effect/VemtraCorvaneControls.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "effect/VemtraCorvaneParams.h"
#include "iplug/igraphics/IGraphics.h"
#include "iplug/core/IPlugBase.h"

// ---------------------------------------------------------------------------------------------
// IOscilloscopeControl

IOscilloscopeControl* IOscilloscopeControl::Create(IPlugBase* plug, const IRectangle& rect,
                                                   const IArgbColour& colour) {
  const int width = rect.right - rect.left;
  if (width < 1 || width > kHistorySize || rect.bottom <= rect.top) return nullptr;
  return new IOscilloscopeControl(plug, rect, colour);
}

IOscilloscopeControl::IOscilloscopeControl(IPlugBase* plug, const IRectangle& rect, const IArgbColour& colour)
    : IControl(plug, rect, -1, IBlendSpec()), mColour(colour) {
  for (std::atomic<double>& v : mHistory) v.store(0.0, std::memory_order_relaxed);
}

IOscilloscopeControl::~IOscilloscopeControl() = default;

double IOscilloscopeControl::HistoryValue(int index) const {
  if (index < 0 || index >= Count()) return 0.0;
  return mHistory[index].load(std::memory_order_relaxed);
}

void IOscilloscopeControl::ApplyPlugValue(double value) {
  if (mDivider >= 1) {
    --mDivider;
    return;
  }
  mDivider = kDivider;

  // What the graph can show: 0 at the bottom edge, 1 at the top.
  value = std::isnan(value) ? 0.0 : std::min(std::max(value, 0.0), 1.0);
  const int count = mCount.load(std::memory_order_relaxed);
  if (count < Width()) {
    mHistory[count].store(value, std::memory_order_relaxed);
    mCount.store(count + 1, std::memory_order_release);
  } else {
    // Full: everything moves one place to the right, the oldest value leaves.
    for (int k = count - 1; k >= 1; --k) {
      mHistory[k].store(mHistory[k - 1].load(std::memory_order_relaxed), std::memory_order_relaxed);
    }
    mHistory[0].store(value, std::memory_order_relaxed);
  }
  MarkChanged(false);
  SetRedraw();
}

bool IOscilloscopeControl::Draw(IGraphics* graphics) {
  const IBlendSpec blend(IBlendSpec::kBlendCopy, 1.0f);
  const int count = Count();
  const double height = mRECT.bottom - mRECT.top;
  float previousX = 0.0f, previousY = 0.0f;
  for (int i = 0; i < count; ++i) {
    const double v = mHistory[i].load(std::memory_order_relaxed);
    const double g = std::max(0.0, std::min(height, height * v));
    const float x = static_cast<float>(mRECT.left + i);
    const float y = static_cast<float>(mRECT.bottom - g);
    if (i == 0) {
      previousX = x;
      previousY = y;
    }
    graphics->DrawLineF(mColour, previousX, previousY, x, y, &blend, true);
    previousX = x;
    previousY = y;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// PresetFunctionsMenu

PresetFunctionsMenu::PresetFunctionsMenu(IPlugBase* plug, const IRectangle& rect, const ITextStyle* style,
                                         const char* text)
    : ITextControl(plug, rect, style, text) {}

PresetFunctionsMenu::~PresetFunctionsMenu() = default;

void PresetFunctionsMenu::OnMouseDown(int /*x*/, int /*y*/, const IMouseMods& mods) {
  if (mods.left) ShowPopup();
  SetRedraw();
  MarkChanged(true);
}

bool PresetFunctionsMenu::Draw(IGraphics* graphics) {
  SetText(mPlug ? mPlug->PresetNameAt(mShownItem) : "");
  return ITextControl::Draw(graphics);
}

void PresetFunctionsMenu::ShowPopup() {
  IGraphics* graphics = GetGUI();
  if (!mPlug || !graphics) return;
  PlugLock lock(&mMutex);

  IMenuList menu;
  const int n = mPlug->NPresets();
  for (int i = 0; i < n; ++i) menu.AddEntry(mPlug->PresetNameAt(i));
  menu.AddSeparator();
  menu.AddEntry(kSaveText);
  menu.AddEntry(kLoadText);

  IMenuList* chosen = graphics->ShowPopupMenu(&menu, mRECT);
  if (chosen != &menu) return;  // nothing chosen
  const int k = menu.GetChosenIndex();
  if (k < 0 || k >= menu.NItems()) return;

  if (k < n) {
    mShownItem = k;
    mPlug->RecallPreset(k);
    return;
  }
  if (k == n + 1 || k == n + 2) {
    // A save or load that did not happen leaves the field as it was.
    if (TransferProgramFile(k == n + 1)) mShownItem = mPlug->GetCurrentPresetIdx();
  } else {
    mShownItem = k;
  }
  MarkChanged(true);
}

bool PresetFunctionsMenu::TransferProgramFile(bool save) {
  IGraphics* graphics = GetGUI();
  PlugString file;
  // The dialog's buffers hold 255 characters.
  constexpr int kDialogText = 255;
  file.Assign(save ? mPlug->PresetNameAt(mPlug->GetCurrentPresetIdx()) : "", kDialogText);
  if (mDirectory.GetLength() > kDialogText) mDirectory.Assign("");
  graphics->AskForFile(&file, save ? 1 : 0, &mDirectory, kExtension);
  if (file.GetLength() == 0) return false;  // cancelled
  if (!(save ? mPlug->WritePresetFile(&file) : mPlug->ReadPresetFile(&file))) return false;

  file.RemoveFileExtension();
  const char* path = file.Get();
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  mPlug->ModifyCurrentPreset(name);
  return true;
}

// ---------------------------------------------------------------------------------------------
// VemtraCorvaneIVolume

bool VemtraCorvaneIVolume::Draw(IGraphics* /*graphics*/) {
  IPlugParameter* param = GetParam();
  IPlugParameter* automation = mPlug ? mPlug->GetParam(Automation) : nullptr;
  if (!param || !automation) return true;
  if (automation->Value() == AutomationWrite && !HostWritesFromAudioThread(mPlug->GetHostCode())) {
    mPlug->SetParameterFromGUI(mParamIdx, param->GetNormalizedValue());
  }
  return true;
}
