#pragma once
// Shared pieces of the editor tests: a plug-in with a small parameter table that records the
// host calls, synthetic frame strips whose frames can be told apart by colour, and a fixture
// holding a plug-in with a headless editor.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawing/lice.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/igraphics/IGraphics.h"
#include "iplug/igraphics/IGraphicsHeadless.h"
#include "iplug/core/IPlugParameter.h"
#include "tests/iplug/recording_plug.h"

namespace igtest {

// The parameters of TestPlug.
enum Param {
  kGain = 0,    // number -30..30, step 0.1, "dB"
  kMode = 1,    // enumeration "Classic", "Stereo", "Mid / Side"
  kOn = 2,      // boolean "off" / "on"
  kFreq = 3,    // number 20..3000, step 1, shape 2, "Hz"
  kScaler = 4,  // number 0..100, step 1, "%"
  kNeg = 5,     // number -10..10, step 1, shown negated
  kFree = 6,    // number 0..1, step 0.001, no label
  kNumParams
};

class TestPlug : public RecordingPlug {
 public:
  explicit TestPlug(PluginApi api = kApiVST2) : RecordingPlug(kNumParams, "2-2", 2, false, 0, api) {
    GetParam(kGain)->InitNumber("Gain", 0.0, -30.0, 30.0, 0.1, "dB");
    GetParam(kMode)->InitEnumeration("Mode", 1, 3);
    GetParam(kMode)->AddDisplayText(0, "Classic");
    GetParam(kMode)->AddDisplayText(1, "Stereo");
    GetParam(kMode)->AddDisplayText(2, "Mid / Side");
    GetParam(kOn)->InitBoolean("On", false);
    GetParam(kFreq)->InitNumber("Freq", 20.0, 20.0, 3000.0, 1.0, "Hz", "", 2.0);
    GetParam(kScaler)->InitNumber("Scaler", 50.0, 0.0, 100.0, 1.0, "%");
    GetParam(kNeg)->InitNumber("Neg", 3.0, -10.0, 10.0, 1.0);
    GetParam(kNeg)->SetNegateDisplay(true);
    GetParam(kFree)->InitNumber("Free", 0.25, 0.0, 1.0, 0.001);
  }

  // Like the effect, the reaction pushes every parameter's value back to the editor.
  void ParamValueChanged(int index, ParamChangeSource source) override {
    RecordingPlug::ParamValueChanged(index, source);
    if (pushBack && GetGUI()) PushParamsToGraphics();
  }
  void ShowHostParamMenu(int index, int x, int y) override { hostMenus.push_back({index, x, y}); }
  void IdleTick() override { ++idleTicks; }

  // The host calls as a compact text: "B3 I3 E3" (begin, inform, end with the index).
  std::string HostSequence() const {
    std::string s;
    for (const HostCall& c : hostCalls) {
      if (!s.empty()) s += ' ';
      s += c.kind == HostCall::kBegin ? 'B' : c.kind == HostCall::kInform ? 'I' : c.kind == HostCall::kEnd ? 'E' : '?';
      s += std::to_string(c.index);
    }
    return s;
  }
  std::vector<double> InformedValues() const {
    std::vector<double> v;
    for (const HostCall& c : hostCalls)
      if (c.kind == HostCall::kInform) v.push_back(c.value);
    return v;
  }

  struct MenuCall {
    int index, x, y;
  };
  bool pushBack = false;
  std::vector<MenuCall> hostMenus;
  int idleTicks = 0;
};

// The colour of frame k (from 0) of a synthetic strip: opaque and different for every frame.
inline LICE_pixel FrameColour(int k) { return LICE_RGBA(10 + k * 7, 200 - k * 5, (k * 37) & 0xFF, 255); }

// A strip of frames of w x frameHeight, each frame filled with its colour; horizontal strips
// lie side by side.
inline LICE_MemBitmap* MakeStrip(int w, int frameHeight, int frames, bool horizontal = false) {
  LICE_MemBitmap* bm = horizontal ? new LICE_MemBitmap(w * frames, frameHeight) : new LICE_MemBitmap(w, frameHeight * frames);
  for (int k = 0; k < frames; ++k) {
    if (horizontal) LICE_FillRectangle(bm, k * w, 0, w, frameHeight, FrameColour(k), 1.0f, LICE_BLIT_MODE_COPY);
    else LICE_FillRectangle(bm, 0, k * frameHeight, w, frameHeight, FrameColour(k), 1.0f, LICE_BLIT_MODE_COPY);
  }
  return bm;
}

// A resource id no other test uses: the bitmap cache lives as long as the test program.
inline int FreshResourceId() {
  static int next = 5000;
  return next++;
}

// Loads a synthetic strip through the editor (and so through the bitmap cache).
inline IFrameBitmap LoadStrip(IGraphicsHeadless* g, int w, int frameHeight, int frames, bool horizontal = false) {
  g->SetBitmapResolver([=](int, const char*) -> LICE_IBitmap* { return MakeStrip(w, frameHeight, frames, horizontal); });
  const IFrameBitmap fb = g->LoadFrameBitmap(FreshResourceId(), "strip.png", frames, horizontal);
  g->SetBitmapResolver(nullptr);
  return fb;
}

// A plain colour background of the editor's size, loaded the same way.
inline IControl* AddPlainBackground(IGraphicsHeadless* g, LICE_pixel colour) {
  const int w = g->Width(), h = g->Height();
  g->SetBitmapResolver([=](int, const char*) -> LICE_IBitmap* {
    LICE_MemBitmap* bm = new LICE_MemBitmap(w, h);
    LICE_FillRectangle(bm, 0, 0, w, h, colour, 1.0f, LICE_BLIT_MODE_COPY);
    return bm;
  });
  IControl* c = g->AddBackground(FreshResourceId(), "bkg.png");
  g->SetBitmapResolver(nullptr);
  return c;
}

inline LICE_pixel Pixel(IGraphics* g, int x, int y) {
  LICE_IBitmap* bm = g->GetDrawBitmap();
  return bm->GetBits()[static_cast<size_t>(y) * bm->GetRowSpan() + x];
}

// Whether every pixel of the rectangle has the colour.
inline bool AllPixels(IGraphics* g, const IRectangle& r, LICE_pixel colour) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (Pixel(g, x, y) != colour) return false;
  return true;
}

// The width and height a text takes in a style, measured by the style's cached font.
inline void TextSize(IGraphics* g, ITextStyle* style, const char* text, int* w, int* h) {
  IRectangle r(0, 0, 0, 0);
  style->align = ITextStyle::kAlignNear;
  g->MeasureText(style, text, &r);
  *w = r.right - r.left;
  *h = r.bottom - r.top;
}

const IMouseMods kLeft(true);
const IMouseMods kRight(false, true);
const IMouseMods kLeftShift(true, false, true);
const IMouseMods kLeftCtrl(true, false, false, true);
const IMouseMods kNoButton;

// A plug-in with a headless editor of 200 x 100; Bind hands the editor to the plug-in, which
// then owns it.
class EditorTest : public ::testing::Test {
 protected:
  void Make(PluginApi api = kApiVST2, int w = 200, int h = 100) {
    plug.reset(new TestPlug(api));
    g = new IGraphicsHeadless(plug.get(), w, h);
    owned.reset(g);
  }
  void SetUp() override { Make(); }
  void Bind() {
    plug->BindGraphics(owned.release());
    plug->hostCalls.clear();
    plug->paramChanges.clear();
  }
  // Draws whatever is dirty until nothing is (at most a few passes).
  void Settle() {
    for (int i = 0; i < 4; ++i) g->Tick();
  }

  std::unique_ptr<TestPlug> plug;
  std::unique_ptr<IGraphicsHeadless> owned;  // until bound
  IGraphicsHeadless* g = nullptr;
};

}  // namespace igtest
