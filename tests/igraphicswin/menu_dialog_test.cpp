// Popup menus, the file and colour dialogs, message boxes and the web address, each driven
// inside its modal loop by a thread timer armed before the call (ModalDriver), which reads
// what is shown and picks an item, a file or an answer. Every modal step has a timeout that
// closes what is open and fails the test.

#include <cstdio>
#include <set>
#include <string>

#include "tests/igraphicswin/win_test_util.h"

namespace wintest {
namespace {

using igtest::kMode;

constexpr UINT kGetMenuOfWindow = 0x01E1;  // MN_GETHMENU

// The Win32 menu of the first popup menu window shown by this thread, or null.
HMENU ShownMenu(HWND* window = nullptr) {
  const std::vector<HWND> menus = ThreadWindowsOfClass("#32768");
  if (menus.empty()) return nullptr;
  if (window) *window = menus.front();
  return reinterpret_cast<HMENU>(SendMessageA(menus.front(), kGetMenuOfWindow, 0, 0));
}

std::string ItemText(HMENU menu, int position) {
  char text[256] = "";
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

// What a driver saw of a menu before it picked.
struct SeenMenu {
  std::vector<std::string> texts;
  std::vector<UINT> states;
  std::vector<int> ids;
  RECT window = {0, 0, 0, 0};
};

// A driver step that records the shown menu and then posts the keys.
std::function<bool()> PickWithKeys(SeenMenu* seen, std::vector<WPARAM> keys) {
  return [seen, keys] {
    HWND window = nullptr;
    HMENU menu = ShownMenu(&window);
    if (!menu) return false;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
      seen->texts.push_back(ItemText(menu, i));
      seen->states.push_back(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION));
      seen->ids.push_back(static_cast<int>(static_cast<int>(GetMenuItemID(menu, i))));
    }
    GetWindowRect(window, &seen->window);
    return PostKeysToMenu(keys);
  };
}

using MenuTest = WinEditorTest;

TEST_F(MenuTest, EnumerationCaptionChoosesFromItsMenu) {
  HWND hWnd = Open();
  ASSERT_NE(hWnd, nullptr);
  Settle();
  SeenMenu seen;
  {
    ModalDriver driver(PickWithKeys(&seen, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}));
    Click(kModeCaption);
    EXPECT_TRUE(driver.acted());
    EXPECT_FALSE(driver.timedOut());
  }
  ASSERT_EQ(seen.texts.size(), 3u);
  EXPECT_EQ(seen.texts[0], "Classic");
  EXPECT_EQ(seen.texts[1], "Stereo");
  EXPECT_EQ(seen.texts[2], "Mid / Side");
  EXPECT_FALSE(seen.states[0] & MF_CHECKED);
  EXPECT_TRUE(seen.states[1] & MF_CHECKED);  // the current value
  // Shown at the caption's left and bottom.
  POINT at = {90, 60};
  ClientToScreen(hWnd, &at);
  EXPECT_EQ(seen.window.left, at.x);
  EXPECT_EQ(seen.window.top, at.y);

  EXPECT_DOUBLE_EQ(plug->GetParam(kMode)->Value(), 2.0);
  const std::string calls = plug->HostSequence();
  EXPECT_EQ(calls.substr(calls.size() - 8), "B1 I1 E1");
  EXPECT_EQ(g->GetOpenGesture(), -1);
  EXPECT_EQ(g->GetCapturedControl(), -1);
}

TEST_F(MenuTest, NumberedItemsFlagsAndIdentifiers) {
  ASSERT_NE(Open(), nullptr);
  for (int pick : {0, 2}) {
    IMenuList list(2);
    for (const char* t : {"a", "b", "c", "d", "e"}) list.AddEntry(t);
    list.InsertEntry(new IMenuEntry("greyed", IMenuEntry::kGrayed | IMenuEntry::kChecked), 3);
    list.AddEntry("off", -1, IMenuEntry::kDisabled);
    SeenMenu seen;
    std::vector<WPARAM> keys(static_cast<size_t>(pick) + 1, VK_DOWN);
    keys.push_back(VK_RETURN);
    IMenuList* chosen = nullptr;
    {
      ModalDriver driver(PickWithKeys(&seen, keys));
      chosen = g->ShowPopupMenu(&list, IRectangle(20, 20, 60, 40));
      EXPECT_FALSE(driver.timedOut());
    }
    ASSERT_EQ(seen.texts.size(), 7u);
    EXPECT_EQ(seen.texts[0], "01: a");
    EXPECT_EQ(seen.texts[3], "04: greyed");
    EXPECT_EQ(seen.texts[4], "05: d");
    EXPECT_EQ(seen.states[3] & (MF_GRAYED | MF_CHECKED), static_cast<UINT>(MF_GRAYED | MF_CHECKED));
    EXPECT_EQ(seen.states[6] & (MF_GRAYED | MF_DISABLED | MF_CHECKED), static_cast<UINT>(MF_DISABLED));
    EXPECT_EQ(seen.states[0] & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(seen.ids[i], i);
    EXPECT_EQ(chosen, &list);
    EXPECT_EQ(list.GetChosenIndex(), pick);
  }
}

TEST_F(MenuTest, SeparatorTakesAnIdentifierAndANumber) {
  ASSERT_NE(Open(), nullptr);
  IMenuList list(1);
  list.AddEntry("first");
  list.AddSeparator();
  list.AddEntry("after");
  SeenMenu seen;
  IMenuList* chosen = nullptr;
  {
    ModalDriver driver(PickWithKeys(&seen, {VK_DOWN, VK_DOWN, VK_RETURN}));
    chosen = g->ShowPopupMenu(&list, IRectangle(10, 10, 50, 30));
    EXPECT_FALSE(driver.timedOut());
  }
  ASSERT_EQ(seen.texts.size(), 3u);
  EXPECT_TRUE(seen.states[1] & MF_SEPARATOR);
  EXPECT_EQ(seen.texts[2], "3: after");
  EXPECT_EQ(seen.ids[2], 2);
  EXPECT_EQ(chosen, &list);
  EXPECT_EQ(list.GetChosenIndex(), 2);
}

TEST_F(MenuTest, ChoiceInASubmenuReturnsTheSubmenu) {
  ASSERT_NE(Open(), nullptr);
  IMenuList top, sub;
  top.AddEntry("t0");
  top.AddEntry("t1")->SetSubmenu(&sub);
  top.AddEntry("t2");
  for (const char* t : {"s0", "s1", "s2", "s3"}) sub.AddEntry(t);
  std::vector<int> subIds;
  auto step = [&] {
    HMENU menu = ShownMenu();
    if (!menu) return false;
    HMENU shownSub = GetSubMenu(menu, 1);
    for (int i = 0; shownSub && i < GetMenuItemCount(shownSub); ++i) {
      subIds.push_back(static_cast<int>(GetMenuItemID(shownSub, i)));
    }
    // t1, into its submenu (its first item selected), down to s2.
    return PostKeysToMenu({VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN});
  };
  IMenuList* chosen = nullptr;
  {
    ModalDriver driver(step);
    chosen = g->ShowPopupMenu(&top, IRectangle(10, 10, 50, 30));
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_EQ(subIds, (std::vector<int>{3, 4, 5, 6}));
  EXPECT_EQ(chosen, &sub);
  EXPECT_EQ(sub.GetChosenIndex(), 2);
  EXPECT_EQ(top.GetChosenIndex(), -1);
}

TEST_F(MenuTest, ClosedWithoutAChoice) {
  ASSERT_NE(Open(), nullptr);
  IMenuList list;
  list.AddEntry("one");
  list.AddEntry("two");
  IMenuList* chosen = &list;
  {
    ModalDriver driver([] { return PostKeysToMenu({VK_ESCAPE}); });
    chosen = g->ShowPopupMenu(&list, IRectangle(10, 10, 50, 30));
    EXPECT_TRUE(driver.acted());
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_EQ(chosen, nullptr);
  EXPECT_EQ(list.GetChosenIndex(), -1);
  // Without a window there is no menu.
  g->CloseEditorWindow();
  EXPECT_EQ(g->ShowPopupMenu(&list, IRectangle(10, 10, 50, 30)), nullptr);
}

// ---- The file dialog ------------------------------------------------------------------------------

// A folder of its own below the temporary folder, with the final backslash.
std::string TestFolder() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "corvane-igraphicswin\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// A driver step that types a name into the shown file dialog and presses OK (or Cancel).
std::function<bool()> AnswerFileDialog(const std::string& name, bool ok, std::string* title) {
  return [name, ok, title] {
    const std::vector<HWND> dialogs = ThreadWindowsOfClass("#32770");
    if (dialogs.empty()) return false;
    HWND dlg = dialogs.front();
    char text[256] = "";
    GetWindowTextA(dlg, text, sizeof text);
    *title = text;
    if (ok) {
      // The file name field: an edit (edt1) or the combo box that holds one (cmb13).
      HWND field = GetDlgItem(dlg, 0x480);
      if (!field) field = GetDlgItem(dlg, 0x47C);
      if (!field) return false;
      SetWindowTextA(field, name.c_str());
    }
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
    return true;
  };
}

// A driver step that answers the first message box with a button and records its owner and texts.
struct SeenBox {
  HWND owner = nullptr;
  std::string texts;
};
std::function<bool()> AnswerBox(SeenBox* seen, int button) {
  return [seen, button] {
    const std::vector<HWND> dialogs = ThreadWindowsOfClass("#32770");
    if (dialogs.empty()) return false;
    seen->owner = GetWindow(dialogs.front(), GW_OWNER);
    seen->texts = DialogTexts(dialogs.front());
    PostMessageA(dialogs.front(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return true;
  };
}

class DialogTest : public WinEditorTest {
 protected:
  // A message box of the editor, answered with a button by a driver; ShowMessage's answer.
  int Message(const char* text, int type, int button, SeenBox* seen);
};

TEST_F(DialogTest, FileDialogOpensAFile) {
  ASSERT_NE(Open(), nullptr);
  const std::string folder = TestFolder();
  const std::string path = folder + "preset one.fxp";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("CcnK", f);
  std::fclose(f);

  PlugString file, dir;
  dir.Assign(folder.c_str());
  std::string title;
  {
    ModalDriver driver(AnswerFileDialog("preset one.fxp", true, &title));
    g->AskForFile(&file, 0, &dir, "fxp");
    EXPECT_TRUE(driver.acted());
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_STREQ(file.Get(), path.c_str());
  EXPECT_STREQ(dir.Get(), folder.c_str());
  DeleteFileA(path.c_str());
}

TEST_F(DialogTest, FileDialogSavesWithTheDefaultExtension) {
  ASSERT_NE(Open(), nullptr);
  const std::string folder = TestFolder();
  PlugString file, dir;
  file.Assign("Default");
  dir.Assign(folder.c_str());
  std::string title;
  {
    ModalDriver driver(AnswerFileDialog("saved", true, &title));
    g->AskForFile(&file, 1, &dir, "fxp");
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_STREQ(file.Get(), (folder + "saved.fxp").c_str());
  EXPECT_STREQ(dir.Get(), folder.c_str());
}

TEST_F(DialogTest, FileDialogCancelledOrWithoutWindow) {
  PlugString file, dir;
  file.Assign("old.fxp");
  g->AskForFile(&file, 0, &dir, "fxp");  // no window: no dialog
  EXPECT_STREQ(file.Get(), "");

  ASSERT_NE(Open(), nullptr);
  file.Assign("old.fxp");
  std::string title;
  {
    ModalDriver driver(AnswerFileDialog("", false, &title));
    g->AskForFile(&file, 0, &dir, "fxp");
    EXPECT_TRUE(driver.acted());
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_STREQ(file.Get(), "");
  // An empty folder started at the desktop, and stays there.
  PlugString desktop;
  g->GetDesktopFolder(&desktop);
  EXPECT_STREQ(dir.Get(), desktop.Get());
}

// ---- The colour dialog ----------------------------------------------------------------------------

TEST_F(DialogTest, ColourDialogTakesThePromptAndGivesTheColour) {
  IArgbColour colour(128, 200, 100, 50);
  EXPECT_FALSE(g->AskForColour(&colour, "Pick"));  // no window
  ASSERT_NE(Open(), nullptr);

  std::string title;
  auto choose = [&](bool ok) {
    return [&title, ok] {
      const std::vector<HWND> dialogs = ThreadWindowsOfClass("#32770");
      if (dialogs.empty()) return false;
      HWND dlg = dialogs.front();
      char text[128] = "";
      GetWindowTextA(dlg, text, sizeof text);
      title = text;
      if (ok) {
        // The red, green and blue fields of the full dialog.
        SetDlgItemTextA(dlg, 706, "10");
        SetDlgItemTextA(dlg, 707, "20");
        SetDlgItemTextA(dlg, 708, "30");
      }
      PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
      return true;
    };
  };
  {
    ModalDriver driver(choose(false));
    EXPECT_FALSE(g->AskForColour(&colour, "Pick a colour"));
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_EQ(title, "Pick a colour");
  EXPECT_EQ(colour, IArgbColour(128, 200, 100, 50));
  {
    ModalDriver driver(choose(true));
    EXPECT_TRUE(g->AskForColour(&colour, "Pick a colour"));
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_EQ(colour, IArgbColour(128, 10, 20, 30));  // alpha kept
}

// ---- Message boxes and the web address --------------------------------------------------------------

int DialogTest::Message(const char* text, int type, int button, SeenBox* seen) {
  ModalDriver driver(AnswerBox(seen, button));
  const int answer = g->ShowMessage(text, "Corvane", type);
  EXPECT_TRUE(driver.acted());
  EXPECT_FALSE(driver.timedOut());
  return answer;
}

TEST_F(DialogTest, MessageBoxOwnerIsTheHostsTopLevelWindow) {
  HWND frame = CreateChildFrame(host, 0, 0, 300, 200);
  ASSERT_NE(Open(frame), nullptr);
  SeenBox seen;
  EXPECT_EQ(Message("Saved.", MB_OK, IDOK, &seen), IDOK);
  EXPECT_EQ(seen.owner, host);
  EXPECT_EQ(g->GetMessageOwner(), host);
  EXPECT_NE(seen.texts.find("Saved."), std::string::npos);
  EXPECT_NE(seen.texts.find("Corvane"), std::string::npos);
}

TEST_F(DialogTest, MessageBoxOwnerFoundAgainByClassName) {
  HWND first = CreateHostWindow(60, 60, 300, 200, "CorvaneOwnerHost");
  ASSERT_NE(Open(first), nullptr);
  SeenBox seen;
  EXPECT_EQ(Message("Overwrite?", MB_YESNO, IDYES, &seen), IDYES);
  EXPECT_EQ(seen.owner, first);

  // The host replaces its main window: the new one of the same class owns the next box.
  g->CloseEditorWindow();
  DestroyWindow(first);
  HWND second = CreateHostWindow(80, 80, 300, 200, "CorvaneOwnerHost");
  EXPECT_EQ(Message("Again?", MB_YESNO, IDNO, &seen), IDNO);
  EXPECT_EQ(seen.owner, second);
  EXPECT_EQ(g->GetMessageOwner(), second);
  DestroyWindow(second);
}

TEST_F(DialogTest, MessageBoxWithoutAnyHostWindow) {
  SeenBox seen;
  EXPECT_EQ(Message("Alone", MB_OK, IDOK, &seen), IDOK);
  EXPECT_EQ(seen.owner, nullptr);
  EXPECT_EQ(g->GetMessageOwner(), nullptr);
}

TEST_F(DialogTest, WebAddressNeedsAYesAndReportsFailure) {
  ASSERT_NE(Open(), nullptr);
  SeenBox seen;
  {
    ModalDriver driver(AnswerBox(&seen, IDNO));
    EXPECT_FALSE(g->OpenWebAddress("https://example.invalid/", "Corvane", "Open the manual?", "No connection"));
    EXPECT_TRUE(driver.acted());
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_EQ(seen.owner, host);
  EXPECT_NE(seen.texts.find("Open the manual?"), std::string::npos);

  // An address that cannot be opened: the failure text is shown (any other box the system
  // shows on the way is answered too).
  std::set<HWND> answered;
  std::string texts;
  auto answerAll = [&] {
    for (HWND dlg : ThreadWindowsOfClass("#32770")) {
      if (!answered.insert(dlg).second) continue;
      texts += DialogTexts(dlg);
      PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return false;
  };
  {
    ModalDriver driver(answerAll);
    EXPECT_FALSE(g->OpenWebAddress("C:\\corvane-missing\\nothing.xyz", "Corvane", nullptr, "No connection"));
    EXPECT_FALSE(driver.timedOut());
  }
  EXPECT_NE(texts.find("No connection"), std::string::npos);
}

}  // namespace
}  // namespace wintest
