#include "FavoritesTableView.h"

#include "FavoritesHeaderView.h"
#include "FavoritesItemDelegate.h"
#include "favorites/FavoriteTableColumns.h"
#include "favorites/FavoriteTableLayout.h"
#include "favorites/FavoritesTableModel.h"
#include "library/AudioPlayer.h"
#include "library/LibraryStore.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QUndoStack>
#include <numeric>

namespace brivello {

using Columns = FavoriteTableColumns;

FavoritesTableView::FavoritesTableView(FavoritesTableModel &model,
                                       QUndoStack *undoStack,
                                       QWidget *parent)
    : QTableView(parent)
    , m_model(model)
    , m_store(model.store())
    , m_header(new FavoritesHeaderView(this))
    , m_delegate(new FavoritesItemDelegate(model, this))
    , m_undoStack(undoStack)
{
    setHorizontalHeader(m_header);
    // Attaching the model reports an empty selection: that is no choice of the user's, and
    // passing it on would wipe the selection the store restores on re-entry.
    m_applyingSelection = true;
    setModel(&m_model);
    m_applyingSelection = false;
    setItemDelegate(m_delegate);
    m_delegate->setUndoStack(undoStack);
    verticalHeader()->hide();
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers); // editing starts from the row's right click only
    setDragEnabled(true);
    setDragDropMode(DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setMouseTracking(true);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    setFrameShape(NoFrame);
    viewport()->setAutoFillBackground(false);
    // Rows paint their own rounded selection fill; the style's highlight would cover it.
    QPalette clear = palette();
    clear.setColor(QPalette::Highlight, Qt::transparent);
    clear.setColor(QPalette::Base, Qt::transparent);
    setPalette(clear);
    setTextElideMode(Qt::ElideRight);

    // The dot fades 1 → 0.28 → 1 every 1.44 s while a track plays.
    m_pulse.setDuration(1440);
    m_pulse.setStartValue(1.0);
    m_pulse.setKeyValueAt(0.5, 0.28);
    m_pulse.setEndValue(1.0);
    m_pulse.setLoopCount(-1);
    connect(&m_pulse, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_delegate->setPulseOpacity(value.toReal());
        updatePlayingCells();
    });

    m_reveal.setDuration(210);
    m_reveal.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_reveal, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        verticalScrollBar()->setValue(value.toInt());
    });
    // Rows slide under a pointer that stays put: the hover follows the row now under it.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        refreshHoveredRowFromPointer();
    });

    applyLayout();
    applyDensity();
    restyleScrollBars();
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, this, [this] {
        restyleScrollBars();
        viewport()->update();
        m_header->viewport()->update();
    });
    connect(m_header, &QHeaderView::sectionMoved, this, [this] { columnMoved(); });
    connect(m_header, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        columnResized(logical, size);
    });
    connect(m_header, &FavoritesHeaderView::genreFilterRequested, this, [this](const QPoint &at) {
        QMenu *menu = makeGenreFilterMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    });
    connect(m_header,
            &FavoritesHeaderView::columnMenuRequested,
            this,
            [this](int logical, const QPoint &at) {
                QMenu *menu = makeColumnMenu(logical, this);
                menu->setAttribute(Qt::WA_DeleteOnClose);
                menu->popup(at);
            });
    connect(&m_model, &FavoritesTableModel::reconciled, this, [this] {
        syncSelectionFromStore();
        updatePulse();
        m_header->viewport()->update();
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { setHoveredRow(-1); });
    // Whoever changes the store's selection, the table shows it once the change is complete.
    for (auto signal : {&LibraryStore::selectedIDsChanged, &LibraryStore::selectedIDChanged})
        connect(&m_store,
                signal,
                this,
                &FavoritesTableView::syncSelectionFromStore,
                Qt::QueuedConnection);
    connect(&m_store.settings(), &LibrarySettings::tableDensityChanged, this, [this] {
        applyDensity();
    });
    NotificationCenter::defaultCenter().observe(
        brivelloFocusFavoriteTrack, nullptr, this, [this](const Notification &note) {
            focusRequested(note);
        });
    syncSelectionFromStore();
    updatePulse();
}

void FavoritesTableView::restyleScrollBars()
{
    // Thin handles in the look's colour over a clear track, as in the playlist.
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor handle = BrivelloTheme::isLight(scheme) ? blackA(0.22) : whiteA(0.2);
    const QString sheet =
        QStringLiteral("QScrollBar { background: transparent; }"
                       "QScrollBar:vertical { width: 10px; margin: 4px 2px 4px 0; }"
                       "QScrollBar:horizontal { height: 10px; margin: 0 4px 2px 4px; }"
                       "QScrollBar::handle { background: %1; border-radius: 4px; }"
                       "QScrollBar::handle:vertical { min-height: 32px; }"
                       "QScrollBar::handle:horizontal { min-width: 32px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
            .arg(handle.name(QColor::HexArgb));
    verticalScrollBar()->setStyleSheet(sheet);
    horizontalScrollBar()->setStyleSheet(sheet);
}

void FavoritesTableView::applyDensity()
{
    const double density = m_store.settings().tableDensity();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(qMax(32, qRound(density * 38)));
    m_header->setDensity(density);
}

void FavoritesTableView::applyLayout()
{
    const FavoriteTableLayout layout = FavoriteTableLayout::restore(m_store.settings().defaults());
    m_normalizingColumns = true;
    for (int visual = 0; visual < layout.order.size(); ++visual) {
        const int logical = FavoritesTableModel::columnOf(layout.order.at(visual));
        m_header->moveSection(m_header->visualIndex(logical), visual);
    }
    for (const QString &id : Columns::defaultOrder()) {
        const int logical = FavoritesTableModel::columnOf(id);
        m_header->setMinimumSectionSize(int(Columns::kPlayingWidth));
        const double width = qMax(layout.widths.value(id), Columns::minimumWidth(id));
        m_header->resizeSection(logical, qRound(width));
        m_header->setSectionHidden(logical, layout.hidden.contains(id));
        m_header->setSectionResizeMode(
            logical, id == Columns::kPlaying ? QHeaderView::Fixed : QHeaderView::Interactive);
    }
    m_normalizingColumns = false;
}

void FavoritesTableView::columnMoved()
{
    if (m_normalizingColumns)
        return;
    m_normalizingColumns = true;
    // "favorite" and "playing" stay first and second whatever was dragged in front of them.
    m_header->moveSection(m_header->visualIndex(FavoritesTableModel::columnOf(Columns::kFavorite)),
                          0);
    m_header->moveSection(m_header->visualIndex(FavoritesTableModel::columnOf(Columns::kPlaying)),
                          1);
    QStringList order;
    for (int visual = 0; visual < m_header->count(); ++visual)
        order.append(FavoritesTableModel::columnID(m_header->logicalIndex(visual)));
    FavoriteTableLayout::storeOrder(m_store.settings().defaults(), order);
    m_normalizingColumns = false;
}

void FavoritesTableView::columnResized(int logicalIndex, int newSize)
{
    if (m_normalizingColumns || newSize <= 0) // hiding a column reports a size of 0
        return;
    const QString id = FavoritesTableModel::columnID(logicalIndex);
    const int minimum = qRound(Columns::minimumWidth(id));
    if (newSize < minimum) {
        // The header knows one minimum for all columns; each column's own holds here, also
        // while the user drags. The resize back stores the width.
        m_header->resizeSection(logicalIndex, minimum);
        return;
    }
    FavoriteTableLayout::storeWidth(m_store.settings().defaults(), id, newSize);
}

void FavoritesTableView::storeHiddenColumns()
{
    QStringList hidden;
    for (int visual = 0; visual < m_header->count(); ++visual) {
        const int logical = m_header->logicalIndex(visual);
        if (m_header->isSectionHidden(logical))
            hidden.append(FavoritesTableModel::columnID(logical));
    }
    FavoriteTableLayout::storeHidden(m_store.settings().defaults(), hidden);
}

void FavoritesTableView::toggleColumn(const QString &id)
{
    const int logical = FavoritesTableModel::columnOf(id);
    if (logical < 0 || id == Columns::kPlaying)
        return;
    m_normalizingColumns = true;
    m_header->setSectionHidden(logical, !m_header->isSectionHidden(logical));
    m_normalizingColumns = false;
    storeHiddenColumns();
}

void FavoritesTableView::autoSizeColumn(const QString &id)
{
    const int logical = FavoritesTableModel::columnOf(id);
    if (logical < 0 || id == Columns::kPlaying || m_header->isSectionHidden(logical))
        return;
    resizeColumnToContents(logical); // stores the width through sectionResized
}

QList<int> FavoritesTableView::selectedRowNumbers() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FavoritesTableView::selectRows(const QList<int> &rows)
{
    m_applyingSelection = true;
    QItemSelection selection;
    for (int row : rows) {
        if (row >= 0 && row < m_model.rowCount())
            selection.select(m_model.index(row, 0), m_model.index(row, m_model.columnCount() - 1));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_applyingSelection = false;
    // The store follows through selectionChanged only for the user's own changes.
    if (!rows.isEmpty())
        selectionModel()->setCurrentIndex(m_model.index(rows.first(), currentIndex().column()),
                                          QItemSelectionModel::NoUpdate);
}

void FavoritesTableView::selectRowsAsUser(const QList<int> &rows)
{
    // The store first: the table then shows exactly what commands act on.
    const QList<QUuid> ids = m_model.idsOfRows(rows);
    m_store.setSelectedIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
    if (!ids.isEmpty())
        m_store.setSelectedID(ids.first());
    selectRows(rows);
}

void FavoritesTableView::selectionChanged(const QItemSelection &selected,
                                          const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    for (const QItemSelectionRange &range : selected + deselected)
        viewport()->update(QRect(0,
                                 rowViewportPosition(range.top()),
                                 viewport()->width(),
                                 rowViewportPosition(range.bottom()) + rowHeight(range.bottom()) -
                                     rowViewportPosition(range.top())));
    if (m_applyingSelection || m_store.activeTab() != LibraryTab::favorites ||
        m_store.isSwitchingSections())
        return;
    const QList<QUuid> ids = m_model.idsOfRows(selectedRowNumbers());
    m_store.setSelectedIDs(QSet<QUuid>(ids.begin(), ids.end()));
    const QModelIndex current = currentIndex();
    if (current.isValid() && selectionModel()->isRowSelected(current.row()))
        m_store.setSelectedID(m_model.idAt(current.row()));
    else if (!ids.isEmpty())
        m_store.setSelectedID(ids.first());
}

void FavoritesTableView::syncSelectionFromStore()
{
    if (m_model.isEditing())
        return; // an open editor keeps its row; the pass after it closes syncs
    const std::optional<QUuid> focused = m_store.selectedID();
    // A focus without a selection (an older snapshot) is what commands act on: it becomes the
    // selection, so that the rows shown selected are the rows the genre keys change.
    if (m_store.selectedIDs().isEmpty() && focused && m_model.rowOf(*focused) >= 0 &&
        m_store.activeTab() == LibraryTab::favorites && !m_store.isSwitchingSections())
        m_store.setSelectedIDs({*focused});
    const QList<int> desired = m_model.rowsOfIDs(m_store.selectedIDs());
    if (desired == selectedRowNumbers())
        return;
    selectRows(desired);
    const int focusedRow = focused ? m_model.rowOf(*focused) : -1;
    if (focusedRow >= 0 && desired.contains(focusedRow))
        reveal(focusedRow);
}

void FavoritesTableView::focusRequested(const Notification &note)
{
    if (note.userInfo.value(kUserInfoSelectAll).toBool()) {
        selectAllRows();
        return;
    }
    const QUuid id = note.userInfo.value(kUserInfoTrackID).value<QUuid>();
    const int row = m_model.rowOf(id);
    if (row < 0)
        return;
    // The store decides what is selected and the table shows it: a focus inside the current
    // selection keeps all of it, any other focus selects that row alone, in both.
    if (!m_store.selectedIDs().contains(id))
        m_store.setSelectedIDs({id});
    m_store.setSelectedID(id);
    const QList<int> desired = m_model.rowsOfIDs(m_store.selectedIDs());
    if (desired != selectedRowNumbers())
        selectRows(desired);
    reveal(row);
}

void FavoritesTableView::reveal(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return;
    constexpr int kMargin = 12;
    const int top = rowViewportPosition(row);
    const int bottom = top + rowHeight(row);
    QScrollBar *bar = verticalScrollBar();
    // Measured from where a running reveal is heading, so a second one continues it.
    const int from = isRevealing() ? m_reveal.endValue().toInt() : bar->value();
    int target = bar->value();
    if (top < kMargin)
        target += top - kMargin;
    else if (bottom > viewport()->height() - kMargin)
        target += bottom - viewport()->height() + kMargin;
    else
        return;
    target = std::clamp(target, bar->minimum(), bar->maximum());
    if (std::abs(target - from) <= 1)
        return;
    m_reveal.stop();
    if (ShellEvents::instance().reduceMotion() || !isVisible()) {
        bar->setValue(target);
        return;
    }
    m_reveal.setStartValue(bar->value());
    m_reveal.setEndValue(target);
    m_reveal.start();
}

void FavoritesTableView::playTrack(int row)
{
    if (row < 0 || row >= m_model.rowCount())
        return;
    const Track track = m_model.rows().at(row);
    m_store.setSelectedID(track.id);
    m_store.setSelectedIDs({track.id});
    syncSelectionFromStore();
    if (AudioPlayer *player = m_model.player())
        player->start(track);
}

void FavoritesTableView::navigate(int delta)
{
    if (m_store.isEditingMetadata())
        return;
    const int target = m_model.navigationTarget(m_store.selectedID(), delta);
    if (target < 0)
        return;
    const Track track = m_model.rows().at(target);
    m_store.setSelectedID(track.id);
    m_store.setSelectedIDs({track.id});
    if (AudioPlayer *player = m_model.player())
        player->play(track);
    selectRows({target});
    reveal(target);
}

void FavoritesTableView::selectAllRows()
{
    const QList<Track> &rows = m_model.rows();
    m_store.setSelectedIDs(idSetOf(rows));
    m_store.setSelectedID(rows.isEmpty() ? std::nullopt : std::optional<QUuid>(rows.first().id));
    QList<int> all(rows.size());
    std::iota(all.begin(), all.end(), 0);
    selectRows(all);
}

} // namespace brivello
