#include "TrackListView.h"

#include "ShellEvents.h"
#include "TrackListRowDelegate.h"
#include "library/AudioPlayer.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace brivello {

TrackListView::TrackListView(LibraryStore &store, AudioPlayer &player, QWidget *parent)
    : QListView(parent)
    , m_store(store)
    , m_player(&player)
{
    configureTrackList(*this);
    restyle();
    connect(
        &ShellEvents::instance(), &ShellEvents::appearanceChanged, this, &TrackListView::restyle);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            viewport(),
            qOverload<>(&QWidget::update));

    m_scroll.setDuration(BrivelloTheme::kMotionScrollMs);
    m_scroll.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scroll, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        verticalScrollBar()->setValue(value.toInt());
    });
    m_spinner.setInterval(60);
    connect(&m_spinner, &QTimer::timeout, this, [this] {
        m_spinnerPhase = std::fmod(m_spinnerPhase + 0.08, 1.0);
        if (m_rowDelegate)
            m_rowDelegate->setSpinnerPhase(m_spinnerPhase);
        repaintSpinningRows();
    });
}

void TrackListView::configureTrackList(QListView &list)
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

QString TrackListView::listStyleSheet(ColorScheme scheme)
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

void TrackListView::restyle()
{
    setStyleSheet(listStyleSheet(ShellEvents::instance().scheme()));
    viewport()->update();
}

void TrackListView::setRows(QAbstractItemModel *model, TrackListRowDelegate *delegate)
{
    setModel(model);
    setItemDelegate(delegate);
    m_rowDelegate = delegate;
}

void TrackListView::pressRow(int row, QMouseEvent *event, int clickCount)
{
    m_pressedRow = row;
    m_pressPos = event->position().toPoint();
    bindOverlay(row, event->modifiers());
    m_overlay.mousePress(event->modifiers(), clickCount);
}

void TrackListView::dragPressedRow(const QPoint &pos)
{
    if (m_pressedRow < 0 ||
        (pos - m_pressPos).manhattanLength() < QApplication::startDragDistance())
        return;
    const QList<QUrl> urls = m_overlay.mouseDrag();
    if (urls.isEmpty())
        return;
    // The drag runs its own event loop: a release in it ends no press of this list.
    m_pressedRow = -1;
    m_overlay.dragOut(this, urls);
}

void TrackListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_pressedRow >= 0)
        m_overlay.mouseRelease();
    m_pressedRow = -1;
    event->accept();
}

void TrackListView::setHoveredRow(int row)
{
    if (row == m_hoveredRow)
        return;
    // A row past the end (the rows just changed) has no rectangle to repaint.
    if (m_hoveredRow >= 0)
        viewport()->update(visualRect(model()->index(m_hoveredRow, 0)));
    m_hoveredRow = row;
    if (m_rowDelegate)
        m_rowDelegate->setHoveredRow(row);
    if (row >= 0)
        viewport()->update(visualRect(model()->index(row, 0)));
}

void TrackListView::forgetHoveredRow()
{
    m_hoveredRow = -1;
    if (m_rowDelegate)
        m_rowDelegate->setHoveredRow(-1);
}

void TrackListView::leaveEvent(QEvent *event)
{
    setHoveredRow(-1);
    QListView::leaveEvent(event);
}

void TrackListView::keyPressEvent(QKeyEvent *event)
{
    // Keys are the window's hotkeys; the list has no keyboard navigation of its own.
    event->ignore();
}

void TrackListView::runSpinner(bool needed)
{
    if (!needed)
        m_spinner.stop();
    else if (!m_spinner.isActive())
        m_spinner.start();
}

int TrackListView::scrollTarget(const QRect &rect, bool centre) const
{
    const QRect visible = viewport()->rect();
    const QScrollBar *bar = verticalScrollBar();
    int target = bar->value();
    if (centre)
        target += rect.center().y() - visible.center().y();
    else if (rect.top() < visible.top())
        target += rect.top() - visible.top();
    else if (rect.bottom() > visible.bottom())
        target += rect.bottom() - visible.bottom();
    return std::clamp(target, bar->minimum(), bar->maximum());
}

void TrackListView::glideTo(int target, bool animated)
{
    QScrollBar *bar = verticalScrollBar();
    if (!animated || ShellEvents::instance().reduceMotion()) {
        bar->setValue(target);
        return;
    }
    m_scroll.setStartValue(bar->value());
    m_scroll.setEndValue(target);
    m_scroll.start();
}

} // namespace brivello
