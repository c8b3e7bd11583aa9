#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace brivello {

// The rules of the genre quick bar and the genre palette: which slot chips show, which genres
// a query lists, what Enter applies and which slot badge a genre carries. Stateless; any thread.
class GenreTools
{
public:
    struct SlotChip
    {
        int number = 0; // 1...9, the slot's own number even when earlier slots are empty
        QString genre;
        bool operator==(const SlotChip &) const = default;
    };

    // One chip per filled slot, in slot order.
    static QList<SlotChip> slotChips(const QStringList &quickGenreSlots);

    // The genres containing the query as typed, ignoring case and diacritics, in list order;
    // the whole list when the query is blank. Plain text: no character is special.
    static QStringList matchingGenres(const QStringList &genres, const QString &query);
    static bool contains(const QString &genre, const QString &query);

    // What Enter applies: with a typed query the first match; with an empty one the first
    // suggestion, else the first recent genre, else the first listed genre.
    static std::optional<QString> primaryResult(const QString &query,
                                                const QStringList &matchingGenres,
                                                const QStringList &suggestedGenres,
                                                const QStringList &recentGenres);

    // The first slot (1...9) holding the genre, compared without case; 0 for none.
    static int slotBadge(const QString &genre, const QStringList &quickGenreSlots);
};

} // namespace brivello
