#include "AudioMetadataLoader.h"

#include "AVFormatInput.h"
#include "AudioTagReader.h"
#include "AudioTechnicalInfo.h"
#include "FileByteSource.h"
#include "MP3Header.h"
#include "MetadataInput.h"
#include "WriteError.h"
#include "platform/LocalFile.h"
#include "records/Track.h"

#include <QCoroFuture>
#include <QtConcurrent>
#include <sys/stat.h>

namespace brivello {

namespace {

bool isRegularFile(const QString &path)
{
    struct stat info;
    return ::stat(LocalFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

LoadedTrackMetadata fallbackResult(const QUrl &url, const AudioTags &fallbackTags)
{
    LoadedTrackMetadata result;
    result.tags = fallbackTags;
    result.format = Track::formatLabel(url);
    return result;
}

// Every reader takes the bytes from `file`, so the file is opened once and all values come
// from the same file even when it is replaced meanwhile.
LoadedTrackMetadata readOpenFile(const QUrl &url,
                                 const QString &path,
                                 const FileByteSource &file,
                                 const AudioTags &fallbackTags)
{
    LoadedTrackMetadata result = fallbackResult(url, fallbackTags);
    const qint64 fileSize = file.size();
    std::optional<AudioTechnicalInfo::Details> details;
    qint64 streamStart = -1;
    if (const auto input = MetadataInput::open(file, path)) {
        result.duration = input->duration();
        details = AudioTechnicalInfo::read(*input, file);
        if (details && details->bitRate == 0)
            streamStart = input->firstAudioPacketPosition();
    }

    AudioTagReader::Result tagged = AudioTagReader::read(file, path, fallbackTags);
    result.tags = std::move(tagged.tags);
    result.artworkData = std::move(tagged.picture);

    quint64 byteCount = 0;
    if (details) {
        result.bitRate = details->bitRate;
        result.bitDepth = details->bitDepth;
        byteCount = details->audioDataByteCount;
    }
    // Precedence: stated rate, the audio stream's own size over the duration (tags and
    // pictures before it left out), the first frame header, then the audio bytes (or the whole
    // file) over the duration.
    if (result.bitRate == 0 && streamStart >= 0 && streamStart < fileSize && result.duration > 0)
        result.bitRate = double((fileSize - streamStart) * 8) / result.duration;
    if (result.bitRate == 0) {
        if (const auto headerRate = MP3Header::bitRate(url, file))
            result.bitRate = *headerRate;
    }
    if (result.bitRate == 0 && result.duration > 0) {
        const qint64 bytes = byteCount > 0 ? static_cast<qint64>(byteCount) : fileSize;
        if (bytes > 0)
            result.bitRate = double(bytes * 8) / result.duration;
    }
    return result;
}

LoadedTrackMetadata readFile(const QUrl &url, const AudioTags &fallbackTags)
{
    const QString path = LocalFile::path(url);
    // Only regular files: opening a FIFO or a device would block the reading thread.
    if (path.isEmpty() || !isRegularFile(path))
        return fallbackResult(url, fallbackTags);
    std::optional<FileByteSource> file;
    try {
        file.emplace(path);
    } catch (const WriteError &) {
        return fallbackResult(url, fallbackTags);
    }
    return readOpenFile(url, path, *file, fallbackTags);
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
    // The parsers may throw, for instance when a broken header asks for more memory than there
    // is; the reading still never fails.
    try {
        return readFile(url, fallbackTags);
    } catch (const std::exception &) {
        return fallbackResult(url, fallbackTags);
    }
}

} // namespace brivello
