#pragma once
// The effect's editor: its size, its six bitmaps, its four text styles and the layout of its 57
// controls. The plug-in constructor makes the editor for its build (the Windows editor, or the
// headless one), adds the layout with AddEffectControls and binds the editor.

#include "iplug/igraphics/IGraphics.h"

class IPlugBase;

constexpr int kEditorWidth = 800;
constexpr int kEditorHeight = 500;
constexpr int kEditorFrameRate = 0;  // the editor's default: 25 frames a second
constexpr int kEditorControls = 57;
extern const char* const kEditorVersionLabel;  // "V. 2.0.8"

// The text styles of the knob values, of the captions, and of the scales of the two processor
// graphs.
ITextStyle KnobTextStyle();
ITextStyle CaptionTextStyle();
ITextStyle Processor1ScaleStyle();
ITextStyle Processor2ScaleStyle();

// The line colours of the four graphs.
IArgbColour Detector1GraphColour();
IArgbColour Detector2GraphColour();
IArgbColour Processor1GraphColour();
IArgbColour Processor2GraphColour();

// Control indices the plug-in keeps (-1: the control could not be added).
struct EffectEditorControls {
  int detector1Graph = -1;
  int detector2Graph = -1;
  int processor1Graph = -1;
  int processor2Graph = -1;
  int processor1Fader = -1;
  int processor2Fader = -1;
};

// Loads the background and the five frame bitmaps through the editor and adds every control in
// the layout's order (which is the drawing order and gives the control indices).
EffectEditorControls AddEffectControls(IGraphics* graphics, IPlugBase* plug);

// A headless editor of the editor's size whose bitmaps are the embedded copies of the module
// resources.
IGraphics* MakeHeadlessEffectEditor(IPlugBase* plug);
