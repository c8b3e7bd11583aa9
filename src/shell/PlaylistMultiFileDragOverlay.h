#pragma once

#include "RowDragMimeData.h"

#include <QList>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <functional>

class QDrag;
class QWidget;

namespace brivello {

// Click, drag-out and drop behaviour of one track row, shared by the playlist and the
// covers, converter and analysis lists. The list's view feeds it the row's values as drawn
// last, then the mouse events of a press on that row; it decides when the row is selected or
// played and which files a drag carries. Main thread; owned by the view that uses it.
class PlaylistMultiFileDragOverlay
{
public:
    // The row values, refreshed by the view before each press.
    QUrl trackURL;
    QList<QUrl> selectedURLs;
    bool startedOnSelectedRow = false;
    bool isDragEnabled = true;
    std::function<void()> onDragBlocked;
    std::function<void(const QList<QUrl> &)> onExternalDrop;
    std::function<void()> select;
    std::function<void()> play;

    // A press; `clickCount` is 2 for the second press of a double click. A plain press on a
    // selected row waits for the release, so the whole selection can still be dragged.
    void mousePress(Qt::KeyboardModifiers modifiers, int clickCount);
    // A move with the button held. Returns the files to drag now; empty when no drag starts.
    QList<QUrl> mouseDrag();
    void mouseRelease();
    void dragEnded();
    // Runs the drag of `urls` from `source`, the view this overlay belongs to, and ends it
    // unless the drop deleted that view after all.
    void dragOut(QWidget *source, const QList<QUrl> &urls);

    bool isDeferringSelection() const { return m_deferSelectionUntilMouseUp; }
    bool hasStartedDrag() const { return m_startedDrag; }
    const QList<QUrl> &dragURLsSnapshot() const { return m_dragURLsSnapshot; }

    // Outside files of a drag: none when it started on any row of any list.
    static QList<QUrl> externalFileURLs(const QMimeData *mime);
    // A drop on the row: hands the outside files to onExternalDrop; false when there are none.
    bool performDrop(const QMimeData *mime);

    // Starts the drag of `urls` from `source` as file copies; returns when it ends. The drop
    // may switch sections: the content area keeps a view alive while a drag it started runs.
    static Qt::DropAction execDrag(QWidget *source, const QList<QUrl> &urls);
    // The platform's drag loop (QDrag::exec); a stand-in runs in its place where the platform
    // has none (the offscreen one returns at once). Empty restores the platform's.
    using DragLoop = std::function<Qt::DropAction(QDrag *)>;
    static void setDragLoopForTesting(DragLoop loop);

private:
    bool m_deferSelectionUntilMouseUp = false;
    bool m_startedDrag = false;
    bool m_handledDoubleClick = false;
    QList<QUrl> m_dragURLsSnapshot;
};

} // namespace brivello
