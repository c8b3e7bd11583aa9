#include "Upsampler.h"

#include <algorithm>
#include <cmath>

namespace brivello {

std::vector<float> Upsampler::controlVector(qint64 n, qint64 m, UpsampleStrategy strategy)
{
    if (strategy == UpsampleStrategy::none || n < 1 || m < 1)
        return {};
    // One output position has no step to speak of: it sits on the first point.
    const float step = m > 1 ? float(n - 1) / float(m - 1) : 0.0f;
    std::vector<float> positions(static_cast<size_t>(m));
    for (qint64 i = 0; i < m; ++i) {
        const float t = float(i) * step;
        const float f = std::floor(t);
        const float u = t - f;
        switch (strategy) {
        case UpsampleStrategy::smooth: {
            const float v = std::clamp(u, 0.0f, 1.0f);
            positions[size_t(i)] = f + v * v * (3.0f - 2.0f * v);
            break;
        }
        case UpsampleStrategy::cosine:
            positions[size_t(i)] = f + (1.0f - std::cos(u * kPi)) * 0.5f;
            break;
        case UpsampleStrategy::linear:
            positions[size_t(i)] = t;
            break;
        case UpsampleStrategy::hold:
        case UpsampleStrategy::none:
            positions[size_t(i)] = f;
            break;
        }
    }
    return positions;
}

std::vector<float>
Upsampler::upsample(std::span<const float> samples, qint64 count, UpsampleStrategy strategy)
{
    const qint64 n = qint64(samples.size());
    if (n == 0 || n >= count)
        return {samples.begin(), samples.end()};
    const std::vector<float> positions = controlVector(n, count, strategy);
    std::vector<float> result(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        const float c = positions[i];
        // At or past the last point (or not a number): the last value, never a read beyond.
        if (!(c < float(n - 1))) {
            result[i] = samples[size_t(n - 1)];
            continue;
        }
        const qint64 k = c > 0.0f ? qint64(c) : 0;
        const float w = c - float(k);
        result[i] = samples[size_t(k)] + w * (samples[size_t(k + 1)] - samples[size_t(k)]);
    }
    return result;
}

} // namespace brivello
