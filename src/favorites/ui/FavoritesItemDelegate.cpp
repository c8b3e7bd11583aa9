#include "FavoritesItemDelegate.h"

#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoritesTableModel.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QComboBox>
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
    const QRect area = option.rect.adjusted(6, 0, -6, 0);
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
    QWidget *editor = nullptr;
    if (column == Columns::kGenre) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItem(QString());
        combo->addItems(m_model.store().genres());
        combo->lineEdit()->setPlaceholderText(Columns::placeholder(column));
        editor = combo;
    } else {
        auto *line = new QLineEdit(parent);
        line->setFrame(false);
        line->setPlaceholderText(Columns::placeholder(column));
        editor = line;
    }
    QFont font = editor->font();
    font.setPixelSize(qRound(13 * density()));
    editor->setFont(font);
    editor->setProperty(kTrackIDProperty, index.data(FavoritesTableModel::TrackIDRole));
    editor->setProperty(kColumnProperty, column);
    return editor;
}

void FavoritesItemDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        combo->setEditText(text);
        combo->lineEdit()->selectAll();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setText(text);
        line->selectAll();
    }
}

void FavoritesItemDelegate::setModelData(QWidget *editor,
                                         QAbstractItemModel *,
                                         const QModelIndex &) const
{
    QString text;
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        text = combo->currentText();
    else if (auto *line = qobject_cast<QLineEdit *>(editor))
        text = line->text();
    else
        return;
    // The track the editor was opened for, wherever its row is now.
    const QUuid trackID = editor->property(kTrackIDProperty).value<QUuid>();
    const QString column = editor->property(kColumnProperty).toString();
    m_model.commitEdit(trackID, column, text, m_undoStack);
}

bool FavoritesItemDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache); // no commit
        return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace brivello
