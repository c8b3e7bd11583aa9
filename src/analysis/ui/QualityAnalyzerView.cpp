#include "QualityAnalyzerView.h"

#include "QualityAnalysisDetail.h"
#include "analysis/AudioQualityAnalysis.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/BrivelloTheme.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace brivello {

namespace {

QString rowText(const Track &track, const QString &status)
{
    return QualityAnalysisDetail::displayTitle(track) + QStringLiteral("\n") +
           QualityAnalysisDetail::displayArtist(track) + QStringLiteral("  —  ") + status;
}

} // namespace

QualityAnalyzerView::QualityAnalyzerView(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
    , m_player(player)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 16);
    column->setSpacing(14);
    auto *header = new QHBoxLayout;
    header->setContentsMargins(22, 18, 22, 0);
    header->setSpacing(14);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(3);
    m_title = new QLabel(this);
    m_title->setFont(BrivelloTheme::font(TextStyle::title3, QFont::DemiBold));
    m_note = new QLabel(this);
    m_note->setFont(BrivelloTheme::font(TextStyle::caption));
    m_note->setWordWrap(true);
    titles->addWidget(m_title);
    titles->addWidget(m_note);
    header->addLayout(titles);
    header->addStretch(1);
    m_analyze = new QPushButton(this);
    header->addWidget(m_analyze);
    column->addLayout(header);

    m_content = new QStackedLayout;
    m_empty = new WorkspaceEmptyState(QStringLiteral("waveform.path.ecg"),
                                      QStringLiteral("Добавьте файлы для анализа"),
                                      QStringLiteral("Перетащите аудиофайлы или папки сюда либо "
                                                     "отправьте выбранные треки из «Избранного»."),
                                      this);
    m_content->addWidget(m_empty);
    auto *panes = new QWidget(this);
    auto *row = new QHBoxLayout(panes);
    row->setContentsMargins(18, 0, 18, 0);
    row->setSpacing(16);
    m_list = new QListWidget(panes);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMinimumWidth(320);
    m_list->setMaximumWidth(460);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    row->addWidget(m_list);
    m_detail = new QualityAnalysisDetail(panes);
    row->addWidget(m_detail, 1);
    m_content->addWidget(panes);
    column->addLayout(m_content, 1);

    connect(m_analyze, &QPushButton::clicked, this, [this] {
        QSet<QUuid> ids = m_store.selectedIDs();
        if (ids.isEmpty()) {
            for (const Track &track : m_store.analysisTracks())
                ids.insert(track.id);
        }
        m_store.analyzeQuality(ids);
    });
    connect(
        m_list, &QListWidget::itemSelectionChanged, this, &QualityAnalyzerView::selectionChanged);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        const QUuid id = item->data(Qt::UserRole).toUuid();
        for (const Track &track : m_store.analysisTracks()) {
            if (track.id == id)
                m_player.play(track);
        }
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QListWidgetItem *item = m_list->itemAt(pos);
        if (!item)
            return;
        const QUuid id = item->data(Qt::UserRole).toUuid();
        QMenu menu;
        menu.addAction(BrivelloLocalization::string(QStringLiteral("Удалить из анализа")),
                       [this, item, id] {
                           m_store.removeFromAnalysis(item->isSelected() ? m_store.activeSelection()
                                                                         : QSet<QUuid>{id});
                       });
        menu.exec(m_list->viewport()->mapToGlobal(pos));
    });
    connect(&store, &LibraryStore::analysisTracksChanged, this, &QualityAnalyzerView::rebuildRows);
    connect(&store, &LibraryStore::qualityAnalysesChanged, this, &QualityAnalyzerView::refreshRows);
    connect(
        &store, &LibraryStore::analyzingQualityIDsChanged, this, &QualityAnalyzerView::refreshRows);
    connect(&store, &LibraryStore::selectedIDsChanged, this, &QualityAnalyzerView::retranslate);
    NotificationCenter::defaultCenter().observe(
        brivelloLanguageDidChange, nullptr, this, [this](const Notification &) { retranslate(); });

    m_focusedID = store.selectedID();
    if (!m_focusedID && !store.selectedIDs().isEmpty())
        m_focusedID = *store.selectedIDs().cbegin();
    if (!m_focusedID && !store.analysisTracks().isEmpty())
        m_focusedID = store.analysisTracks().first().id;
    rebuildRows();
    retranslate();
    analyzeFocusedTrackIfNeeded();
}

QString QualityAnalyzerView::statusText(const QUuid &id) const
{
    if (const auto result = m_store.qualityAnalyses().value(id)) {
        return BrivelloLocalization::string(result->verdict.rawValue()) + QStringLiteral(" · ") +
               BrivelloLocalization::format(QStringLiteral("~%d Гц · %d kHz"),
                                            int(result->cutoffHz / 100) * 100,
                                            int(result->sampleRate / 1000));
    }
    if (m_store.analyzingQualityIDs().contains(id))
        return BrivelloLocalization::string(QStringLiteral("Анализируем спектр…"));
    return BrivelloLocalization::string(QStringLiteral("Не анализировался"));
}

void QualityAnalyzerView::rebuildRows()
{
    m_updatingRows = true;
    m_list->clear();
    for (const Track &track : m_store.analysisTracks()) {
        auto *item = new QListWidgetItem(rowText(track, statusText(track.id)), m_list);
        item->setData(Qt::UserRole, track.id);
        item->setSelected(m_store.selectedIDs().contains(track.id));
    }
    m_updatingRows = false;
    m_content->setCurrentIndex(m_store.analysisTracks().isEmpty() ? 0 : 1);
    m_analyze->setEnabled(!m_store.analysisTracks().isEmpty());
    refreshDetail();
}

void QualityAnalyzerView::refreshRows()
{
    const QList<Track> &tracks = m_store.analysisTracks();
    for (int i = 0; i < m_list->count() && i < tracks.size(); ++i)
        m_list->item(i)->setText(rowText(tracks[i], statusText(tracks[i].id)));
    refreshDetail();
}

void QualityAnalyzerView::refreshDetail()
{
    std::optional<Track> track;
    for (const Track &candidate : m_store.analysisTracks()) {
        if (m_focusedID && candidate.id == *m_focusedID)
            track = candidate;
    }
    const bool analyzing = m_focusedID && m_store.analyzingQualityIDs().contains(*m_focusedID);
    m_detail->setInputs(
        track, m_focusedID ? m_store.qualityAnalyses().value(*m_focusedID) : nullptr, analyzing);
}

void QualityAnalyzerView::selectionChanged()
{
    if (m_updatingRows)
        return;
    QSet<QUuid> ids;
    for (QListWidgetItem *item : m_list->selectedItems())
        ids.insert(item->data(Qt::UserRole).toUuid());
    std::optional<QUuid> anchor;
    if (QListWidgetItem *current = m_list->currentItem(); current && current->isSelected())
        anchor = current->data(Qt::UserRole).toUuid();
    else if (!ids.isEmpty())
        anchor = *ids.cbegin();
    m_store.setSelectedIDs(ids);
    m_store.setSelectedID(anchor);
    m_store.scheduleWorkspaceSave();
    if (anchor)
        m_focusedID = anchor;
    refreshDetail();
    analyzeFocusedTrackIfNeeded();
}

void QualityAnalyzerView::analyzeFocusedTrackIfNeeded()
{
    if (!m_focusedID || m_store.qualityAnalyses().contains(*m_focusedID) ||
        m_store.analyzingQualityIDs().contains(*m_focusedID))
        return;
    m_store.analyzeQuality({*m_focusedID});
}

void QualityAnalyzerView::retranslate()
{
    m_title->setText(BrivelloLocalization::string(QStringLiteral("Анализ качества")));
    m_note->setText(BrivelloLocalization::string(
        QStringLiteral("Результат — подсказка, а не гарантия качества мастера.")));
    m_analyze->setText(BrivelloLocalization::string(
        m_store.selectedIDs().isEmpty() ? QStringLiteral("Анализировать все")
                                        : QStringLiteral("Анализировать выбранные")));
    refreshRows();
}

} // namespace brivello
