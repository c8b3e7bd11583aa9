#pragma once

#include <QtGlobal>
#include <span>
#include <vector>

namespace brivello {

// Reduces an envelope to fewer points by slice RMS. Stateless.
class Downsampler
{
public:
    // `count` values (the magnitudes unchanged when count is not below the input size).
    static std::vector<float> downsample(std::span<const float> samples, qint64 count);
};

} // namespace brivello
