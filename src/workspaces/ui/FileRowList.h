#pragma once

#include "shell/PlaylistMultiFileDragOverlay.h"

#include <QAbstractScrollArea>
#include <QList>
#include <QUrl>
#include <QVariantAnimation>
#include <functional>

class QPainter;

namespace brivello {

// What a section tells the shared row list about its rows: their number, heights and looks,
// and for a press the drag overlay's values (files, select, play). Main thread.
class FileRowSource
{
public:
    virtual ~FileRowSource() = default;
    virtual int fileRowCount() const = 0;
    virtual int fileRowHeight(int row) const = 0;
    virtual void
    paintFileRow(QPainter &painter, const QRect &rect, int row, bool hovered) const = 0;
    // Fills the overlay for a press on `row`; false for a row that is not a file (a heading).
    virtual bool bindFileRow(int row, PlaylistMultiFileDragOverlay &overlay) = 0;
    // A press on a control inside the row (a remove button, a toggle); true when taken. The
    // second press of a double click comes with `clickCount` 2 and never reaches the row.
    virtual bool pressFileRowControl(int row, const QPoint &pointInRow, int clickCount)
    {
        Q_UNUSED(row);
        Q_UNUSED(pointInRow);
        Q_UNUSED(clickCount);
        return false;
    }
    virtual QString fileRowToolTip(int row, const QPoint &pointInRow) const
    {
        Q_UNUSED(row);
        Q_UNUSED(pointInRow);
        return {};
    }
};

// The scrolling list of file rows shared by the covers, converter and duplicates sections:
// rows are painted only when visible, presses go through the playlist's drag overlay (click,
// double click, drag-out, drops on a row), files dropped between rows go to the section.
// Main thread; owned by the section view.
class FileRowList : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int kSpacing = 2;

    FileRowList(FileRowSource &source, QWidget *parent = nullptr);

    // Rebuilds the row positions after the rows or their heights changed.
    void reload();
    int rowAt(const QPoint &viewportPoint) const;
    QRect rowRect(int row) const;
    // Centred or with the least movement; animated unless reduced motion asks otherwise.
    void scrollToRow(int row, bool centre, bool animated);
    void setMargins(int horizontal, int vertical);
    void setSpacing(int spacing);

    std::function<void(const QList<QUrl> &)> onBackgroundDrop;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void press(QMouseEvent *event, int clickCount);
    void updateScrollRange();

    FileRowSource &m_source;
    QList<int> m_tops;
    int m_contentHeight = 0;
    int m_marginH = 12;
    int m_marginV = 6;
    int m_spacing = kSpacing;
    PlaylistMultiFileDragOverlay m_overlay;
    int m_pressedRow = -1;
    QPoint m_pressPos;
    int m_hoveredRow = -1;
    QVariantAnimation m_scroll;
};

} // namespace brivello
