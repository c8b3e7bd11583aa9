#include "GenreTools.h"

#include "library/GenreCatalogue.h"

namespace brivello {

QList<GenreTools::SlotChip> GenreTools::slotChips(const QStringList &quickGenreSlots)
{
    QList<SlotChip> chips;
    const int count = std::min<int>(quickGenreSlots.size(), GenreCatalogue::kQuickSlotCount);
    for (int index = 0; index < count; ++index) {
        if (!quickGenreSlots[index].isEmpty())
            chips.append({index + 1, quickGenreSlots[index]});
    }
    return chips;
}

bool GenreTools::contains(const QString &genre, const QString &query)
{
    // Folding (NFD, marks dropped, case folded) on both sides makes "hôuse" find "House";
    // a plain substring test keeps ".*" or "(" literal.
    return GenreCatalogue::folded(genre).contains(GenreCatalogue::folded(query));
}

QStringList GenreTools::matchingGenres(const QStringList &genres, const QString &query)
{
    if (query.trimmed().isEmpty())
        return genres;
    QStringList matches;
    for (const QString &genre : genres) {
        if (contains(genre, query))
            matches.append(genre);
    }
    return matches;
}

std::optional<QString> GenreTools::primaryResult(const QString &query,
                                                 const QStringList &matchingGenres,
                                                 const QStringList &suggestedGenres,
                                                 const QStringList &recentGenres)
{
    if (!query.isEmpty()) {
        if (matchingGenres.isEmpty())
            return std::nullopt;
        return matchingGenres.first();
    }
    for (const QStringList *list : {&suggestedGenres, &recentGenres, &matchingGenres}) {
        if (!list->isEmpty())
            return list->first();
    }
    return std::nullopt;
}

int GenreTools::slotBadge(const QString &genre, const QStringList &quickGenreSlots)
{
    const int count = std::min<int>(quickGenreSlots.size(), GenreCatalogue::kQuickSlotCount);
    for (int index = 0; index < count; ++index) {
        const QString &slot = quickGenreSlots[index];
        if (!slot.isEmpty() && GenreCatalogue::compareNames(slot, genre) == 0)
            return index + 1;
    }
    return 0;
}

} // namespace brivello
