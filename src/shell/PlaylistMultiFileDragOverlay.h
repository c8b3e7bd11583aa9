#pragma once

#include "RowDragMimeData.h"

#include <QList>
#include <QMimeData>
#include <QUrl>
#include <functional>

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
    // A move with the button held, `travelled` away from the press: past the drag distance it
    // drags the files out of `source` and returns once the drag ends; true when it did.
    bool dragOut(QWidget *source, int travelled);

    bool isDeferringSelection() const { return m_deferSelectionUntilMouseUp; }
    bool hasStartedDrag() const { return m_startedDrag; }
    const QList<QUrl> &dragURLsSnapshot() const { return m_dragURLsSnapshot; }

    // Outside files of a drag: none when it started on any row of any list.
    static QList<QUrl> externalFileURLs(const QMimeData *mime);
    // A drop on the row: hands the outside files to onExternalDrop; false when there are none.
    bool performDrop(const QMimeData *mime);

    // Starts the drag of `urls` from `source` as file copies; returns when it ends.
    static Qt::DropAction execDrag(QWidget *source, const QList<QUrl> &urls);

private:
    bool m_deferSelectionUntilMouseUp = false;
    bool m_startedDrag = false;
    bool m_handledDoubleClick = false;
    QList<QUrl> m_dragURLsSnapshot;
};

} // namespace brivello
