#pragma once

#include "records/Track.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace brivello {

// The genre rules of the store: parsing of the three stored genre texts, folded comparisons,
// the genre-name order, suggestions and the clean-up of the library. Stateless; any thread.
class GenreCatalogue
{
public:
    static constexpr int kQuickSlotCount = 9;
    static constexpr int kRecentLimit = 5;
    static constexpr int kSuggestionLimit = 3;

    static QStringList genres(const QString &genreListRaw);
    static QStringList quickGenreSlots(const QString &quickGenreSlotsRaw);
    static QStringList recentGenres(const QString &recentGenresRaw);
    // The new raw slot text, or the old one when the index is outside 0...8.
    static QString
    settingQuickGenre(const QString &quickGenreSlotsRaw, const QString &genre, int index);
    // The new raw recent text; the old one for a blank genre.
    static QString recordingRecentGenre(const QString &recentGenresRaw, const QString &genre);
    static QStringList favoriteGenreOptions(const QList<Track> &tracks);
    static QStringList
    suggestions(const QList<Track> &tracks, const QSet<QUuid> &ids, const QStringList &genres);

    struct Normalized
    {
        QString genreListRaw;
        QString quickGenreSlotsRaw;
    };
    static Normalized normalized(const QString &genreListRaw, const QString &quickGenreSlotsRaw);

    // Case- and diacritic-insensitive form ("Électro House" and "electro house" agree).
    static QString folded(const QString &text);
    // The folded form with "_" and then "-" read as spaces.
    static QString matchForm(const QString &text);
    // Localised, case-insensitive comparison: <0, 0, >0.
    static int compareNames(const QString &a, const QString &b);
    static void sortByName(QStringList &names);

private:
    static QStringList splitList(const QString &raw);
};

} // namespace brivello
