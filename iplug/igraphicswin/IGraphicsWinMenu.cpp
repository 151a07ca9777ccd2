// Popup menus of the Windows editor: a Win32 menu built from an IMenuList description, tracked
// at a rectangle of the editor, and the choice read back as the list that holds it.
//
// Command identifiers: each list takes the next block of identifiers for its own entries (one per
// entry, separators and submenu holders included) before any of its submenus, which then take
// theirs in entry order; the top list starts at 0. FindMenuOfCommand visits the lists in the same
// order, so it hands out the same blocks.

#include <string>

#include "iplug/igraphicswin/IGraphicsWin.h"

HMENU IGraphicsWin::BuildPopupMenu(IMenuList* menu, int* running, int depth) {
  if (!menu || depth > kMaxMenuDepth) return nullptr;
  HMENU handle = CreatePopupMenu();
  const int base = *running;
  const int n = menu->NItems();
  *running += n;
  if (!handle) {
    // The identifiers stay taken, as the search counts them.
    for (int i = 0; i < n; ++i) SkipMenuCommands(running, menu->GetItem(i)->GetSubmenu(), depth + 1);
    return nullptr;
  }
  for (int i = 0; i < n; ++i) {
    const IMenuEntry* entry = menu->GetItem(i);
    const int flags = entry->GetFlags();
    IMenuList* submenu = entry->GetSubmenu();
    if (flags & IMenuEntry::kSeparator) {
      AppendMenuA(handle, MF_SEPARATOR, 0, nullptr);
      SkipMenuCommands(running, submenu, depth + 1);
      continue;
    }
    const std::string text = MenuItemText(menu, i);
    if (submenu) {
      HMENU sub = BuildPopupMenu(submenu, running, depth + 1);
      if (sub && !AppendMenuA(handle, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), text.c_str())) {
        DestroyMenu(sub);
      }
      continue;  // a submenu that cannot be built is left out
    }
    UINT itemFlags = MF_STRING;
    if (flags & IMenuEntry::kGrayed) itemFlags |= MF_GRAYED;
    if (flags & IMenuEntry::kDisabled) itemFlags |= MF_DISABLED;
    if (flags & IMenuEntry::kChecked) itemFlags |= MF_CHECKED;
    AppendMenuA(handle, itemFlags, static_cast<UINT_PTR>(base + i), text.c_str());
  }
  return handle;
}

IMenuList* IGraphicsWin::ShowPopupMenu(IMenuList* menu, const IRectangle& rect) {
  ReleaseMouseCapture();  // the button that opened the menu is not followed by a drag
  if (!menu || !mHWND) return nullptr;
  int running = 0;
  HMENU handle = BuildPopupMenu(menu, &running);
  if (!handle) return nullptr;

  POINT p = {rect.left, rect.bottom};
  ClientToScreen(mHWND, &p);
  IMenuList* result = nullptr;
  if (TrackPopupMenu(handle, TPM_LEFTBUTTON, p.x, p.y, 0, mHWND, nullptr)) {
    MSG msg;
    if (PeekMessageA(&msg, mHWND, WM_COMMAND, WM_COMMAND, PM_REMOVE) && HIWORD(msg.wParam) == 0) {
      int index = -1, start = 0;
      result = FindMenuOfCommand(LOWORD(msg.wParam), &index, &start, menu);
      if (result) result->SetChosenIndex(index);
    }
  }
  DestroyMenu(handle);
  RECT all = {0, 0, mWidth, mHeight};
  InvalidateRect(mHWND, &all, FALSE);
  return result;
}
