#pragma once
// Storage of popup-menu descriptions: entries with text and flags, possibly nested. Showing a
// menu belongs to the editor's window layer.

#include "iplug/core/IPlugUtilities.h"

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
  ~IMenuList() { RemoveAll(true, nullptr); }
  IMenuList(const IMenuList&) = delete;
  IMenuList& operator=(const IMenuList&) = delete;

  // position -1 appends; any other position is limited to [0, count]. The list owns the entry.
  // Returns the entry, or null (the entry deleted) when the list cannot grow.
  IMenuEntry* InsertEntry(IMenuEntry* entry, int position);
  IMenuEntry* AddEntry(const char* text, int position = -1, int flags = 0);
  IMenuEntry* AddSeparator(int position = -1);

  int NItems() const { return mEntries.GetSize() / static_cast<int>(sizeof(IMenuEntry*)); }
  IMenuEntry* GetItem(int index) const { return index >= 0 && index < NItems() ? Entries()[index] : nullptr; }
  int GetNumbering() const { return mNumbering; }
  int GetChosenIndex() const { return mChosen; }
  void SetChosenIndex(int index) { mChosen = index; }

  // Empties the list, from the last entry to the first. With deleteEntries each entry goes to
  // the deleter (which takes it over) or, without one, is deleted; without deleteEntries the
  // entries are only given up (the caller holds them elsewhere).
  void RemoveAll(bool deleteEntries, void (*deleter)(IMenuEntry*));

 private:
  IMenuEntry** Entries() const { return static_cast<IMenuEntry**>(mEntries.Get()); }

  int mNumbering;
  int mChosen = -1;
  HeapBuffer mEntries{4096};  // IMenuEntry pointers, owned
};

// Empties a menu's entry list (see IMenuList::RemoveAll). An emptied list frees nothing more
// when it is destroyed, so every entry is freed exactly once.
inline void DeletePointerListEntries(IMenuList* list, bool deleteEntries, void (*deleter)(IMenuEntry*) = nullptr) {
  if (list) list->RemoveAll(deleteEntries, deleter);
}
