#include "GenreEditing.h"

#include "library/FavoriteMembership.h"
#include "library/GenreCatalogue.h"
#include "library/GenreEditCommand.h"
#include "library/LibrarySections.h"
#include "library/LibraryStore.h"
#include "library/TagWriting.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"

#include <QUndoStack>

namespace brivello {

namespace {

using Tone = LibraryStore::WorkspaceStatus::Tone;

} // namespace

GenreEditing::GenreEditing(LibraryStore &store)
    : m_store(store)
{}

QStringList GenreEditing::genres() const
{
    return GenreCatalogue::genres(m_store.m_settings.genreListRaw());
}

QStringList GenreEditing::quickGenreSlots() const
{
    return GenreCatalogue::quickGenreSlots(m_store.m_quickGenreSlotsRaw);
}

void GenreEditing::setQuickGenre(const QString &genre, int index)
{
    if (index < 0 || index >= GenreCatalogue::kQuickSlotCount)
        return;
    m_store.setQuickGenreSlotsRaw(
        GenreCatalogue::settingQuickGenre(m_store.m_quickGenreSlotsRaw, genre, index));
}

QStringList GenreEditing::recentGenres() const
{
    return GenreCatalogue::recentGenres(m_store.m_recentGenresRaw);
}

void GenreEditing::recordRecentGenre(const QString &genre)
{
    if (genre.trimmed().isEmpty())
        return;
    m_store.setRecentGenresRaw(
        GenreCatalogue::recordingRecentGenre(m_store.m_recentGenresRaw, genre));
}

QStringList GenreEditing::favoriteGenreOptions() const
{
    return GenreCatalogue::favoriteGenreOptions(m_store.m_tracks);
}

QStringList GenreEditing::genreSuggestions(const QSet<QUuid> &ids) const
{
    return GenreCatalogue::suggestions(m_store.m_tracks, ids, genres());
}

void GenreEditing::normalizeGenreList()
{
    const GenreCatalogue::Normalized result =
        GenreCatalogue::normalized(m_store.m_settings.genreListRaw(), m_store.m_quickGenreSlotsRaw);
    m_store.m_settings.setGenreListRaw(result.genreListRaw);
    m_store.setQuickGenreSlotsRaw(result.quickGenreSlotsRaw);
}

QList<Track> GenreEditing::favouritesAmong(const QSet<QUuid> &ids) const
{
    QList<Track> eligible;
    QSet<QUuid> seen;
    for (const Track &track : m_store.m_tracks) {
        // The first track with an id decides.
        if (!ids.contains(track.id) || seen.contains(track.id))
            continue;
        seen.insert(track.id);
        if (track.isFavorite)
            eligible.append(track);
    }
    return eligible;
}

void GenreEditing::showNoFavouriteSelected()
{
    m_store.showStatus(
        QStringLiteral("Выберите трек в «Избранном»"), QStringLiteral("music.note"), Tone::warning);
}

void GenreEditing::assignGenre(const QString &genre, const QSet<QUuid> &ids, QUndoStack *undoStack)
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
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Жанр «%@» присвоен: %d"),
                                                    trimmed,
                                                    static_cast<int>(replacement.size())),
                       QStringLiteral("music.note.list"),
                       Tone::success);
}

void GenreEditing::clearGenres(const QSet<QUuid> &ids, QUndoStack *undoStack)
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
        m_store.showStatus(QStringLiteral("У выбранных треков жанр уже пуст"),
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
    m_store.showStatus(BrivelloLocalization::format(QStringLiteral("Жанр очищен: %d"),
                                                    static_cast<int>(replacement.size())),
                       QStringLiteral("tag.slash"),
                       Tone::success);
}

void GenreEditing::applyGenreValues(const QHash<QUuid, QString> &values)
{
    QList<Track> updated = m_store.m_tracks;
    QList<TagWriting::TagWriteItem> writes;
    for (Track &track : updated) {
        const auto entry = values.constFind(track.id);
        if (entry == values.cend() || track.tags.genre == *entry)
            continue;
        track.tags.genre = *entry;
        writes.append({track.tags, track.url});
    }
    if (writes.isEmpty())
        return;
    m_store.setTracks(std::move(updated));
    NotificationCenter::defaultCenter().post(brivelloTrackMetadataDidChange);
    m_store.tagWriting().writeBatch(writes, false);
}

void GenreEditing::registerGenreUndo(const QHash<QUuid, QString> &previous,
                                     const QHash<QUuid, QString> &replacement,
                                     const QString &actionName,
                                     QUndoStack *undoStack)
{
    QPointer<LibraryStore> self(&m_store);
    undoStack->push(new GenreEditCommand(
        previous, replacement, actionName, [self](const QHash<QUuid, QString> &values) {
            if (self)
                self->genreEditing().applyGenreValues(values);
        }));
}

} // namespace brivello
