#include "PlaylistView.h"

#include "ContextualHint.h"
#include "PlaylistDrops.h"
#include "ShellEvents.h"
#include "TrackRowDelegate.h"
#include "library/AudioPlayer.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStore.h"
#include "library/PlaylistSelection.h"
#include "platform/BrivelloLocalization.h"
#include "settings/ContextualHintState.h"

#include <QApplication>
#include <QDrag>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace brivello {

namespace {

using Tab = LibraryStore::LibraryTab;

} // namespace

PlaylistView::PlaylistView(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : QListView(parent)
    , m_store(store)
    , m_player(&player)
    , m_model(new PlaylistModel(&store, this))
    , m_delegate(new TrackRowDelegate(this))
{
    setObjectName(QStringLiteral("playlistView"));
    setModel(m_model);
    setItemDelegate(m_delegate);
    setUniformItemSizes(false);
    configureTrackList(*this);
    setViewportMargins(8, 6, 8, 6);
    restyle();
    connect(
        &ShellEvents::instance(), &ShellEvents::appearanceChanged, this, &PlaylistView::restyle);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            viewport(),
            qOverload<>(&QWidget::update));

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
    connect(&m_store, &LibraryStore::analyzingBPMIDsChanged, this, &PlaylistView::updateSpinner);
    connect(&player, &AudioPlayer::currentIDChanged, this, [this] {
        refreshPlayback();
        followPlayer();
    });
    connect(&player, &AudioPlayer::isPlayingChanged, this, &PlaylistView::refreshPlayback);
    refreshPlayback();

    m_scroll.setDuration(210);
    m_scroll.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scroll, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        verticalScrollBar()->setValue(value.toInt());
    });
    m_spinner.setInterval(60);
    connect(&m_spinner, &QTimer::timeout, this, [this] {
        m_spinnerPhase = std::fmod(m_spinnerPhase + 0.08, 1.0);
        m_delegate->setSpinnerPhase(m_spinnerPhase);
        for (const QUuid &id : m_store.analyzingBPMIDs()) {
            if (const int row = m_model->rowOf(id); row >= 0)
                viewport()->update(visualRect(m_model->index(row)));
        }
    });
    updateSpinner();
    m_heartHint = ContextualHint::attachToAreas(
        viewport(), [this] { return m_store.settings().hotkey(kHotkeyFavoriteKey); });
}

void PlaylistView::configureTrackList(QListView &list)
{
    // The list draws and selects through the store; it only scrolls, hovers and takes drops.
    list.setSelectionMode(QAbstractItemView::NoSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list.setFrameShape(QFrame::NoFrame);
    list.setMouseTracking(true);
    list.setAcceptDrops(true);
    list.viewport()->setAcceptDrops(true);
    list.setDragDropMode(QAbstractItemView::DropOnly);
    list.setFocusPolicy(Qt::NoFocus);
    list.setAutoFillBackground(false);
    list.viewport()->setAutoFillBackground(false);
}

QString PlaylistView::listStyleSheet(ColorScheme scheme)
{
    // A thin scroll bar in the scheme's secondary colour, over a clear list.
    const QColor handle = BrivelloTheme::isLight(scheme) ? blackA(0.22) : whiteA(0.2);
    return QStringLiteral("QListView { background: transparent; border: none; }"
                          "QScrollBar:vertical { background: transparent; width: 10px;"
                          " margin: 4px 2px 4px 0; }"
                          "QScrollBar::handle:vertical { background: %1;"
                          " border-radius: 4px; min-height: 32px; }"
                          "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical"
                          " { height: 0; }"
                          "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
                          " { background: transparent; }")
        .arg(handle.name(QColor::HexArgb));
}

void PlaylistView::restyle()
{
    setStyleSheet(listStyleSheet(ShellEvents::instance().scheme()));
    viewport()->update();
}

void PlaylistView::forgetRowPositions()
{
    m_hoveredRow = -1;
    m_delegate->setHoveredRow(-1);
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
    for (const Track &track : m_store.visibleTracks())
        rows.append(track.id);
    const PlaylistSelection::State next =
        PlaylistSelection::click(rows,
                                 {m_store.selectedIDs(), m_store.selectedID()},
                                 id,
                                 modifiers.testFlag(Qt::ShiftModifier),
                                 modifiers.testFlag(Qt::ControlModifier));
    m_store.setSelectedIDs(next.ids);
    m_store.scheduleWorkspaceSave();
    m_store.setSelectedID(next.focus);
    m_store.scheduleWorkspaceSave();
}

void PlaylistView::pressContent(int row, Qt::KeyboardModifiers modifiers, int clickCount)
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
    m_overlay.mousePress(modifiers, clickCount);
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
        m_pressedRow = row;
        m_pressPos = event->position().toPoint();
        pressContent(row, event->modifiers(), 1);
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
        m_pressedRow = row;
        m_pressPos = event->position().toPoint();
        pressContent(row, event->modifiers(), 2);
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
        const int hovered = (area == Area::content || area == Area::heart) ? row : -1;
        if (hovered != m_hoveredRow) {
            if (m_hoveredRow >= 0)
                viewport()->update(elementRect(m_hoveredRow));
            m_hoveredRow = hovered;
            m_delegate->setHoveredRow(hovered);
            if (hovered >= 0)
                viewport()->update(elementRect(hovered));
        }
        return;
    }
    if (m_pressedRow < 0 ||
        (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    const QList<QUrl> urls = m_overlay.mouseDrag();
    if (urls.isEmpty())
        return;
    m_pressedRow = -1;
    m_overlay.dragOut(this, urls);
}

void PlaylistView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_pressedRow >= 0)
        m_overlay.mouseRelease();
    m_pressedRow = -1;
    event->accept();
}

void PlaylistView::leaveEvent(QEvent *event)
{
    if (m_hoveredRow >= 0)
        viewport()->update(elementRect(m_hoveredRow));
    m_hoveredRow = -1;
    m_delegate->setHoveredRow(-1);
    m_heartHint->hoverArea({});
    QListView::leaveEvent(event);
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

void PlaylistView::keyPressEvent(QKeyEvent *event)
{
    // Keys are the window's hotkeys; the list has no keyboard navigation of its own.
    event->ignore();
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

void PlaylistView::updateSpinner()
{
    if (m_store.analyzingBPMIDs().isEmpty())
        m_spinner.stop();
    else if (!m_spinner.isActive())
        m_spinner.start();
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
    m_store.scheduleWorkspaceSave();
}

void PlaylistView::followPlayer()
{
    if (!m_player || !m_player->currentID() || !isPlaylistActive() ||
        m_model->isWholeListSelected())
        return;
    const QUuid id = *m_player->currentID();
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
    const QRect rect = elementRect(row);
    const QRect visible = viewport()->rect();
    QScrollBar *bar = verticalScrollBar();
    int target = bar->value();
    if (centre)
        target += rect.center().y() - visible.center().y();
    else if (rect.top() < visible.top())
        target += rect.top() - visible.top();
    else if (rect.bottom() > visible.bottom())
        target += rect.bottom() - visible.bottom();
    target = std::clamp(target, bar->minimum(), bar->maximum());
    if (target == bar->value())
        return;
    m_scroll.stop();
    if (ShellEvents::instance().reduceMotion()) {
        bar->setValue(target);
        return;
    }
    m_scroll.setStartValue(bar->value());
    m_scroll.setEndValue(target);
    m_scroll.start();
}

} // namespace brivello
