// The favourites table's input, menus and painting.
#include "FavoritesHeaderView.h"
#include "FavoritesItemDelegate.h"
#include "FavoritesTableView.h"
#include "GenreToolsLook.h"
#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoritesSettingsKeys.h"
#include "favorites/FavoritesTableModel.h"
#include "library/FavoriteMembership.h"
#include "library/GenreEditing.h"
#include "library/LibraryStore.h"
#include "library/TrackImporter.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"
#include "workspaces/CoverArtBatch.h"

#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

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

bool FavoritesTableView::isGenreButton(const QModelIndex &index, const QPoint &at) const
{
    return index.isValid() && FavoritesTableModel::columnID(index.column()) == Columns::kGenre &&
           FavoritesItemDelegate::genreButtonRect(visualRect(index)).contains(at);
}

void FavoritesTableView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    // The second press of a double click on a heart toggles nothing, whichever row is there.
    const bool secondPress = m_pressHitHeart && m_heartPress.isValid() &&
                             m_heartPress.elapsed() <= QApplication::doubleClickInterval();
    m_pressHitHeart = false;
    const bool modified = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    if (event->button() == Qt::LeftButton && index.isValid() && !modified &&
        FavoritesTableModel::columnID(index.column()) == Columns::kFavorite) {
        m_pressHitHeart = true;
        m_heartPress.start();
        if (!secondPress)
            m_store.favorites().toggleFavorites({m_model.idAt(index.row())}, nullptr);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && !modified && isGenreButton(index, at)) {
        QMenu *menu = makeGenreMenu(index.row(), this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(viewport()->mapToGlobal(
            FavoritesItemDelegate::genreButtonRect(visualRect(index)).bottomLeft()));
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event); // Ctrl- and Shift-clicks on a heart select
}

void FavoritesTableView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    // The first press un-favourited its row, and another row may stand under the pointer now.
    const bool heart =
        m_pressHitHeart ||
        (index.isValid() && FavoritesTableModel::columnID(index.column()) == Columns::kFavorite);
    m_pressHitHeart = false;
    if (event->button() == Qt::LeftButton && (heart || isGenreButton(index, at))) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && index.isValid()) {
        playTrack(index.row());
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

bool FavoritesTableView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        if (isGenreButton(indexAt(help->pos()), help->pos())) {
            QToolTip::showText(help->globalPos(), localized("Выбрать жанр"), viewport());
            return true;
        }
    }
    return QTableView::viewportEvent(event);
}

void FavoritesTableView::contextMenuEvent(QContextMenuEvent *event)
{
    const QModelIndex index = indexAt(event->pos());
    if (!index.isValid())
        return;
    const QString column = FavoritesTableModel::columnID(index.column());
    if (column == Columns::kArtist || column == Columns::kTitle) {
        // The secondary click is the gesture that edits artist and title in place.
        selectRowsAsUser({index.row()});
        setCurrentIndex(index);
        edit(index, AllEditTriggers, event);
        event->accept();
        return;
    }
    if (!selectionModel()->isRowSelected(index.row()))
        selectRowsAsUser({index.row()});
    QMenu *menu = makeRowMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

QList<Track> FavoritesTableView::tracksOfRows(const QList<int> &rows) const
{
    QList<Track> tracks;
    for (int row : rows) {
        if (row >= 0 && row < m_model.rows().size())
            tracks.append(m_model.rows().at(row));
    }
    return tracks;
}

QMenu *FavoritesTableView::makeRowMenu(QWidget *parent)
{
    auto *menu = GenreToolsLook::menu(parent);
    // The tracks, not the row numbers: rows re-sort while the menu is open (tags landing).
    const QList<Track> tracks = tracksOfRows(selectedRowNumbers());
    const QSet<QUuid> ids = idSetOf(tracks);
    menu->addAction(localized("Показать в файловом менеджере"), this, [this, ids] {
        m_store.favorites().openInFinder(ids);
    });
    menu->addSeparator();
    menu->addAction(localized("Присвоить обложку…"), this, [this, ids] { chooseArtwork(ids); });
    menu->addAction(localized("Отправить в конвертер"), this, [this, tracks] {
        m_store.importer().importForConversion(urlsOf(tracks));
    });
    menu->addAction(localized("Отправить в анализ"), this, [this, ids] {
        m_store.favorites().addTracksToAnalysis(ids);
    });
    return menu;
}

void FavoritesTableView::chooseArtwork(const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return;
    auto *dialog = new QFileDialog(this, localized("Выберите обложку"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.jpe *.tif *.TIF "
                                         "*.tiff *.TIFF *.heic *.HEIC *.heif *.HEIF"));
    connect(dialog, &QFileDialog::fileSelected, this, [this, ids](const QString &path) {
        assignArtworkFile(path, ids);
    });
    dialog->open();
}

void FavoritesTableView::assignArtworkFile(const QString &path, const QSet<QUuid> &ids)
{
    QFile file;
    if (!LocalFile::open(file, path, QIODevice::ReadOnly))
        return; // an unreadable choice is dropped
    const QByteArray bytes = file.readAll();
    // The store's one batch, the one the covers section uses: busy tracks stay refused.
    auto *batch = m_store.findChild<CoverArtBatch *>();
    if (!batch)
        batch = new CoverArtBatch(m_store);
    batch->assignArtwork(bytes, ids);
}

QMenu *FavoritesTableView::makeGenreMenu(int row, QWidget *parent)
{
    auto *menu = GenreToolsLook::menu(parent);
    if (row < 0 || row >= m_model.rowCount())
        return menu;
    const Track &track = m_model.rows().at(row);
    const QUuid id = track.id;
    const QString current = track.tags.genre;
    auto *group = new QActionGroup(menu);
    const auto add = [&](const QString &title, const QString &genre) {
        QAction *action = menu->addAction(title);
        action->setCheckable(true);
        action->setChecked(current.isEmpty() ? genre.isEmpty() : genre == current);
        action->setData(genre);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id, genre] {
            m_model.genreMenuSelected(id, genre, m_undoStack);
        });
    };
    add(localized("Без жанра"), QString());
    for (const QString &genre : m_store.genreEditing().genres())
        add(GenreToolsLook::menuText(genre), genre);
    return menu;
}

QMenu *FavoritesTableView::makeGenreFilterMenu(QWidget *parent)
{
    auto *menu = GenreToolsLook::menu(parent);
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
    const QStringList options = m_store.genreEditing().favoriteGenreOptions();
    if (!options.isEmpty())
        menu->addSeparator();
    for (const QString &genre : options)
        add(GenreToolsLook::menuText(genre), genre); // genre names are shown as written
    return menu;
}

QMenu *FavoritesTableView::makeColumnMenu(int logicalIndex, QWidget *parent)
{
    auto *menu = GenreToolsLook::menu(parent);
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
        QAction *action = menu->addAction(GenreToolsLook::menuText(Columns::title(id)));
        action->setCheckable(true);
        action->setChecked(!m_header->isSectionHidden(FavoritesTableModel::columnOf(id)));
        action->setData(id);
        if (id == Columns::kPlaying) {
            action->setEnabled(false); // always shown: listed, never toggled
            continue;
        }
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
    // Tab and Shift+Tab open the next cell's editor inside the call above: the hold lasts
    // while any editor is open, and the passes held back run once the last one has closed.
    if (state() != EditingState)
        m_model.endEditing();
    viewport()->update();
}

void FavoritesTableView::mouseMoveEvent(QMouseEvent *event)
{
    setHoveredRow(rowAt(event->position().toPoint().y()));
    QTableView::mouseMoveEvent(event);
}

void FavoritesTableView::refreshHoveredRowFromPointer()
{
    const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    const bool inside = isVisible() && viewport()->rect().contains(at);
    setHoveredRow(inside ? rowAt(at.y()) : -1);
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
