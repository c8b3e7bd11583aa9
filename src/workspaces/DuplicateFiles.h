#pragma once

#include "records/AudioDuplicateGroup.h"
#include "records/Track.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <atomic>
#include <optional>

namespace brivello {

// The file-level steps of the duplicate search: scope, sizes with file identities, SHA-256,
// grouping and the probable pass's text keys. Pure functions; any thread.
class DuplicateFiles
{
public:
    struct Candidate
    {
        QUuid id;
        QUrl url;
        qint64 byteCount = 0;
        quint64 device = 0; // the file system it lives on
    };
    // What a size pass learns of one file; `aliasOf` is set when an earlier file of the list is
    // the same file on disk (a hard link, a symbolic link, the same path twice).
    struct SizedFile
    {
        std::optional<qint64> byteCount;
        std::optional<QUuid> aliasOf;
        quint64 device = 0;
    };
    static constexpr qint64 kReadSize = 1024 * 1024;

    // The tracks under a folder root or at a file root, in list order; all with no root.
    static QList<Track> tracksInScope(const QList<Track> &tracks, const QList<QUrl> &roots);
    // Sizes by following symbolic links; index-aligned with `tracks`.
    static QList<SizedFile> sizeFiles(const QList<Track> &tracks);
    static QList<Candidate> sameSizeCandidates(const QList<Candidate> &candidates);
    // Lower-case hex digest, or nothing when the file cannot be opened or read through as
    // sized. Adds the bytes read to `bytesRead` when given.
    static std::optional<QString> sha256(const QUrl &url, std::atomic<qint64> *bytesRead = nullptr);
    // Same-size files are first compared by this much of their start.
    static constexpr qint64 kPrefixSize = 4096;

    // Digests in first-hashed order, each with its files in hashing order.
    using DigestGroups = QList<std::pair<QString, QList<Candidate>>>;
    static QList<AudioDuplicateGroup> duplicateGroups(const DigestGroups &digests);
    static QList<AudioDuplicateGroup> probableDuplicateGroups(const QList<Track> &tracks);
    static QString normalizedDuplicateText(const QString &text);
};

} // namespace brivello
