#include "FavoritesItemDelegate.h"

#include "FavoriteGenreTextField.h"
#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoritesTableModel.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

namespace brivello {

using Columns = FavoriteTableColumns;

FavoritesItemDelegate::FavoritesItemDelegate(FavoritesTableModel &model, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
{}

double FavoritesItemDelegate::density() const
{
    return m_model.store().settings().tableDensity();
}

void FavoritesItemDelegate::paint(QPainter *painter,
                                  const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const QString column = index.data(FavoritesTableModel::ColumnIDRole).toString();
    if (column == Columns::kFavorite) {
        paintHeart(painter, option.rect);
        return;
    }
    if (column == Columns::kPlaying) {
        paintPlayback(
            painter, option.rect, index.data(FavoritesTableModel::PlaybackStateRole).toInt());
        return;
    }
    const bool genre = column == Columns::kGenre;
    if (genre)
        paintGenreButton(painter, option.rect);
    // An open editor shows the text itself; drawing it too would show both, one over the other.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    if (view && view->indexWidget(index))
        return;
    // Plain eliding text: the style's item layout shapes every text twice, too slow for a
    // screen of cells repainted while the dot pulses. Selection and hover are the row's
    // rounded fill, painted by the view under the cells.
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool secondary = index.data(FavoritesTableModel::SecondaryTextRole).toBool();
    QString text = index.data(Qt::DisplayRole).toString();
    QColor color = secondary ? BrivelloTheme::secondary(scheme) : BrivelloTheme::primary(scheme);
    if (text.isEmpty()) {
        text = index.data(FavoritesTableModel::PlaceholderRole).toString();
        color = BrivelloTheme::secondary(scheme);
        color.setAlphaF(color.alphaF() * 0.6);
    }
    if (text.isEmpty())
        return;
    QFont font = option.font;
    font.setPixelSize(qRound((secondary ? 11 : 13) * density()));
    QRect area = option.rect.adjusted(6, 0, -6, 0);
    if (genre)
        area.setRight(genreButtonRect(option.rect).left() - 3);
    // A cell never shows more than a few hundred characters; longer tags are cut first.
    constexpr int kLongestShown = 400;
    const QString elided = QFontMetrics(font).elidedText(
        text.left(kLongestShown).replace(QChar(u'\n'), QChar(u' ')), Qt::ElideRight, area.width());
    painter->save();
    painter->setFont(font);
    painter->setPen(color);
    const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    painter->drawText(area, int(alignment | Qt::TextSingleLine), elided);
    painter->restore();
}

void FavoritesItemDelegate::paintHeart(QPainter *painter, const QRectF &cell) const
{
    const qreal size = 12;
    const QPointF c = cell.center();
    QPainterPath heart;
    heart.moveTo(c.x(), c.y() + size * 0.42);
    heart.cubicTo(c.x() - size * 0.9,
                  c.y() - size * 0.1,
                  c.x() - size * 0.45,
                  c.y() - size * 0.75,
                  c.x(),
                  c.y() - size * 0.25);
    heart.cubicTo(c.x() + size * 0.45,
                  c.y() - size * 0.75,
                  c.x() + size * 0.9,
                  c.y() - size * 0.1,
                  c.x(),
                  c.y() + size * 0.42);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 55, 95)); // system pink
    painter->drawPath(heart);
    painter->restore();
}

QRect FavoritesItemDelegate::genreButtonRect(const QRect &cell)
{
    constexpr int kWidth = 25;
    constexpr int kHeight = 24;
    return QRect(
        cell.right() + 1 - 3 - kWidth, cell.center().y() + 1 - kHeight / 2, kWidth, kHeight);
}

void FavoritesItemDelegate::paintGenreButton(QPainter *painter, const QRect &cell) const
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    const QRectF button = QRectF(genreButtonRect(cell)).adjusted(3, 3, -3, -3);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(light ? blackA(0.06) : whiteA(0.1));
    painter->drawRoundedRect(button, 5, 5);
    // The pop-up's double chevron.
    QPen pen(BrivelloTheme::secondary(scheme), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    const QPointF c = button.center();
    painter->drawPolyline(
        QPolygonF{{c.x() - 3, c.y() - 1.5}, {c.x(), c.y() - 4.5}, {c.x() + 3, c.y() - 1.5}});
    painter->drawPolyline(
        QPolygonF{{c.x() - 3, c.y() + 1.5}, {c.x(), c.y() + 4.5}, {c.x() + 3, c.y() + 1.5}});
    painter->restore();
}

void FavoritesItemDelegate::paintPlayback(QPainter *painter, const QRectF &cell, int state) const
{
    using State = FavoritesTableModel::PlaybackState;
    if (state == int(State::none))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    const QPointF c = cell.center();
    if (state == int(State::playing)) {
        painter->setOpacity(m_pulseOpacity);
        painter->setBrush(QColor(52, 199, 89)); // system green
        painter->drawEllipse(c, 4, 4);
    } else {
        painter->setBrush(BrivelloTheme::secondary(ShellEvents::instance().scheme()));
        painter->drawRoundedRect(QRectF(c.x() - 3.5, c.y() - 4.5, 2.5, 9), 1, 1);
        painter->drawRoundedRect(QRectF(c.x() + 1, c.y() - 4.5, 2.5, 9), 1, 1);
    }
    painter->restore();
}

QWidget *FavoritesItemDelegate::createEditor(QWidget *parent,
                                             const QStyleOptionViewItem &,
                                             const QModelIndex &index) const
{
    const QString column = index.data(FavoritesTableModel::ColumnIDRole).toString();
    if (!Columns::isEditable(column))
        return nullptr;
    const QUuid trackID = index.data(FavoritesTableModel::TrackIDRole).value<QUuid>();
    QLineEdit *editor = nullptr;
    if (column == Columns::kGenre) {
        auto *field = new FavoriteGenreTextField(trackID, parent);
        FavoritesTableModel *model = &m_model;
        // What is typed stays the track's draft until it is committed or cancelled.
        connect(field, &QLineEdit::textEdited, field, [model, trackID](const QString &text) {
            model->setGenreDraft(trackID, text);
        });
        editor = field;
    } else {
        editor = new QLineEdit(parent);
        editor->setFrame(false);
    }
    editor->setPlaceholderText(Columns::placeholder(column));
    // Clear over the row's fill, in the look's own text and selection colours.
    QPalette palette = BrivelloTheme::palette(ShellEvents::instance().scheme());
    palette.setColor(QPalette::Base, Qt::transparent);
    editor->setPalette(palette);
    editor->setAutoFillBackground(false);
    QFont font = editor->font();
    font.setPixelSize(qRound(13 * density()));
    editor->setFont(font);
    editor->setProperty(kTrackIDProperty, QVariant::fromValue(trackID));
    editor->setProperty(kColumnProperty, column);
    return editor;
}

void FavoritesItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(text);
        line->selectAll();
    }
}

void FavoritesItemDelegate::setModelData(QWidget *editor,
                                         QAbstractItemModel *,
                                         const QModelIndex &) const
{
    const auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line)
        return;
    const QString text = line->text();
    // The track the editor was opened for, wherever its row is now.
    const QUuid trackID = editor->property(kTrackIDProperty).value<QUuid>();
    const QString column = editor->property(kColumnProperty).toString();
    m_model.commitEdit(trackID, column, text, m_undoStack);
}

void FavoritesItemDelegate::updateEditorGeometry(QWidget *editor,
                                                 const QStyleOptionViewItem &option,
                                                 const QModelIndex &index) const
{
    QRect area = option.rect.adjusted(2, 0, -2, 0);
    // The genre field leaves its pop-up button visible and usable.
    if (index.data(FavoritesTableModel::ColumnIDRole).toString() == Columns::kGenre)
        area.setRight(genreButtonRect(option.rect).left() - 3);
    editor->setGeometry(area);
}

bool FavoritesItemDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (!editor || event->type() != QEvent::KeyPress)
        return QStyledItemDelegate::eventFilter(object, event);
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Escape:
        // Escape ends the edit like Return: what was typed is kept, not thrown away.
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true; // the edit stays open; the table does not move under it
    default:
        return QStyledItemDelegate::eventFilter(object, event);
    }
}

} // namespace brivello
