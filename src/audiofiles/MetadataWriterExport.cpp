// The ffmpeg stream-copy path for containers without a rewriter of their own, and the check
// that a written cover stands in the file's tag area.
#include "ByteSource.h"
#include "ChildProcess.h"
#include "FFmpegExecutable.h"
#include "FileByteSource.h"
#include "Id3v2Tag.h"
#include "IffChunks.h"
#include "MetadataWriter.h"
#include "platform/LocalFile.h"
#include "platform/SafeFileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <unistd.h>

namespace brivello {

namespace {

constexpr int kExportTimeoutMs = 10 * 60 * 1000;

// The same program the converter runs, found in the same places.
QString ffmpegProgram()
{
    const std::optional<QUrl> program = FFmpegExecutable::url();
    return program ? program->toLocalFile() : QString();
}

bool chunkContainsArtwork(const ByteSource &source,
                          const QByteArray &artwork,
                          bool littleEndian,
                          const QList<QByteArray> &acceptedIDs)
{
    qint64 offset = 12;
    while (source.contains(offset, 8)) {
        const QByteArray header = source.read(offset, 8);
        const qint64 size = IffChunks::readSize(header, 4, littleEndian);
        if (acceptedIDs.contains(header.left(4))) {
            if (!source.contains(offset + 8, size))
                return false;
            if (source.read(offset + 8, size).contains(artwork))
                return true;
        }
        offset += 8 + size + (size & 1);
    }
    return false;
}

bool flacContainsArtwork(const ByteSource &source, const QByteArray &artwork)
{
    qint64 offset = 4;
    while (source.contains(offset, 4)) {
        const QByteArray header = source.read(offset, 4);
        const qint64 length =
            (qint64(quint8(header[1])) << 16) | (quint8(header[2]) << 8) | quint8(header[3]);
        if (!source.contains(offset + 4, length))
            return false;
        if ((quint8(header[0]) & 0x7F) == 6 && source.read(offset + 4, length).contains(artwork))
            return true;
        if (quint8(header[0]) & 0x80)
            return false;
        offset += 4 + length;
    }
    return false;
}

// ffmpeg's muxer writes back only the items it knows: BPM, a freeform musical key, DJ
// software's cue data and the like would be gone after a plain title edit. Every item of the
// source the copy lacks is put back, except the five written here and a removed cover.
void restoreDroppedItems(const QString &source, const QString &copy, bool removeArtwork)
{
    const QByteArray sourceName = LocalFile::encodeName(source);
    TagLib::MP4::File original(sourceName.constData(), false);
    if (!original.isValid() || !original.tag())
        return; // nothing to compare with: the copy stands as ffmpeg made it
    const QByteArray copyName = LocalFile::encodeName(copy);
    TagLib::MP4::File exported(copyName.constData(), false);
    if (!exported.isValid() || !exported.tag())
        throw WriteError::rewriteFailed(QFileInfo(source).suffix());
    // "\xA9nam", "\xA9ART", "\xA9alb", "\xA9gen", "\xA9cmt": the five items written here.
    static const QSet<QByteArray> written = {"nam", "ART", "alb", "gen", "cmt"};
    const auto isWritten = [](const QByteArray &name) {
        return name.size() == 4 && quint8(name[0]) == 0xA9 && written.contains(name.mid(1));
    };
    bool changed = false;
    for (const auto &[key, item] : original.tag()->itemMap()) {
        const TagLib::ByteVector latin1 = key.data(TagLib::String::Latin1);
        const QByteArray name(latin1.data(), qsizetype(latin1.size()));
        if (isWritten(name) || (removeArtwork && name == "covr") || exported.tag()->contains(key))
            continue;
        exported.tag()->setItem(key, item);
        changed = true;
    }
    if (changed && !exported.save())
        throw WriteError::rewriteFailed(QFileInfo(source).suffix());
}

} // namespace

QString MetadataWriter::outputType(const QString &extension)
{
    static const QHash<QString, QString> muxers = {
        {QStringLiteral("mp3"), QStringLiteral("mp3")},
        {QStringLiteral("m4a"), QStringLiteral("ipod")},
        {QStringLiteral("wav"), QStringLiteral("wav")},
        {QStringLiteral("aiff"), QStringLiteral("aiff")}};
    return muxers.value(extension.toLower());
}

void MetadataWriter::exportWithMetadata(const AudioTags &tags,
                                        bool removeArtwork,
                                        const QString &path)
{
    const QFileInfo info(path);
    const QString format = outputType(info.suffix());
    const QString program = ffmpegProgram();
    if (format.isEmpty() || program.isEmpty())
        throw WriteError::unsupportedFormat(info.suffix());
    try {
        SafeFileReplace output(path, info.suffix());
        QStringList arguments = {QStringLiteral("-nostdin"),
                                 QStringLiteral("-v"),
                                 QStringLiteral("error"),
                                 QStringLiteral("-y"),
                                 QStringLiteral("-i"),
                                 path,
                                 QStringLiteral("-map"),
                                 QStringLiteral("0:a"),
                                 QStringLiteral("-map"),
                                 // The cover travels as an attached picture stream.
                                 removeArtwork ? QStringLiteral("-0:v?") : QStringLiteral("0:v?"),
                                 QStringLiteral("-c"),
                                 QStringLiteral("copy"),
                                 QStringLiteral("-map_metadata"),
                                 QStringLiteral("0")};
        // An empty value removes the item, so a cleared field does not linger in the file.
        const std::pair<const char *, QString> items[] = {{"title", tags.title},
                                                          {"artist", tags.artist},
                                                          {"album", tags.album},
                                                          {"genre", tags.genre},
                                                          {"comment", tags.comment}};
        for (const auto &[key, value] : items)
            arguments << QStringLiteral("-metadata")
                      << QString::fromLatin1(key) + QLatin1Char('=') + value;
        arguments << QStringLiteral("-f") << format << output.tempPath();

        // This pool thread waits for ffmpeg, so ffmpeg ends before it and dies with the process.
        QProcess process;
        const pid_t parent = ::getpid();
        process.setChildProcessModifier([parent] { ChildProcess::dieWithParent(parent); });
        process.start(program, arguments);
        const bool finished = process.waitForStarted() && process.waitForFinished(kExportTimeoutMs);
        if (!finished) {
            process.kill();
            process.waitForFinished();
        }
        // At this log level anything on stderr is an error (a truncated source, say): a copy
        // made despite it may have lost audio, so it never replaces the original.
        const bool clean = process.readAllStandardError().trimmed().isEmpty();
        if (!finished || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
            !clean)
            throw WriteError::rewriteFailed(info.suffix());
        if (format == QLatin1String("ipod"))
            restoreDroppedItems(path, output.tempPath(), removeArtwork);
        output.commit();
    } catch (const SafeFileReplace::Error &error) {
        throw WriteError(error.failure() == SafeFileReplace::Failure::NotFound
                             ? WriteError::Kind::fileNotFound
                         : error.failure() == SafeFileReplace::Failure::PermissionDenied
                             ? WriteError::Kind::permissionDenied
                             : WriteError::Kind::ioFailed,
                         info.fileName());
    }
}

bool MetadataWriter::containsArtworkBytes(const QByteArray &artwork, const QString &path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    try {
        const FileByteSource source(path);
        if (extension == QLatin1String("mp3")) {
            if (!source.contains(0, 10))
                return false;
            const QByteArray header = source.read(0, 10);
            if (!header.startsWith("ID3"))
                return false;
            const qint64 size =
                Id3v2Tag::totalLength(header) - 10 - ((quint8(header[5]) & 0x10) ? 10 : 0);
            return source.read(10, std::min(size, source.size() - 10)).contains(artwork);
        }
        if (extension == QLatin1String("flac"))
            return source.contains(0, 4) && source.read(0, 4) == "fLaC" &&
                   flacContainsArtwork(source, artwork);
        if (!source.contains(0, 12))
            return false;
        const QByteArray header = source.read(0, 12);
        if (extension == QLatin1String("wav"))
            return header.startsWith("RIFF") && header.mid(8, 4) == "WAVE" &&
                   chunkContainsArtwork(source, artwork, true, {"id3 ", "ID3 "});
        if (extension == QLatin1String("aiff") || extension == QLatin1String("aif"))
            return header.startsWith("FORM") &&
                   (header.mid(8, 4) == "AIFF" || header.mid(8, 4) == "AIFC") &&
                   chunkContainsArtwork(source, artwork, false, {"ID3 "});
        return false;
    } catch (const WriteError &error) {
        throw error.withFileName(QFileInfo(path).fileName());
    }
}

} // namespace brivello
