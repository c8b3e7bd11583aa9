// The favourites table's input, menus and painting.
#include "FavoritesHeaderView.h"
#include "FavoritesItemDelegate.h"
#include "FavoritesTableView.h"
#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoritesSettingsKeys.h"
#include "favorites/FavoritesTableModel.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

namespace brivello {

using Columns = FavoriteTableColumns;

namespace {

QString localized(const char *russian)
{
    return BrivelloLocalization::string(QString::fromUtf8(russian));
}

} // namespace

void FavoritesTableView::keyPressEvent(QKeyEvent *event)
{
    if (state() == EditingState) {
        QTableView::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_A && mods == Qt::ControlModifier) {
        selectAllRows();
        return;
    }
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        navigate(event->key() == Qt::Key_Down ? 1 : -1); // modifiers are not looked at
        return;
    }
    QTableView::keyPressEvent(event);
}

void FavoritesTableView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() &&
        FavoritesTableModel::columnID(index.column()) == Columns::kFavorite) {
        m_store.toggleFavorites({m_model.idAt(index.row())}, nullptr);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void FavoritesTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid()) {
        playTrack(index.row());
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void FavoritesTableView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid())
        return;
    const QString column = FavoritesTableModel::columnID(index.column());
    if (column == Columns::kArtist || column == Columns::kTitle) {
        // The secondary click is the gesture that edits artist and title in place.
        selectRows({index.row()});
        setCurrentIndex(index);
        edit(index, AllEditTriggers, event);
        event->accept();
        return;
    }
    if (!selectionModel()->isRowSelected(index.row()))
        selectRows({index.row()});
    QMenu *menu = makeRowMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QMenu *FavoritesTableView::makeRowMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    const QList<Track> tracks = [this] {
        QList<Track> list;
        for (int row : selectedRowNumbers())
            list.append(m_model.rows().at(row));
        return list;
    }();
    menu->addAction(localized("Показать в файловом менеджере"), this, [this, tracks] {
        m_store.openInFinder(idSetOf(tracks));
    });
    menu->addSeparator();
    QAction *artwork = menu->addAction(localized("Присвоить обложку…"));
    artwork->setEnabled(false); // the cover batch is not part of this build yet
    menu->addAction(localized("Отправить в конвертер"), this, [this, tracks] {
        m_store.importForConversion(urlsOf(tracks));
    });
    menu->addAction(localized("Отправить в анализ"), this, [this, tracks] {
        m_store.addTracksToAnalysis(idSetOf(tracks));
    });
    return menu;
}

QMenu *FavoritesTableView::makeGenreFilterMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    auto *group = new QActionGroup(menu);
    const QString current = m_model.currentGenreFilterChoice();
    const auto add = [&](const QString &title, const QString &choice) {
        QAction *action = menu->addAction(title);
        action->setCheckable(true);
        action->setChecked(current == choice);
        action->setData(choice);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, choice] {
            m_model.selectGenreFilter(choice);
        });
    };
    add(localized("Все жанры"), QString());
    add(localized("Без жанра"), kUntaggedGenreFilterSentinel);
    const QStringList options = m_store.favoriteGenreOptions();
    if (!options.isEmpty())
        menu->addSeparator();
    for (const QString &genre : options)
        add(genre, genre); // genre names are shown as written
    return menu;
}

QMenu *FavoritesTableView::makeColumnMenu(int logicalIndex, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    if (logicalIndex >= 0 && logicalIndex < m_model.columnCount()) {
        const QString id = FavoritesTableModel::columnID(logicalIndex);
        menu->addAction(
            localized("Автоподбор этого столбца"), this, [this, id] { autoSizeColumn(id); });
        menu->addAction(localized("Автоподбор всех столбцов"), this, [this] {
            for (const QString &column : Columns::defaultOrder())
                autoSizeColumn(column);
        });
        menu->addSeparator();
    }
    for (const QString &id : Columns::defaultOrder()) {
        if (id == Columns::kPlaying)
            continue; // its width and visibility are fixed
        QAction *action = menu->addAction(Columns::title(id));
        action->setCheckable(true);
        action->setChecked(!m_header->isSectionHidden(FavoritesTableModel::columnOf(id)));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { toggleColumn(id); });
    }
    return menu;
}

bool FavoritesTableView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool started = QTableView::edit(index, trigger, event);
    if (started && state() == EditingState)
        m_model.beginEditing();
    return started;
}

void FavoritesTableView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    m_model.endEditing(); // passes held back while the editor was open run now
}

void FavoritesTableView::mouseMoveEvent(QMouseEvent *event)
{
    setHoveredRow(rowAt(event->position().toPoint().y()));
    QTableView::mouseMoveEvent(event);
}

void FavoritesTableView::leaveEvent(QEvent *event)
{
    setHoveredRow(-1);
    QTableView::leaveEvent(event);
}

void FavoritesTableView::setHoveredRow(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        row = -1;
    if (row == m_hoveredRow)
        return;
    for (int changed : {m_hoveredRow, row}) {
        if (changed >= 0)
            viewport()->update(
                0, rowViewportPosition(changed), viewport()->width(), rowHeight(changed));
    }
    m_hoveredRow = row;
}

void FavoritesTableView::updatePulse()
{
    const AudioPlayer *player = m_model.player();
    const bool playing = player && player->currentID() && player->isPlaying() &&
                         m_model.rowOf(*player->currentID()) >= 0;
    if (playing && !isPulsing())
        m_pulse.start();
    else if (!playing && isPulsing()) {
        m_pulse.stop();
        m_delegate->setPulseOpacity(1.0);
    }
}

void FavoritesTableView::updatePlayingCells()
{
    const AudioPlayer *player = m_model.player();
    if (!player || !player->currentID())
        return;
    const int row = m_model.rowOf(*player->currentID());
    if (row >= 0)
        viewport()->update(
            visualRect(m_model.index(row, FavoritesTableModel::columnOf(Columns::kPlaying))));
}

void FavoritesTableView::paintRowFills(QPainter &painter, const QRect &area)
{
    const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
    const int first = qMax(0, rowAt(area.top()));
    int last = rowAt(area.bottom());
    if (last < 0)
        last = m_model.rowCount() - 1;
    const int width = qMin(viewport()->width(), m_header->length() - m_header->offset());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int row = first; row <= last; ++row) {
        const bool selected = selectionModel()->isRowSelected(row);
        if (!selected && row != m_hoveredRow)
            continue;
        QColor fill;
        if (selected)
            fill = light ? rgbA(0.2, 0.3, 0.43, 0.165) : whiteA(0.105);
        else
            fill = light ? rgbA(0.1, 0.14, 0.2, 0.06) : whiteA(0.022);
        const QRectF band(3, rowViewportPosition(row) + 1, width - 6, rowHeight(row) - 2);
        painter.setBrush(fill);
        painter.drawRoundedRect(band, 9, 9);
    }
}

void FavoritesTableView::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(viewport());
        paintRowFills(painter, event->rect());
    }
    QTableView::paintEvent(event);
}

} // namespace brivello
