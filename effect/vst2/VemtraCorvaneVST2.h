#pragma once
// The VST2 module of the effect: the entry a host calls once per instance. It makes the effect
// on the VST2 adapter and hands the host the effect's plug-in record. The module exports it as
// VSTPluginMain and, for hosts of the older interface versions, as main (VemtraCorvane.def).

#include "iplug/vst2/layer/vst2_types.h"

// A new effect's record, or null when none could be made (the host then gives up on the
// instance). Creations from several threads are serialised; no exception reaches the host.
extern "C" CORVANE_VST2_EXPORT Vst2EffectRecord* CORVANE_VST2_CALL VSTPluginMain(Vst2HostCallback hostCallback);
