#include "FileRowList.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace brivello {

FileRowList::FileRowList(FileRowSource &source, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_source(source)
{
    setFrameShape(QFrame::NoFrame);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll.setDuration(210);
    m_scroll.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scroll, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        verticalScrollBar()->setValue(value.toInt());
    });
    reload();
}

void FileRowList::setMargins(int horizontal, int vertical)
{
    m_marginH = horizontal;
    m_marginV = vertical;
    reload();
}

void FileRowList::setSpacing(int spacing)
{
    m_spacing = spacing;
    reload();
}

void FileRowList::reload()
{
    const int count = m_source.fileRowCount();
    m_tops.resize(count);
    int y = m_marginV;
    for (int row = 0; row < count; ++row) {
        m_tops[row] = y;
        y += m_source.fileRowHeight(row) + (row + 1 < count ? m_spacing : 0);
    }
    m_contentHeight = y + m_marginV;
    m_hoveredRow = std::min(m_hoveredRow, count - 1);
    updateScrollRange();
    viewport()->update();
}

void FileRowList::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(24);
    bar->setRange(0, std::max(0, m_contentHeight - viewport()->height()));
}

QRect FileRowList::rowRect(int row) const
{
    if (row < 0 || row >= m_tops.size())
        return {};
    return QRect(m_marginH,
                 m_tops.at(row) - verticalScrollBar()->value(),
                 viewport()->width() - 2 * m_marginH,
                 m_source.fileRowHeight(row));
}

int FileRowList::rowAt(const QPoint &point) const
{
    const int y = point.y() + verticalScrollBar()->value();
    const auto it = std::upper_bound(m_tops.cbegin(), m_tops.cend(), y);
    const int row = int(it - m_tops.cbegin()) - 1;
    if (row < 0 || !rowRect(row).contains(point))
        return -1;
    return row;
}

void FileRowList::scrollToRow(int row, bool centre, bool animated)
{
    if (row < 0 || row >= m_tops.size())
        return;
    QScrollBar *bar = verticalScrollBar();
    const int top = m_tops.at(row);
    const int height = m_source.fileRowHeight(row);
    const int page = viewport()->height();
    int target = bar->value();
    if (centre)
        target = top + height / 2 - page / 2;
    else if (top < target)
        target = top;
    else if (top + height > target + page)
        target = top + height - page;
    target = std::clamp(target, bar->minimum(), bar->maximum());
    m_scroll.stop();
    if (!animated || target == bar->value()) {
        bar->setValue(target);
        return;
    }
    m_scroll.setStartValue(bar->value());
    m_scroll.setEndValue(target);
    m_scroll.start();
}

void FileRowList::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const int offset = verticalScrollBar()->value();
    const int bottom = offset + viewport()->height();
    auto it = std::upper_bound(m_tops.cbegin(), m_tops.cend(), offset);
    int row = std::max(0, int(it - m_tops.cbegin()) - 1);
    for (; row < m_tops.size() && m_tops.at(row) < bottom; ++row) {
        painter.save();
        m_source.paintFileRow(painter, rowRect(row), row, row == m_hoveredRow);
        painter.restore();
    }
}

void FileRowList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void FileRowList::press(QMouseEvent *event, int clickCount)
{
    m_pressedRow = -1;
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos);
    if (row < 0)
        return;
    if (m_source.pressFileRowControl(row, pos - rowRect(row).topLeft(), clickCount)) {
        viewport()->update();
        return;
    }
    if (!m_source.bindFileRow(row, m_overlay))
        return;
    m_pressedRow = row;
    m_pressPos = pos;
    m_overlay.mousePress(event->modifiers(), clickCount);
    viewport()->update();
}

void FileRowList::mousePressEvent(QMouseEvent *event)
{
    press(event, 1);
}

void FileRowList::mouseDoubleClickEvent(QMouseEvent *event)
{
    press(event, 2);
}

void FileRowList::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || m_pressedRow < 0) {
        const int row = rowAt(pos);
        if (row != m_hoveredRow) {
            m_hoveredRow = row;
            viewport()->update();
        }
        return;
    }
    if ((pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    const QList<QUrl> urls = m_overlay.mouseDrag();
    if (urls.isEmpty())
        return;
    m_pressedRow = -1;
    m_overlay.dragOut(this, urls);
}

void FileRowList::mouseReleaseEvent(QMouseEvent *)
{
    if (m_pressedRow >= 0)
        m_overlay.mouseRelease();
    m_pressedRow = -1;
    viewport()->update();
}

void FileRowList::leaveEvent(QEvent *event)
{
    m_hoveredRow = -1;
    viewport()->update();
    QAbstractScrollArea::leaveEvent(event);
}

bool FileRowList::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos());
        const QString text =
            row >= 0 ? m_source.fileRowToolTip(row, help->pos() - rowRect(row).topLeft())
                     : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void FileRowList::dragEnterEvent(QDragEnterEvent *event)
{
    if (PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void FileRowList::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void FileRowList::dropEvent(QDropEvent *event)
{
    const int row = rowAt(event->position().toPoint());
    if (row >= 0 && m_source.bindFileRow(row, m_overlay)) {
        if (m_overlay.performDrop(event->mimeData()))
            event->acceptProposedAction();
        return;
    }
    const QList<QUrl> urls = PlaylistMultiFileDragOverlay::externalFileURLs(event->mimeData());
    if (urls.isEmpty() || !onBackgroundDrop)
        return;
    event->acceptProposedAction();
    onBackgroundDrop(urls);
}

} // namespace brivello
