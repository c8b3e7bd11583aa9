#include "QualityAnalysisListModel.h"

#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"

#include <utility>

namespace brivello {

QualityAnalysisListModel::QualityAnalysisListModel(LibraryStore *store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_tracks(store->analysisTracks())
{
    // A burst of imports (a drop of thousands of files) resets the rows once.
    connect(store, &LibraryStore::analysisTracksChanged, this, [this] {
        if (std::exchange(m_resetPending, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_resetPending = false;
                beginResetModel();
                m_tracks = m_store->analysisTracks();
                endResetModel();
            },
            Qt::QueuedConnection);
    });
    connect(&store->analysis(),
            &AnalysisQueues::qualityAnalysesChanged,
            this,
            &QualityAnalysisListModel::repaintAll);
    connect(&store->analysis(),
            &AnalysisQueues::analyzingQualityIDsChanged,
            this,
            &QualityAnalysisListModel::repaintAll);
    connect(store, &LibraryStore::selectedIDsChanged, this, &QualityAnalysisListModel::repaintAll);
}

int QualityAnalysisListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_tracks.size());
}

QVariant QualityAnalysisListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_tracks.size())
        return {};
    if (role == IDRole)
        return m_tracks[index.row()].id;
    if (role == Qt::DisplayRole)
        return m_tracks[index.row()].tags.title;
    return {};
}

const Track &QualityAnalysisListModel::trackAt(int row) const
{
    return m_tracks[row];
}

int QualityAnalysisListModel::rowOf(const QUuid &id) const
{
    for (int row = 0; row < m_tracks.size(); ++row) {
        if (m_tracks[row].id == id)
            return row;
    }
    return -1;
}

std::shared_ptr<const AudioQualityAnalysis> QualityAnalysisListModel::result(int row) const
{
    return m_store->analysis().qualityAnalyses().value(m_tracks[row].id);
}

QString QualityAnalysisListModel::failure(int row) const
{
    return m_store->analysis().qualityFailures().value(m_tracks[row].id);
}

bool QualityAnalysisListModel::isAnalyzing(int row) const
{
    return m_store->analysis().analyzingQualityIDs().contains(m_tracks[row].id);
}

QualityAnalysisListModel::Status QualityAnalysisListModel::status(int row) const
{
    using Kind = Status::Kind;
    if (const auto analysis = result(row)) {
        return {Kind::result,
                analysis->verdict,
                BrivelloLocalization::string(analysis->verdict.rawValue()),
                BrivelloLocalization::format(QStringLiteral("~%d Гц · %d kHz"),
                                             int(analysis->cutoffHz / 100) * 100,
                                             int(analysis->sampleRate / 1000))};
    }
    if (isAnalyzing(row))
        return {Kind::analyzing,
                {},
                BrivelloLocalization::string(QStringLiteral("Анализируем спектр…")),
                {}};
    if (const QString reason = failure(row); !reason.isEmpty())
        return {Kind::failure, {}, BrivelloLocalization::string(reason), {}};
    return {Kind::notAnalyzed,
            {},
            BrivelloLocalization::string(QStringLiteral("Не анализировался")),
            {}};
}

bool QualityAnalysisListModel::isSelected(int row) const
{
    return m_store->selectedIDs().contains(m_tracks[row].id);
}

bool QualityAnalysisListModel::isCurrent(int row) const
{
    return m_currentID && *m_currentID == m_tracks[row].id;
}

bool QualityAnalysisListModel::isPlaying(int row) const
{
    return isCurrent(row) && m_isPlaying;
}

QList<QUrl> QualityAnalysisListModel::dragURLs(int row) const
{
    if (!isSelected(row))
        return {};
    QList<QUrl> urls;
    for (const Track &track : std::as_const(m_tracks)) {
        if (m_store->selectedIDs().contains(track.id))
            urls.append(track.url);
    }
    return urls;
}

void QualityAnalysisListModel::setPlaybackState(std::optional<QUuid> currentID, bool isPlaying)
{
    if (currentID == m_currentID && isPlaying == m_isPlaying)
        return;
    m_currentID = currentID;
    m_isPlaying = isPlaying;
    repaintAll();
}

void QualityAnalysisListModel::repaintAll()
{
    if (!m_tracks.isEmpty())
        emit dataChanged(index(0), index(int(m_tracks.size()) - 1));
}

} // namespace brivello
