#pragma once

#include "favorites/FavoritesTableModel.h"
#include "favorites/ui/FavoritesTableView.h"

#include <QApplication>
#include <QContextMenuEvent>

namespace brivello::testing {

// Where a cell of the favourites table is, and the secondary click on it, as the tests press them.
inline QPoint favoritesCellCenter(FavoritesTableView &table, int row, const QString &column)
{
    return table
        .visualRect(table.favoritesModel().index(row, FavoritesTableModel::columnOf(column)))
        .center();
}

inline void favoritesRightClick(FavoritesTableView &table, int row, const QString &column)
{
    const QPoint at = favoritesCellCenter(table, row, column);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, table.viewport()->mapToGlobal(at));
    QApplication::sendEvent(table.viewport(), &event);
}

} // namespace brivello::testing
