#include "LibrarySections.h"

#include "library/LibraryStore.h"
#include "library/NaturalOrder.h"
#include "library/SharedValues.h"

#include <algorithm>
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

bool keyedBefore(const LibrarySections::PlaylistOrderKey &x,
                 const LibrarySections::PlaylistOrderKey &y)
{
    if (const int c = x.folder.compare(y.folder))
        return c < 0;
    if (const int c = x.name.compare(y.name))
        return c < 0;
    return idText(x.id) < idText(y.id);
}

// Sort keys instead of pairwise collation keep tens of thousands of tracks fast.
std::vector<LibrarySections::PlaylistOrderKey>
sortedPlaylistKeys(const QList<Track> &tracks, const QList<qsizetype> &members, qsizetype from)
{
    thread_local const NaturalOrder order;
    // A folder holds many tracks: its key is made once. The tracks of one written folder share
    // the normalised folder, unless their own name is a "." or ".." segment.
    QHash<QString, QCollatorSortKey> folderKeys;
    const auto folderKey = [&](const Track &track, const QString &name) {
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            return order.sortKey(folderPath(track.url));
        const QString path = track.url.path();
        const QString written = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
        auto known = folderKeys.constFind(written);
        if (known == folderKeys.constEnd())
            known = folderKeys.insert(written, order.sortKey(folderPath(track.url)));
        return *known;
    };
    std::vector<LibrarySections::PlaylistOrderKey> keys;
    keys.reserve(size_t(members.size() - from));
    for (qsizetype i = from; i < members.size(); ++i) {
        const Track &track = tracks[members[i]];
        const QString name = track.url.fileName();
        keys.push_back({track.id, folderKey(track, name), order.sortKey(name), i});
    }
    std::stable_sort(keys.begin(), keys.end(), keyedBefore);
    return keys;
}

} // namespace

LibrarySections::LibrarySections(LibraryStore &store)
    : m_store(store)
{}

bool LibrarySections::playlistFolderOrder(const Track &a, const Track &b)
{
    thread_local const NaturalOrder order;
    if (const int c = order.compare(folderPath(a.url), folderPath(b.url)))
        return c < 0;
    if (const int c = order.compare(a.url.fileName(), b.url.fileName()))
        return c < 0;
    return idText(a.id) < idText(b.id);
}

QList<qsizetype> LibrarySections::playlistMembers() const
{
    QList<qsizetype> members;
    for (qsizetype i = 0; i < m_store.m_tracks.size(); ++i) {
        if (m_store.m_tracks[i].isInPlaylist)
            members.append(i);
    }
    return members;
}

void LibrarySections::refreshPlaylistOrder() const
{
    if (m_cachedPlaylistOrderRevision == m_store.m_tracksRevision)
        return;
    // A content-only change keeps ids, addresses and members: the order stands unchecked.
    if (m_cachedPlaylistOrderRevision &&
        m_cachedPlaylistMembershipRevision == m_store.m_tracksMembershipRevision) {
        m_cachedPlaylistOrderRevision = m_store.m_tracksRevision;
        return;
    }
    m_cachedPlaylistMembershipRevision = m_store.m_tracksMembershipRevision;
    const QList<qsizetype> members = playlistMembers();
    const qsizetype cachedCount = m_cachedPlaylistOrderSignature.size();
    bool samePrefix = members.size() >= cachedCount;
    for (qsizetype i = 0; samePrefix && i < cachedCount; ++i) {
        const Track &track = m_store.m_tracks[members[i]];
        const PlaylistOrderSignature &cached = m_cachedPlaylistOrderSignature[i];
        samePrefix = track.id == cached.id && sameURL(track.url, cached.url);
    }
    if (samePrefix && members.size() == cachedCount) {
        m_cachedPlaylistOrderRevision = m_store.m_tracksRevision;
        return;
    }
    // Members appended at the end (an import's chunk): only theirs are keyed and sorted, then
    // merged into the order; anything else sorts every member again.
    const qsizetype from = samePrefix ? cachedCount : 0;
    if (from == 0) {
        m_cachedPlaylistOrderSignature.clear();
        m_cachedPlaylistOrderKeys.clear();
        m_cachedPlaylistOrderIDs.clear();
    }
    for (qsizetype i = from; i < members.size(); ++i)
        m_cachedPlaylistOrderSignature.append(
            {m_store.m_tracks[members[i]].id, m_store.m_tracks[members[i]].url});
    std::vector<PlaylistOrderKey> added = sortedPlaylistKeys(m_store.m_tracks, members, from);
    if (m_cachedPlaylistOrderKeys.empty() || added.empty() ||
        keyedBefore(m_cachedPlaylistOrderKeys.back(), added.front())) {
        // The new members all sort after the others (an import walks in this order): they
        // go at the end, no merge needed.
        for (const PlaylistOrderKey &key : added)
            m_cachedPlaylistOrderIDs.append(key.id);
        m_cachedPlaylistOrderKeys.insert(m_cachedPlaylistOrderKeys.end(),
                                         std::make_move_iterator(added.begin()),
                                         std::make_move_iterator(added.end()));
    } else {
        std::vector<PlaylistOrderKey> merged;
        merged.reserve(m_cachedPlaylistOrderKeys.size() + added.size());
        // Ties cannot happen (ids differ), so the merge gives what one sort of all would.
        std::merge(std::make_move_iterator(m_cachedPlaylistOrderKeys.begin()),
                   std::make_move_iterator(m_cachedPlaylistOrderKeys.end()),
                   std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()),
                   std::back_inserter(merged),
                   keyedBefore);
        m_cachedPlaylistOrderKeys = std::move(merged);
        m_cachedPlaylistOrderIDs.clear();
        m_cachedPlaylistOrderIDs.reserve(qsizetype(m_cachedPlaylistOrderKeys.size()));
        for (const PlaylistOrderKey &key : m_cachedPlaylistOrderKeys)
            m_cachedPlaylistOrderIDs.append(key.id);
    }
    m_cachedPlaylistOrderRevision = m_store.m_tracksRevision;
}

QList<QUuid> LibrarySections::playlistIDs() const
{
    refreshPlaylistOrder();
    return m_cachedPlaylistOrderIDs;
}

const QList<qsizetype> &LibrarySections::playlistPositions() const
{
    if (m_cachedPlaylistPositionsRevision == m_store.m_tracksRevision)
        return m_cachedPlaylistPositions;
    refreshPlaylistOrder();
    // A content-only change leaves every track where it was.
    if (m_cachedPlaylistPositionsRevision &&
        m_cachedPlaylistPositionsMembershipRevision == m_store.m_tracksMembershipRevision) {
        m_cachedPlaylistPositionsRevision = m_store.m_tracksRevision;
        return m_cachedPlaylistPositions;
    }
    const QList<qsizetype> members = playlistMembers();
    m_cachedPlaylistPositions.clear();
    m_cachedPlaylistPositions.reserve(members.size());
    // Each key knows its member's place among `members`: no lookup by id.
    for (const PlaylistOrderKey &key : m_cachedPlaylistOrderKeys) {
        if (key.member >= members.size() || m_store.m_tracks[members[key.member]].id != key.id)
            break;
        m_cachedPlaylistPositions.append(members[key.member]);
    }
    if (m_cachedPlaylistPositions.size() != qsizetype(m_cachedPlaylistOrderKeys.size())) {
        QHash<QUuid, qsizetype> byID;
        byID.reserve(members.size());
        for (qsizetype index : std::as_const(members))
            byID.insert(m_store.m_tracks[index].id, index);
        m_cachedPlaylistPositions.clear();
        for (const QUuid &id : std::as_const(m_cachedPlaylistOrderIDs)) {
            const auto it = byID.constFind(id);
            if (it != byID.constEnd())
                m_cachedPlaylistPositions.append(*it);
        }
    }
    m_cachedPlaylistPositionsRevision = m_store.m_tracksRevision;
    m_cachedPlaylistPositionsMembershipRevision = m_store.m_tracksMembershipRevision;
    return m_cachedPlaylistPositions;
}

QList<Track> LibrarySections::playlistTracks() const
{
    if (m_cachedPlaylistTracksRevision == m_store.m_tracksRevision)
        return m_cachedPlaylistTracks;
    const QList<qsizetype> &positions = playlistPositions();
    QList<Track> ordered;
    ordered.reserve(positions.size());
    for (const qsizetype at : positions)
        ordered.append(m_store.m_tracks[at]);
    m_cachedPlaylistTracks = ordered;
    m_cachedPlaylistTracksRevision = m_store.m_tracksRevision;
    return ordered;
}

QList<Track> LibrarySections::favoriteTracks() const
{
    QList<Track> result;
    for (const Track &track : m_store.m_tracks) {
        if (track.isFavorite)
            result.append(track);
    }
    return result;
}

QList<Track> LibrarySections::coverTracks() const
{
    QList<Track> result;
    for (const Track &track : m_store.m_tracks) {
        if (track.isInCoverWorkspace)
            result.append(track);
    }
    return result;
}

template <typename Visit>
void LibrarySections::forEachSelectable(LibraryTab tab, const Visit &visit) const
{
    const auto each = [&visit](const QList<Track> &list, const auto &isMember) {
        for (const Track &track : list) {
            if (isMember(track))
                visit(track);
        }
    };
    const auto all = [](const Track &) { return true; };
    switch (tab) {
    case LibraryTab::playlist:
        each(m_store.m_tracks, [](const Track &track) { return track.isInPlaylist; });
        break;
    case LibraryTab::favorites: {
        const FavoriteOrder::Filter filter{m_store.m_favoriteOnlyUntagged,
                                           m_store.m_favoriteGenreFilter};
        each(m_store.m_tracks,
             [&filter](const Track &track) { return FavoriteOrder::passes(track, filter); });
        break;
    }
    case LibraryTab::covers:
        each(m_store.m_tracks, [](const Track &track) { return track.isInCoverWorkspace; });
        break;
    case LibraryTab::converter:
        each(m_store.m_tracks, all);
        break;
    case LibraryTab::analysis:
        each(m_store.m_analysisTracks, all);
        break;
    case LibraryTab::duplicates:
        each(m_store.m_duplicateTracks, all);
        break;
    }
}

QList<Track> LibrarySections::tracksForSelection(LibraryTab tab) const
{
    switch (tab) {
    case LibraryTab::playlist:
        return playlistTracks();
    // Whole lists: shared, not copied.
    case LibraryTab::converter:
        return m_store.m_tracks;
    case LibraryTab::analysis:
        return m_store.m_analysisTracks;
    case LibraryTab::duplicates:
        return m_store.m_duplicateTracks;
    case LibraryTab::favorites:
    case LibraryTab::covers:
        break;
    }
    QList<Track> result;
    forEachSelectable(tab, [&result](const Track &track) { result.append(track); });
    return result;
}

QList<Track> LibrarySections::visibleTracks() const
{
    switch (m_store.m_activeTab) {
    case LibraryTab::favorites:
        return m_favoriteOrder.tracks(
            m_store.m_tracks,
            m_store.m_tracksRevision,
            {m_store.m_favoriteOnlyUntagged, m_store.m_favoriteGenreFilter});
    case LibraryTab::converter:
    case LibraryTab::duplicates:
        return m_store.m_tracks;
    default:
        return tracksForSelection(m_store.m_activeTab);
    }
}

QSet<QUuid> LibrarySections::activeSelection() const
{
    if (!m_store.m_selectedIDs.isEmpty())
        return m_store.m_selectedIDs;
    if (m_store.m_selectedID)
        return {*m_store.m_selectedID};
    return {};
}

QSet<QUuid> LibrarySections::visibleSelection() const
{
    const QSet<QUuid> ids = activeSelection();
    if (ids.isEmpty())
        return ids;
    // Without copying the section's list: the status block counts this on every change.
    QSet<QUuid> shown;
    forEachSelectable(m_store.m_activeTab, [&ids, &shown](const Track &track) {
        if (ids.contains(track.id))
            shown.insert(track.id);
    });
    return shown;
}

std::optional<Track> LibrarySections::selectedTrack() const
{
    if (!m_store.m_selectedID)
        return std::nullopt;
    // The track by id in its list and the section's own membership test, rather than the
    // section's ordered list: that is rebuilt, all tracks copied, after every change of tags.
    const QUuid id = *m_store.m_selectedID;
    const auto find = [&id](const QList<Track> &list, const auto &shown) -> std::optional<Track> {
        for (const Track &track : list) {
            if (track.id == id && shown(track))
                return track;
        }
        return std::nullopt;
    };
    const auto all = [](const Track &) { return true; };
    switch (m_store.m_activeTab) {
    case LibraryTab::playlist:
        return find(m_store.m_tracks, [](const Track &track) { return track.isInPlaylist; });
    case LibraryTab::favorites: {
        const FavoriteOrder::Filter filter{m_store.m_favoriteOnlyUntagged,
                                           m_store.m_favoriteGenreFilter};
        return find(m_store.m_tracks,
                    [&filter](const Track &track) { return FavoriteOrder::passes(track, filter); });
    }
    case LibraryTab::covers:
        return find(m_store.m_tracks, [](const Track &track) { return track.isInCoverWorkspace; });
    case LibraryTab::converter:
    case LibraryTab::duplicates:
        return find(m_store.m_tracks, all);
    case LibraryTab::analysis:
        return find(m_store.m_analysisTracks, all);
    }
    return std::nullopt;
}

void LibrarySections::rememberSelection(LibraryTab tab)
{
    const QSet<QUuid> selectable = idSetOf(tracksForSelection(tab));
    SelectionState state;
    state.ids = m_store.m_selectedIDs & selectable;
    if (m_store.m_selectedID && selectable.contains(*m_store.m_selectedID))
        state.focusedID = m_store.m_selectedID;
    m_selectionStatesByTab.insert(rawValue(tab), state);
}

LibrarySections::SelectionState LibrarySections::selectionState(LibraryTab tab)
{
    const QSet<QUuid> selectable = idSetOf(tracksForSelection(tab));
    SelectionState state = m_selectionStatesByTab.value(rawValue(tab));
    state.ids &= selectable;
    if (state.focusedID && !selectable.contains(*state.focusedID))
        state.focusedID.reset();
    if (!state.focusedID && state.ids.size() == 1)
        state.focusedID = *state.ids.begin();
    m_selectionStatesByTab.insert(rawValue(tab), state);
    return state;
}

void LibrarySections::pruneSelectionToVisible()
{
    // Only membership counts here: the favourites need not be sorted for it.
    const QSet<QUuid> visible = idSetOf(m_store.m_activeTab == LibraryTab::favorites
                                            ? tracksForSelection(LibraryTab::favorites)
                                            : visibleTracks());
    m_store.setSelectedIDs(m_store.m_selectedIDs & visible);
    if (m_store.m_selectedID && !visible.contains(*m_store.m_selectedID))
        m_store.setSelectedID(std::nullopt);
}

} // namespace brivello
