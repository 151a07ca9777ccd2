#pragma once
// Watches the published gains while the renderer runs: it stands in for the editor, where the
// block callback reports every gain update (the processor graphs are fed at each one on both
// the engine and the Read road), and notes the two gain parameters with the frame they were
// published at. Everything else an editor is asked to do is ignored.

#include <vector>

#include "effect/VemtraCorvane.h"

namespace Render {

struct GainUpdate {
  long long frame;  // from the start of the render
  double processor1Db;
  double processor2Db;
};

class GainTap : public IPlugEditor {
 public:
  explicit GainTap(const VemtraCorvane* plug) : mPlug(plug) {}

  // Called before each block with the frame the block starts at.
  void BeginBlock(long long firstFrame);

  // One entry per 10 ms: the block callback repeats an update on up to three frames after
  // each wrap of the histories; a step holds the frame of its first update and the values of
  // its last (what stays published until the next step).
  std::vector<GainUpdate> Steps() const;
  const std::vector<GainUpdate>& Updates() const { return mUpdates; }

  void UpdateControlValue(int controlIndex, double value) override;
  void UpdateControlsOfParam(int, double, bool) override {}
  void CreateDrawBitmaps() override {}
  void GrayControlsOfParam(int, bool) override {}
  void HideControlsOfParam(int, bool) override {}
  void HideControl(int, bool) override {}
  void MarkAllControlsChanged() override {}

 private:
  const VemtraCorvane* mPlug;
  long long mBlockStart = 0;
  int mStartPosition = 0;
  int mLastOffset = -1;
  std::vector<GainUpdate> mUpdates;
};

}  // namespace Render
