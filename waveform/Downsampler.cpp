#include "Downsampler.h"

#include <cmath>

namespace brivello {

std::vector<float> Downsampler::downsample(std::span<const float> samples, qint64 count)
{
    const qint64 n = qint64(samples.size());
    if (count < 1 || n == 0)
        return {};
    if (count >= n) {
        std::vector<float> magnitudes(samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
            magnitudes[i] = std::fabs(samples[i]);
        return magnitudes;
    }
    std::vector<float> result(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 start = i * n / count;
        const qint64 end = std::max(start + 1, (i + 1) * n / count);
        float sum = 0;
        for (qint64 k = start; k < end; ++k)
            sum += samples[size_t(k)] * samples[size_t(k)];
        result[size_t(i)] = std::sqrt(sum / float(end - start));
    }
    return result;
}

} // namespace brivello
