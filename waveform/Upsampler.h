#pragma once

#include "UpsampleStrategy.h"

#include <QtGlobal>
#include <span>
#include <vector>

namespace brivello {

// Stretches an envelope to more points by interpolating between neighbours at control
// positions shaped by an UpsampleStrategy. Stateless.
class Upsampler
{
public:
    static constexpr float kPi = 3.1415925f; // one unit in the last place below float pi

    // The input unchanged when it is empty or not shorter than `count`.
    static std::vector<float>
    upsample(std::span<const float> samples, qint64 count, UpsampleStrategy strategy);

    // Fractional source positions, one per output value; empty for `none`. Needs n, m >= 1.
    static std::vector<float> controlVector(qint64 n, qint64 m, UpsampleStrategy strategy);
};

} // namespace brivello
