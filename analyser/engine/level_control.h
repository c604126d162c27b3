#pragma once
// Level control: which peak searches a file needs, the gain of its
// conversion pass, and whether clipping earns it a second conversion pass.
#include "analyser/engine/conversion_settings.h"

namespace corv {

// Every entry gets a peak pass before the first one is converted.
bool searchesListPeak(const ConversionSettings& settings);

// The entry gets its own peak pass right before its conversion.
bool searchesFilePeak(const ConversionSettings& settings);

// Peak passes keep their processed samples for the conversion pass.
bool usesTemporaryFile(const ConversionSettings& settings);

// A conversion pass that clipped is done once more at a lower gain.
bool convertsAgainOnClipping(const ConversionSettings& settings);

// Gain of a conversion pass, from the entry's searched peak and the list's
// (-1.0 when not searched).
double conversionGain(const ConversionSettings& settings, double filePeak, double listPeak);

// The gain of the pass that follows a clipped one.
double gainAfterClipping(const ConversionSettings& settings, double clippedPeak);

} // namespace corv
