// PlaylistView: the heart, the context menu and drops.
#include "PlaylistDrops.h"
#include "PlaylistView.h"
#include "ShellEvents.h"
#include "TrackRowDelegate.h"
#include "library/FavoriteMembership.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "library/TrackRemoval.h"
#include "platform/BrivelloLocalization.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QVariantAnimation>
#include <cmath>

namespace brivello {

namespace {

constexpr int kHeartBounceMs = 360;

QString text(const char *key)
{
    return BrivelloLocalization::string(QString::fromUtf8(key));
}

bool acceptsDrop(const QMimeData *mime)
{
    return !PlaylistMultiFileDragOverlay::externalFileURLs(mime).isEmpty();
}

} // namespace

void PlaylistView::toggleFavorite(int row)
{
    const Track track = m_model->trackAt(row);
    const QUuid id = track.id;
    if (ShellEvents::instance().reduceMotion() || !track.isFavorite) {
        m_store.favorites().toggleFavorites({id}, nullptr);
        return;
    }
    // Un-favouriting: the heart shrinks and fades, the store call follows, then it springs back.
    auto *shrink = new QVariantAnimation(this);
    shrink->setDuration(100);
    shrink->setStartValue(0.0);
    shrink->setEndValue(1.0);
    shrink->setEasingCurve(QEasingCurve::OutCubic);
    QPointer<PlaylistView> self(this);
    connect(shrink, &QVariantAnimation::valueChanged, this, [this, id](const QVariant &value) {
        const qreal t = value.toReal();
        m_delegate->setHeartEffect(id, 1.0 - 0.32 * t, 1.0 - 0.72 * t);
        if (const int r = m_model->rowOf(id); r >= 0)
            viewport()->update(elementRect(r));
    });
    connect(shrink, &QVariantAnimation::finished, this, [this, id] {
        m_store.favorites().toggleFavorites({id}, nullptr);
        auto *back = new QVariantAnimation(this);
        back->setDuration(220);
        back->setStartValue(0.0);
        back->setEndValue(1.0);
        back->setEasingCurve(QEasingCurve::OutBack);
        connect(back, &QVariantAnimation::valueChanged, this, [this, id](const QVariant &value) {
            const qreal t = value.toReal();
            m_delegate->setHeartEffect(id, 0.68 + 0.32 * t, 0.28 + 0.72 * std::min(t, 1.0));
            if (const int r = m_model->rowOf(id); r >= 0)
                viewport()->update(elementRect(r));
        });
        connect(back, &QVariantAnimation::finished, this, [this, id] {
            m_delegate->clearHeartEffect(id);
            if (const int r = m_model->rowOf(id); r >= 0)
                viewport()->update(elementRect(r));
        });
        back->start(QAbstractAnimation::DeleteWhenStopped);
    });
    shrink->start(QAbstractAnimation::DeleteWhenStopped);
}

void PlaylistView::bounceChangedHearts()
{
    // Updated in place: most changes (a metadata batch) touch no heart, and rebuilding the
    // map for each of them costs as much as the library is long.
    if (m_store.contentOnlyChange() && !m_favoriteStates.isEmpty())
        return; // a metadata batch: no heart changed
    const QList<Track> &tracks = m_store.tracks();
    const bool animate = !ShellEvents::instance().reduceMotion();
    for (const Track &track : tracks) {
        const auto before = m_favoriteStates.find(track.id);
        if (before == m_favoriteStates.end()) {
            m_favoriteStates.insert(track.id, track.isFavorite);
        } else if (*before != track.isFavorite) {
            *before = track.isFavorite;
            if (animate)
                bounceHeart(track.id);
        }
    }
    if (m_favoriteStates.size() == tracks.size())
        return;
    // Tracks left the library: forget them.
    QHash<QUuid, bool> states;
    states.reserve(tracks.size());
    for (const Track &track : tracks)
        states.insert(track.id, track.isFavorite);
    m_favoriteStates = std::move(states);
}

void PlaylistView::bounceHeart(const QUuid &id)
{
    // Hearts out of sight do not move (a whole selection may change at once). The bounce runs
    // over the un-favourite shrink and spring when the heart itself was clicked.
    const int row = m_model->rowOf(id);
    if (row < 0 || !isVisible() || !elementRect(row).intersects(viewport()->rect()))
        return;
    if (QVariantAnimation *running = m_heartBounces.value(id))
        running->stop(); // deletes itself; the new bounce starts from rest
    auto *bounce = new QVariantAnimation(this);
    m_heartBounces.insert(id, bounce);
    bounce->setDuration(kHeartBounceMs);
    bounce->setStartValue(0.0);
    bounce->setEndValue(1.0);
    const auto repaint = [this, id] {
        if (const int r = m_model->rowOf(id); r >= 0)
            viewport()->update(elementRect(r));
    };
    connect(bounce, &QVariantAnimation::valueChanged, this, [this, id, repaint](const QVariant &v) {
        // Up and back with a small overshoot below rest, like a dropped ball.
        const qreal t = v.toReal();
        const qreal scale = t < 0.45 ? 1.0 + 0.28 * std::sin(M_PI * t / 0.45)
                                     : 1.0 - 0.08 * std::sin(M_PI * (t - 0.45) / 0.55);
        m_delegate->setHeartBounce(id, scale);
        repaint();
    });
    connect(bounce, &QVariantAnimation::finished, this, [this, id, repaint] {
        m_heartBounces.remove(id);
        m_delegate->clearHeartBounce(id);
        repaint();
    });
    m_delegate->setHeartBounce(id, 1.0);
    bounce->start(QAbstractAnimation::DeleteWhenStopped);
}

QList<QAction *> PlaylistView::trackMenuActions(int row, QObject *parent)
{
    const Track track = m_model->trackAt(row);
    const QSet<QUuid> targets =
        m_model->isSelected(row) ? m_store.sections().activeSelection() : QSet<QUuid>{track.id};
    const bool several = targets.size() > 1;
    LibraryStore *store = &m_store;

    auto *reveal = new QAction(text("Показать в файловом менеджере"), parent);
    connect(reveal, &QAction::triggered, store, [store, targets] {
        store->favorites().openInFinder(targets);
    });
    auto *first = new QAction(parent);
    first->setSeparator(true);
    auto *favourite =
        new QAction(text(track.isFavorite ? "Убрать из избранного" : "В избранное"), parent);
    connect(favourite, &QAction::triggered, store, [store, targets] {
        store->favorites().toggleFavorites(targets, nullptr);
    });
    auto *remove = new QAction(
        text(several ? "Удалить выбранные из плейлиста" : "Удалить из плейлиста"), parent);
    connect(remove, &QAction::triggered, store, [store, targets] {
        store->removal().removeTracksFromPlaylist(targets);
    });
    auto *second = new QAction(parent);
    second->setSeparator(true);
    auto *trash = new QAction(
        text(several ? "Переместить выбранные в Корзину" : "Переместить файл в Корзину"), parent);
    trash->setProperty("destructive", true);
    connect(trash, &QAction::triggered, store, [store, targets] {
        store->removal().trashTracks(targets);
    });
    return {reveal, first, favourite, remove, second, trash};
}

void PlaylistView::contextMenuEvent(QContextMenuEvent *event)
{
    int row = -1;
    const Area area = areaAt(event->pos(), &row);
    if (area != Area::content && area != Area::heart)
        return;
    // A pop-up, not a nested event loop: a section switch may delete this list while it shows.
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addActions(trackMenuActions(row, menu));
    menu->popup(event->globalPos());
}

void PlaylistView::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void PlaylistView::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void PlaylistView::dropEvent(QDropEvent *event)
{
    int row = -1;
    bool accepted = false;
    if (areaAt(event->position().toPoint(), &row) == Area::content) {
        // A drop on a row imports the files together.
        PlaylistMultiFileDragOverlay overlay;
        overlay.onExternalDrop = [this](const QList<QUrl> &urls) {
            m_store.importer().importURLs(urls);
        };
        accepted = overlay.performDrop(event->mimeData());
    } else if (!qobject_cast<const RowDragMimeData *>(event->mimeData())) {
        accepted = PlaylistDrops::importDroppedFilesIntoPlaylist(m_store, event->mimeData());
    }
    if (accepted) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

} // namespace brivello
