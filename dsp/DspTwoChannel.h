#pragma once
// Two-channel Direct Form I: each stage runs over the whole block with both channels computed
// together. Used by ProcessDirectFormI when the filter has two channels and SSE3 is present.
#include "dsp/DspFilters.h"

namespace Dsp {

void ProcessDirectFormITwoChannel(CascadeFilter& filter, int count, double* frames, int stride);

}  // namespace Dsp
