#pragma once

#include "ArtworkChange.h"
#include "WriteError.h"
#include "records/AudioTags.h"

#include <QCoroTask>
#include <QUrl>

namespace brivello {

// Writes tags and cover pictures back into audio files, in place, through a hidden temporary
// file. Static functions only. The async entries leave the main thread at once; the rest block
// and run on worker threads. Callers hold the file's lock (MetadataWriteCoordinator).
class MetadataWriter
{
public:
    using WriteError = brivello::WriteError;

    static QCoro::Task<> write(AudioTags tags, bool removeArtwork, QUrl url);
    static QCoro::Task<> assignArtwork(QByteArray artwork, AudioTags tags, QUrl url);

    // Blocking forms of the two entries; throw WriteError.
    static void writeNow(const AudioTags &tags, bool removeArtwork, const QUrl &url);
    static void assignArtworkNow(const QByteArray &artwork, const AudioTags &tags, const QUrl &url);

    static void writeMP3(const AudioTags &tags, const ArtworkChange &artwork, const QString &path);
    static void writeFLAC(const AudioTags &tags, const ArtworkChange &artwork, const QString &path);
    static void writeWAV(const AudioTags &tags, const ArtworkChange &artwork, const QString &path);
    static void writeAIFF(const AudioTags &tags, const ArtworkChange &artwork, const QString &path);
    // Other containers: a stream copy by ffmpeg with title, artist, album, genre and comment;
    // the cover stream is kept unless `removeArtwork`.
    static void exportWithMetadata(const AudioTags &tags, bool removeArtwork, const QString &path);

    static QByteArray id3Tag(const AudioTags &tags, const std::optional<QByteArray> &artwork);
    static void appendFrame(const QByteArray &id, const QByteArray &payload, QByteArray &to);
    static QByteArray flacComments(const AudioTags &tags);
    static QByteArray flacPicture(const QByteArray &picture);
    static QByteArray wavInfo(const AudioTags &tags);
    // A chunk with its 32-bit size and pad byte (little-endian sizes for RIFF, big for AIFF).
    static QByteArray riffChunk(const QByteArray &id, const QByteArray &payload, bool littleEndian);
    static QByteArray leData(quint32 value);
    static QByteArray beData(quint32 value);
    // The ffmpeg muxer for an extension; empty when there is none.
    static QString outputType(const QString &extension);
    // Whether the picture's bytes stand in the file's tag area. Reads in pieces.
    static bool containsArtworkBytes(const QByteArray &artwork, const QString &path);
};

} // namespace brivello
