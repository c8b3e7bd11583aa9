#include "PlaylistView.h"

#include "ContextualHint.h"
#include "PlaylistDrops.h"
#include "ShellEvents.h"
#include "TrackRowDelegate.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "library/PlaylistSelection.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/BrivelloLocalization.h"
#include "settings/ContextualHintState.h"

#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace brivello {

namespace {

using Tab = LibraryStore::LibraryTab;

} // namespace

PlaylistView::PlaylistView(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : TrackListView(store, player, parent)
    , m_model(new PlaylistModel(&store, this))
    , m_delegate(new TrackRowDelegate(this))
{
    setObjectName(QStringLiteral("playlistView"));
    setRows(m_model, m_delegate);
    setUniformItemSizes(false);
    setViewportMargins(8, 6, 8, 6);

    m_delegate->setDensity(m_store.settings().tableDensity());
    connect(m_model, &PlaylistModel::rowGeometryChanged, this, [this] {
        m_delegate->setDensity(m_store.settings().tableDensity());
        scheduleDelayedItemsLayout();
    });
    connect(&m_store, &LibraryStore::selectedIDsChanged, this, &PlaylistView::keepFocusInSelection);
    connect(&m_store, &LibraryStore::tracksChanged, this, &PlaylistView::bounceChangedHearts);
    bounceChangedHearts();
    // The hovered row number means nothing once rows move (a press keeps its track by id).
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, &PlaylistView::forgetRowPositions);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &PlaylistView::forgetRowPositions);
    connect(m_model, &QAbstractItemModel::modelReset, this, &PlaylistView::forgetRowPositions);
    const auto updateSpinner = [this] {
        runSpinner(!m_store.analysis().analyzingBPMIDs().isEmpty());
    };
    connect(&m_store.analysis(), &AnalysisQueues::analyzingBPMIDsChanged, this, updateSpinner);
    connect(&player, &AudioPlayer::currentIDChanged, this, [this] {
        refreshPlayback();
        followPlayer();
    });
    connect(&player, &AudioPlayer::isPlayingChanged, this, &PlaylistView::refreshPlayback);
    refreshPlayback();
    updateSpinner();
    m_heartHint =
        ContextualHint::attachToAreas(viewport(), m_store.services().schedulerService(), [this] {
            return m_store.settings().hotkey(kHotkeyFavoriteKey);
        });
}

void PlaylistView::repaintSpinningRows()
{
    // Only rows on screen show the spinner, and an import queues the whole library for tempo:
    // walk the screen's rows, never the queue.
    const QSet<QUuid> &analyzing = m_store.analysis().analyzingBPMIDs();
    if (analyzing.isEmpty())
        return;
    const QRect area = viewport()->rect();
    QModelIndex first;
    for (int y = area.top(); !first.isValid() && y < area.bottom(); y += 4)
        first = indexAt(QPoint(area.center().x(), y));
    if (!first.isValid())
        return;
    for (int row = first.row(); row < m_model->rowCount(); ++row) {
        const QRect rect = visualRect(m_model->index(row));
        if (rect.top() > area.bottom())
            break;
        if (analyzing.contains(m_model->trackAt(row).id))
            viewport()->update(rect);
    }
}

void PlaylistView::forgetRowPositions()
{
    forgetHoveredRow();
    // The heart under the pointer may belong to another track now.
    m_heartHint->hoverArea({});
    m_heartHint->state()->dismiss();
}

void PlaylistView::hoverHeart(const QPoint &pos)
{
    int row = -1;
    if (areaAt(pos, &row) != Area::heart) {
        m_heartHint->hoverArea({});
        return;
    }
    const QRect heart = TrackRowDelegate::geometry(
                            elementRect(row), m_model->startsFolder(row), m_delegate->density())
                            .heart;
    if (heart != m_heartHint->anchorRect() || !m_heartHint->state()->isPresented()) {
        const bool favourite = m_model->trackAt(row).isFavorite;
        m_heartHint->setTitle(favourite ? QStringLiteral("Убрать из избранного")
                                        : QStringLiteral("Добавить в избранное"));
        m_heartHint->setDetail(
            favourite
                ? QStringLiteral("Трек останется в плейлисте, но исчезнет из «Избранного».")
                : QStringLiteral("Помечает трек для последующей очистки, разметки и экспорта."));
    }
    m_heartHint->hoverArea(heart);
}

bool PlaylistView::isPlaylistActive() const
{
    return m_store.activeTab() == Tab::playlist;
}

QRect PlaylistView::elementRect(int row) const
{
    return visualRect(m_model->index(row));
}

PlaylistView::Area PlaylistView::areaAt(const QPoint &pos, int *row) const
{
    const QModelIndex index = indexAt(pos);
    *row = index.isValid() ? index.row() : -1;
    if (!index.isValid())
        return Area::none;
    const auto g = TrackRowDelegate::geometry(
        visualRect(index), m_model->startsFolder(*row), m_delegate->density());
    if (g.header.contains(pos))
        return Area::header;
    if (g.heart.contains(pos))
        return Area::heart;
    if (g.content.contains(pos))
        return Area::content;
    return Area::none;
}

void PlaylistView::selectPlaylistTrack(const QUuid &id, Qt::KeyboardModifiers modifiers)
{
    QList<QUuid> rows;
    for (const Track &track : m_store.sections().visibleTracks())
        rows.append(track.id);
    const PlaylistSelection::State next =
        PlaylistSelection::click(rows,
                                 {m_store.selectedIDs(), m_store.selectedID()},
                                 id,
                                 modifiers.testFlag(Qt::ShiftModifier),
                                 modifiers.testFlag(Qt::ControlModifier));
    m_store.setSelectedIDs(next.ids);
    m_store.session().scheduleWorkspaceSave();
    m_store.setSelectedID(next.focus);
    m_store.session().scheduleWorkspaceSave();
}

void PlaylistView::bindOverlay(int row, Qt::KeyboardModifiers modifiers)
{
    const Track track = m_model->trackAt(row);
    m_overlay.trackURL = track.url;
    m_overlay.selectedURLs = m_model->dragURLs(row);
    m_overlay.startedOnSelectedRow = m_model->isInSelection(row);
    m_overlay.isDragEnabled = m_model->isDragEnabled(row);
    const QUuid id = track.id;
    m_overlay.select = [this, id, modifiers] { selectPlaylistTrack(id, modifiers); };
    m_overlay.play = [this, track] {
        if (m_player)
            m_player->start(track);
    };
    m_overlay.onDragBlocked = [this] {
        m_store.showStatus(QStringLiteral("Подождите: обложка ещё сохраняется в файл"),
                           QStringLiteral("photo.badge.plus"),
                           LibraryStore::WorkspaceStatus::Tone::warning,
                           3.6);
    };
}

void PlaylistView::mousePressEvent(QMouseEvent *event)
{
    m_pressedRow = -1;
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    int row = -1;
    switch (areaAt(event->position().toPoint(), &row)) {
    case Area::heart:
        toggleFavorite(row);
        break;
    case Area::content:
        pressRow(row, event, 1);
        break;
    default:
        break;
    }
    event->accept();
}

void PlaylistView::mouseDoubleClickEvent(QMouseEvent *event)
{
    int row = -1;
    if (event->button() == Qt::LeftButton &&
        areaAt(event->position().toPoint(), &row) == Area::content) {
        pressRow(row, event, 2);
    } else if (event->button() == Qt::LeftButton &&
               areaAt(event->position().toPoint(), &row) == Area::heart) {
        toggleFavorite(row);
    }
    event->accept();
}

void PlaylistView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        hoverHeart(pos);
        int row = -1;
        const Area area = areaAt(pos, &row);
        setHoveredRow(area == Area::content || area == Area::heart ? row : -1);
        return;
    }
    dragPressedRow(pos);
}

void PlaylistView::leaveEvent(QEvent *event)
{
    m_heartHint->hoverArea({});
    TrackListView::leaveEvent(event);
}

bool PlaylistView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        int row = -1;
        if (areaAt(help->pos(), &row) == Area::header) {
            QToolTip::showText(help->globalPos(),
                               PlaylistModel::folderURL(m_model->trackAt(row).url).toLocalFile(),
                               viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QListView::viewportEvent(event);
}

void PlaylistView::showEvent(QShowEvent *event)
{
    QListView::showEvent(event);
    revealSavedPlaylistTrack();
}

void PlaylistView::refreshPlayback()
{
    if (!m_player)
        return;
    m_model->setPlaybackState(m_player->currentID(), m_player->isPlaying());
}

void PlaylistView::keepFocusInSelection()
{
    if (!isPlaylistActive())
        return;
    const PlaylistSelection::State state{m_store.selectedIDs(), m_store.selectedID()};
    const PlaylistSelection::State kept = PlaylistSelection::upkeep(m_model->ids(), state);
    if (kept.focus == state.focus)
        return;
    m_store.setSelectedID(kept.focus);
    m_store.session().scheduleWorkspaceSave();
}

void PlaylistView::followPlayer()
{
    if (!m_player || !m_player->currentID() || !isPlaylistActive() ||
        m_model->isWholeListSelected())
        return;
    const QUuid id = *m_player->currentID();
    // A track the rows already hold glides into view at once, in step with the key that
    // played it; waiting for the queue would start it behind whatever work is queued.
    if (const int row = m_model->rowOf(id); row >= 0) {
        scrollToRow(row, false);
        return;
    }
    QPointer<PlaylistView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, id] {
            if (self)
                self->scrollToRow(self->m_model->rowOf(id), false);
        },
        Qt::QueuedConnection);
}

void PlaylistView::revealSavedPlaylistTrack()
{
    if (!isPlaylistActive() || !m_store.selectedID())
        return;
    const QUuid id = *m_store.selectedID();
    QPointer<PlaylistView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, id] {
            if (self && self->isPlaylistActive())
                self->scrollToRow(self->m_model->rowOf(id), true);
        },
        Qt::QueuedConnection);
}

void PlaylistView::scrollToRow(int row, bool centre)
{
    if (row < 0)
        return;
    executeDelayedItemsLayout();
    const int target = scrollTarget(elementRect(row), centre);
    if (target == verticalScrollBar()->value())
        return;
    m_scroll.stop();
    glideTo(target, true);
}

} // namespace brivello
