#pragma once

#include "SampleBlocks.h"
#include "UpsampleStrategy.h"

#include <QUrl>
#include <optional>
#include <qcoro/qcorotask.h>
#include <span>
#include <stop_token>
#include <vector>

namespace brivello {

// Turns an audio file into a display envelope: per point a mix of slice RMS and peak,
// normalised against the file's own loud parts. ffmpeg decodes at 8 kHz mono; when it is
// missing or fails, libavcodec decodes in process. Stateless; the decoding runs on pool
// threads and the coroutine resumes on the calling (main) thread.
class AudioProcessor
{
public:
    static constexpr double kLowImpactPause = 0.001;
    static constexpr float kFloor = 1e-6f;
    static constexpr double kRMSPercentile = 0.97;
    static constexpr double kPeakPercentile = 0.99;
    static constexpr float kPeakWeight = 0.12f;
    static constexpr float kRMSWeight = 0.88f;
    static constexpr float kExponent = 0.78f;

    // `sampleCount` values in 0 … 1 (none when it is below 1). Throws OperationCancelled when
    // `stop` fires (ffmpeg is then killed, with no fallback), else the fallback's error.
    // With `lowImpact` the child runs at a low priority and every chunk is followed by a pause.
    static QCoro::Task<std::vector<float>>
    extractEnvelope(QUrl url, int sampleCount, bool lowImpact, std::stop_token stop = {});

    // ffmpeg as the application finds it (the shipped copy, install places, PATH).
    static std::optional<QString> waveformFFmpegPath();

    static std::vector<float> normalizedEnvelope(std::span<const float> samples, int sampleCount);
    static std::vector<float> normalizedEnvelope(const SampleBlocks &samples, int sampleCount);
    // Per-point RMS and peak values to envelope values.
    static std::vector<float> normalize(const std::vector<float> &rms,
                                        const std::vector<float> &peaks);
    // The value at `fraction` of the sorted values above the floor; 1 when there are none.
    static float percentile(const std::vector<float> &values, double fraction);

    // Fits an envelope to `count` drawing positions: slice RMS when reducing, interpolation
    // along `strategy` when stretching. Pure; callable from any thread.
    static std::vector<float>
    prepareSamples(std::span<const float> samples, qint64 count, UpsampleStrategy strategy);
};

} // namespace brivello
