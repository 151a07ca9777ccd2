#pragma once
// What the plug-in base and the effect need from their editor. The editor framework's IGraphics
// derives from this interface; the plug-in base holds its editor through it, owns it once bound
// and deletes it in its own destructor. Keeping the plug-in side on this interface lets the
// framework and the effect be built and tested without the editor library.

class IPlugEditor {
 public:
  virtual ~IPlugEditor() = default;

  // Hands a parameter's value to every control bound to it (directly or as an aux binding).
  // normalized = false: value is a plain value, converted with the parameter's ToNormalized.
  virtual void UpdateControlsOfParam(int paramIndex, double value, bool normalized) = 0;

  // Creates the editor's drawing surfaces (called once when the editor is bound).
  virtual void CreateDrawBitmaps() = 0;

  // Greys or hides every control whose parameter index is paramIndex.
  virtual void GrayControlsOfParam(int paramIndex, bool gray) = 0;
  virtual void HideControlsOfParam(int paramIndex, bool hide) = 0;

  // Hides or shows one control by its index in the control list (ignored when out of range).
  virtual void HideControl(int controlIndex, bool hide) = 0;

  // Audio-thread safe: stores a value in one control and marks it for redraw (ignored when the
  // index is out of range); marks every control for redraw. Neither takes a lock.
  virtual void UpdateControlValue(int controlIndex, double value) = 0;
  virtual void MarkAllControlsChanged() = 0;
};
