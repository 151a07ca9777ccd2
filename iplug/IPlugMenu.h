#pragma once
// Storage of popup-menu descriptions: entries with text and flags, possibly nested. Showing a
// menu belongs to the editor's window layer.

#include "iplug/IPlugUtilities.h"

class IMenuList;

class IMenuEntry {
 public:
  enum Flags { kGrayed = 1, kDisabled = 2, kChecked = 4, kSeparator = 8 };

  IMenuEntry(const char* text, int flags) : mText(text), mFlags(flags) {}

  const char* GetText() const { return mText.Get(); }
  int GetFlags() const { return mFlags; }
  IMenuList* GetSubmenu() const { return mSubmenu; }
  void SetSubmenu(IMenuList* submenu) { mSubmenu = submenu; }  // not owned

 private:
  PlugString mText;
  IMenuList* mSubmenu = nullptr;
  int mFlags;
};

class IMenuList {
 public:
  // Numbering modes of the item texts: 0 none, 1 "%1d: %s", 2 "%02d: %s", 3 "%03d: %s".
  explicit IMenuList(int numbering = 0) : mNumbering(numbering) {}
  // Deletes every entry from the last to the first; submenus are not deleted.
  ~IMenuList() { mEntries.DeleteAll(); }

  // position -1 appends; any other position is limited to [0, count]. The list owns the entry.
  IMenuEntry* InsertEntry(IMenuEntry* entry, int position);
  IMenuEntry* AddEntry(const char* text, int position = -1, int flags = 0);
  IMenuEntry* AddSeparator(int position = -1);

  int NItems() const { return mEntries.GetSize(); }
  IMenuEntry* GetItem(int index) const { return mEntries.Get(index); }
  int GetNumbering() const { return mNumbering; }
  int GetChosenIndex() const { return mChosen; }
  void SetChosenIndex(int index) { mChosen = index; }

 private:
  int mNumbering;
  int mChosen = -1;
  PointerList<IMenuEntry> mEntries{4096};
};
