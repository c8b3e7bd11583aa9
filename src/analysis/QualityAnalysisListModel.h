#pragma once

#include "AudioQualityAnalysis.h"
#include "records/Track.h"

#include <QAbstractListModel>
#include <QSet>
#include <QUuid>
#include <memory>
#include <optional>

namespace brivello {

class LibraryStore;

// The analysis section's list as an item model: one row per track of the store's analysis
// list, in list order, with what its row shows (result, failure, analysing, selected, current,
// playing). Follows the store's signals, taking a new list on the next turn of the event
// loop; the view feeds it the player's state. Main thread.
class QualityAnalysisListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { IDRole = Qt::UserRole + 1 };

    // What a row's status block says: the verdict over its cut-off, or one line that the track
    // is being analysed, why it could not be, or that it was not.
    struct Status
    {
        enum class Kind { result, analyzing, failure, notAnalyzed };
        Kind kind = Kind::notAnalyzed;
        AudioQualityVerdict verdict;
        QString text;
        QString detail; // the cut-off, under a verdict
    };

    explicit QualityAnalysisListModel(LibraryStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const Track &trackAt(int row) const;
    int rowOf(const QUuid &id) const;
    std::shared_ptr<const AudioQualityAnalysis> result(int row) const;
    // Why the track could not be analysed; empty when it could or was not yet.
    QString failure(int row) const;
    bool isAnalyzing(int row) const;
    Status status(int row) const;
    bool isSelected(int row) const;
    bool isCurrent(int row) const;
    bool isPlaying(int row) const;
    // The files a drag from `row` carries: the selected ones in list order when the row is
    // selected, else none (the row's own file then goes alone).
    QList<QUrl> dragURLs(int row) const;

    void setPlaybackState(std::optional<QUuid> currentID, bool isPlaying);

private:
    void repaintAll();

    LibraryStore *m_store;
    QList<Track> m_tracks;
    std::optional<QUuid> m_currentID;
    bool m_isPlaying = false;
    bool m_resetPending = false;
};

} // namespace brivello
