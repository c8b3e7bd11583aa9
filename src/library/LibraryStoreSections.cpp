#include "LibraryStore.h"
#include "library/NaturalOrder.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace brivello {

namespace {

QString folderPath(const QUrl &url)
{
    const QString path = url.adjusted(QUrl::NormalizePathSegments).path();
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return slash == 0 ? QStringLiteral("/") : QString();
    return path.left(slash);
}

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString baseName(const QUrl &url)
{
    const QString name = url.fileName();
    const QString extension = pathExtension(url);
    return extension.isEmpty() ? name : name.left(name.size() - extension.size() - 1);
}

bool passesFavoriteFilter(const Track &track, bool onlyUntagged, const QString &genreFilter)
{
    if (!track.isFavorite)
        return false;
    if (onlyUntagged)
        return track.tags.genre.trimmed().isEmpty();
    return genreFilter.isEmpty() || canonicallyEqual(track.tags.genre, genreFilter);
}

QSet<QUuid> idSet(const QList<Track> &tracks)
{
    QSet<QUuid> ids;
    ids.reserve(tracks.size());
    for (const Track &track : tracks)
        ids.insert(track.id);
    return ids;
}

} // namespace

bool LibraryStore::playlistFolderOrder(const Track &a, const Track &b)
{
    thread_local const NaturalOrder order;
    if (const int c = order.compare(folderPath(a.url), folderPath(b.url)))
        return c < 0;
    if (const int c = order.compare(a.url.fileName(), b.url.fileName()))
        return c < 0;
    return idText(a.id) < idText(b.id);
}

QList<Track> LibraryStore::playlistTracks() const
{
    QList<Track> members;
    QList<PlaylistOrderSignature> signature;
    for (const Track &track : m_tracks) {
        if (!track.isInPlaylist)
            continue;
        members.append(track);
        signature.append({track.id, track.url});
    }

    if (signature != m_cachedPlaylistOrderSignature) {
        // Sort keys instead of pairwise collation: tens of thousands of tracks stay fast.
        thread_local const NaturalOrder order;
        std::vector<QCollatorSortKey> folderKeys;
        std::vector<QCollatorSortKey> nameKeys;
        folderKeys.reserve(members.size());
        nameKeys.reserve(members.size());
        for (const Track &track : members) {
            folderKeys.push_back(order.sortKey(folderPath(track.url)));
            nameKeys.push_back(order.sortKey(track.url.fileName()));
        }
        std::vector<int> positions(members.size());
        std::iota(positions.begin(), positions.end(), 0);
        std::stable_sort(positions.begin(), positions.end(), [&](int x, int y) {
            if (const int c = folderKeys[x].compare(folderKeys[y]))
                return c < 0;
            if (const int c = nameKeys[x].compare(nameKeys[y]))
                return c < 0;
            return idText(members[x].id) < idText(members[y].id);
        });
        m_cachedPlaylistOrderSignature = signature;
        m_cachedPlaylistOrderIDs.clear();
        m_cachedPlaylistOrderIDs.reserve(members.size());
        for (int position : positions)
            m_cachedPlaylistOrderIDs.append(members[position].id);
    }

    QHash<QUuid, qsizetype> byID;
    byID.reserve(members.size());
    for (qsizetype i = 0; i < members.size(); ++i)
        byID.insert(members[i].id, i);
    QList<Track> ordered;
    ordered.reserve(members.size());
    for (const QUuid &id : std::as_const(m_cachedPlaylistOrderIDs)) {
        const auto it = byID.constFind(id);
        if (it != byID.constEnd())
            ordered.append(members[*it]);
    }
    return ordered;
}

QList<Track> LibraryStore::favoriteTracks() const
{
    QList<Track> result;
    for (const Track &track : m_tracks) {
        if (track.isFavorite)
            result.append(track);
    }
    return result;
}

QList<Track> LibraryStore::coverTracks() const
{
    QList<Track> result;
    for (const Track &track : m_tracks) {
        if (track.isInCoverWorkspace)
            result.append(track);
    }
    return result;
}

QList<Track> LibraryStore::tracksForSelection(LibraryTab tab) const
{
    switch (tab) {
    case LibraryTab::playlist:
        return playlistTracks();
    case LibraryTab::favorites: {
        QList<Track> result;
        for (const Track &track : m_tracks) {
            if (passesFavoriteFilter(track, m_favoriteOnlyUntagged, m_favoriteGenreFilter))
                result.append(track);
        }
        return result;
    }
    case LibraryTab::covers:
        return coverTracks();
    case LibraryTab::converter:
        return m_tracks;
    case LibraryTab::analysis:
        return m_analysisTracks;
    case LibraryTab::duplicates:
        return m_duplicateTracks;
    }
    return {};
}

QList<Track> LibraryStore::visibleTracks() const
{
    switch (m_activeTab) {
    case LibraryTab::favorites: {
        QList<Track> favorites = tracksForSelection(LibraryTab::favorites);
        const NaturalOrder order(false);
        std::stable_sort(favorites.begin(), favorites.end(), [&](const Track &a, const Track &b) {
            const QString ga = a.tags.genre.trimmed();
            const QString gb = b.tags.genre.trimmed();
            if (ga.isEmpty() != gb.isEmpty())
                return !ga.isEmpty();
            if (const int c = order.compare(ga, gb))
                return c < 0;
            const QString ta = a.tags.title.isEmpty() ? baseName(a.url) : a.tags.title;
            const QString tb = b.tags.title.isEmpty() ? baseName(b.url) : b.tags.title;
            return order.compare(ta, tb) < 0;
        });
        return favorites;
    }
    case LibraryTab::converter:
    case LibraryTab::duplicates:
        return m_tracks;
    default:
        return tracksForSelection(m_activeTab);
    }
}

QSet<QUuid> LibraryStore::activeSelection() const
{
    if (!m_selectedIDs.isEmpty())
        return m_selectedIDs;
    if (m_selectedID)
        return {*m_selectedID};
    return {};
}

std::optional<Track> LibraryStore::selectedTrack() const
{
    if (!m_selectedID)
        return std::nullopt;
    for (const Track &track : visibleTracks()) {
        if (track.id == *m_selectedID)
            return track;
    }
    return std::nullopt;
}

void LibraryStore::rememberSelection(LibraryTab tab)
{
    const QSet<QUuid> selectable = idSet(tracksForSelection(tab));
    SelectionState state;
    state.ids = m_selectedIDs & selectable;
    if (m_selectedID && selectable.contains(*m_selectedID))
        state.focusedID = m_selectedID;
    m_selectionStatesByTab.insert(rawValue(tab), state);
}

LibraryStore::SelectionState LibraryStore::selectionState(LibraryTab tab)
{
    const QSet<QUuid> selectable = idSet(tracksForSelection(tab));
    SelectionState state = m_selectionStatesByTab.value(rawValue(tab));
    state.ids &= selectable;
    if (state.focusedID && !selectable.contains(*state.focusedID))
        state.focusedID.reset();
    if (!state.focusedID && state.ids.size() == 1)
        state.focusedID = *state.ids.begin();
    m_selectionStatesByTab.insert(rawValue(tab), state);
    return state;
}

} // namespace brivello
