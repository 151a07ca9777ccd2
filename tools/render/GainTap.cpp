#include "tools/render/GainTap.h"

#include <algorithm>

namespace Render {

void GainTap::BeginBlock(long long firstFrame) {
  mBlockStart = firstFrame;
  mStartPosition = mPlug->processor1History.position;
  mLastOffset = -1;
}

void GainTap::UpdateControlValue(int controlIndex, double /*value*/) {
  if (controlIndex != mPlug->processor1Graph) return;
  // Both roads push one item per frame into processor 1's history, so its write position tells
  // the frame within the block up to whole history lengths; updates come in frame order and
  // never more than one length apart.
  const int length = std::max(mPlug->processor1History.length, 1);
  int offset = ((mPlug->processor1History.position - mStartPosition - 1) % length + length) % length;
  while (offset <= mLastOffset) offset += length;
  mLastOffset = offset;
  mUpdates.push_back({mBlockStart + offset, mPlug->GetParam(Processor1Gain)->Value(),
                      mPlug->GetParam(Processor2Gain)->Value()});
}

std::vector<GainUpdate> GainTap::Steps() const {
  const int span = std::min(std::max(mPlug->meterLength, 1), 4);
  std::vector<GainUpdate> steps;
  for (const GainUpdate& u : mUpdates) {
    if (!steps.empty() && u.frame < steps.back().frame + span) {
      steps.back().processor1Db = u.processor1Db;
      steps.back().processor2Db = u.processor2Db;
    } else {
      steps.push_back(u);
    }
  }
  return steps;
}

}  // namespace Render
