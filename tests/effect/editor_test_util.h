#pragma once
// Helpers of the editor tests: the effect as a host has it, with the editor it built for itself
// (the headless editor), and a few mouse and drawing shortcuts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/VemtraCorvaneControls.h"
#include "effect/VemtraCorvaneEditor.h"
#include "effect_test_util.h"
#include "iplug/igraphics/IControl.h"
#include "iplug/igraphics/IGraphicsHeadless.h"

namespace EffectTest {

// The effect after start-up and set-up, with its own editor.
struct EditedEffect : Effect {
  EditedEffect() : gui(dynamic_cast<IGraphicsHeadless*>(GetGUI())) {}

  IControl* At(int index) const { return gui->GetControl(index); }
  template <class T>
  T* As(int index) const {
    return dynamic_cast<T*>(gui->GetControl(index));
  }
  // Text a text control shows (after a draw).
  std::string Text(int index) const {
    const ITextControl* text = As<ITextControl>(index);
    return text ? text->GetText() : "<not a text control>";
  }
  std::string KnobText(int index) const {
    const IKnobMultiControlText* knob = As<IKnobMultiControlText>(index);
    return knob ? knob->GetValueText() : "<not a knob>";
  }
  void Click(int x, int y, bool right = false) {
    const IMouseMods mods(!right, right);
    gui->MouseDown(x, y, mods);
    gui->MouseUp(x, y, mods);
  }
  // Draws what changed, as the editor's timer does.
  void Tick() { gui->Tick(); }
  // Host calls of one kind, as (index, value) pairs.
  std::vector<std::pair<int, double>> Calls(IPlugOffline::HostCall::Kind kind) const {
    std::vector<std::pair<int, double>> out;
    for (const auto& c : HostCalls()) {
      if (c.kind == kind) out.push_back({c.index, c.value});
    }
    return out;
  }

  IGraphicsHeadless* gui;
};

}  // namespace EffectTest
