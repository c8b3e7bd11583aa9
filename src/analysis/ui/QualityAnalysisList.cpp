#include "QualityAnalysisList.h"

#include "QualityAnalysisRow.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "library/TrackRemoval.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "workspaces/SectionListRules.h"
#include "workspaces/ui/SectionRowStyle.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

namespace brivello {

QualityAnalysisList::QualityAnalysisList(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : TrackListView(store, player, parent)
    , m_model(new QualityAnalysisListModel(&store, this))
    , m_delegate(new QualityAnalysisRow(this))
{
    setObjectName(QStringLiteral("qualityAnalysisList"));
    setRows(m_model, m_delegate);
    setUniformItemSizes(true);
    setViewportMargins(8, 4, 8, 4);
    m_delegate->setDensity(store.settings().tableDensity());
    connect(&store.settings(), &LibrarySettings::tableDensityChanged, this, [this] {
        m_delegate->setDensity(m_store.settings().tableDensity());
        scheduleDelayedItemsLayout();
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { setHoveredRow(-1); });
    connect(&player, &AudioPlayer::currentIDChanged, this, &QualityAnalysisList::refreshPlayback);
    connect(&player, &AudioPlayer::isPlayingChanged, this, &QualityAnalysisList::refreshPlayback);
    const auto updateSpinner = [this] {
        runSpinner(!m_store.analysis().analyzingQualityIDs().isEmpty());
    };
    connect(&store.analysis(), &AnalysisQueues::analyzingQualityIDsChanged, this, updateSpinner);
    refreshPlayback();
    updateSpinner();
}

void QualityAnalysisList::repaintSpinningRows()
{
    // Only the rows on screen: thousands may wait for their turn.
    const QModelIndex first = indexAt(QPoint(1, 1));
    for (int row = first.isValid() ? first.row() : 0; row < m_model->rowCount(); ++row) {
        const QRect rect = visualRect(m_model->index(row));
        if (rect.top() > viewport()->height())
            break;
        if (m_model->isAnalyzing(row))
            viewport()->update(rect);
    }
}

void QualityAnalysisList::refreshPlayback()
{
    if (m_player)
        m_model->setPlaybackState(m_player->currentID(), m_player->isPlaying());
}

int QualityAnalysisList::rowAt(const QPoint &pos) const
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return -1;
    // The spacing under a row belongs to no row.
    const QRect rect = visualRect(index).adjusted(0, 0, 0, -QualityAnalysisRow::kRowSpacing);
    return rect.contains(pos) ? index.row() : -1;
}

void QualityAnalysisList::selectAnalysisTrack(const QUuid &id, Qt::KeyboardModifiers modifiers)
{
    QList<QUuid> rows;
    for (const Track &track : m_store.analysisTracks())
        rows.append(track.id);
    const SectionListRules::Selection next =
        SectionListRules::coverClick(rows,
                                     {m_store.selectedIDs(), m_store.selectedID()},
                                     id,
                                     SectionRowStyle::modifiers(modifiers));
    m_store.setSelectedIDs(next.ids);
    m_store.setSelectedID(next.anchor);
    m_store.session().scheduleWorkspaceSave();
}

void QualityAnalysisList::bindOverlay(int row, Qt::KeyboardModifiers modifiers)
{
    const Track track = m_model->trackAt(row);
    m_overlay.trackURL = track.url;
    m_overlay.selectedURLs = m_model->dragURLs(row);
    m_overlay.startedOnSelectedRow = m_model->isSelected(row);
    m_overlay.isDragEnabled = true;
    m_overlay.onDragBlocked = [] {};
    m_overlay.onExternalDrop = [this](const QList<QUrl> &urls) {
        m_store.importer().importForAnalysis(urls);
    };
    m_overlay.select = [this, id = track.id, modifiers] { selectAnalysisTrack(id, modifiers); };
    m_overlay.play = [this, track] {
        if (m_player)
            m_player->play(track);
    };
}

void QualityAnalysisList::press(QMouseEvent *event, int clickCount)
{
    m_pressedRow = -1;
    const int row = event->button() == Qt::LeftButton ? rowAt(event->position().toPoint()) : -1;
    if (row >= 0)
        pressRow(row, event, clickCount);
    event->accept();
}

void QualityAnalysisList::mousePressEvent(QMouseEvent *event)
{
    press(event, 1);
}

void QualityAnalysisList::mouseDoubleClickEvent(QMouseEvent *event)
{
    press(event, 2);
}

void QualityAnalysisList::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        setHoveredRow(rowAt(pos));
        return;
    }
    dragPressedRow(pos);
}

void QualityAnalysisList::contextMenuEvent(QContextMenuEvent *event)
{
    const int row = rowAt(event->pos());
    if (row < 0)
        return;
    // The tracks the menu opened for, whatever the selection becomes while it shows; a pop-up,
    // not a nested event loop, so a section switch may delete this list meanwhile.
    const QSet<QUuid> targets = m_model->isSelected(row) ? m_store.sections().activeSelection()
                                                         : QSet<QUuid>{m_model->trackAt(row).id};
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    LibraryStore *store = &m_store;
    menu->addAction(BrivelloLocalization::string(QStringLiteral("Удалить из анализа")),
                    store,
                    [store, targets] { store->removal().removeFromAnalysis(targets); });
    menu->popup(event->globalPos());
}

void QualityAnalysisList::dragEnterEvent(QDragEnterEvent *event)
{
    if (PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void QualityAnalysisList::dragMoveEvent(QDragMoveEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void QualityAnalysisList::dropEvent(QDropEvent *event)
{
    const int row = rowAt(event->position().toPoint());
    if (row >= 0) {
        bindOverlay(row, Qt::NoModifier);
        if (m_overlay.performDrop(event->mimeData())) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
        }
        return;
    }
    const QList<QUrl> urls = PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData());
    if (urls.isEmpty() || !onBackgroundDrop)
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    onBackgroundDrop(urls);
}

void QualityAnalysisList::scrollToTrack(const QUuid &id, bool animated)
{
    const int row = m_model->rowOf(id);
    if (row < 0)
        return;
    executeDelayedItemsLayout();
    const int target = scrollTarget(visualRect(m_model->index(row)), true);
    m_scroll.stop();
    if (target != verticalScrollBar()->value())
        glideTo(target, animated);
}

} // namespace brivello
