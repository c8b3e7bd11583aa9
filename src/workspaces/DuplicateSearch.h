#pragma once

#include "DuplicateFiles.h"

#include <QObject>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// Finds exact duplicates (same size, same SHA-256) and probable ones (artist, title and a
// close duration) among the duplicate workspace's tracks, in phases whose progress it
// publishes through the store. Main thread; file work runs on the thread pool. A child of the
// store. Each search carries a generation: invalidate() makes a running search drop its
// results at the next step.
class DuplicateSearch : public QObject
{
    Q_OBJECT
public:
    explicit DuplicateSearch(LibraryStore &store);

    void findDuplicates();
    // A newer workspace (cleared, roots removed) makes a running search's findings stale.
    void invalidate() { ++m_generation; }

    static constexpr double kMetadataStart = 0.04;
    static constexpr double kMetadataShare = 0.32;
    static constexpr double kPreparingStart = 0.36;
    static constexpr double kHashingStart = 0.4;
    static constexpr double kHashingShare = 0.52;
    static constexpr double kMatchingStart = 0.94;

signals:
    void searchFinished();

private:
    using Candidate = DuplicateFiles::Candidate;
    QCoro::Task<> run(quint64 generation);
    QCoro::Task<> search(quint64 generation);
    QCoro::Task<> refreshDuplicateMetadata(QList<QUuid> ids, quint64 generation);
    QCoro::Task<DuplicateFiles::DigestGroups>
    hash(QList<Candidate> candidates, QSet<qsizetype> needed, quint64 generation);
    void publish(QList<AudioDuplicateGroup> groups);
    bool isCurrent(quint64 generation) const { return generation == m_generation; }
    void raiseProgress(double floor);
    void publishProgress(qint64 processed, double progress);
    // `covered`: the search ran to its end over the roots it started with.
    void endSearch(bool covered);

    LibraryStore &m_store;
    quint64 m_generation = 0;
};

} // namespace brivello
