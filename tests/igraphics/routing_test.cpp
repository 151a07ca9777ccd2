// Value routing: parameter values to controls (normalised and plain, aux bindings, one control
// by index, the audio thread's marks), user values back to the parameters, linked texts, hiding
// and greying.
#include <cmath>

#include "tests/igraphics/igraphics_test_util.h"

using namespace igtest;

namespace {

class Routing : public EditorTest {
 protected:
  // A vertical knob of 20 x 40 at (x, y).
  IKnobMultiControl* AddKnob(int param, int x = 10, int y = 10) {
    IKnobMultiControl* k = new IKnobMultiControl(plug.get(), x, y, param, LoadStrip(g, 20, 40, 11));
    g->AddControl(k);
    return k;
  }
};

TEST_F(Routing, BindingHandsEveryControlItsNormalisedValueWhichBecomesItsDefault) {
  plug->GetParam(kGain)->Set(15.0);
  IKnobMultiControl* gain = AddKnob(kGain);
  IKnobMultiControl* freq = AddKnob(kFreq, 40);
  Bind();
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.75);
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.75);
  EXPECT_DOUBLE_EQ(freq->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(freq->GetDefaultValue(), 0.0);
  ASSERT_NE(g->GetDrawBitmap(), nullptr);
  EXPECT_EQ(g->GetDrawBitmap()->GetWidth(), 200);
  EXPECT_EQ(g->GetDrawBitmap()->GetHeight(), 100);

  // Later values move the control but not its default.
  g->UpdateControlsOfParam(kGain, 0.25, true);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.25);
  EXPECT_DOUBLE_EQ(gain->GetDefaultValue(), 0.75);
}

TEST_F(Routing, PlainValuesAreNormalisedThroughTheParameterCurveAndClamped) {
  IKnobMultiControl* freq = AddKnob(kFreq);
  IKnobMultiControl* gain = AddKnob(kGain, 40);
  Bind();
  // Shape 2: 20 + 2980 x 0.5^2 = 765 Hz is the middle of the knob.
  g->UpdateControlsOfParam(kFreq, 765.0, false);
  EXPECT_DOUBLE_EQ(freq->GetValue(), 0.5);
  g->UpdateControlsOfParam(kGain, 99.0, false);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 1.0);
  g->UpdateControlsOfParam(kGain, -99.0, false);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.0);
  // An index outside the parameter list reaches nobody.
  g->UpdateControlsOfParam(kNumParams, 0.5, true);
  g->UpdateControlsOfParam(-1, 0.5, false);
  EXPECT_DOUBLE_EQ(gain->GetValue(), 0.0);
}

TEST_F(Routing, AControlBoundDirectlyAndAsAuxGetsBothValuesFromOneUpdate) {
  IKnobMultiControl* k = AddKnob(kScaler);
  k->AddAuxParam(kGain);
  k->AddAuxParam(kScaler);
  k->AddAuxParam(kScaler);  // only the first aux binding of a parameter is served
  Bind();
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.5);
  EXPECT_DOUBLE_EQ(k->AuxValue(0), 0.5);  // Gain 0 dB
  EXPECT_DOUBLE_EQ(k->AuxValue(1), 0.5);
  EXPECT_DOUBLE_EQ(k->AuxValue(2), 0.0);

  g->UpdateControlsOfParam(kScaler, 0.9, true);
  EXPECT_DOUBLE_EQ(k->GetValue(), 0.9);
  EXPECT_DOUBLE_EQ(k->AuxValue(1), 0.9);
  EXPECT_DOUBLE_EQ(k->AuxValue(2), 0.0);
  EXPECT_DOUBLE_EQ(k->AuxValue(0), 0.5);
}

TEST_F(Routing, AuxIndexOutsideTheListIsReportedAndChangesNothing) {
  IKnobMultiControl* k = AddKnob(kScaler);
  k->AddAuxParam(kGain);
  Bind();
  Settle();
  AssertCapture capture;
  k->ApplyAuxPlugValue(1, 0.3);
  k->ApplyAuxPlugValue(-1, 0.3);
  ASSERT_EQ(AssertCapture::Reports().size(), 2u);
  EXPECT_EQ(AssertCapture::Reports()[0].expression, "idx > -1 && idx < mAuxParams.GetSize()");
  EXPECT_EQ(AssertCapture::Reports()[0].source, "icontrol");
  EXPECT_EQ(AssertCapture::Reports()[0].line, 156);
  EXPECT_FALSE(k->NeedsRedraw());
  EXPECT_DOUBLE_EQ(k->AuxValue(0), 0.5);
}

TEST_F(Routing, OneControlByIndexAndEveryControlMarked) {
  IKnobMultiControl* a = AddKnob(kGain);
  IKnobMultiControl* b = AddKnob(kScaler, 40);
  Bind();
  Settle();
  g->UpdateControlValue(1, 0.125);
  EXPECT_DOUBLE_EQ(b->GetValue(), 0.125);
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.5);
  EXPECT_TRUE(b->NeedsRedraw());
  EXPECT_FALSE(a->NeedsRedraw());
  g->UpdateControlValue(2, 0.9);  // outside the list: ignored
  g->UpdateControlValue(-1, 0.9);
  g->UpdateControlValue(0, NAN);  // not a value
  EXPECT_DOUBLE_EQ(a->GetValue(), 0.5);

  // A control without a parameter gets its first value only now, after it was drawn: that
  // value becomes its default and is shown.
  IBitmapControl* meter = new IBitmapControl(plug.get(), 100, 50, -1, LoadStrip(g, 10, 10, 5));
  const int meterIndex = g->AddControl(meter);
  Settle();
  g->UpdateControlValue(meterIndex, 0.4);
  EXPECT_TRUE(meter->NeedsRedraw());
  EXPECT_DOUBLE_EQ(meter->GetDefaultValue(), 0.4);

  Settle();
  g->MarkAllControlsChanged();
  EXPECT_TRUE(a->NeedsRedraw());
  EXPECT_TRUE(b->NeedsRedraw());
  // A mark without a value change is drawn once.
  g->Tick();
  EXPECT_FALSE(a->NeedsRedraw());
}

TEST_F(Routing, AChangedValueIsDrawnAtTheNextPassAndTheOneAfter) {
  IKnobMultiControl* k = AddKnob(kGain);
  Bind();
  Settle();
  ASSERT_FALSE(k->NeedsRedraw());
  g->UpdateControlsOfParam(kGain, 0.3, true);
  EXPECT_FALSE(g->Tick().Empty());
  EXPECT_TRUE(k->NeedsRedraw());
  EXPECT_EQ(g->Tick(), k->GetRECT());
  EXPECT_FALSE(k->NeedsRedraw());
  EXPECT_TRUE(g->Tick().Empty());
  // The same value again changes nothing.
  g->UpdateControlsOfParam(kGain, 0.3, true);
  EXPECT_FALSE(k->NeedsRedraw());
}

TEST_F(Routing, UserValuesSetTheParameterInformTheHostAndRunTheReaction) {
  IKnobMultiControl* k = AddKnob(kScaler);
  Bind();
  k->ApplyUserValue(0.25);
  EXPECT_DOUBLE_EQ(plug->GetParam(kScaler)->Value(), 25.0);
  ASSERT_EQ(plug->hostCalls.size(), 1u);
  EXPECT_EQ(plug->hostCalls[0].kind, HostCall::kInform);
  EXPECT_DOUBLE_EQ(plug->hostCalls[0].value, 0.25);
  ASSERT_EQ(plug->paramChanges.size(), 1u);
  EXPECT_EQ(plug->paramChanges[0].index, kScaler);
  EXPECT_EQ(plug->paramChanges[0].source, kSourceEditor);
  // Values from the plug-in are never sent back.
  g->UpdateControlsOfParam(kScaler, 0.75, true);
  EXPECT_EQ(plug->hostCalls.size(), 1u);
  EXPECT_DOUBLE_EQ(plug->GetParam(kScaler)->Value(), 25.0);
}

TEST_F(Routing, LinkedTextControlsFollowUserValuesOnly) {
  ITextStyle style;
  IKnobMultiControl* k = AddKnob(kMode);
  ITextControl* valueText = new ITextControl(plug.get(), IRectangle(0, 60, 100, 80), &style, "");
  ITextControl* nameText = new ITextControl(plug.get(), IRectangle(100, 60, 200, 80), &style, "");
  g->AddControl(valueText);
  g->AddControl(nameText);
  k->SetValueTextControl(valueText);
  k->SetNameControl(nameText);
  Bind();
  EXPECT_STREQ(valueText->GetText(), "");  // plug-in values do not touch them
  k->ApplyUserValue(1.0);
  EXPECT_STREQ(valueText->GetText(), "Mid / Side");
  EXPECT_STREQ(nameText->GetText(), "Mode");
  EXPECT_TRUE(valueText->NeedsRedraw());

  Settle();
  k->ApplyUserValue(0.0);
  EXPECT_STREQ(valueText->GetText(), "Classic");
  EXPECT_TRUE(valueText->NeedsRedraw());
  EXPECT_FALSE(nameText->NeedsRedraw());  // the same name changes nothing
}

TEST_F(Routing, HidingAndGreyingByParameterAndByIndex) {
  IKnobMultiControl* a = AddKnob(kGain);
  IKnobMultiControl* b = AddKnob(kGain, 40);
  IKnobMultiControl* c = AddKnob(kScaler, 70);
  c->AddAuxParam(kGain);  // aux bindings are not looked at
  Bind();
  Settle();

  g->GrayControlsOfParam(kGain, true);
  EXPECT_TRUE(a->IsGrayed());
  EXPECT_TRUE(b->IsGrayed());
  EXPECT_FALSE(c->IsGrayed());
  EXPECT_FLOAT_EQ(a->GetBlend().weight, 0.25f);
  EXPECT_TRUE(a->NeedsRedraw());
  g->GrayControlsOfParam(kGain, false);
  EXPECT_FLOAT_EQ(a->GetBlend().weight, 1.0f);

  g->HideControlsOfParam(kGain, true);
  EXPECT_TRUE(a->IsHidden());
  EXPECT_TRUE(b->IsHidden());
  EXPECT_FALSE(c->IsHidden());
  EXPECT_FLOAT_EQ(b->GetBlend().weight, 0.0f);

  g->HideControl(2, true);
  EXPECT_TRUE(c->IsHidden());
  g->HideControl(3, true);  // outside the list: ignored
  g->HideControl(-1, true);
  g->HideControl(0, false);
  EXPECT_FALSE(a->IsHidden());
  EXPECT_FLOAT_EQ(a->GetBlend().weight, 1.0f);
}

}  // namespace
