#include "QualityAnalyzerView.h"

#include "QualityAnalysisDetail.h"
#include "QualityAnalysisList.h"
#include "analysis/AudioQualityAnalysis.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/ActionButton.h"
#include "shell/BrivelloTheme.h"
#include "shell/PlaylistMultiFileDragOverlay.h"
#include "shell/ShellEvents.h"
#include "workspaces/SectionListRules.h"
#include "workspaces/ui/SectionRowStyle.h"
#include "workspaces/ui/WorkspaceEmptyState.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace brivello {

QualityAnalyzerView::QualityAnalyzerView(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : QWidget(parent)
    , m_store(store)
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
    m_analyze = new ActionButton(
        QStringLiteral("Анализировать все"), QStringLiteral("waveform.path.ecg"), this);
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
    m_list = new QualityAnalysisList(store, player, panes);
    m_list->setMinimumWidth(320);
    m_list->setMaximumWidth(460);
    m_list->onBackgroundDrop = [this](const QList<QUrl> &urls) { importDroppedFiles(urls); };
    row->addWidget(m_list);
    m_detail = new QualityAnalysisDetail(panes);
    row->addWidget(m_detail, 1);
    m_content->addWidget(panes);
    column->addLayout(m_content, 1);
    setAcceptDrops(true);

    connect(m_analyze, &QAbstractButton::clicked, this, [this] {
        QSet<QUuid> ids = m_store.selectedIDs();
        if (ids.isEmpty()) {
            for (const Track &track : m_store.analysisTracks())
                ids.insert(track.id);
        }
        // An explicit request: files that failed before get another try.
        m_store.analyzeQuality(ids, true);
    });
    connect(
        &store, &LibraryStore::analysisTracksChanged, this, &QualityAnalyzerView::tracksChanged);
    connect(&store.analysis(),
            &AnalysisQueues::qualityAnalysesChanged,
            this,
            &QualityAnalyzerView::refreshDetail);
    connect(&store.analysis(),
            &AnalysisQueues::analyzingQualityIDsChanged,
            this,
            &QualityAnalyzerView::refreshDetail);
    connect(
        &store, &LibraryStore::selectedIDsChanged, this, &QualityAnalyzerView::selectedIDsChanged);
    connect(
        &store, &LibraryStore::selectedIDChanged, this, &QualityAnalyzerView::selectedIDChanged);
    NotificationCenter::defaultCenter().observe(
        brivelloLanguageDidChange, nullptr, this, [this](const Notification &) { retranslate(); });
    const auto restyle = [this] {
        const ColorScheme scheme = ShellEvents::instance().scheme();
        QPalette palette = m_title->palette();
        palette.setColor(QPalette::WindowText, BrivelloTheme::primary(scheme));
        m_title->setPalette(palette);
        SectionRowStyle::styleSecondary(m_note, TextStyle::caption, scheme);
    };
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, this, restyle);
    restyle();

    m_focusedID = store.selectedID();
    if (!m_focusedID && !store.selectedIDs().isEmpty())
        m_focusedID = *store.selectedIDs().cbegin();
    if (!m_focusedID && !store.analysisTracks().isEmpty())
        m_focusedID = store.analysisTracks().first().id;
    tracksChanged();
    retranslate();
    analyzeFocusedTrackIfNeeded();
}

bool QualityAnalyzerView::isActive() const
{
    return m_store.activeTab() == LibraryStore::LibraryTab::analysis;
}

void QualityAnalyzerView::tracksChanged()
{
    const bool empty = m_store.analysisTracks().isEmpty();
    m_content->setCurrentIndex(empty ? 0 : 1);
    m_analyze->setEnabled(!empty);
    // The focused track's record may be new (tags, cover).
    m_shownDetail.reset();
    refreshDetail();
}

QualityAnalyzerView::DetailInputs QualityAnalyzerView::detailInputs() const
{
    if (!m_focusedID)
        return {};
    const AnalysisQueues &analysis = m_store.analysis();
    return {m_focusedID,
            analysis.qualityAnalyses().value(*m_focusedID),
            analysis.analyzingQualityIDs().contains(*m_focusedID),
            analysis.qualityFailures().value(*m_focusedID)};
}

void QualityAnalyzerView::refreshDetail()
{
    const DetailInputs inputs = detailInputs();
    if (m_shownDetail == inputs)
        return;
    m_shownDetail = inputs;
    std::optional<Track> track;
    for (const Track &candidate : m_store.analysisTracks()) {
        if (inputs.id && candidate.id == *inputs.id) {
            track = candidate;
            break;
        }
    }
    m_detail->setInputs(track, inputs.result, inputs.isAnalyzing, inputs.failure);
}

// Queued before the detail is drawn, so a new focus shows its spinner at once.
void QualityAnalyzerView::focus(std::optional<QUuid> id)
{
    m_focusedID = id;
    analyzeFocusedTrackIfNeeded();
    refreshDetail();
}

void QualityAnalyzerView::selectedIDsChanged()
{
    retranslate();
    if (!isActive())
        return;
    const QSet<QUuid> ids = m_store.selectedIDs();
    const std::optional<QUuid> anchor = m_store.selectedID();
    std::optional<QUuid> next = anchor;
    if (ids.size() == 1)
        next = *ids.cbegin();
    else if (ids.isEmpty())
        next.reset();
    else if (anchor && !ids.contains(*anchor))
        next = SectionListRules::anyMember(ids);
    if (next != anchor) {
        m_store.setSelectedID(next);
        m_store.session().scheduleWorkspaceSave();
    }
    const std::optional<QUuid> selected = m_store.selectedID();
    focus(selected && ids.contains(*selected) ? selected : SectionListRules::anyMember(ids));
}

void QualityAnalyzerView::selectedIDChanged()
{
    const std::optional<QUuid> id = m_store.selectedID();
    if (!isActive() || !id)
        return;
    focus(id);
    QPointer<QualityAnalyzerView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, id] {
            if (self)
                self->m_list->scrollToTrack(*id, true);
        },
        Qt::QueuedConnection);
}

void QualityAnalyzerView::analyzeFocusedTrackIfNeeded()
{
    if (!m_focusedID || m_store.analysis().qualityAnalyses().contains(*m_focusedID) ||
        m_store.analysis().analyzingQualityIDs().contains(*m_focusedID))
        return;
    m_store.analyzeQuality({*m_focusedID});
}

void QualityAnalyzerView::importDroppedFiles(const QList<QUrl> &urls)
{
    SectionRowStyle::importDropped(
        urls, [this](const QList<QUrl> &files) { m_store.importer().importForAnalysis(files); });
}

void QualityAnalyzerView::dragEnterEvent(QDragEnterEvent *event)
{
    if (PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()).isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void QualityAnalyzerView::dragMoveEvent(QDragMoveEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void QualityAnalyzerView::dropEvent(QDropEvent *event)
{
    // Accepted in every case, also when no file comes with it.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    importDroppedFiles(PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()));
}

void QualityAnalyzerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const std::optional<QUuid> id = m_store.selectedID();
    if (!id)
        return;
    QPointer<QualityAnalyzerView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, id] {
            if (self)
                self->m_list->scrollToTrack(*id, false);
        },
        Qt::QueuedConnection);
}

void QualityAnalyzerView::retranslate()
{
    m_title->setText(BrivelloLocalization::string(QStringLiteral("Анализ качества")));
    m_note->setText(BrivelloLocalization::string(
        QStringLiteral("Результат — подсказка, а не гарантия качества мастера.")));
    m_analyze->setTitleKey(m_store.selectedIDs().isEmpty()
                               ? QStringLiteral("Анализировать все")
                               : QStringLiteral("Анализировать выбранные"));
}

} // namespace brivello
