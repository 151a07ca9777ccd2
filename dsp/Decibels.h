#pragma once
#include "dsp/Maths.h"

// Decibel conversions used throughout the effect. The constants are ln(10)/20 and 20/ln(10)
// as the stored presets and the published gain parameters were computed with them.
namespace Corvane {

constexpr double kDbToGainFactor = 0.1151292546497;
constexpr double kGainToDbFactor = 8.685889638065037;

inline double DbToGain(double db) { return Dsp::Exp(db * kDbToGainFactor); }
inline double GainToDb(double gain) { return Dsp::Log(gain) * kGainToDbFactor; }

}  // namespace Corvane
