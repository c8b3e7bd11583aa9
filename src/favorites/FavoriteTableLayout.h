#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace brivello {

class Defaults;

// The favourites table's column layout as the user left it: order, hidden set and widths,
// read from and written to the user defaults. Stored values that make no sense (unknown ids,
// pinned ids out of place, widths of 0 or less, wrong types) fall back to the defaults.
// Main thread.
struct FavoriteTableLayout
{
    QStringList order; // all twelve ids, "favorite" and "playing" first
    QSet<QString> hidden;
    QHash<QString, double> widths; // every id; "playing" is always 10

    static FavoriteTableLayout restore(const Defaults &defaults);
    // The stored order filtered to known, movable ids, completed from the default order:
    // "bpm" goes before "format" when that is present, other missing ids at the end.
    static QStringList normalizedOrder(const QStringList &stored);
    // A stored list value: a list, or one id kept as a plain text; anything else is empty.
    static QStringList storedList(const Defaults &defaults, const QString &key);

    static void storeOrder(Defaults &defaults, const QStringList &ids);
    static void storeHidden(Defaults &defaults, const QStringList &ids);
    // Ignored for "playing", whose width is fixed.
    static void storeWidth(Defaults &defaults, const QString &id, double width);
};

} // namespace brivello
