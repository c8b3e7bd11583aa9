#pragma once

#include <QString>

namespace brivello {

// Settings the favourites table owns: the column layout. Absent keys mean the defaults.
inline const QString kFavoriteTableColumnOrderKey = QStringLiteral("favoriteTableColumnOrder");
inline const QString kFavoriteTableHiddenColumnsKey = QStringLiteral("favoriteTableHiddenColumns");
// Followed by a column identifier; a value of 0 or less means the default width.
inline const QString kFavoriteTableWidthKeyPrefix = QStringLiteral("favoriteTableWidth.");

// The genre filter menu's "untagged" choice; it never reaches the store.
inline const QString kUntaggedGenreFilterSentinel = QStringLiteral("__BRIVELLO_UNTAGGED__");

} // namespace brivello
