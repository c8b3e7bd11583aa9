#include "FavoriteTableLayout.h"

#include "FavoriteTableColumns.h"
#include "FavoritesSettingsKeys.h"
#include "platform/Defaults.h"

#include <QVariant>
#include <cmath>

namespace brivello {

using Columns = FavoriteTableColumns;

QStringList FavoriteTableLayout::storedList(const Defaults &defaults, const QString &key)
{
    const QVariant value = defaults.value(key);
    if (value.typeId() == QMetaType::QString) // a one-element list reads back as text
        return {value.toString()};
    if (value.typeId() != QMetaType::QStringList && value.typeId() != QMetaType::QVariantList)
        return {};
    QStringList ids;
    for (const QVariant &item : value.toList()) {
        if (item.typeId() == QMetaType::QString)
            ids.append(item.toString());
    }
    return ids;
}

QStringList FavoriteTableLayout::normalizedOrder(const QStringList &stored)
{
    QStringList list;
    for (const QString &id : stored) {
        if (!Columns::isPinned(id) && Columns::indexOf(id) >= 0 && !list.contains(id))
            list.append(id);
    }
    for (const QString &id : Columns::defaultOrder()) {
        if (Columns::isPinned(id) || list.contains(id))
            continue;
        const qsizetype format = list.indexOf(Columns::kFormat);
        if (id == Columns::kBPM && format >= 0)
            list.insert(format, id);
        else
            list.append(id);
    }
    return QStringList{Columns::kFavorite, Columns::kPlaying} + list;
}

FavoriteTableLayout FavoriteTableLayout::restore(const Defaults &defaults)
{
    FavoriteTableLayout layout;
    layout.order = normalizedOrder(storedList(defaults, kFavoriteTableColumnOrderKey));
    for (const QString &id : storedList(defaults, kFavoriteTableHiddenColumnsKey)) {
        if (Columns::indexOf(id) >= 0)
            layout.hidden.insert(id);
    }
    for (const QString &id : Columns::defaultOrder()) {
        double width = Columns::defaultWidth(id);
        if (id != Columns::kPlaying) {
            const double stored = defaults.real(kFavoriteTableWidthKeyPrefix + id, 0);
            if (std::isfinite(stored) && stored > 0)
                width = std::max(stored, Columns::minimumWidth(id));
        }
        layout.widths.insert(id, width);
    }
    return layout;
}

void FavoriteTableLayout::storeOrder(Defaults &defaults, const QStringList &ids)
{
    defaults.set(kFavoriteTableColumnOrderKey, ids);
}

void FavoriteTableLayout::storeHidden(Defaults &defaults, const QStringList &ids)
{
    defaults.set(kFavoriteTableHiddenColumnsKey, ids);
}

void FavoriteTableLayout::storeWidth(Defaults &defaults, const QString &id, double width)
{
    if (id == Columns::kPlaying || Columns::indexOf(id) < 0)
        return;
    defaults.set(kFavoriteTableWidthKeyPrefix + id, width);
}

} // namespace brivello
