#pragma once

#include "DuplicateFiles.h"
#include "ProgressThrottle.h"
#include "library/DuplicateSearchState.h"

#include <QHash>
#include <QObject>
#include <memory>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// Finds exact duplicates (same size, same SHA-256) and probable ones (artist, title and a
// close duration) among the duplicate workspace's tracks, in phases whose progress it
// publishes through the store at most 20 times a second. Main thread; file work runs on the
// thread pool. A child of the store, whose metadata load queue and scheduler it uses. Each
// search carries a generation: invalidate() makes a running search drop its results at the
// next step.
class DuplicateSearch : public QObject
{
    Q_OBJECT
public:
    explicit DuplicateSearch(LibraryStore &store);
    ~DuplicateSearch() override;

    void findDuplicates();
    // A newer workspace (cleared, roots removed) makes a running search's findings stale.
    void invalidate();

    static constexpr double kMetadataStart = 0.04;
    static constexpr double kMetadataShare = 0.32;
    static constexpr double kPreparingStart = 0.36;
    static constexpr double kHashingStart = 0.4;
    static constexpr double kHashingShare = 0.52;
    static constexpr double kMatchingStart = 0.94;
    // Metadata loads of one search waiting for the shared permits, besides those holding one.
    static constexpr int kMetadataLoadsAhead = 2;

signals:
    void searchFinished();

private:
    using Candidate = DuplicateFiles::Candidate;
    using Phase = DuplicateSearchState::Phase;
    // The counters a step changes; published together, in one store update.
    struct Shown
    {
        Phase phase = Phase::preparing;
        double progress = 0;
        QString currentFile;
        qint64 processedCount = 0;
        qint64 totalCount = 0;
    };
    struct HashingFeed;

    QCoro::Task<> run(quint64 generation);
    QCoro::Task<> search(quint64 generation);
    QCoro::Task<> refreshDuplicateMetadata(QList<QUuid> ids, quint64 generation);
    QCoro::Task<DuplicateFiles::DigestGroups> hash(QList<Candidate> candidates, quint64 generation);
    QList<Track> currentRecords(const QList<Track> &captured);
    QList<AudioDuplicateGroup> kept(QList<AudioDuplicateGroup> groups);
    bool isCurrent(quint64 generation) const { return generation == m_generation; }
    void show(Shown shown);
    void publishShown();
    void raiseProgress(double floor);
    // `current`: no newer workspace made the search stale; `covered`: besides, the roots are
    // still those it started with.
    void endSearch(bool current, bool covered);
    void reportUnreadable(const QList<QUuid> &unreadable);
    // Position of a track in the store's duplicate list, or -1; O(1) while the list stays.
    qsizetype indexOf(const QUuid &id);

    LibraryStore &m_store;
    quint64 m_generation = 0;
    Shown m_shown;
    // The groups a finished search hands to its end step.
    std::optional<QList<AudioDuplicateGroup>> m_found;
    // Files the search could not compare: no size to read, or not read through as sized. Its
    // end step reports them in one line.
    QList<QUuid> m_unreadable;
    // Refreshed records not yet written back; they go with the next published step.
    QList<Track> m_refreshed;
    ProgressThrottle m_throttle;
    QHash<QUuid, qsizetype> m_index;
    std::optional<quint64> m_indexRevision;
    std::shared_ptr<HashingFeed> m_hashing;
};

} // namespace brivello
