#include "HighFrequencyCutoff.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <limits>

namespace brivello {

namespace {

struct Band
{
    int first = 0;
    int end = 0;
    double level = 0; // dB
};

std::vector<Band> bandLevels(const std::vector<float> &power, double sampleRate, int windowSize)
{
    const int bins = int(power.size());
    const int width =
        std::max(1, int(std::lround(HighFrequencyCutoff::kBandHz * windowSize / sampleRate)));
    std::vector<Band> bands;
    double strongest = 0;
    for (int first = 0; first < bins; first += width) {
        Band band{first, std::min(first + width, bins), 0};
        double sum = 0;
        for (int k = band.first; k < band.end; ++k)
            sum += std::max(double(power[size_t(k)]), 0.0);
        band.level = sum / (band.end - band.first);
        strongest = std::max(strongest, band.level);
        bands.push_back(band);
    }
    const double floorPower = strongest * std::pow(10.0, -HighFrequencyCutoff::kDepthDB / 10);
    for (Band &band : bands)
        band.level = 10 * std::log10(std::max(band.level, floorPower));
    return bands;
}

// The highest bin in [first, end) whose level reaches `thresholdDB`, or `first`.
int lastBinAbove(const std::vector<float> &power, int first, int end, double thresholdDB)
{
    const double threshold = std::pow(10.0, thresholdDB / 10);
    for (int k = end - 1; k > first; --k) {
        if (power[size_t(k)] >= threshold)
            return k;
    }
    return first;
}

double medianLevel(std::vector<Band>::const_iterator first, std::vector<Band>::const_iterator end)
{
    std::vector<double> levels;
    for (auto band = first; band != end; ++band)
        levels.push_back(band->level);
    std::nth_element(levels.begin(), levels.begin() + qsizetype(levels.size() / 2), levels.end());
    return levels[levels.size() / 2];
}

} // namespace

HighFrequencyCutoff::Result HighFrequencyCutoff::estimate(const std::vector<float> &meanPower,
                                                          double sampleRate,
                                                          int windowSize)
{
    Result result;
    const int bins = int(meanPower.size());
    if (bins < 2 || sampleRate <= 0 || windowSize <= 0)
        return {0, true};
    // One-sided Parseval with a window of mean square about 1.
    double total = 0;
    for (float p : meanPower)
        total += std::max(double(p), 0.0);
    const double meanSquare = 2 * total / (double(windowSize) * windowSize);
    if (!(meanSquare >= kSilentMeanSquare))
        return {0, true};

    result.cutoffHz = sampleRate * (bins - 1) / windowSize;
    const std::vector<Band> bands = bandLevels(meanPower, sampleRate, windowSize);
    const auto lowest = size_t(std::ceil(kLowestHz * windowSize / sampleRate));
    size_t firstBand = 0;
    while (firstBand < bands.size() && size_t(bands[firstBand].first) < lowest)
        ++firstBand;
    if (firstBand + 1 >= bands.size())
        return result;

    double floor = std::numeric_limits<double>::infinity();
    for (size_t j = firstBand; j < bands.size(); ++j)
        floor = std::min(floor, bands[j].level);

    // Scanning down from the top: the first step of kCliffDB between neighbouring bands with
    // the whole region above it near the floor. The cut-off is the last bin of the step's
    // lower side that stays within kCliffDB of the band below it.
    for (size_t j = bands.size() - 1; j-- > firstBand;) {
        if (bands[j].level - bands[j + 1].level < kCliffDB)
            continue;
        if (medianLevel(bands.begin() + qsizetype(j) + 1, bands.end()) > floor + kFloorMarginDB)
            continue;
        const Band &below = bands[j > firstBand ? j - 1 : j];
        result.cutoffHz =
            sampleRate *
            lastBinAbove(meanPower, below.first, bands[j].end, below.level - kCliffDB) / windowSize;
        return result;
    }
    return result;
}

} // namespace brivello
