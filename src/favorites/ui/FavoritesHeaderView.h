#pragma once

#include <QHeaderView>

namespace brivello {

// The favourites table's header: bold titles scaled by the table density, the genre column's
// filter button (a chevron zone at its right edge) and the column menu on a right click.
// Main thread; owned by the table view.
class FavoritesHeaderView : public QHeaderView
{
    Q_OBJECT
public:
    static constexpr int kFilterZoneInset = 28;
    static constexpr int kFilterZoneWidth = 22;

    explicit FavoritesHeaderView(QWidget *parent = nullptr);

    void setDensity(double density);
    // The chevron button's rectangle of a section, in header coordinates.
    QRect filterZone(int logicalIndex) const;

signals:
    void genreFilterRequested(const QPoint &globalPos);
    void columnMenuRequested(int logicalIndex, const QPoint &globalPos);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool isGenre(int logicalIndex) const;
};

} // namespace brivello
