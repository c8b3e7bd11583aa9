#include "FavoritesHeaderView.h"

#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoritesTableModel.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace brivello {

FavoritesHeaderView::FavoritesHeaderView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    setSectionsClickable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The empty area right of the last section stays clear too.
    QPalette clear = palette();
    clear.setColor(QPalette::Button, Qt::transparent);
    clear.setColor(QPalette::Window, Qt::transparent);
    setPalette(clear);
    viewport()->setAutoFillBackground(false);
    setDensity(1.0);
}

void FavoritesHeaderView::setDensity(double density)
{
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(qMax(6, qRound(12 * density)));
    setFont(bold);
    viewport()->update();
}

bool FavoritesHeaderView::isGenre(int logicalIndex) const
{
    return logicalIndex >= 0 && model() &&
           model()->headerData(logicalIndex, Qt::Horizontal, FavoritesTableModel::ColumnIDRole)
                   .toString() == FavoriteTableColumns::kGenre;
}

QRect FavoritesHeaderView::filterZone(int logicalIndex) const
{
    const int right = sectionViewportPosition(logicalIndex) + sectionSize(logicalIndex);
    return QRect(right - kFilterZoneInset, 0, kFilterZoneWidth, height());
}

void FavoritesHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    // Titles over the table's own backdrop, with a hairline under them, in both looks.
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    painter->save();
    painter->setPen(light ? blackA(0.1) : whiteA(0.1));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    const bool genre = isGenre(logicalIndex);
    const QRect textArea = rect.adjusted(6, 0, genre ? -kFilterZoneInset : -4, 0);
    const QString title =
        model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();
    const auto alignment = Qt::Alignment(
        model()->headerData(logicalIndex, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
    painter->setFont(font());
    painter->setPen(BrivelloTheme::secondary(scheme));
    painter->drawText(textArea,
                      int(alignment | Qt::TextSingleLine),
                      fontMetrics().elidedText(title, Qt::ElideRight, textArea.width()));
    painter->restore();
    if (!genre)
        return;
    const QRectF button(rect.right() + 1 - kFilterZoneInset, rect.center().y() - 10, 22, 20);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(light ? blackA(0.075) : whiteA(0.16));
    painter->drawRoundedRect(button, 6, 6);
    const qreal middle = button.center().y();
    QPainterPath chevron;
    chevron.moveTo(button.left() + 6, middle + 2);
    chevron.lineTo(button.center().x(), middle - 3);
    chevron.lineTo(button.right() - 6, middle + 2);
    QPen pen(light ? blackA(0.72) : whiteA(0.92), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(chevron);
    painter->restore();
}

void FavoritesHeaderView::mousePressEvent(QMouseEvent *event)
{
    const int logical = logicalIndexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && isGenre(logical) &&
        filterZone(logical).contains(event->position().toPoint())) {
        emit genreFilterRequested(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void FavoritesHeaderView::contextMenuEvent(QContextMenuEvent *event)
{
    emit columnMenuRequested(logicalIndexAt(event->pos()), event->globalPos());
    event->accept();
}

} // namespace brivello
