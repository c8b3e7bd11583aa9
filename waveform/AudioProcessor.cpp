#include "AudioProcessor.h"

#include "Downsampler.h"
#include "FFmpegEnvelopeSource.h"
#include "FileEnvelopeSource.h"
#include "Upsampler.h"
#include "audiofiles/FFmpegExecutable.h"
#include "audiofiles/OperationCancelled.h"
#include "platform/LocalFile.h"
#include "platform/Scheduler.h"

#include <QCoroFuture>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>
#include <functional>

namespace brivello {

namespace {

// What the pool-side steps of one extraction share with the coroutine that drives them. Only
// one side touches it at a time: the coroutine waits for each pool step to finish.
struct Drive
{
    std::function<std::unique_ptr<EnvelopeSource>()> open;
    std::unique_ptr<EnvelopeSource> source;
    std::vector<float> result;
    std::exception_ptr error;
    bool done = false;
};

// Runs on a pool thread: opens the source, then reads chunks, returning after each chunk in
// low-impact mode so the pause happens on the scheduler. The source is always destroyed
// here, never on the main thread: that kills and reaps a child still running.
void advance(Drive &drive, bool lowImpact, std::stop_token stop)
{
    try {
        if (!drive.source)
            drive.source = drive.open();
        while (drive.source->step(stop)) {
            if (lowImpact)
                return;
        }
        if (stop.stop_requested())
            throw OperationCancelled();
        drive.result = drive.source->finish();
        drive.done = true;
    } catch (...) {
        drive.error = std::current_exception();
    }
    drive.source.reset();
}

QCoro::Task<std::vector<float>>
run(std::function<std::unique_ptr<EnvelopeSource>()> open, bool lowImpact, std::stop_token stop)
{
    auto drive = std::make_shared<Drive>();
    drive->open = std::move(open);
    while (true) {
        // A named future: GCC 12 mishandles temporaries inside co_await expressions.
        QFuture<void> stepping =
            QtConcurrent::run([drive, lowImpact, stop] { advance(*drive, lowImpact, stop); });
        co_await stepping;
        if (drive->error)
            std::rethrow_exception(drive->error);
        if (drive->done)
            co_return std::move(drive->result);
        co_await Scheduler::shared().sleep(AudioProcessor::kLowImpactPause);
    }
}

template <typename Measure>
std::vector<float> sliceEnvelope(qint64 n, int sampleCount, Measure measure)
{
    if (sampleCount < 1 || n <= 0)
        return {};
    const qint64 count = sampleCount;
    std::vector<float> rms(static_cast<size_t>(count)), peaks(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 start = i * n / count;
        const qint64 end = std::min(n, std::max(start + 1, (i + 1) * n / count));
        const SampleBlocks::Measure m = measure(start, end);
        rms[size_t(i)] = std::sqrt(float(m.sumOfSquares / double(end - start)));
        peaks[size_t(i)] = m.peak;
    }
    return AudioProcessor::normalize(rms, peaks);
}

} // namespace

std::optional<QString> AudioProcessor::waveformFFmpegPath()
{
    if (const std::optional<QUrl> url = FFmpegExecutable::url())
        return url->toLocalFile();
    return std::nullopt;
}

QCoro::Task<std::vector<float>>
AudioProcessor::extractEnvelope(QUrl url, int sampleCount, bool lowImpact, std::stop_token stop)
{
    if (sampleCount < 1)
        co_return {};
    const QString path = LocalFile::path(url);
    if (const std::optional<QString> ffmpeg = waveformFFmpegPath()) {
        bool cancelled = false;
        try {
            auto decoding = run(
                [executable = *ffmpeg, path, sampleCount, lowImpact] {
                    return std::make_unique<FFmpegEnvelopeSource>(
                        executable, path, sampleCount, lowImpact);
                },
                lowImpact,
                stop);
            co_return co_await decoding;
        } catch (const OperationCancelled &) {
            cancelled = true;
        } catch (...) {
            // Any other ffmpeg failure falls back to decoding in process.
        }
        if (cancelled || stop.stop_requested())
            throw OperationCancelled();
    }
    auto reading = run(
        [path, sampleCount, stop] {
            return std::make_unique<FileEnvelopeSource>(path, sampleCount, stop);
        },
        lowImpact,
        stop);
    co_return co_await reading;
}

std::vector<float> AudioProcessor::normalizedEnvelope(std::span<const float> samples,
                                                      int sampleCount)
{
    return sliceEnvelope(qint64(samples.size()), sampleCount, [&](qint64 start, qint64 end) {
        SampleBlocks::Measure m;
        for (qint64 k = start; k < end; ++k) {
            const float v = samples[size_t(k)];
            m.sumOfSquares += double(v) * double(v);
            m.peak = std::max(m.peak, std::fabs(v));
        }
        return m;
    });
}

std::vector<float> AudioProcessor::normalizedEnvelope(const SampleBlocks &samples, int sampleCount)
{
    return sliceEnvelope(samples.size(), sampleCount, [&](qint64 start, qint64 end) {
        return samples.measure(start, end);
    });
}

float AudioProcessor::percentile(const std::vector<float> &values, double fraction)
{
    std::vector<float> kept;
    kept.reserve(values.size());
    std::copy_if(
        values.begin(), values.end(), std::back_inserter(kept), [](float v) { return v > kFloor; });
    if (kept.empty())
        return 1.0f;
    std::sort(kept.begin(), kept.end());
    const double last = double(kept.size() - 1);
    const double index = std::clamp(std::round(fraction * last), 0.0, last);
    return kept[size_t(index)];
}

std::vector<float> AudioProcessor::normalize(const std::vector<float> &rms,
                                             const std::vector<float> &peaks)
{
    const float rmsRef = percentile(rms, kRMSPercentile);
    const float peakRef = percentile(peaks, kPeakPercentile);
    const float rmsDivisor = rmsRef > kFloor ? rmsRef : kFloor;
    const float peakDivisor = peakRef > kFloor ? peakRef : kFloor;
    std::vector<float> values(rms.size());
    // NaN (from NaN or infinite samples) must not leak into the drawing: it counts as silence.
    const auto unit = [](float v) { return v >= 0.0f ? std::min(v, 1.0f) : 0.0f; };
    for (size_t i = 0; i < rms.size(); ++i) {
        const float r = unit(rms[i] / rmsDivisor);
        const float p = unit(peaks[i] / peakDivisor);
        values[i] = std::pow(kPeakWeight * p + kRMSWeight * r, kExponent);
    }
    return values;
}

std::vector<float> AudioProcessor::prepareSamples(std::span<const float> samples,
                                                  qint64 count,
                                                  UpsampleStrategy strategy)
{
    if (count < 1 || samples.empty())
        return {};
    if (qint64(samples.size()) >= count)
        return Downsampler::downsample(samples, count);
    std::vector<float> magnitudes(samples.size());
    std::transform(
        samples.begin(), samples.end(), magnitudes.begin(), [](float v) { return std::fabs(v); });
    if (strategy == UpsampleStrategy::none)
        return magnitudes;
    return Upsampler::upsample(magnitudes, count, strategy);
}

} // namespace brivello
