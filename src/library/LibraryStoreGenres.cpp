// LibraryStore: the genre lists and the genre edits of favourite tracks.
#include "LibraryStore.h"
#include "library/GenreCatalogue.h"
#include "library/GenreEditCommand.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QUndoStack>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

} // namespace

QStringList LibraryStore::genres() const
{
    return GenreCatalogue::genres(m_settings.genreListRaw());
}

QStringList LibraryStore::quickGenreSlots() const
{
    return GenreCatalogue::quickGenreSlots(m_quickGenreSlotsRaw);
}

void LibraryStore::setQuickGenre(const QString &genre, int index)
{
    if (index < 0 || index >= GenreCatalogue::kQuickSlotCount)
        return;
    setQuickGenreSlotsRaw(GenreCatalogue::settingQuickGenre(m_quickGenreSlotsRaw, genre, index));
}

QStringList LibraryStore::recentGenres() const
{
    return GenreCatalogue::recentGenres(m_recentGenresRaw);
}

void LibraryStore::recordRecentGenre(const QString &genre)
{
    if (genre.trimmed().isEmpty())
        return;
    setRecentGenresRaw(GenreCatalogue::recordingRecentGenre(m_recentGenresRaw, genre));
}

QStringList LibraryStore::favoriteGenreOptions() const
{
    return GenreCatalogue::favoriteGenreOptions(m_tracks);
}

QStringList LibraryStore::genreSuggestions(const QSet<QUuid> &ids) const
{
    return GenreCatalogue::suggestions(m_tracks, ids, genres());
}

void LibraryStore::normalizeGenreList()
{
    const GenreCatalogue::Normalized result =
        GenreCatalogue::normalized(m_settings.genreListRaw(), m_quickGenreSlotsRaw);
    m_settings.setGenreListRaw(result.genreListRaw);
    setQuickGenreSlotsRaw(result.quickGenreSlotsRaw);
}

QList<Track> LibraryStore::favouritesAmong(const QSet<QUuid> &ids) const
{
    QList<Track> eligible;
    QSet<QUuid> seen;
    for (const Track &track : m_tracks) {
        // The first track with an id decides.
        if (!ids.contains(track.id) || seen.contains(track.id))
            continue;
        seen.insert(track.id);
        if (track.isFavorite)
            eligible.append(track);
    }
    return eligible;
}

void LibraryStore::showNoFavouriteSelected()
{
    showStatus(
        QStringLiteral("Выберите трек в «Избранном»"), QStringLiteral("music.note"), Tone::warning);
}

void LibraryStore::assignGenre(const QString &genre, const QSet<QUuid> &ids, QUndoStack *undoStack)
{
    const QList<Track> eligible = favouritesAmong(ids);
    if (eligible.isEmpty()) {
        showNoFavouriteSelected();
        return;
    }
    const QString trimmed = genre.trimmed();
    GenreEditCommand::GenreValues previous;
    GenreEditCommand::GenreValues replacement;
    for (const Track &track : eligible) {
        if (track.tags.genre != trimmed) {
            previous.insert(track.id, track.tags.genre);
            replacement.insert(track.id, trimmed);
        }
    }
    if (replacement.isEmpty())
        return;
    applyGenreValues(replacement);
    recordRecentGenre(trimmed);
    if (undoStack) {
        registerGenreUndo(previous,
                          replacement,
                          BrivelloLocalization::string(QStringLiteral("Присвоить жанр")),
                          undoStack);
    }
    showStatus(BrivelloLocalization::format(QStringLiteral("Жанр «%@» присвоен: %d"),
                                            trimmed,
                                            static_cast<int>(replacement.size())),
               QStringLiteral("music.note.list"),
               Tone::success);
}

void LibraryStore::clearGenres(const QSet<QUuid> &ids, QUndoStack *undoStack)
{
    const QList<Track> eligible = favouritesAmong(ids);
    if (eligible.isEmpty()) {
        showNoFavouriteSelected();
        return;
    }
    GenreEditCommand::GenreValues previous;
    GenreEditCommand::GenreValues replacement;
    for (const Track &track : eligible) {
        if (!track.tags.genre.trimmed().isEmpty()) {
            previous.insert(track.id, track.tags.genre);
            replacement.insert(track.id, QString());
        }
    }
    if (replacement.isEmpty()) {
        showStatus(QStringLiteral("У выбранных треков жанр уже пуст"),
                   QStringLiteral("tag"),
                   Tone::neutral);
        return;
    }
    applyGenreValues(replacement);
    if (undoStack) {
        registerGenreUndo(previous,
                          replacement,
                          BrivelloLocalization::string(QStringLiteral("Очистить жанр")),
                          undoStack);
    }
    showStatus(BrivelloLocalization::format(QStringLiteral("Жанр очищен: %d"),
                                            static_cast<int>(replacement.size())),
               QStringLiteral("tag.slash"),
               Tone::success);
}

void LibraryStore::applyGenreValues(const QHash<QUuid, QString> &values)
{
    QList<Track> updated = m_tracks;
    QList<TagWriteItem> writes;
    for (Track &track : updated) {
        const auto entry = values.constFind(track.id);
        if (entry == values.cend() || track.tags.genre == *entry)
            continue;
        track.tags.genre = *entry;
        writes.append({track.tags, track.url});
    }
    if (writes.isEmpty())
        return;
    setTracks(std::move(updated));
    NotificationCenter::defaultCenter().post(brivelloTrackMetadataDidChange);
    writeBatch(writes, false);
}

void LibraryStore::registerGenreUndo(const QHash<QUuid, QString> &previous,
                                     const QHash<QUuid, QString> &replacement,
                                     const QString &actionName,
                                     QUndoStack *undoStack)
{
    QPointer<LibraryStore> self(this);
    undoStack->push(new GenreEditCommand(
        previous, replacement, actionName, [self](const QHash<QUuid, QString> &values) {
            if (self)
                self->applyGenreValues(values);
        }));
}

} // namespace brivello
