#pragma once

#include <QPointer>
#include <QStyledItemDelegate>
#include <QUndoStack>

namespace brivello {

class FavoritesTableModel;

// Paints the favourites cells (heart, playing dot or pause mark, tag texts, secondary info
// columns) without a selection fill — the view paints rounded row fills itself — and makes the
// inline editors. Every editor carries its track's id, and its value is committed against that
// track, whatever row it has moved to. Main thread; owned by the table view.
class FavoritesItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static inline const char *kTrackIDProperty = "brivelloTrackID";
    static inline const char *kColumnProperty = "brivelloColumnID";

    FavoritesItemDelegate(FavoritesTableModel &model, QObject *parent = nullptr);

    void setUndoStack(QUndoStack *stack) { m_undoStack = stack; }
    // Opacity of the pulsing playing dot, driven by the view's animation.
    void setPulseOpacity(qreal opacity) { m_pulseOpacity = opacity; }
    qreal pulseOpacity() const { return m_pulseOpacity; }

    void paint(QPainter *painter,
               const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor,
                      QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor,
                              const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;
    // The genre cell's pop-up button (25 × 24, 3 from the cell's right edge, centred).
    static QRect genreButtonRect(const QRect &cell);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void paintHeart(QPainter *painter, const QRectF &cell) const;
    void paintPlayback(QPainter *painter, const QRectF &cell, int state) const;
    void paintGenreButton(QPainter *painter, const QRect &cell) const;
    double density() const;

    FavoritesTableModel &m_model;
    QPointer<QUndoStack> m_undoStack;
    qreal m_pulseOpacity = 1.0;
};

} // namespace brivello
