#include "AudioMetadataLoader.h"

#include "AVFormatInput.h"
#include "AudioTagReader.h"
#include "AudioTechnicalInfo.h"
#include "MP3Header.h"
#include "library/Track.h"

#include <QCoroFuture>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent>
#include <sys/stat.h>

namespace brivello {

namespace {

bool isRegularFile(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

QCoro::Task<LoadedTrackMetadata> AudioMetadataLoader::load(QUrl url, AudioTags fallbackTags)
{
    // The future is a named local: GCC 12 mishandles temporaries inside co_await expressions.
    QFuture<LoadedTrackMetadata> reading =
        QtConcurrent::run(&AudioMetadataLoader::read, url, fallbackTags);
    LoadedTrackMetadata result = co_await reading;
    co_return result;
}

LoadedTrackMetadata AudioMetadataLoader::read(const QUrl &url, const AudioTags &fallbackTags)
{
    LoadedTrackMetadata result;
    result.tags = fallbackTags;
    result.format = Track::formatLabel(url);
    const QString path = url.toLocalFile();
    // Only regular files: opening a FIFO or a device would block the reading thread.
    if (path.isEmpty() || !isRegularFile(path))
        return result;

    std::optional<AudioTechnicalInfo::Details> details;
    if (const auto input = AVFormatInput::open(path)) {
        result.duration = input->duration();
        details = AudioTechnicalInfo::read(*input, path);
    }

    AudioTagReader::Result tagged = AudioTagReader::read(path, fallbackTags);
    result.tags = std::move(tagged.tags);
    result.artworkData = std::move(tagged.picture);

    quint64 byteCount = 0;
    if (details) {
        result.bitRate = details->bitRate;
        result.bitDepth = details->bitDepth;
        byteCount = details->audioDataByteCount;
    }
    // Precedence: stated rate, the audio stream's own estimate, the first frame header, then
    // the audio bytes over the duration.
    if (result.bitRate == 0)
        result.bitRate = tagged.audioBitRate;
    if (result.bitRate == 0) {
        if (const auto headerRate = MP3Header::bitRate(url))
            result.bitRate = *headerRate;
    }
    if (result.bitRate == 0 && result.duration > 0) {
        qint64 bytes = static_cast<qint64>(byteCount);
        if (bytes == 0) {
            const QFileInfo info(path);
            bytes = info.exists() ? info.size() : 0;
        }
        if (bytes > 0)
            result.bitRate = double(bytes * 8) / result.duration;
    }
    return result;
}

} // namespace brivello
