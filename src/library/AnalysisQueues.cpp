#include "AnalysisQueues.h"

#include <algorithm>

namespace brivello {

namespace {
using BPMTexts = QHash<QUuid, QString>;
using BPMConfidences = QHash<QUuid, double>;
} // namespace

AnalysisQueues::AnalysisQueues(QObject *parent)
    : QObject(parent)
{}

#define BRIVELLO_ANALYSIS_SETTER(Setter, Type, member, signal)                                     \
    void AnalysisQueues::Setter(Type value)                                                        \
    {                                                                                              \
        member = std::move(value);                                                                 \
        emit signal();                                                                             \
    }

BRIVELLO_ANALYSIS_SETTER(setQualityAnalyses,
                         QualityAnalyses,
                         m_qualityAnalyses,
                         qualityAnalysesChanged)
BRIVELLO_ANALYSIS_SETTER(setQualityFailures,
                         QualityFailures,
                         m_qualityFailures,
                         qualityAnalysesChanged)
BRIVELLO_ANALYSIS_SETTER(setAnalyzingQualityIDs,
                         QSet<QUuid>,
                         m_analyzingQualityIDs,
                         analyzingQualityIDsChanged)
BRIVELLO_ANALYSIS_SETTER(setAnalyzingBPMIDs, QSet<QUuid>, m_analyzingBPMIDs, analyzingBPMIDsChanged)
BRIVELLO_ANALYSIS_SETTER(setEstimatedBPMByTrackID,
                         BPMTexts,
                         m_estimatedBPMByTrackID,
                         estimatedBPMByTrackIDChanged)
BRIVELLO_ANALYSIS_SETTER(setEstimatedBPMConfidenceByTrackID,
                         BPMConfidences,
                         m_estimatedBPMConfidenceByTrackID,
                         estimatedBPMConfidenceByTrackIDChanged)

#undef BRIVELLO_ANALYSIS_SETTER

bool AnalysisQueues::wantsBPM(const Track &track) const
{
    return track.tags.bpm.trimmed().isEmpty() && !m_estimatedBPMByTrackID.contains(track.id) &&
           !m_bpmQueue.contains(track.id);
}

void AnalysisQueues::queueBPM(const QList<QUuid> &picked)
{
    if (picked.isEmpty())
        return;
    m_bpmQueue.append(picked);
    // The listeners look at the queued ids alone instead of comparing two sets of the library's
    // size for every batch.
    m_analyzingBPMIDs = m_bpmQueue.queued();
    m_changedAnalyzingBPMIDs = QSet<QUuid>(picked.cbegin(), picked.cend());
    emit analyzingBPMIDsChanged();
    m_changedAnalyzingBPMIDs.reset();
    emit bpmWorkRequested();
}

void AnalysisQueues::detectBPM(const QList<Track> &library, const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    QList<QUuid> picked;
    for (const Track &track : library) {
        if (ids.contains(track.id) && wantsBPM(track))
            picked.append(track.id);
    }
    queueBPM(picked);
}

void AnalysisQueues::detectBPM(const QList<Track> &library, QList<qsizetype> positions)
{
    // Ascending positions are the library's order, the order the walk above queues in.
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    QList<QUuid> picked;
    for (const qsizetype at : std::as_const(positions)) {
        if (at >= 0 && at < library.size() && wantsBPM(library.at(at)))
            picked.append(library.at(at).id);
    }
    queueBPM(picked);
}

void AnalysisQueues::analyzeQuality(const QList<Track> &analysisTracks,
                                    const QSet<QUuid> &ids,
                                    bool retryFailed)
{
    if (ids.isEmpty())
        return;
    QList<QUuid> picked;
    for (const Track &track : analysisTracks) {
        if (!ids.contains(track.id) || m_qualityAnalyses.contains(track.id) ||
            m_qualityQueue.contains(track.id))
            continue;
        if (!retryFailed && m_qualityFailures.contains(track.id))
            continue;
        picked.append(track.id);
    }
    if (picked.isEmpty())
        return;
    if (retryFailed) {
        QualityFailures failures = m_qualityFailures;
        for (const QUuid &id : std::as_const(picked))
            failures.remove(id);
        if (failures.size() != m_qualityFailures.size())
            setQualityFailures(std::move(failures));
    }
    m_qualityQueue.append(picked);
    setAnalyzingQualityIDs(m_qualityQueue.queued());
    emit qualityWorkRequested();
}

void AnalysisQueues::dropQualityWork(const QSet<QUuid> &ids)
{
    const std::optional<QUuid> inFlight = m_qualityQueue.inFlight();
    m_qualityQueue.remove(ids);
    if (inFlight && ids.contains(*inFlight))
        emit qualityWorkCancelRequested();
}

void AnalysisQueues::forgetQualityResults(const QSet<QUuid> &ids)
{
    QualityAnalyses analyses = m_qualityAnalyses;
    for (const QUuid &id : ids)
        analyses.remove(id);
    for (const QUuid &id : ids)
        m_qualityFailures.remove(id);
    setQualityAnalyses(std::move(analyses));
    setAnalyzingQualityIDs(m_qualityQueue.queued());
}

} // namespace brivello
