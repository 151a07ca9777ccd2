// Everything of the VST3 layer in one include.
#pragma once

#include "vst3_types.h"
#include "vst3_structs.h"
#include "vst3_interfaces.h"
#include "vst3_strings.h"
#include "vst3_object.h"
#include "vst3_bus.h"
#include "vst3_parameters.h"
#include "vst3_single_component.h"
#include "vst3_plugview.h"
#include "vst3_factory.h"
