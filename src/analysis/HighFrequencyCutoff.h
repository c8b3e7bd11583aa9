#pragma once

#include <vector>

namespace brivello {

// Finds where a mean power spectrum's high frequencies stop: the highest clear step down
// between neighbouring bands above about 1 kHz with the region over it near the spectrum's
// floor. Works in dB on bands of about 200 Hz. Pure function.
class HighFrequencyCutoff
{
public:
    struct Result
    {
        double cutoffHz = 0;
        // The spectrum carries too little energy for any finding.
        bool silent = false;
    };

    // `meanPower`: windowSize / 2 unscaled powers of a normalised-Hann FFT, bin k at
    // k · sampleRate / windowSize Hz.
    static Result estimate(const std::vector<float> &meanPower, double sampleRate, int windowSize);

    static constexpr double kBandHz = 200.0;
    static constexpr double kLowestHz = 1000.0;
    // The step down into the region above the cut-off.
    static constexpr double kCliffDB = 20.0;
    // How far above the floor the median band over the cut-off may lie.
    static constexpr double kFloorMarginDB = 15.0;
    // Levels are taken no lower than this far below the strongest band.
    static constexpr double kDepthDB = 120.0;
    // Mean square level below which a spectrum counts as silent (−90 dBFS).
    static constexpr double kSilentMeanSquare = 1e-9;
};

} // namespace brivello
