#pragma once

#include "AudioQualityVerdict.h"
#include "platform/LocalizedText.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace brivello {

// The immutable result of one spectral analysis; a plain value that may cross threads.
// `spectrogram` is stored column after column: byte c · height + r is time column c,
// frequency row r (row 0 the lowest).
struct AudioQualityAnalysis
{
    AudioQualityVerdict verdict;
    double sampleRate = 0;
    int channelCount = 0;
    int dftWindowSize = 0;
    float densityRangeDB = 0;
    double cutoffHz = 0;
    std::vector<uint8_t> spectrogram;
    int spectrogramWidth = 192;
    int spectrogramHeight = 160;
    // Looked up when shown: it follows a later change of the interface language.
    LocalizedText note;
};

} // namespace brivello
