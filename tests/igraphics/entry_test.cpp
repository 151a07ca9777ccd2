// Value entry: the menu of display texts, the entry box with the value text, committing typed
// text (display texts, numbers, and everything that is not a finite number), the scripted
// box of the headless editor, and menu lists that free their entries exactly once.
#include <string>

#include "tests/igraphics/igraphics_test_util.h"

using namespace igtest;

namespace {

class Entry : public EditorTest {
 protected:
  ICaptionControl* AddCaption(int param, const IRectangle& r = IRectangle(0, 0, 100, 20)) {
    ICaptionControl* c = new ICaptionControl(plug.get(), r, param, &style);
    g->AddControl(c);
    return c;
  }
  ITextStyle style;
};

TEST_F(Entry, EnumerationsOfferTheirDisplayTextsWithTheCurrentOneChecked) {
  ICaptionControl* c = AddCaption(kMode);
  Bind();
  g->ScriptMenuChoice(0);
  c->PromptValue();
  ASSERT_EQ(g->Menus().size(), 1u);
  const IGraphicsHeadless::ShownMenu& m = g->Menus()[0];
  EXPECT_EQ(m.texts, (std::vector<std::string>{"Classic", "Stereo", "Mid / Side"}));
  EXPECT_EQ(m.flags, (std::vector<int>{0, IMenuEntry::kChecked, 0}));
  EXPECT_EQ(m.rect, c->GetRECT());
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 0.0);
  EXPECT_EQ(plug->HostSequence(), "B1 I1 E1");
  EXPECT_TRUE(c->NeedsRedraw());
}

TEST_F(Entry, BooleansWithDisplayTextsGetAMenuToo) {
  ICaptionControl* c = AddCaption(kOn);
  Bind();
  g->ScriptMenuChoice(1);
  c->PromptValue();
  ASSERT_EQ(g->Menus().size(), 1u);
  EXPECT_EQ(g->Menus()[0].texts, (std::vector<std::string>{"off", "on"}));
  EXPECT_EQ(g->Menus()[0].flags, (std::vector<int>{IMenuEntry::kChecked, 0}));
  EXPECT_DOUBLE_EQ(plug->GetParam(kOn)->Value(), 1.0);
  EXPECT_TRUE(g->EntryBoxes().empty());
}

TEST_F(Entry, NoChoiceOrTheSameChoiceChangesNothing) {
  ICaptionControl* c = AddCaption(kMode);
  Bind();
  c->PromptValue();        // closed without a choice
  g->ScriptMenuChoice(1);  // the current value
  c->PromptValue();
  g->ScriptMenuChoice(7);  // not in the menu
  c->PromptValue();
  EXPECT_EQ(g->Menus().size(), 3u);
  EXPECT_EQ(plug->HostSequence(), "");
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 1.0);
  // Missing arguments: nothing at all.
  IRectangle r(0, 0, 10, 10);
  g->PromptParamInput(nullptr, plug->GetParam(kMode), &r);
  g->PromptParamInput(c, nullptr, &r);
  g->PromptParamInput(c, plug->GetParam(kMode), nullptr);
  EXPECT_EQ(g->Menus().size(), 3u);
}

TEST_F(Entry, TheKnobTextOpensEntryOnItsTextOnly) {
  const IFrameBitmap strip = LoadStrip(g, 40, 40, 3);
  IKnobMultiControlText* k = new IKnobMultiControlText(plug.get(), 50, 10, kMode, strip, &style, false, 0, -4);
  g->AddControl(k);
  Bind();
  g->ScriptMenuChoice(2);
  g->MouseDown(60, 55, kLeft);  // on the text
  g->MouseUp(60, 55, kLeft);
  ASSERT_EQ(g->Menus().size(), 1u);
  EXPECT_EQ(g->Menus()[0].rect, IRectangle(50, 50, 90, 66));
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 2.0);
  // On the knob: the current value goes to the plug-in inside the click's gesture.
  plug->hostCalls.clear();
  g->MouseDown(60, 20, kLeft);
  g->MouseUp(60, 20, kLeft);
  EXPECT_EQ(g->Menus().size(), 1u);
  EXPECT_EQ(plug->HostSequence(), "B1 I1 E1");
  EXPECT_DOUBLE_EQ(plug->InformedValues()[0], 1.0);
}

TEST_F(Entry, NumbersAreOfferedAsTheirValueTextInABoxAroundTheCentre) {
  ICaptionControl* gain = AddCaption(kGain);
  ICaptionControl* neg = AddCaption(kNeg, IRectangle(0, 20, 100, 40));
  ICaptionControl* free = AddCaption(kFree, IRectangle(0, 40, 101, 61));
  plug->GetParam(kGain)->Set(-3.5);
  Bind();
  gain->PromptValue();
  g->CancelTextEntry();
  g->Tick();
  neg->PromptValue();
  g->CancelTextEntry();
  g->Tick();
  free->PromptValue();
  ASSERT_EQ(g->EntryBoxes().size(), 3u);
  EXPECT_EQ(g->EntryBoxes()[0].text, "-3.5");
  EXPECT_EQ(g->EntryBoxes()[0].rect, IRectangle(30, 2, 70, 18));
  EXPECT_EQ(g->EntryBoxes()[0].param, plug->GetParam(kGain));
  EXPECT_EQ(g->EntryBoxes()[0].maxLength, 7);
  EXPECT_EQ(g->EntryBoxes()[1].text, "-3");  // shown negated, no decimals
  EXPECT_EQ(g->EntryBoxes()[2].text, "0.250");
  EXPECT_EQ(g->EntryBoxes()[2].rect, IRectangle(30, 42, 70, 58));
  // A second box does not open while one is open.
  gain->PromptValue();
  EXPECT_EQ(g->EntryBoxes().size(), 3u);
}

TEST_F(Entry, AHugeValueIsWrittenWithinItsBuffer) {
  ICaptionControl* c = AddCaption(kGain);
  Bind();
  plug->GetParam(kGain)->Set(1e300);
  c->PromptValue();
  ASSERT_EQ(g->EntryBoxes().size(), 1u);
  EXPECT_EQ(g->EntryBoxes()[0].text.size(), 63u);
  EXPECT_EQ(g->EntryBoxes()[0].text.substr(0, 8), "10000000");
}

TEST_F(Entry, TypedTextOfBooleansAndEnumerationsMustMatchADisplayTextExactly) {
  ICaptionControl* on = AddCaption(kOn);
  ICaptionControl* mode = AddCaption(kMode, IRectangle(0, 20, 100, 40));
  Bind();
  g->CommitTextEntry(on, plug->GetParam(kOn), "on");
  EXPECT_DOUBLE_EQ(plug->GetParam(kOn)->Value(), 1.0);
  g->CommitTextEntry(on, plug->GetParam(kOn), "ON");
  EXPECT_DOUBLE_EQ(plug->GetParam(kOn)->Value(), 0.0);
  g->CommitTextEntry(mode, plug->GetParam(kMode), "Mid / Side");
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 2.0);
  g->CommitTextEntry(mode, plug->GetParam(kMode), "Stereo ");
  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 0.0);
  EXPECT_EQ(plug->HostSequence(), "B2 I2 E2 B2 I2 E2 B1 I1 E1 B1 I1 E1");
}

TEST_F(Entry, TypedNumbersAreReadWholeAndNegatedWhereTheDisplayIs) {
  ICaptionControl* gain = AddCaption(kGain);
  ICaptionControl* neg = AddCaption(kNeg, IRectangle(0, 20, 100, 40));
  Bind();
  const struct {
    const char* text;
    double value;
  } cases[] = {{"12.5", 12.5}, {"  -7 ", -7.0}, {"+2", 2.0}, {".5", 0.5}, {"1e1", 10.0}, {"99", 30.0}, {"-0", 0.0}};
  for (const auto& k : cases) {
    g->CommitTextEntry(gain, plug->GetParam(kGain), k.text);
    EXPECT_NEAR(plug->GetParam(kGain)->Value(), k.value, 1e-9) << k.text;
  }
  g->CommitTextEntry(neg, plug->GetParam(kNeg), "4");
  EXPECT_DOUBLE_EQ(plug->GetParam(kNeg)->Value(), -4.0);
}

TEST_F(Entry, TextThatIsNotAFiniteNumberKeepsTheOldValue) {
  ICaptionControl* gain = AddCaption(kGain);
  Bind();
  g->CommitTextEntry(gain, plug->GetParam(kGain), "-12.3");
  const double before = plug->GetParam(kGain)->Value();
  ASSERT_NEAR(before, -12.3, 1e-9);
  const double value = gain->GetValue();
  plug->hostCalls.clear();
  const char* bad[] = {"nan", "NaN", "inf", "-inf", "infinity", "1e999", "-1e999", "abc", "12abc", "12.5.1",
                       "", "   ", "+-3", "--3", "0x10", "1,5", "- 3"};
  for (const char* text : bad) {
    g->CommitTextEntry(gain, plug->GetParam(kGain), text);
    EXPECT_EQ(plug->GetParam(kGain)->Value(), before) << text;
  }
  g->CommitTextEntry(gain, plug->GetParam(kGain), nullptr);
  EXPECT_DOUBLE_EQ(gain->GetValue(), value);
  EXPECT_EQ(plug->HostSequence(), "");
}

class TextTaker : public ITextControl {
 public:
  using ITextControl::ITextControl;
  void TakeEnteredText(const char* text) override { taken += text; }
  std::string taken;
};

TEST_F(Entry, WithoutAParameterTheControlTakesTheTextItself) {
  TextTaker* t = new TextTaker(plug.get(), IRectangle(0, 0, 50, 20), &style, "");
  g->AddControl(t);
  Bind();
  g->CommitTextEntry(t, nullptr, "hello");
  g->CommitTextEntry(nullptr, nullptr, "lost");
  EXPECT_EQ(t->taken, "hello");
  EXPECT_EQ(plug->HostSequence(), "");
}

TEST_F(Entry, TheScriptedBoxCommitsOnTheNextTickAsTheWindowDoes) {
  ICaptionControl* gain = AddCaption(kGain);
  ICaptionControl* scaler = AddCaption(kScaler, IRectangle(0, 20, 100, 40));
  Bind();
  g->ScriptTextEntry("-12.3456789");  // the box holds 7 characters
  gain->PromptValue();
  EXPECT_TRUE(g->EntryBoxOpen());
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 0.0);
  g->Tick();
  EXPECT_FALSE(g->EntryBoxOpen());
  EXPECT_NEAR(plug->GetParam(kGain)->Value(), -12.345, 1e-9);

  g->ScriptTextEntry("25", false);  // escape
  gain->PromptValue();
  g->Tick();
  EXPECT_NEAR(plug->GetParam(kGain)->Value(), -12.345, 1e-9);

  // A number's box takes digits, signs and the point only.
  g->ScriptTextEntry("4x5");
  scaler->PromptValue();
  g->Tick();
  EXPECT_DOUBLE_EQ(plug->GetParam(kScaler)->Value(), 45.0);

  // A click in the editor or the wheel cancels an open box and does nothing else.
  gain->PromptValue();
  g->MouseDown(10, 30, kLeft);
  g->Tick();
  EXPECT_FALSE(g->EntryBoxOpen());
  scaler->PromptValue();
  g->MouseWheel(10, 30, kNoButton, 1);
  g->Tick();
  EXPECT_DOUBLE_EQ(plug->GetParam(kScaler)->Value(), 45.0);
  EXPECT_NEAR(plug->GetParam(kGain)->Value(), -12.345, 1e-9);

  // Typed later by hand.
  gain->PromptValue();
  g->TypeIntoEntry("3");
  g->Tick();
  EXPECT_DOUBLE_EQ(plug->GetParam(kGain)->Value(), 3.0);
}

TEST(HeadlessMenus, NumberingSeparatorsSubmenusAndGreyedEntries) {
  TestPlug plug;
  IGraphicsHeadless g(&plug, 100, 100);
  IMenuList sub;
  sub.AddEntry("x");
  sub.AddEntry("y");
  IMenuList top(2);
  top.AddEntry("a");
  top.AddSeparator();
  top.AddEntry("b");
  top.AddEntry("sub")->SetSubmenu(&sub);
  top.AddEntry("e", -1, IMenuEntry::kGrayed | IMenuEntry::kChecked);

  g.ScriptMenuChoice(2);
  EXPECT_EQ(g.ShowPopupMenu(&top, IRectangle(1, 2, 3, 4)), &top);
  EXPECT_EQ(top.GetChosenIndex(), 2);
  EXPECT_EQ(g.Menus()[0].texts, (std::vector<std::string>{"01: a", "-", "03: b", "04: sub", "05: e"}));
  EXPECT_EQ(g.Menus()[0].flags[4], 5);

  g.ScriptMenuChoice(3, 1);
  EXPECT_EQ(g.ShowPopupMenu(&top, IRectangle()), &sub);
  EXPECT_EQ(sub.GetChosenIndex(), 1);
  EXPECT_EQ(top.GetChosenIndex(), 2);

  g.ScriptMenuChoice(4);  // greyed
  g.ScriptMenuChoice(1);  // separator
  g.ScriptMenuChoice(-1);
  EXPECT_EQ(g.ShowPopupMenu(&top, IRectangle()), nullptr);
  EXPECT_EQ(g.ShowPopupMenu(&top, IRectangle()), nullptr);
  EXPECT_EQ(g.ShowPopupMenu(&top, IRectangle()), nullptr);
  EXPECT_EQ(top.GetChosenIndex(), 2);
}

// ---- Menu entries are freed exactly once ------------------------------------------------------

int gDeleted = 0;
void CountingDeleter(IMenuEntry* entry) {
  ++gDeleted;
  delete entry;
}

TEST(MenuEntries, DeletingTheEntriesEmptiesTheListSoItsDestructorFreesNothingAgain) {
  gDeleted = 0;
  {
    IMenuList list;
    list.AddEntry("a");
    list.AddSeparator();
    list.AddEntry("b", 0, IMenuEntry::kDisabled);
    DeletePointerListEntries(&list, true, &CountingDeleter);
    EXPECT_EQ(gDeleted, 3);
    EXPECT_EQ(list.NItems(), 0);
    DeletePointerListEntries(&list, true, &CountingDeleter);  // nothing left
    list.AddEntry("c");
    DeletePointerListEntries(&list, true);
    EXPECT_EQ(list.NItems(), 0);
  }
  EXPECT_EQ(gDeleted, 3);
}

TEST(MenuEntries, EntriesGivenUpStayWithTheirHolder) {
  IMenuEntry* kept = nullptr;
  {
    IMenuList list;
    kept = list.AddEntry("kept");
    DeletePointerListEntries(&list, false);
    EXPECT_EQ(list.NItems(), 0);
    DeletePointerListEntries(nullptr, true);
  }
  EXPECT_STREQ(kept->GetText(), "kept");  // the list's destructor left it alone
  delete kept;
}

}  // namespace
