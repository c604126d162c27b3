#include "analyser/engine/level_control.h"

#include <cmath>

namespace corv {

bool searchesListPeak(const ConversionSettings& s) {
    return s.normalize && s.normalizeList;
}

bool searchesFilePeak(const ConversionSettings& s) {
    return s.normalize && (s.normalizeFile || (s.normalizeOnClipping && s.normalizeWithTempFile));
}

bool usesTemporaryFile(const ConversionSettings& s) {
    return s.normalize && s.normalizeWithTempFile;
}

bool convertsAgainOnClipping(const ConversionSettings& s) {
    return s.normalize && s.normalizeOnClipping && !s.normalizeWithTempFile;
}

double conversionGain(const ConversionSettings& s, double filePeak, double listPeak) {
    if (s.normalize && s.normalizeFile && filePeak > 0) return s.normalizeTarget / filePeak;
    if (s.normalize && s.normalizeOnClipping && s.normalizeWithTempFile && filePeak > 1.0)
        return s.normalizeTarget / filePeak;
    if (s.normalize && s.normalizeList && listPeak > 0) return s.normalizeTarget / listPeak;
    return s.amplify ? std::pow(10.0, s.amplifyDb / 20.0) : 1.0;
}

double gainAfterClipping(const ConversionSettings& s, double clippedPeak) {
    return s.normalizeTarget / clippedPeak;
}

} // namespace corv
