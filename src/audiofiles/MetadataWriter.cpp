#include "MetadataWriter.h"

#include "AiffTagRewriter.h"
#include "FileByteSource.h"
#include "FlacTagRewriter.h"
#include "Id3v2Tag.h"
#include "IffChunks.h"
#include "Mp3TagRewriter.h"
#include "Mp4TagWriter.h"
#include "WavTagRewriter.h"
#include "platform/LocalFile.h"
#include "platform/SafeFileReplace.h"

#include <QCoroFuture>
#include <QFileInfo>
#include <QtConcurrent>

namespace brivello {

namespace {

using Planner = RewritePlan (*)(const ByteSource &, const AudioTags &, const ArtworkChange &);

WriteError fromReplaceError(const SafeFileReplace::Error &error, const QString &fileName)
{
    switch (error.failure()) {
    case SafeFileReplace::Failure::NotFound:
        return WriteError(WriteError::Kind::fileNotFound, fileName);
    case SafeFileReplace::Failure::PermissionDenied:
        return WriteError(WriteError::Kind::permissionDenied, fileName);
    case SafeFileReplace::Failure::NoSpace:
        return WriteError(WriteError::Kind::noSpace, fileName);
    default:
        return WriteError(WriteError::Kind::ioFailed, fileName);
    }
}

// Plans from the original, streams the plan into the temporary file and puts it in place.
// The original is untouched until the final rename; the temporary file never outlives a failure.
void rewrite(const QString &path,
             const QString &tempExtension,
             Planner planner,
             const AudioTags &tags,
             const ArtworkChange &artwork)
{
    const QString fileName = QFileInfo(path).fileName();
    try {
        const FileByteSource source(path);
        SafeFileReplace output(path, tempExtension);
        const RewritePlan plan = planner(source, tags, artwork);
        plan.writeTo(source, output);
        output.commit();
    } catch (const WriteError &error) {
        throw error.withFileName(fileName);
    } catch (const SafeFileReplace::Error &error) {
        throw fromReplaceError(error, fileName);
    } catch (const std::bad_alloc &) {
        throw WriteError(WriteError::Kind::tooLarge, fileName);
    }
}

using InPlaceWriter = void (*)(const AudioTags &, const ArtworkChange &, const QString &);

// The writer that rewrites a file type in place; null for the types exported through ffmpeg.
InPlaceWriter inPlaceWriter(const QString &extension)
{
    if (extension == QLatin1String("mp3"))
        return &MetadataWriter::writeMP3;
    if (extension == QLatin1String("flac"))
        return &MetadataWriter::writeFLAC;
    if (extension == QLatin1String("wav"))
        return &MetadataWriter::writeWAV;
    if (extension == QLatin1String("aiff") || extension == QLatin1String("aif"))
        return &MetadataWriter::writeAIFF;
    return nullptr;
}

bool isMp4(const QString &extension)
{
    return extension == QLatin1String("m4a") || extension == QLatin1String("mp4") ||
           extension == QLatin1String("m4b");
}

// TagLib's in-place edit; false when TagLib cannot take the file and ffmpeg has to copy it.
bool writeMp4(const AudioTags &tags, bool removeArtwork, const QString &path)
{
    const QString fileName = QFileInfo(path).fileName();
    try {
        return Mp4TagWriter::write(tags, removeArtwork, path);
    } catch (const WriteError &error) {
        throw error.withFileName(fileName);
    } catch (const SafeFileReplace::Error &error) {
        throw fromReplaceError(error, fileName);
    }
}

// Runs a blocking writer on the pool; the error comes back as a value so it can cross threads.
// (Not a coroutine: GCC 12 destroys lambda temporaries passed to coroutines twice.)
template <typename Work> QFuture<std::optional<WriteError>> startOffThread(Work work)
{
    return QtConcurrent::run([work]() -> std::optional<WriteError> {
        try {
            work();
            return std::nullopt;
        } catch (const WriteError &e) {
            return e;
        } catch (...) {
            return WriteError(WriteError::Kind::ioFailed);
        }
    });
}

} // namespace

QCoro::Task<> MetadataWriter::write(AudioTags tags, bool removeArtwork, QUrl url)
{
    auto future = startOffThread([=] { writeNow(tags, removeArtwork, url); });
    if (const std::optional<WriteError> error = co_await future)
        throw *error;
}

QCoro::Task<> MetadataWriter::assignArtwork(QByteArray artwork, AudioTags tags, QUrl url)
{
    auto future = startOffThread([=] { assignArtworkNow(artwork, tags, url); });
    if (const std::optional<WriteError> error = co_await future)
        throw *error;
}

void MetadataWriter::writeNow(const AudioTags &tags, bool removeArtwork, const QUrl &url)
{
    const QString path = LocalFile::path(url);
    const QString extension = QFileInfo(path).suffix().toLower();
    const ArtworkChange artwork = removeArtwork ? ArtworkChange::remove() : ArtworkChange::keep();
    if (const InPlaceWriter write = inPlaceWriter(extension))
        write(tags, artwork, path);
    else if (!isMp4(extension) || !writeMp4(tags, removeArtwork, path))
        exportWithMetadata(tags, removeArtwork, path);
}

void MetadataWriter::assignArtworkNow(const QByteArray &artwork,
                                      const AudioTags &tags,
                                      const QUrl &url)
{
    const QString path = LocalFile::path(url);
    const QFileInfo info(path);
    const QString extension = info.suffix().toLower();
    const InPlaceWriter write = inPlaceWriter(extension);
    if (!write)
        throw WriteError::unsupportedFormat(info.suffix());
    write(tags, ArtworkChange::replace(artwork), path);
    if (!containsArtworkBytes(artwork, path))
        throw WriteError::artworkVerificationFailed(info.fileName());
}

void MetadataWriter::writeMP3(const AudioTags &tags,
                              const ArtworkChange &artwork,
                              const QString &path)
{
    rewrite(path, QStringLiteral("mp3"), &Mp3TagRewriter::plan, tags, artwork);
}

void MetadataWriter::writeFLAC(const AudioTags &tags,
                               const ArtworkChange &artwork,
                               const QString &path)
{
    rewrite(path, QFileInfo(path).suffix(), &FlacTagRewriter::plan, tags, artwork);
}

void MetadataWriter::writeWAV(const AudioTags &tags,
                              const ArtworkChange &artwork,
                              const QString &path)
{
    rewrite(path, QFileInfo(path).suffix(), &WavTagRewriter::plan, tags, artwork);
}

void MetadataWriter::writeAIFF(const AudioTags &tags,
                               const ArtworkChange &artwork,
                               const QString &path)
{
    rewrite(path, QFileInfo(path).suffix(), &AiffTagRewriter::plan, tags, artwork);
}

QByteArray MetadataWriter::id3Tag(const AudioTags &tags, const std::optional<QByteArray> &artwork)
{
    return Id3v2Tag::build(tags, {}, artwork);
}

void MetadataWriter::appendFrame(const QByteArray &id, const QByteArray &payload, QByteArray &to)
{
    Id3v2Tag::appendFrame(id, payload, to);
}

QByteArray MetadataWriter::flacComments(const AudioTags &tags)
{
    return FlacTagRewriter::commentBody(tags);
}

QByteArray MetadataWriter::flacPicture(const QByteArray &picture)
{
    return FlacTagRewriter::pictureBody(picture);
}

QByteArray MetadataWriter::wavInfo(const AudioTags &tags)
{
    return WavTagRewriter::infoPayload(tags);
}

QByteArray
MetadataWriter::riffChunk(const QByteArray &id, const QByteArray &payload, bool littleEndian)
{
    return IffChunks::chunk(id, payload, littleEndian);
}

QByteArray MetadataWriter::leData(quint32 value)
{
    return IffChunks::sizeBytes(value, true);
}

QByteArray MetadataWriter::beData(quint32 value)
{
    return IffChunks::sizeBytes(value, false);
}

} // namespace brivello
