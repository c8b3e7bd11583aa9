#include "PlaylistMultiFileDragOverlay.h"

#include "library/DroppedFiles.h"

#include <QApplication>
#include <QDrag>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QPainter>
#include <QWidget>
#include <utility>

namespace brivello {

namespace {

PlaylistMultiFileDragOverlay::DragLoop &dragLoopForTesting()
{
    static PlaylistMultiFileDragOverlay::DragLoop loop;
    return loop;
}

} // namespace

void PlaylistMultiFileDragOverlay::mousePress(Qt::KeyboardModifiers modifiers, int clickCount)
{
    m_startedDrag = false;
    m_handledDoubleClick = false;
    const bool command = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);

    QList<QUrl> candidates;
    if (startedOnSelectedRow && !selectedURLs.isEmpty())
        candidates = selectedURLs;
    else if (!trackURL.isEmpty())
        candidates = {trackURL};
    m_dragURLsSnapshot = uniqueFileURLs(candidates);

    if (clickCount == 2) {
        m_deferSelectionUntilMouseUp = false;
        if ((!startedOnSelectedRow || command || shift) && select)
            select();
        if (play)
            play();
        m_handledDoubleClick = true;
        return;
    }
    if (startedOnSelectedRow && !command) {
        m_deferSelectionUntilMouseUp = !shift;
        if (!shift)
            return;
    } else {
        m_deferSelectionUntilMouseUp = false;
    }
    if (select)
        select();
}

QList<QUrl> PlaylistMultiFileDragOverlay::mouseDrag()
{
    if (m_startedDrag || trackURL.isEmpty())
        return {};
    if (!isDragEnabled) {
        if (onDragBlocked)
            onDragBlocked();
        return {};
    }
    m_startedDrag = true;
    m_deferSelectionUntilMouseUp = false;
    return m_dragURLsSnapshot;
}

void PlaylistMultiFileDragOverlay::mouseRelease()
{
    if (!m_startedDrag && !m_handledDoubleClick && m_deferSelectionUntilMouseUp && select)
        select();
    m_dragURLsSnapshot.clear();
}

void PlaylistMultiFileDragOverlay::dragEnded()
{
    m_dragURLsSnapshot.clear();
}

void PlaylistMultiFileDragOverlay::dragOut(QWidget *source, const QList<QUrl> &urls)
{
    const QPointer<QWidget> alive(source);
    execDrag(source, urls);
    // This overlay is a part of `source`.
    if (alive)
        dragEnded();
}

QList<QUrl> PlaylistMultiFileDragOverlay::externalFileURLs(const QMimeData *mime)
{
    if (!mime || qobject_cast<const RowDragMimeData *>(mime))
        return {};
    QList<QUrl> files;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            files.append(url);
    }
    return uniqueFileURLs(files);
}

bool PlaylistMultiFileDragOverlay::performDrop(const QMimeData *mime)
{
    const QList<QUrl> files = externalFileURLs(mime);
    if (files.isEmpty())
        return false;
    if (onExternalDrop)
        onExternalDrop(files);
    return true;
}

Qt::DropAction PlaylistMultiFileDragOverlay::execDrag(QWidget *source, const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return Qt::IgnoreAction;
    auto *mime = new RowDragMimeData;
    mime->setUrls(urls);

    // One icon per file, fanned out a little, like a stack of the dragged files.
    static const QFileIconProvider icons;
    const int shown = int(std::min<qsizetype>(urls.size(), 3));
    QPixmap image(32 + (shown - 1) * 6, 32 + (shown - 1) * 6);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        for (int i = shown - 1; i >= 0; --i) {
            const QIcon icon = icons.icon(QFileInfo(urls.at(i).toLocalFile()));
            painter.drawPixmap(i * 6, i * 6, icon.pixmap(32, 32));
        }
    }
    auto *drag = new QDrag(source);
    drag->setMimeData(mime);
    drag->setPixmap(image);
    drag->setHotSpot(QPoint(16, 16));
    Qt::DropAction action = Qt::IgnoreAction;
    if (const DragLoop &loop = dragLoopForTesting()) {
        action = loop(drag);
        drag->deleteLater();
    } else {
        action = drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
    return action;
}

void PlaylistMultiFileDragOverlay::setDragLoopForTesting(DragLoop loop)
{
    dragLoopForTesting() = std::move(loop);
}

} // namespace brivello
