#include "AudioPCMDecoder.h"

#include "ChildProcess.h"
#include "FFmpegExecutable.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"

#include <cmath>
#include <cstring>

namespace brivello {

namespace {

// Nice values standing in for the background and utility priorities.
constexpr int kLowImpactNiceness = 19;
constexpr int kNormalNiceness = 10;

} // namespace

QString AudioPCMDecoder::Error::errorDescription() const
{
    switch (m_kind) {
    case DecoderError::ffmpegUnavailable:
        return BrivelloLocalization::string(QStringLiteral("Не найден встроенный аудиодекодер."));
    case DecoderError::decodingFailed:
        return BrivelloLocalization::string(
            QStringLiteral("Не удалось декодировать аудиодорожку для анализа BPM."));
    case DecoderError::emptyAudio:
        return BrivelloLocalization::string(
            QStringLiteral("В аудиофайле нет данных для анализа BPM."));
    }
    return {};
}

QStringList AudioPCMDecoder::ffmpegArguments(const QString &path,
                                             int sampleRate,
                                             std::optional<double> maximumDuration)
{
    QStringList arguments = {QStringLiteral("-nostdin"),
                             QStringLiteral("-v"),
                             QStringLiteral("error"),
                             QStringLiteral("-threads"),
                             QStringLiteral("1"),
                             QStringLiteral("-filter_threads"),
                             QStringLiteral("1"),
                             QStringLiteral("-i"),
                             path,
                             QStringLiteral("-map"),
                             QStringLiteral("0:a:0"),
                             QStringLiteral("-vn"),
                             QStringLiteral("-sn"),
                             QStringLiteral("-dn")};
    if (maximumDuration && *maximumDuration > 0) {
        const auto seconds = static_cast<qint64>(std::ceil(*maximumDuration));
        arguments << QStringLiteral("-t") << QString::number(seconds);
    }
    arguments << QStringLiteral("-ac") << QStringLiteral("1") << QStringLiteral("-ar")
              << QString::number(sampleRate) << QStringLiteral("-f") << QStringLiteral("f32le")
              << QStringLiteral("pipe:1");
    return arguments;
}

std::vector<float> AudioPCMDecoder::monoSamples(const QUrl &url,
                                                int sampleRate,
                                                std::optional<double> maximumDuration,
                                                bool lowImpact,
                                                std::stop_token stop)
{
    const std::optional<QUrl> ffmpeg = FFmpegExecutable::url();
    if (!ffmpeg)
        throw Error(DecoderError::ffmpegUnavailable);

    ChildProcess child(ffmpeg->toLocalFile(),
                       ffmpegArguments(LocalFile::path(url), sampleRate, maximumDuration),
                       ChildProcess::ErrorOutput::discard,
                       lowImpact ? kLowImpactNiceness : kNormalNiceness);
    QByteArray bytes;
    try {
        if (stop.stop_requested())
            throw OperationCancelled();
        while (true) {
            const QByteArray chunk = child.read(kReadChunkSize, stop);
            if (chunk.isEmpty())
                break;
            bytes.append(chunk);
            if (stop.stop_requested())
                throw OperationCancelled();
        }
    } catch (...) {
        child.kill();
        child.wait();
        throw;
    }
    const int status = child.wait();
    if (stop.stop_requested())
        throw OperationCancelled();

    if (status != 0)
        return monoSamplesInProcess(url, sampleRate, maximumDuration);
    if (bytes.size() < 4)
        throw Error(DecoderError::emptyAudio);
    std::vector<float> samples(static_cast<size_t>(bytes.size() / 4));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

} // namespace brivello
