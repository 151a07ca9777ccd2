#pragma once
// What the plug-in base needs from its editor. The editor framework's IGraphics derives from
// this interface; the plug-in base holds its editor through it, owns it once bound and deletes
// it in its own destructor.

class IPlugEditor {
 public:
  virtual ~IPlugEditor() = default;

  // Hands a parameter's value to every control bound to it (directly or as an aux binding).
  // normalized = false: value is a plain value, converted with the parameter's ToNormalized.
  virtual void UpdateControlsOfParam(int paramIndex, double value, bool normalized) = 0;

  // Creates the editor's drawing surfaces (called once when the editor is bound).
  virtual void CreateDrawBitmaps() = 0;
};
