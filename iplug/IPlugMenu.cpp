#include "iplug/IPlugMenu.h"

IMenuEntry* IMenuList::InsertEntry(IMenuEntry* entry, int position) {
  if (!entry) return nullptr;
  const int n = mEntries.GetSize();
  if (position == -1 || position > n) position = n;
  if (position < 0) position = 0;
  if (!mEntries.Insert(entry, position)) {
    delete entry;
    return nullptr;
  }
  return entry;
}

IMenuEntry* IMenuList::AddEntry(const char* text, int position, int flags) {
  return InsertEntry(new IMenuEntry(text, flags), position);
}

IMenuEntry* IMenuList::AddSeparator(int position) {
  return InsertEntry(new IMenuEntry("", IMenuEntry::kSeparator), position);
}
