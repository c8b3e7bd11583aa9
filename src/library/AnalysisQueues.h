#pragma once

#include "library/AnalysisQueue.h"
#include "records/Track.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUuid>
#include <memory>
#include <optional>

namespace brivello {

struct AudioQualityAnalysis;

// The store's analysis bookkeeping: finished quality analyses and failures, tempo estimates,
// and the two work queues with the ids they show as running. The workers (the analysis
// scheduler) start from bpmWorkRequested() and qualityWorkRequested(). Main thread; a part
// owned by the LibraryStore and reached through its analysis().
class AnalysisQueues : public QObject
{
    Q_OBJECT
public:
    using QualityAnalyses = QHash<QUuid, std::shared_ptr<const AudioQualityAnalysis>>;
    // Why a track could not be analysed; such a track counts as done and is queued again only
    // on an explicit retry. Announced with qualityAnalysesChanged.
    using QualityFailures = QHash<QUuid, QString>;

    explicit AnalysisQueues(QObject *parent = nullptr);

    const QualityAnalyses &qualityAnalyses() const { return m_qualityAnalyses; }
    void setQualityAnalyses(QualityAnalyses analyses);
    const QualityFailures &qualityFailures() const { return m_qualityFailures; }
    void setQualityFailures(QualityFailures failures);
    const QSet<QUuid> &analyzingQualityIDs() const { return m_analyzingQualityIDs; }
    void setAnalyzingQualityIDs(QSet<QUuid> ids);
    const QSet<QUuid> &analyzingBPMIDs() const { return m_analyzingBPMIDs; }
    void setAnalyzingBPMIDs(QSet<QUuid> ids);
    // While analyzingBPMIDsChanged is being announced: the ids whose state changed, when the
    // change came from queueing here; null when the whole set was replaced.
    const std::optional<QSet<QUuid>> &changedAnalyzingBPMIDs() const
    {
        return m_changedAnalyzingBPMIDs;
    }
    const QHash<QUuid, QString> &estimatedBPMByTrackID() const { return m_estimatedBPMByTrackID; }
    void setEstimatedBPMByTrackID(QHash<QUuid, QString> map);
    const QHash<QUuid, double> &estimatedBPMConfidenceByTrackID() const
    {
        return m_estimatedBPMConfidenceByTrackID;
    }
    void setEstimatedBPMConfidenceByTrackID(QHash<QUuid, double> map);

    const QList<QUuid> &pendingBPMTrackIDs() const { return m_bpmQueue.pending(); }
    const QList<QUuid> &pendingQualityTrackIDs() const { return m_qualityQueue.pending(); }
    AnalysisQueue &bpmQueue() { return m_bpmQueue; }
    AnalysisQueue &qualityQueue() { return m_qualityQueue; }

    // Queues the tracks of `library` among `ids` that have no tempo, no estimate and no place
    // in the queue yet.
    void detectBPM(const QList<Track> &library, const QSet<QUuid> &ids);
    // The same for the tracks at `positions` of `library`, without walking the whole list.
    void detectBPM(const QList<Track> &library, QList<qsizetype> positions);
    // Queues the tracks of `analysisTracks` among `ids` not analysed or queued yet; failed ones
    // only on `retryFailed` (the user asked), which forgets their failures.
    void
    analyzeQuality(const QList<Track> &analysisTracks, const QSet<QUuid> &ids, bool retryFailed);
    // Takes the tracks out of the quality queue; a flight among them is cancelled.
    void dropQualityWork(const QSet<QUuid> &ids);
    // Forgets the tracks' analyses and failures and shows the queue as it now stands.
    void forgetQualityResults(const QSet<QUuid> &ids);

signals:
    void qualityAnalysesChanged();
    void analyzingQualityIDsChanged();
    void analyzingBPMIDsChanged();
    void estimatedBPMByTrackIDChanged();
    void estimatedBPMConfidenceByTrackIDChanged();
    // New candidates were queued; the analysis workers start from these.
    void bpmWorkRequested();
    void qualityWorkRequested();
    // The track being quality-analysed left the analysis section; the worker stops it.
    void qualityWorkCancelRequested();

private:
    bool wantsBPM(const Track &track) const;
    void queueBPM(const QList<QUuid> &picked);

    QualityAnalyses m_qualityAnalyses;
    QualityFailures m_qualityFailures;
    QSet<QUuid> m_analyzingQualityIDs;
    QSet<QUuid> m_analyzingBPMIDs;
    std::optional<QSet<QUuid>> m_changedAnalyzingBPMIDs;
    QHash<QUuid, QString> m_estimatedBPMByTrackID;
    QHash<QUuid, double> m_estimatedBPMConfidenceByTrackID;
    AnalysisQueue m_bpmQueue;
    AnalysisQueue m_qualityQueue;
};

} // namespace brivello
