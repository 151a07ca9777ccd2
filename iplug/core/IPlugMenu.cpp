#include "iplug/core/IPlugMenu.h"

#include <cstring>

IMenuEntry* IMenuList::InsertEntry(IMenuEntry* entry, int position) {
  if (!entry) return nullptr;
  const int n = NItems();
  if (position == -1 || position > n) position = n;
  if (position < 0) position = 0;
  const long long bytes = static_cast<long long>(n + 1) * sizeof(IMenuEntry*);
  if (bytes <= 0x7FFFFFFF) mEntries.Resize(static_cast<int>(bytes), false);
  if (NItems() != n + 1) {
    delete entry;
    return nullptr;
  }
  IMenuEntry** e = Entries();
  std::memmove(e + position + 1, e + position, sizeof(IMenuEntry*) * static_cast<size_t>(n - position));
  e[position] = entry;
  return entry;
}

void IMenuList::RemoveAll(bool deleteEntries, void (*deleter)(IMenuEntry*)) {
  for (int i = NItems() - 1; i >= 0; --i) {
    IMenuEntry* entry = Entries()[i];
    mEntries.Resize(i * static_cast<int>(sizeof(IMenuEntry*)), false);  // out of the list first
    if (!deleteEntries) continue;
    if (deleter) deleter(entry);
    else delete entry;
  }
  mEntries.Resize(0, true);
}

IMenuEntry* IMenuList::AddEntry(const char* text, int position, int flags) {
  return InsertEntry(new IMenuEntry(text, flags), position);
}

IMenuEntry* IMenuList::AddSeparator(int position) {
  return InsertEntry(new IMenuEntry("", IMenuEntry::kSeparator), position);
}
