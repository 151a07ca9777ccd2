// Mouse and keys: drags with and without the fine modifiers, the wheel, double clicks, switch
// steps and fader clicks with the exact host calls they make; the host's menu under VST3; key,
// mouse-over and hit dispatch; and host gestures that stay balanced whatever happens to the
// button-up; drags that keep their own value against the plug-in's rounding and write-backs.
#include <string>

#include "tests/igraphics/igraphics_test_util.h"

using namespace igtest;

namespace {

// Logs what reaches it.
class LogControl : public IControl {
 public:
  LogControl(IPlugBase* plug, const IRectangle& r, int param = -1, bool takesKeys = false)
      : IControl(plug, r, param), mTakesKeys(takesKeys) {}
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, const IMouseMods& m) override { Log("down", x, y, m.right); }
  void OnMouseUp(int x, int y, const IMouseMods&) override { Log("up", x, y); }
  void OnMouseDrag(int x, int y, int dx, int dy, const IMouseMods&) override {
    log += "drag(" + std::to_string(dx) + "," + std::to_string(dy) + ")";
  }
  void OnMouseDoubleClick(int x, int y, const IMouseMods&) override { Log("dbl", x, y); }
  void OnMouseWheel(int, int, const IMouseMods&, int notches) override { log += "wheel" + std::to_string(notches); }
  bool OnKeyDown(int, int, int key) override {
    log += "key" + std::to_string(key);
    return mTakesKeys;
  }
  void OnMouseOver(int x, int y, const IMouseMods&) override { Log("over", x, y); }
  void OnMouseOut() override { log += "out"; }
  void Log(const char* what, int x, int y, bool right = false) {
    log += std::string(what) + (right ? "R" : "") + "(" + std::to_string(x) + "," + std::to_string(y) + ")";
  }
  std::string log;
  bool mTakesKeys;
};

class Mouse : public EditorTest {
 protected:
  // A vertical knob of 20 x 40 at (10, 10).
  IKnobMultiControl* AddKnob(int param, int direction = IControl::kVertical) {
    IKnobMultiControl* k = new IKnobMultiControl(plug.get(), 10, 10, param, LoadStrip(g, 20, 40, 11), direction);
    g->AddControl(k);
    return k;
  }
  // Presses at (x, y0), moves one pixel at a time to y1, releases.
  void DragY(int x, int y0, int y1, const IMouseMods& mods = kLeft) {
    g->MouseDown(x, y0, mods);
    for (int y = y0; y != y1;) {
      y += y1 > y0 ? 1 : -1;
      g->MouseDrag(x, y, mods);
    }
    g->MouseUp(x, y1, mods);
  }
};

TEST_F(Mouse, ADragUpRaisesAVerticalKnobInsideOneGesture) {
  IKnobMultiControl* k = AddKnob(kFree);
  Bind();
  g->MouseDown(20, 30, kLeft);
  EXPECT_EQ(g->GetCapturedControl(), 0);
  g->MouseDrag(20, 30, kLeft);  // not a move
  for (int y = 29; y >= 26; --y) g->MouseDrag(20, y, kLeft);
  g->MouseDrag(20, 27, kLeft);  // and one back down
  g->MouseUp(20, 27, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B6 I6 I6 I6 I6 I6 E6");
  // 40 pixels high, gearing 4: 1/160 per pixel.
  const std::vector<double> v = plug->InformedValues();
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(v[i], 0.25 + (i + 1) / 160.0);
  EXPECT_DOUBLE_EQ(v[4], 0.25 + 3 / 160.0);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25 + 3 / 160.0);
  EXPECT_EQ(g->GetCapturedControl(), -1);
  EXPECT_EQ(g->GetOpenGesture(), -1);
  for (const ParamChange& c : plug->paramChanges) EXPECT_EQ(c.source, kSourceEditor);
}

TEST_F(Mouse, ShiftOrCtrlMakeTheDragTenTimesFiner) {
  IKnobMultiControl* k = AddKnob(kFree);
  Bind();
  DragY(20, 30, 20, kLeftShift);
  EXPECT_NEAR(k->GetValue(), 0.25 + 10 / 1600.0, 1e-12);
  DragY(20, 30, 40, kLeftCtrl);
  EXPECT_NEAR(k->GetValue(), 0.25, 1e-12);
}

TEST_F(Mouse, AHorizontalKnobFollowsTheXMovementOverItsWidth) {
  IKnobMultiControl* k = AddKnob(kFree, IControl::kHorizontal);
  Bind();
  g->MouseDown(15, 30, kLeft);
  g->MouseDrag(23, 10, kLeft);  // y does not count
  g->MouseUp(23, 10, kLeft);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25 + 8 / 20.0 / 4.0);
}

TEST_F(Mouse, TheWheelStepsByAHundredthOrAThousandthInItsOwnGesture) {
  IKnobMultiControl* k = AddKnob(kFree);
  Bind();
  g->MouseWheel(20, 30, kNoButton, 3);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.28);
  g->MouseWheel(20, 30, IMouseMods(false, false, true), -2);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.278);
  g->MouseWheel(150, 90, kNoButton, 1);  // over nothing
  EXPECT_EQ(plug->HostSequence(), "B6 I6 E6 B6 I6 E6");
  // During a drag the wheel goes to the captured control inside the drag's gesture.
  g->MouseDown(20, 30, kLeft);
  g->MouseWheel(150, 90, kNoButton, 1);
  g->MouseUp(20, 30, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B6 I6 E6 B6 I6 E6 B6 I6 E6");
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.288);
}

// Windows sends down, up, double click, up for a double click; the double click's edit is a
// gesture of its own and the last button-up ends nothing.
TEST_F(Mouse, ADoubleClickReturnsToTheDefaultInABalancedGesture) {
  IKnobMultiControl* k = AddKnob(kFree);
  Bind();
  DragY(20, 30, 22);
  EXPECT_NE(k->GetValue(), 0.25);
  plug->hostCalls.clear();
  g->MouseDown(20, 30, kLeft);
  g->MouseUp(20, 30, kLeft);
  g->MouseDoubleClick(20, 30, kLeft);
  g->MouseUp(20, 30, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B6 E6 B6 I6 E6");
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(plug->GetParam(kFree)->Value(), 0.25);
}

TEST_F(Mouse, ADoubleClickTakenAsASingleClickIsAGestureUpToTheButtonUp) {
  ISwitchControl* s = new ISwitchControl(plug.get(), 10, 10, kOn, LoadStrip(g, 10, 10, 2));
  s->SetDblAsSingleClick(true);
  g->AddControl(s);
  Bind();
  g->MouseDown(12, 12, kLeft);
  g->MouseUp(12, 12, kLeft);
  EXPECT_DOUBLE_EQ(s->GetValue(), 1.0);
  EXPECT_TRUE(g->OnMouseDoubleClick(12, 12, kLeft));
  EXPECT_EQ(g->GetCapturedControl(), 0);
  g->MouseUp(12, 12, kLeft);
  EXPECT_DOUBLE_EQ(s->GetValue(), 0.0);
  EXPECT_EQ(plug->HostSequence(), "B2 I2 E2 B2 I2 E2");
  // Over nothing a double click asks for no capture.
  EXPECT_FALSE(g->OnMouseDoubleClick(150, 90, kLeft));
}

TEST_F(Mouse, SwitchesStepThroughTheirFramesAndWrap) {
  ISwitchControl* two = new ISwitchControl(plug.get(), 10, 10, kOn, LoadStrip(g, 10, 10, 2));
  ISwitchControl* three = new ISwitchControl(plug.get(), 30, 10, kMode, LoadStrip(g, 10, 10, 3));
  ISwitchControl* one = new ISwitchControl(plug.get(), 50, 10, kFree, LoadStrip(g, 10, 10, 1));
  g->AddControl(two);
  g->AddControl(three);
  g->AddControl(one);
  plug->GetParam(kMode)->Set(0.0);
  plug->GetParam(kFree)->Set(0.0);
  Bind();
  const double twoSteps[] = {1.0, 0.0, 1.0};
  for (double v : twoSteps) {
    g->MouseDown(12, 12, kLeft);
    g->MouseUp(12, 12, kLeft);
    EXPECT_DOUBLE_EQ(two->GetValue(), v);
  }
  EXPECT_DOUBLE_EQ(plug->GetParam(kOn)->Value(), 1.0);
  const double threeSteps[] = {0.5, 1.0, 0.0, 0.5};
  const double modes[] = {1.0, 2.0, 0.0, 1.0};
  for (int i = 0; i < 4; ++i) {
    g->MouseDown(32, 12, kLeft);
    g->MouseUp(32, 12, kLeft);
    EXPECT_DOUBLE_EQ(three->GetValue(), threeSteps[i]);
    EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), modes[i]);
  }
  // One frame: a whole step, which wraps at once.
  g->MouseDown(52, 12, kLeft);
  g->MouseUp(52, 12, kLeft);
  EXPECT_DOUBLE_EQ(one->GetValue(), 1.0);
  g->MouseDown(52, 12, kLeft);
  EXPECT_DOUBLE_EQ(one->GetValue(), 0.0);
  g->MouseUp(52, 12, kLeft);
}

TEST_F(Mouse, AFaderJumpsToTheClickAndFollowsTheDrag) {
  const IFrameBitmap handle = LoadStrip(g, 10, 10, 1);
  IFaderControl* v = new IFaderControl(plug.get(), 10, 0, 100, kFree, handle);
  IFaderControl* h = new IFaderControl(plug.get(), 40, 0, 100, kFree, handle, IControl::kHorizontal);
  g->AddControl(v);
  g->AddControl(h);
  Bind();
  g->MouseDown(15, 5, kLeft);
  EXPECT_DOUBLE_EQ(v->GetValue(), 1.0);
  g->MouseDrag(15, 95, kLeft);
  EXPECT_DOUBLE_EQ(v->GetValue(), 0.0);
  g->MouseDrag(15, 50, kLeft);
  EXPECT_DOUBLE_EQ(v->GetValue(), 0.5);
  g->MouseUp(15, 50, kLeft);
  g->MouseDown(85, 5, kLeft);  // (85 - 40 - 5) / 90
  EXPECT_DOUBLE_EQ(h->GetValue(), 40.0 / 90.0);
  g->MouseUp(85, 5, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B6 I6 I6 I6 E6 B6 I6 E6");
  g->MouseWheel(15, 50, kNoButton, 1);
  EXPECT_DOUBLE_EQ(v->GetValue(), 0.51);
}

TEST_F(Mouse, AHandleOnlyFaderIsHitOnItsHandleOnly) {
  const IFrameBitmap handle = LoadStrip(g, 10, 10, 1);
  LogControl* under = new LogControl(plug.get(), IRectangle(0, 0, 200, 100));
  IFaderControl* f = new IFaderControl(plug.get(), 10, 0, 100, kFree, handle, IControl::kVertical, true);
  g->AddControl(under);
  g->AddControl(f);
  plug->GetParam(kFree)->Set(0.5);
  Bind();
  EXPECT_EQ(f->GetHandleRECT(), IRectangle(10, 45, 20, 55));
  EXPECT_EQ(g->FindControlAt(15, 50), 1);
  EXPECT_EQ(g->FindControlAt(15, 10), 0);
  EXPECT_EQ(g->FindControlAt(15, 55), 0);
}

TEST_F(Mouse, UnderVst3ARightClickOnABoundControlOpensTheHostsMenu) {
  Make(kApiVST3);
  LogControl* bound = new LogControl(plug.get(), IRectangle(0, 0, 50, 50), kGain);
  LogControl* unbound = new LogControl(plug.get(), IRectangle(50, 0, 100, 50));
  g->AddControl(bound);
  g->AddControl(unbound);
  Bind();
  g->MouseDown(10, 20, kRight);
  EXPECT_EQ(g->GetCapturedControl(), -1);
  g->MouseUp(10, 20, kRight);
  ASSERT_EQ(plug->hostMenus.size(), 1u);
  EXPECT_EQ(plug->hostMenus[0].index, kGain);
  EXPECT_EQ(plug->hostMenus[0].x, 10);
  EXPECT_EQ(plug->hostMenus[0].y, 20);
  EXPECT_EQ(bound->log, "up(10,20)");  // no mouse-down, and no end without a begin
  EXPECT_EQ(plug->HostSequence(), "");
  g->MouseDown(60, 20, kRight);
  g->MouseUp(60, 20, kRight);
  EXPECT_EQ(unbound->log, "downR(60,20)up(60,20)");
  // A left click is an ordinary gesture.
  g->MouseDown(10, 20, kLeft);
  g->MouseUp(10, 20, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B0 E0");
}

TEST_F(Mouse, ARightClickPromptsOnlyWhereValueEntryIsEnabled) {
  IKnobMultiControl* knob = AddKnob(kGain);
  ITextStyle style;
  ICaptionControl* caption = new ICaptionControl(plug.get(), IRectangle(100, 0, 200, 20), kGain, &style);
  g->AddControl(caption);
  Bind();
  g->MouseDown(20, 30, kRight);
  g->MouseUp(20, 30, kRight);
  EXPECT_TRUE(g->EntryBoxes().empty());
  EXPECT_TRUE(knob->IsPromptDisabled());
  g->MouseDown(150, 10, kRight);
  g->MouseUp(150, 10, kRight);
  ASSERT_EQ(g->EntryBoxes().size(), 1u);
  EXPECT_EQ(g->EntryBoxes()[0].control, caption);
  // Outside VST3 a right click is an ordinary gesture; the box ends the caption's at once.
  EXPECT_EQ(plug->HostSequence(), "B0 E0 B0 E0");
  EXPECT_TRUE(plug->hostMenus.empty());
}

TEST_F(Mouse, DragsGoToTheCapturedControlWithTheMovementSinceTheLastPosition) {
  LogControl* a = new LogControl(plug.get(), IRectangle(0, 0, 50, 50));
  g->AddControl(a);
  Bind();
  g->MouseDrag(10, 10, kLeft);  // no capture: nothing
  g->MouseDown(10, 10, kLeft);
  g->MouseDrag(100, 90, kLeft);  // outside the control, still its drag
  g->MouseDrag(100, 90, kLeft);
  g->MouseDrag(97, 91, kLeft);
  g->MouseUp(97, 91, kLeft);
  EXPECT_EQ(a->log, "down(10,10)drag(90,80)drag(-3,1)up(97,91)");
}

TEST_F(Mouse, HiddenAndGreyedControlsAreNotHitTheLastControlWins) {
  LogControl* a = new LogControl(plug.get(), IRectangle(0, 0, 50, 50));
  LogControl* b = new LogControl(plug.get(), IRectangle(20, 20, 70, 70));
  g->AddControl(a);
  g->AddControl(b);
  Bind();
  EXPECT_EQ(g->FindControlAt(30, 30), 1);
  EXPECT_EQ(g->FindControlAt(10, 10), 0);
  EXPECT_EQ(g->FindControlAt(70, 30), -1);  // right edges are outside
  b->SetGrayed(true);
  EXPECT_EQ(g->FindControlAt(30, 30), 0);
  b->SetGrayed(false);
  b->SetHidden(true);
  EXPECT_EQ(g->FindControlAt(30, 30), 0);
  a->SetHidden(true);
  EXPECT_EQ(g->FindControlAt(30, 30), -1);
  b->SetTargetArea(IRectangle());
  b->SetHidden(false);
  EXPECT_EQ(g->FindControlAt(30, 30), -1);  // an empty target is never hit
}

TEST_F(Mouse, KeysGoToTheControlUnderThePointerElseToTheKeyCatcher) {
  LogControl* back = new LogControl(plug.get(), IRectangle(0, 0, 200, 100), -1, true);
  LogControl* a = new LogControl(plug.get(), IRectangle(10, 10, 50, 50), -1, true);
  LogControl* b = new LogControl(plug.get(), IRectangle(60, 10, 100, 50), -1, false);
  g->AddControl(back);
  g->AddControl(a);
  g->AddControl(b);
  Bind();
  EXPECT_TRUE(g->OnKeyDown(20, 20, kKeyUp));
  EXPECT_FALSE(g->OnKeyDown(70, 20, kKeyLetterA));
  // Over the background, or over nothing, without a key catcher: not taken.
  EXPECT_FALSE(g->OnKeyDown(150, 80, kKeySpace));
  EXPECT_EQ(back->log, "");
  LogControl* catcher = new LogControl(plug.get(), IRectangle(), -1, true);
  g->SetKeyCatcher(catcher);
  EXPECT_TRUE(g->OnKeyDown(150, 80, kKeyDigit0 + 7));
  EXPECT_TRUE(g->OnKeyDown(-5, -5, kKeyLeft));
  EXPECT_EQ(catcher->log, "key12key3");
  // The captured control takes the keys wherever the pointer is.
  g->MouseDown(20, 20, kLeft);
  EXPECT_TRUE(g->OnKeyDown(150, 80, kKeyRight));
  g->MouseUp(20, 20, kLeft);
  EXPECT_EQ(a->log, "key1down(20,20)key4up(20,20)");
  EXPECT_EQ(b->log, "key15");
}

TEST_F(Mouse, MouseOverIsTrackedOnlyWhenAskedFor) {
  LogControl* a = new LogControl(plug.get(), IRectangle(0, 0, 50, 50));
  LogControl* b = new LogControl(plug.get(), IRectangle(60, 0, 100, 50));
  g->AddControl(a);
  g->AddControl(b);
  Bind();
  EXPECT_FALSE(g->OnMouseOver(10, 10, kNoButton));
  EXPECT_EQ(a->log, "");
  g->HandleMouseOver(true);
  EXPECT_TRUE(g->OnMouseOver(10, 10, kNoButton));
  EXPECT_EQ(g->GetMouseOverControl(), 0);
  EXPECT_TRUE(g->OnMouseOver(70, 10, kNoButton));
  EXPECT_EQ(g->GetMouseOverControl(), 1);
  EXPECT_EQ(a->log, "over(10,10)out");
  EXPECT_TRUE(g->OnMouseOver(150, 90, kNoButton));  // over nothing: nothing changes
  EXPECT_EQ(g->GetMouseOverControl(), 1);
  EXPECT_EQ(b->log, "over(70,10)");
  b->SetGrayed(true);
  g->OnMouseOver(71, 10, kNoButton);
  EXPECT_EQ(b->log, "over(70,10)");
  b->SetMOWhenGrayed(true);
  g->OnMouseOver(72, 10, kNoButton);
  EXPECT_EQ(b->log, "over(70,10)over(72,10)");
  g->OnMouseOut();
  EXPECT_EQ(g->GetMouseOverControl(), -1);
  EXPECT_EQ(a->log, "over(10,10)outout");
}

// ---- Balanced host gestures -----------------------------------------------------------------

TEST_F(Mouse, AMenuThatSwallowsTheButtonUpStillEndsTheGesture) {
  ITextStyle style;
  ICaptionControl* c = new ICaptionControl(plug.get(), IRectangle(0, 0, 100, 20), kMode, &style);
  g->AddControl(c);
  Bind();
  g->ScriptMenuChoice(2);
  g->MouseDown(10, 10, kLeft);  // the menu takes the button-up
  EXPECT_EQ(plug->HostSequence(), "B1 E1 B1 I1 E1");
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 2.0);
  EXPECT_DOUBLE_EQ(c->GetValue(), 1.0);
  // Should a button-up arrive after all, it ends nothing.
  g->MouseUp(10, 10, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B1 E1 B1 I1 E1");
  // A menu closed without a choice changes nothing.
  g->MouseDown(10, 10, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B1 E1 B1 I1 E1 B1 E1");
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 2.0);
}

TEST_F(Mouse, ALostCaptureEndsTheGestureOnce) {
  IKnobMultiControl* k = AddKnob(kFree);
  Bind();
  g->MouseDown(20, 30, kLeft);
  g->MouseDrag(20, 29, kLeft);
  g->ReleaseMouseCapture();  // the platform lost the capture
  EXPECT_EQ(g->GetCapturedControl(), -1);
  g->MouseDrag(20, 20, kLeft);
  g->MouseUp(20, 20, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B6 I6 E6");
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25 + 1 / 160.0);
}

TEST_F(Mouse, APressWithoutTheLastReleaseEndsTheOldGestureFirst) {
  AddKnob(kFree);
  ISwitchControl* s = new ISwitchControl(plug.get(), 100, 10, kOn, LoadStrip(g, 10, 10, 2));
  g->AddControl(s);
  Bind();
  g->MouseDown(20, 30, kLeft);
  g->MouseDown(102, 12, kLeft);  // the first release never came
  g->MouseUp(102, 12, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B6 E6 B2 I2 E2");
}

TEST_F(Mouse, ACommittedEntryBoxIsAGestureOfItsOwn) {
  ITextStyle style;
  ICaptionControl* c = new ICaptionControl(plug.get(), IRectangle(0, 0, 100, 20), kGain, &style);
  g->AddControl(c);
  Bind();
  g->ScriptTextEntry("12.5");
  g->MouseDown(10, 10, kLeft);
  g->MouseUp(10, 10, kLeft);
  EXPECT_EQ(plug->HostSequence(), "B0 E0");
  g->Tick();  // the box is committed on the timer
  EXPECT_EQ(plug->HostSequence(), "B0 E0 B0 I0 E0");
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 12.5);
  EXPECT_FALSE(g->EntryBoxOpen());
}

TEST_F(Mouse, ResizingDropsTheControlsAndEndsTheGesture) {
  AddKnob(kFree);
  Bind();
  g->MouseDown(20, 30, kLeft);
  g->HandleMouseOver(true);
  g->OnMouseOver(20, 30, kNoButton);
  g->Resize(300, 150);
  EXPECT_EQ(plug->HostSequence(), "B6 E6");
  EXPECT_EQ(g->NControls(), 0);
  EXPECT_EQ(g->GetCapturedControl(), -1);
  EXPECT_EQ(g->GetMouseOverControl(), -1);
  EXPECT_EQ(g->GetDrawBitmap()->GetWidth(), 300);
  EXPECT_EQ(g->GetDrawBitmap()->GetHeight(), 150);
  // The new first control is not told about the pointer leaving the old one.
  LogControl* b = new LogControl(plug.get(), IRectangle(0, 0, 50, 50));
  LogControl* a = new LogControl(plug.get(), IRectangle(100, 0, 150, 50));
  g->AddControl(b);
  g->AddControl(a);
  g->OnMouseOver(110, 10, kNoButton);
  EXPECT_EQ(a->log, "over(110,10)");
  EXPECT_EQ(b->log, "");
}

// ---- Drags keep their own value ---------------------------------------------------------------

// The reaction pushes every parameter's rounded value back to the editor, as the effect does.
TEST_F(Mouse, AFineDragMovesAnIntegerParameterDespiteItsRounding) {
  plug->pushBack = true;
  IKnobMultiControl* k = AddKnob(kScaler);
  Bind();
  // 20 pixels with shift: 20 / 1600 of 100 steps is 1.25 steps.
  g->MouseDown(20, 30, kLeftShift);
  for (int y = 29; y >= 10; --y) g->MouseDrag(20, y, kLeftShift);
  EXPECT_NEAR(k->GetValue(), 0.5 + 20 / 1600.0, 1e-12);
  EXPECT_DOUBLE_EQ(plug->GetParam(kScaler)->Value(), 51.0);
  g->MouseUp(20, 10, kLeftShift);
  // Released, the knob shows what the parameter holds.
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.51);
}

TEST_F(Mouse, ACurvedFrequencyKnobLeavesItsMinimumByOnePixelMoves) {
  plug->pushBack = true;
  IKnobMultiControl* k = AddKnob(kFreq);
  Bind();
  // 20 + 2980 x (k / 160)^2 Hz after k pixels: 20.1 and 20.5 (both round to 20), then 21.05.
  g->MouseDown(20, 30, kLeft);
  g->MouseDrag(20, 29, kLeft);
  g->MouseDrag(20, 28, kLeft);
  EXPECT_DOUBLE_EQ(plug->GetParam(kFreq)->Value(), 20.0);
  g->MouseDrag(20, 27, kLeft);
  EXPECT_DOUBLE_EQ(plug->GetParam(kFreq)->Value(), 21.0);
  EXPECT_DOUBLE_EQ(k->GetValue(), 3 / 160.0);
  g->MouseUp(20, 27, kLeft);
}

TEST_F(Mouse, WriteBacksFromThePlugInDoNotUndoADragInProgress) {
  IKnobMultiControl* k = AddKnob(kFree);
  Bind();
  g->MouseDown(20, 30, kLeft);
  g->MouseDrag(20, 26, kLeft);
  // The host echoes an older value, and the audio thread writes the control directly.
  g->UpdateControlsOfParam(kFree, 0.25, true);
  g->UpdateControlValue(0, 0.9);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25 + 4 / 160.0);
  g->MouseDrag(20, 24, kLeft);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25 + 6 / 160.0);
  g->MouseUp(20, 24, kLeft);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.25 + 6 / 160.0);
  // After the gesture the control follows the plug-in again.
  g->UpdateControlsOfParam(kFree, 0.75, true);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.75);
}

}  // namespace
