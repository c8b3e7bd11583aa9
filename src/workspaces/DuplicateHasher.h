#pragma once

#include "DuplicateFiles.h"

#include <QList>
#include <QUuid>
#include <atomic>
#include <functional>

namespace brivello {

// Exact-content groups among same-size candidates, on a bounded pool of its own: a 4 KiB
// prefix, then the whole file compared by XXH3-128, then one SHA-256 per group (from its first
// readable member) for the group's id. Blocks the calling thread (never the main one) until
// every file is done; any thread.
class DuplicateHasher
{
public:
    // Shared with the caller's thread; `changed` runs on a pool thread after each file.
    struct Progress
    {
        std::atomic<qint64> processed = 0;
        std::atomic<qint64> bytesRead = 0;
        std::atomic<qsizetype> current = -1; // index of the file read last
        std::atomic<bool> cancelled = false;
        std::function<void()> changed;
    };
    struct Result
    {
        // Digests in candidate order of their first file, each with its files in that order.
        DuplicateFiles::DigestGroups groups;
        // Files that could not be read through as sized (gone, cut short, grown, unreadable).
        QList<QUuid> unreadable;
    };
    static constexpr int kFilesInFlightPerDisk = 4;

    // The cores there are, at most a few reads in flight on each disk the candidates live on.
    static int defaultThreadCount(const QList<DuplicateFiles::Candidate> &candidates);
    // Lower-case hex SHA-256 of the whole file, which must still be `byteCount` long.
    static std::optional<QString> sha256(const DuplicateFiles::Candidate &file,
                                         std::atomic<qint64> *bytesRead = nullptr);
    // `candidates` as sameSizeCandidates() gives them; a cancelled run returns what it has.
    static Result group(const QList<DuplicateFiles::Candidate> &candidates,
                        int threadCount,
                        Progress *progress = nullptr);
};

} // namespace brivello
