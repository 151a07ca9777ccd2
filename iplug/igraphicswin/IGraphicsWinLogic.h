#pragma once
// The decisions of the Windows editor window that do not need Windows: key-code mapping, mouse
// modifiers from a message's key flags, wheel notches, the timer period, the text-entry box's
// state machine and character filter, the timer tick's commit / repaint / idle rule, module
// folders, resource names, and the command numbering and item texts of popup menus. The window
// layer (IGraphicsWin) calls these; they are built and tested on every platform.

#include <string>

#include "iplug/igraphics/IGraphicsStructs.h"
#include "iplug/core/IPlugMenu.h"
#include "iplug/core/IPlugUtilities.h"

class IGraphics;

// ---- Keys, mouse, wheel, timer --------------------------------------------------------------

// The KeyCode for a Win32 virtual-key code: space 0, up 1, down 2, left 3, right 4, the digits
// 48..57 become 5..14, the letters 65..90 become 15..40, and 97..122 become 15..40 as well.
// -1 for every other key.
int KeyCodeForVirtualKey(int virtualKey);

// The buttons and modifiers of a mouse message: key flags bit 0 left, bit 1 right, bit 2 shift,
// bit 3 ctrl; alt is read separately (the Alt key's state).
IMouseMods MouseModsFromKeyFlags(unsigned keyFlags, bool altDown);

// Whole notches of a wheel message: the signed high word of its first parameter / 120, toward
// zero (a smooth-scrolling delta of 60 gives 0).
int WheelNotches(unsigned long long wParam);

// The redraw timer's period in milliseconds: int(1000 / frame rate); 40 for a rate of 0 or less.
int TimerPeriodMs(double frameRate);

// ---- The text-entry box ---------------------------------------------------------------------

enum TextEntryState {
  kTextEntryNone = 0,       // no box, or the box is open and nothing is pending
  kTextEntryFocused = 1,    // the box has the keyboard focus
  kTextEntryRepainted = 2,  // the editor repainted around the open box
  kTextEntryCancel = 3,     // the next tick removes the box without a commit
  kTextEntryCommit = 4      // the next tick commits the box's text and removes it
};

enum TextEntryEvent {
  kEntryFocusGained,         // the box got the keyboard focus
  kEntryFocusLost,           // the box lost it
  kEntryEnterKey,            // Enter in the box
  kEntryEscapeKey,           // Escape in the box
  kEntryAccelerator,         // an accelerator command reached the box
  kEntryEditorLeftOrRight,   // the left or right button pressed in the editor
  kEntryEditorMiddle,        // the middle button pressed in the editor
  kEntryWheel,               // the wheel turned in the editor
  kEntryCancelCall,          // CancelTextEntry
  kEntryRepaintAround,       // the editor repainted around the box
  kEntryTick                 // a timer tick handled by the editor
};

// The state after an event while a box is open.
TextEntryState NextTextEntryState(TextEntryState state, TextEntryEvent event);

// Whether the editor's window procedure handles a message itself while a box is open in this
// state: with the box focused only the left and right button presses are its own (they cancel
// the entry); everything else, the timer included, goes to the default procedure.
bool EditorHandlesMessageDuringEntry(TextEntryState state, unsigned message);

// Whether the box takes a typed character. Backspace always passes. For parameters of kind
// boolean, integer and enumeration only digits, "+" and "-" pass, for numbers also "."; every
// character passes for other kinds and for a box without a parameter (paramKind -1).
bool TextEntryAcceptsChar(int paramKind, unsigned character);

// What one tick of the redraw timer (timer 2) does first.
enum TimerStep {
  kTimerCommitEntry,     // read the box's text, commit it, remove the box
  kTimerCancelEntry,     // remove the box without a commit
  kTimerEntryRepainted,  // only: state back to 0 (the repaint was done by the previous tick)
  kTimerRedraw,          // collect the dirty area and repaint it, or count a quiet tick
  kTimerNotHandled       // the box has the focus: the tick goes to the default procedure
};
TimerStep TimerStepFor(bool boxOpen, TextEntryState state);

// The box's window style bits for a text alignment: multi-line, automatic horizontal scroll,
// plus centred (1) for alignment 1 and right (2) for alignment 2; any other non-zero alignment
// centres. Child and visible are the caller's.
unsigned long TextEntryAlignmentStyle(int alignment);

// ---- Folders and resource names ---------------------------------------------------------------

// The folder of a module's path: up to and including its last backslash; "" when the path is
// empty, has no backslash or ends with it.
void ModuleFolderFromPath(const char* path, PlugString* out);

// Whether a bitmap resource name names a PNG: the part after its last "." is "png" in any letter
// case; a name without a dot is compared from its second character. A null or empty name is not.
bool IsPngResourceName(const char* name);

// The filter pattern of a blank-separated extension list: "*.wav;*.aif" for "wav aif". The
// default extension is the first one, up to the first blank. Patterns longer than 126 characters
// and extensions longer than 15 are cut.
void FileDialogPattern(const char* extensions, std::string* pattern, std::string* defaultExtension);

// ---- Popup menus ----------------------------------------------------------------------------

// The text of entry i (from 0) of a list as the menu shows it: the entry's text, or with the
// list's numbering mode "%1d: %s", "%02d: %s" or "%03d: %s" filled with i + 1 and the text.
// Separators count in the numbering.
std::string MenuItemText(const IMenuList* list, int i);

// Nested menus deeper than this are not built (a list that holds itself would never end).
constexpr int kMaxMenuDepth = 16;

// The list that holds command identifier id, with the entry's index: each list takes the next
// block of identifiers for its own entries (one per entry, separators and submenu holders
// included) before any of its submenus, which then take theirs in entry order; the top list
// starts at *running. *running is advanced past every list visited. Null when id is not found.
IMenuList* FindMenuOfCommand(int id, int* index, int* running, IMenuList* list, int depth = 0);

// Advances *running past every identifier of a list and its submenus, as building would.
void SkipMenuCommands(int* running, const IMenuList* list, int depth = 0);
