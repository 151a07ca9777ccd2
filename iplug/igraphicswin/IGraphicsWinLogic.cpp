#include "iplug/igraphicswin/IGraphicsWinLogic.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "iplug/core/IPlugParameter.h"

namespace {

// Window messages the entry rule looks at (their Win32 numbers).
constexpr unsigned kMsgLeftButtonDown = 0x0201;
constexpr unsigned kMsgRightButtonDown = 0x0204;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Keys, mouse, wheel, timer

int KeyCodeForVirtualKey(int vk) {
  switch (vk) {
    case 32: return kKeySpace;
    case 37: return kKeyLeft;
    case 38: return kKeyUp;
    case 39: return kKeyRight;
    case 40: return kKeyDown;
    default: break;
  }
  if (vk >= 48 && vk <= 57) return kKeyDigit0 + (vk - 48);
  if (vk >= 65 && vk <= 90) return kKeyLetterA + (vk - 65);
  if (vk >= 97 && vk <= 122) return kKeyLetterA + (vk - 97);
  return -1;
}

IMouseMods MouseModsFromKeyFlags(unsigned keyFlags, bool altDown) {
  return IMouseMods((keyFlags & 1) != 0, (keyFlags & 2) != 0, (keyFlags & 4) != 0, (keyFlags & 8) != 0, altDown);
}

int WheelNotches(unsigned long long wParam) {
  const short delta = static_cast<short>((wParam >> 16) & 0xFFFF);
  return delta / 120;
}

int TimerPeriodMs(double frameRate) {
  if (!(frameRate > 0.0)) return 40;
  return ClampToInt(1000.0 / frameRate);
}

// ---------------------------------------------------------------------------------------------
// The text-entry box

TextEntryState NextTextEntryState(TextEntryState state, TextEntryEvent event) {
  switch (event) {
    case kEntryFocusGained: return kTextEntryFocused;
    case kEntryFocusLost:
    case kEntryEnterKey:
    case kEntryAccelerator: return kTextEntryCommit;
    case kEntryEscapeKey:
    case kEntryWheel:
    case kEntryCancelCall: return kTextEntryCancel;
    case kEntryEditorLeftOrRight: return state == kTextEntryFocused ? kTextEntryCancel : kTextEntryCommit;
    case kEntryEditorMiddle:
      // With the box focused the editor does not handle the middle button at all.
      return state == kTextEntryFocused ? state : kTextEntryCommit;
    case kEntryRepaintAround: return kTextEntryRepainted;
    case kEntryTick:
      // A focused box gets no ticks; every other state ends here (3 and 4 remove the box).
      return state == kTextEntryFocused ? state : kTextEntryNone;
  }
  return state;
}

bool EditorHandlesMessageDuringEntry(TextEntryState state, unsigned message) {
  if (state != kTextEntryFocused) return true;
  return message == kMsgLeftButtonDown || message == kMsgRightButtonDown;
}

bool TextEntryAcceptsChar(int paramKind, unsigned c) {
  if (c == 8) return true;  // backspace
  const bool numeric = (c >= '0' && c <= '9') || c == '+' || c == '-';
  switch (paramKind) {
    case kParamBoolean:
    case kParamInteger:
    case kParamEnumeration: return numeric;
    case kParamNumber: return numeric || c == '.';
    default: return true;
  }
}

TimerStep TimerStepFor(bool boxOpen, TextEntryState state) {
  if (!boxOpen) return kTimerRedraw;
  switch (state) {
    case kTextEntryFocused: return kTimerNotHandled;
    case kTextEntryCommit: return kTimerCommitEntry;
    case kTextEntryCancel: return kTimerCancelEntry;
    case kTextEntryRepainted: return kTimerEntryRepainted;
    default: return kTimerRedraw;
  }
}

unsigned long TextEntryAlignmentStyle(int alignment) {
  constexpr unsigned long kMultiLine = 0x0004, kAutoHScroll = 0x0080, kCentre = 0x0001, kRight = 0x0002;
  unsigned long style = kMultiLine | kAutoHScroll;
  if (alignment == 2) style |= kRight;
  else if (alignment != 0) style |= kCentre;
  return style;
}

// ---------------------------------------------------------------------------------------------
// Folders and resource names

void ModuleFolderFromPath(const char* path, PlugString* out) {
  if (!out) return;
  const char* slash = path ? std::strrchr(path, '\\') : nullptr;
  if (!slash || slash[1] == 0) {
    out->Assign("");
    return;
  }
  out->Assign(path, static_cast<int>(slash - path) + 1);
}

bool IsPngResourceName(const char* name) {
  if (!name || !*name) return false;
  const char* dot = std::strrchr(name, '.');
  const char* ext = dot ? dot + 1 : name + 1;
  if (std::strlen(ext) != 3) return false;
  return std::tolower(static_cast<unsigned char>(ext[0])) == 'p' &&
         std::tolower(static_cast<unsigned char>(ext[1])) == 'n' &&
         std::tolower(static_cast<unsigned char>(ext[2])) == 'g';
}

void FileDialogPattern(const char* extensions, std::string* pattern, std::string* defaultExtension) {
  constexpr size_t kMaxPattern = 126, kMaxExtension = 15;
  pattern->clear();
  defaultExtension->clear();
  const char* p = extensions ? extensions : "";
  bool first = true;
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    const char* end = p;
    while (*end && *end != ' ') ++end;
    const std::string ext(p, end);
    if (first) defaultExtension->assign(ext, 0, kMaxExtension);
    first = false;
    std::string wildcard = (pattern->empty() ? "" : ";") + std::string("*.") + ext;
    if (pattern->size() + wildcard.size() > kMaxPattern) break;
    *pattern += wildcard;
    p = end;
  }
}

// ---------------------------------------------------------------------------------------------
// Popup menus

std::string MenuItemText(const IMenuList* list, int i) {
  const IMenuEntry* entry = list ? list->GetItem(i) : nullptr;
  if (!entry) return std::string();
  const char* text = entry->GetText();
  static const char* const kFormats[] = {nullptr, "%1d: %s", "%02d: %s", "%03d: %s"};
  const int mode = list->GetNumbering();
  if (mode < 1 || mode > 3) return text;
  std::string out(std::strlen(text) + 51, '\0');
  const int n = std::snprintf(&out[0], out.size(), kFormats[mode], i + 1, text);
  out.resize(n < 0 ? 0 : static_cast<size_t>(n) < out.size() ? static_cast<size_t>(n) : out.size() - 1);
  return out;
}

IMenuList* FindMenuOfCommand(int id, int* index, int* running, IMenuList* list, int depth) {
  if (!list || depth > kMaxMenuDepth) return nullptr;
  const int base = *running;
  const int n = list->NItems();
  *running += n;
  if (id >= base && id < *running) {
    *index = id - base;
    return list;
  }
  for (int i = 0; i < n; ++i) {
    if (IMenuList* sub = list->GetItem(i)->GetSubmenu()) {
      if (IMenuList* found = FindMenuOfCommand(id, index, running, sub, depth + 1)) return found;
    }
  }
  return nullptr;
}

void SkipMenuCommands(int* running, const IMenuList* list, int depth) {
  if (!list || depth > kMaxMenuDepth) return;
  *running += list->NItems();
  for (int i = 0; i < list->NItems(); ++i) SkipMenuCommands(running, list->GetItem(i)->GetSubmenu(), depth + 1);
}
