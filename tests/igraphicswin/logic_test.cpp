// The Windows editor's portable decisions: keys, mouse modifiers, wheel notches, the timer
// period and tick rule, the entry box's states and character filter, module folders, resource
// names, file-dialog patterns, and the item texts and command numbering of popup menus.

#include <gtest/gtest.h>

#include <string>

#include "iplug/igraphicswin/IGraphicsWinLogic.h"
#include "iplug/core/IPlugParameter.h"

namespace {

TEST(KeyMapping, NamedKeysDigitsAndLetters) {
  EXPECT_EQ(KeyCodeForVirtualKey(32), kKeySpace);
  EXPECT_EQ(KeyCodeForVirtualKey(37), kKeyLeft);
  EXPECT_EQ(KeyCodeForVirtualKey(38), kKeyUp);
  EXPECT_EQ(KeyCodeForVirtualKey(39), kKeyRight);
  EXPECT_EQ(KeyCodeForVirtualKey(40), kKeyDown);
  for (int d = 0; d <= 9; ++d) EXPECT_EQ(KeyCodeForVirtualKey('0' + d), 5 + d) << d;
  for (int l = 0; l < 26; ++l) {
    EXPECT_EQ(KeyCodeForVirtualKey('A' + l), 15 + l) << l;
    EXPECT_EQ(KeyCodeForVirtualKey('a' + l), 15 + l) << l;
  }
}

TEST(KeyMapping, OtherKeysMapToNothing) {
  for (int vk : {0, 8, 13, 27, 31, 33, 36, 41, 47, 58, 64, 91, 96, 123, 186, 255}) {
    EXPECT_EQ(KeyCodeForVirtualKey(vk), -1) << vk;
  }
}

TEST(MouseMods, KeyFlagBitsAndAlt) {
  const IMouseMods none = MouseModsFromKeyFlags(0, false);
  EXPECT_FALSE(none.left || none.right || none.shift || none.ctrl || none.alt);
  const IMouseMods all = MouseModsFromKeyFlags(0x0F, true);
  EXPECT_TRUE(all.left && all.right && all.shift && all.ctrl && all.alt);
  const IMouseMods rightCtrl = MouseModsFromKeyFlags(2 | 8, false);
  EXPECT_TRUE(rightCtrl.right && rightCtrl.ctrl);
  EXPECT_FALSE(rightCtrl.left || rightCtrl.shift || rightCtrl.alt);
  // The middle button (bit 4) sets neither left nor right.
  const IMouseMods middle = MouseModsFromKeyFlags(0x10, false);
  EXPECT_FALSE(middle.left || middle.right);
}

TEST(Wheel, NotchesFromTheSignedHighWord) {
  auto w = [](int delta, unsigned flags = 0) {
    return (static_cast<unsigned long long>(static_cast<unsigned short>(delta)) << 16) | flags;
  };
  EXPECT_EQ(WheelNotches(w(120)), 1);
  EXPECT_EQ(WheelNotches(w(-120)), -1);
  EXPECT_EQ(WheelNotches(w(240, 0x0C)), 2);  // key flags in the low word do not count
  EXPECT_EQ(WheelNotches(w(60)), 0);         // smooth scrolling below a notch
  EXPECT_EQ(WheelNotches(w(-60)), 0);
  EXPECT_EQ(WheelNotches(w(-250)), -2);      // toward zero
}

TEST(Timer, PeriodFromTheFrameRate) {
  EXPECT_EQ(TimerPeriodMs(25), 40);
  EXPECT_EQ(TimerPeriodMs(30), 33);
  EXPECT_EQ(TimerPeriodMs(60), 16);
  EXPECT_EQ(TimerPeriodMs(0), 40);
  EXPECT_EQ(TimerPeriodMs(-5), 40);
}

TEST(TextEntryStates, TransitionsOfTheBox) {
  // Focus, keys and commands.
  EXPECT_EQ(NextTextEntryState(kTextEntryNone, kEntryFocusGained), kTextEntryFocused);
  EXPECT_EQ(NextTextEntryState(kTextEntryFocused, kEntryFocusLost), kTextEntryCommit);
  EXPECT_EQ(NextTextEntryState(kTextEntryFocused, kEntryEnterKey), kTextEntryCommit);
  EXPECT_EQ(NextTextEntryState(kTextEntryFocused, kEntryEscapeKey), kTextEntryCancel);
  EXPECT_EQ(NextTextEntryState(kTextEntryRepainted, kEntryAccelerator), kTextEntryCommit);
  EXPECT_EQ(NextTextEntryState(kTextEntryNone, kEntryWheel), kTextEntryCancel);
  EXPECT_EQ(NextTextEntryState(kTextEntryRepainted, kEntryCancelCall), kTextEntryCancel);
  // A press in the editor commits unless the box has the focus, where left and right cancel
  // and the middle button is not the editor's.
  EXPECT_EQ(NextTextEntryState(kTextEntryNone, kEntryEditorLeftOrRight), kTextEntryCommit);
  EXPECT_EQ(NextTextEntryState(kTextEntryRepainted, kEntryEditorLeftOrRight), kTextEntryCommit);
  EXPECT_EQ(NextTextEntryState(kTextEntryFocused, kEntryEditorLeftOrRight), kTextEntryCancel);
  EXPECT_EQ(NextTextEntryState(kTextEntryNone, kEntryEditorMiddle), kTextEntryCommit);
  EXPECT_EQ(NextTextEntryState(kTextEntryFocused, kEntryEditorMiddle), kTextEntryFocused);
  // Repaints and ticks.
  EXPECT_EQ(NextTextEntryState(kTextEntryNone, kEntryRepaintAround), kTextEntryRepainted);
  EXPECT_EQ(NextTextEntryState(kTextEntryRepainted, kEntryTick), kTextEntryNone);
  EXPECT_EQ(NextTextEntryState(kTextEntryCommit, kEntryTick), kTextEntryNone);
  EXPECT_EQ(NextTextEntryState(kTextEntryCancel, kEntryTick), kTextEntryNone);
  EXPECT_EQ(NextTextEntryState(kTextEntryFocused, kEntryTick), kTextEntryFocused);
}

TEST(TextEntryStates, TimerStepPerState) {
  EXPECT_EQ(TimerStepFor(false, kTextEntryNone), kTimerRedraw);
  EXPECT_EQ(TimerStepFor(false, kTextEntryCommit), kTimerRedraw);  // no box: nothing to commit
  EXPECT_EQ(TimerStepFor(true, kTextEntryNone), kTimerRedraw);
  EXPECT_EQ(TimerStepFor(true, kTextEntryFocused), kTimerNotHandled);
  EXPECT_EQ(TimerStepFor(true, kTextEntryRepainted), kTimerEntryRepainted);
  EXPECT_EQ(TimerStepFor(true, kTextEntryCancel), kTimerCancelEntry);
  EXPECT_EQ(TimerStepFor(true, kTextEntryCommit), kTimerCommitEntry);
}

TEST(TextEntryStates, EditorMessagesWhileTheBoxHasTheFocus) {
  const unsigned kTimer = 0x0113, kLeftDown = 0x0201, kRightDown = 0x0204, kMiddleDown = 0x0207, kMove = 0x0200;
  for (unsigned msg : {kTimer, kLeftDown, kRightDown, kMiddleDown, kMove}) {
    EXPECT_TRUE(EditorHandlesMessageDuringEntry(kTextEntryNone, msg));
    EXPECT_TRUE(EditorHandlesMessageDuringEntry(kTextEntryRepainted, msg));
  }
  EXPECT_TRUE(EditorHandlesMessageDuringEntry(kTextEntryFocused, kLeftDown));
  EXPECT_TRUE(EditorHandlesMessageDuringEntry(kTextEntryFocused, kRightDown));
  EXPECT_FALSE(EditorHandlesMessageDuringEntry(kTextEntryFocused, kMiddleDown));
  EXPECT_FALSE(EditorHandlesMessageDuringEntry(kTextEntryFocused, kTimer));
  EXPECT_FALSE(EditorHandlesMessageDuringEntry(kTextEntryFocused, kMove));
}

TEST(TextEntryFilter, CharactersPerParameterKind) {
  const std::string typed = "-+0123456789.,aZ e";
  auto pass = [&](int kind) {
    std::string out;
    for (char c : typed)
      if (TextEntryAcceptsChar(kind, static_cast<unsigned char>(c))) out += c;
    return out;
  };
  EXPECT_EQ(pass(kParamBoolean), "-+0123456789");
  EXPECT_EQ(pass(kParamInteger), "-+0123456789");
  EXPECT_EQ(pass(kParamEnumeration), "-+0123456789");
  EXPECT_EQ(pass(kParamNumber), "-+0123456789.");
  EXPECT_EQ(pass(kParamNone), typed);
  EXPECT_EQ(pass(-1), typed);  // no parameter
  for (int kind : {-1, 0, 1, 2, 3, 4}) EXPECT_TRUE(TextEntryAcceptsChar(kind, 8)) << kind;  // backspace
}

TEST(TextEntryFilter, BoxStyleForTheAlignment) {
  const unsigned long childVisible = 0x50000000ul;
  EXPECT_EQ(childVisible | TextEntryAlignmentStyle(0), 1342177412ul);
  EXPECT_EQ(childVisible | TextEntryAlignmentStyle(1), 1342177413ul);
  EXPECT_EQ(childVisible | TextEntryAlignmentStyle(2), 1342177414ul);
  EXPECT_EQ(childVisible | TextEntryAlignmentStyle(7), 1342177413ul);
}

TEST(Folders, ModuleFolderKeepsTheBackslash) {
  PlugString out;
  ModuleFolderFromPath("C:\\x\\y.dll", &out);
  EXPECT_STREQ(out.Get(), "C:\\x\\");
  ModuleFolderFromPath("C:\\Program Files\\Host\\host.exe", &out);
  EXPECT_STREQ(out.Get(), "C:\\Program Files\\Host\\");
  for (const char* bad : {"", "y.dll", "C:\\x\\"}) {
    out.Assign("stale");
    ModuleFolderFromPath(bad, &out);
    EXPECT_STREQ(out.Get(), "") << bad;
  }
  out.Assign("stale");
  ModuleFolderFromPath(nullptr, &out);
  EXPECT_STREQ(out.Get(), "");
}

TEST(Resources, PngNamesByTheirExtension) {
  EXPECT_TRUE(IsPngResourceName("resources/img/bkg.png"));
  EXPECT_TRUE(IsPngResourceName("KNOB.PNG"));
  EXPECT_TRUE(IsPngResourceName("a.b.Png"));
  EXPECT_FALSE(IsPngResourceName("bkg.bmp"));
  EXPECT_FALSE(IsPngResourceName("bkg.pngx"));
  EXPECT_FALSE(IsPngResourceName("bkg."));
  // Without a dot the name is compared from its second character.
  EXPECT_TRUE(IsPngResourceName("xpng"));
  EXPECT_FALSE(IsPngResourceName("png"));
  EXPECT_FALSE(IsPngResourceName(""));
  EXPECT_FALSE(IsPngResourceName(nullptr));
}

TEST(FileDialog, PatternAndDefaultExtension) {
  std::string pattern, ext;
  FileDialogPattern("fxp", &pattern, &ext);
  EXPECT_EQ(pattern, "*.fxp");
  EXPECT_EQ(ext, "fxp");
  FileDialogPattern("wav aif", &pattern, &ext);
  EXPECT_EQ(pattern, "*.wav;*.aif");
  EXPECT_EQ(ext, "wav");
  FileDialogPattern("  txt   csv ", &pattern, &ext);
  EXPECT_EQ(pattern, "*.txt;*.csv");
  EXPECT_EQ(ext, "txt");
  FileDialogPattern("", &pattern, &ext);
  EXPECT_EQ(pattern, "");
  EXPECT_EQ(ext, "");
  // Limits: the pattern stops before it would pass 126 characters; the default extension
  // keeps 15.
  std::string many;
  for (int i = 0; i < 40; ++i) many += "abc ";
  FileDialogPattern(many.c_str(), &pattern, &ext);
  EXPECT_LE(pattern.size(), 126u);
  EXPECT_EQ(pattern.size() % 6, 5u);  // whole wildcards only
  FileDialogPattern("averyveryverylongextension x", &pattern, &ext);
  EXPECT_EQ(ext, "averyveryverylo");
}

TEST(MenuTexts, NumberingModes) {
  IMenuList plain, one(1), two(2), three(3);
  for (IMenuList* list : {&plain, &one, &two, &three}) {
    for (const char* t : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "Tenth"}) list->AddEntry(t);
  }
  EXPECT_EQ(MenuItemText(&plain, 4), "e");
  EXPECT_EQ(MenuItemText(&one, 0), "1: a");
  EXPECT_EQ(MenuItemText(&one, 9), "10: Tenth");
  EXPECT_EQ(MenuItemText(&two, 4), "05: e");
  EXPECT_EQ(MenuItemText(&three, 9), "010: Tenth");
  EXPECT_EQ(MenuItemText(&two, 10), "");  // no such entry
}

TEST(MenuTexts, SeparatorsTakeANumber) {
  IMenuList list(1);
  list.AddEntry("first");
  list.AddSeparator();
  list.AddEntry("after");
  EXPECT_EQ(MenuItemText(&list, 2), "3: after");
  // A long text is kept whole.
  const std::string longText(300, 'x');
  list.AddEntry(longText.c_str());
  EXPECT_EQ(MenuItemText(&list, 3), "4: " + longText);
}

TEST(MenuCommands, BlocksPerListInBuildingOrder) {
  // Top: 3 entries, the second holding a submenu of 4: top 0..2, submenu 3..6.
  IMenuList top, sub;
  top.AddEntry("t0");
  top.AddEntry("t1")->SetSubmenu(&sub);
  top.AddEntry("t2");
  for (const char* t : {"s0", "s1", "s2", "s3"}) sub.AddEntry(t);

  for (int id = 0; id <= 6; ++id) {
    int index = -1, running = 0;
    IMenuList* found = FindMenuOfCommand(id, &index, &running, &top);
    ASSERT_NE(found, nullptr) << id;
    EXPECT_EQ(found, id < 3 ? &top : &sub) << id;
    EXPECT_EQ(index, id < 3 ? id : id - 3) << id;
  }
  int index = -1, running = 0;
  EXPECT_EQ(FindMenuOfCommand(7, &index, &running, &top), nullptr);
  running = 0;
  SkipMenuCommands(&running, &top);
  EXPECT_EQ(running, 7);
}

TEST(MenuCommands, NestedAndSiblingSubmenus) {
  // top(2): [A -> a(2): [x, y -> deep(3)], B -> b(2)]. Blocks: top 0..1, a 2..3, deep 4..6,
  // b 7..8 (a list's submenus follow it before the next sibling's).
  IMenuList top, a, deep, b;
  top.AddEntry("A")->SetSubmenu(&a);
  top.AddEntry("B")->SetSubmenu(&b);
  a.AddEntry("x");
  a.AddEntry("y")->SetSubmenu(&deep);
  for (const char* t : {"d0", "d1", "d2"}) deep.AddEntry(t);
  b.AddEntry("b0");
  b.AddEntry("b1");
  struct Case {
    int id;
    IMenuList* list;
    int index;
  } cases[] = {{0, &top, 0}, {2, &a, 0}, {3, &a, 1}, {4, &deep, 0}, {6, &deep, 2}, {7, &b, 0}, {8, &b, 1}};
  for (const Case& c : cases) {
    int index = -1, running = 0;
    EXPECT_EQ(FindMenuOfCommand(c.id, &index, &running, &top), c.list) << c.id;
    EXPECT_EQ(index, c.index) << c.id;
  }
}

TEST(MenuCommands, AListHoldingItselfEnds) {
  IMenuList loop;
  loop.AddEntry("again")->SetSubmenu(&loop);
  int index = -1, running = 0;
  EXPECT_EQ(FindMenuOfCommand(1000, &index, &running, &loop), nullptr);
  running = 0;
  SkipMenuCommands(&running, &loop);
  EXPECT_EQ(running, kMaxMenuDepth + 1);
}

}  // namespace
