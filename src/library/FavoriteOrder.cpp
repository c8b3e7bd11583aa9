#include "FavoriteOrder.h"

#include "library/NaturalOrder.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace brivello {

namespace {

// Beyond this many arrivals, departures and edits one full sort is cheaper than insertions.
constexpr qsizetype kIncrementalLimit = 64;

const NaturalOrder &collation()
{
    thread_local const NaturalOrder order(false);
    return order;
}

QString baseName(const QUrl &url)
{
    const QString name = url.fileName();
    const QString extension = pathExtension(url);
    return extension.isEmpty() ? name : name.left(name.size() - extension.size() - 1);
}

QHash<QUuid, qsizetype> positionsOf(const QList<Track> &list)
{
    QHash<QUuid, qsizetype> positions;
    positions.reserve(list.size());
    for (qsizetype i = 0; i < list.size(); ++i)
        positions.insert(list[i].id, i);
    return positions;
}

} // namespace

bool FavoriteOrder::passes(const Track &track, const Filter &filter)
{
    if (!track.isFavorite)
        return false;
    if (filter.onlyUntagged)
        return track.tags.genre.trimmed().isEmpty();
    return filter.genre.isEmpty() || canonicallyEqual(track.tags.genre, filter.genre);
}

FavoriteOrder::Key FavoriteOrder::makeKey(const Track &track)
{
    Key key;
    key.genre = track.tags.genre.trimmed();
    key.title = track.tags.title;
    key.url = track.url;
    key.untagged = key.genre.isEmpty();
    key.genreKey = collation().sortKey(key.genre);
    key.titleKey = collation().sortKey(key.title.isEmpty() ? baseName(track.url) : key.title);
    return key;
}

bool FavoriteOrder::keyStillHolds(const Key &key, const Track &track)
{
    // trimmed() shares the text when there is nothing to trim: no copy for the usual genre.
    return key.title == track.tags.title && key.genre == track.tags.genre.trimmed() &&
           (!key.title.isEmpty() || key.url == track.url);
}

bool FavoriteOrder::before(const QUuid &a,
                           const QUuid &b,
                           const QHash<QUuid, qsizetype> &positions) const
{
    const Key &x = *m_keys.constFind(a);
    const Key &y = *m_keys.constFind(b);
    if (x.untagged != y.untagged)
        return !x.untagged;
    if (const int c = x.genreKey->compare(*y.genreKey))
        return c < 0;
    if (const int c = x.titleKey->compare(*y.titleKey))
        return c < 0;
    return positions.value(a) < positions.value(b);
}

void FavoriteOrder::sortAll(const QList<QUuid> &members)
{
    std::vector<const Key *> keys;
    keys.reserve(members.size());
    for (const QUuid &id : members)
        keys.push_back(&*m_keys.constFind(id));
    std::vector<qsizetype> order(members.size());
    std::iota(order.begin(), order.end(), 0);
    // Members are in library order, so the stable sort keeps it among equals.
    std::stable_sort(order.begin(), order.end(), [&keys](qsizetype i, qsizetype j) {
        const Key &x = *keys[i];
        const Key &y = *keys[j];
        if (x.untagged != y.untagged)
            return !x.untagged;
        if (const int c = x.genreKey->compare(*y.genreKey))
            return c < 0;
        return x.titleKey->compare(*y.titleKey) < 0;
    });
    m_order.clear();
    m_order.reserve(members.size());
    for (qsizetype i : order)
        m_order.append(members[i]);
}

// Takes out what left or changed and inserts it again where it now belongs. Only valid while
// the members that stayed unchanged keep their relative library order.
bool FavoriteOrder::reorderInPlace(const QList<QUuid> &members,
                                   const QHash<QUuid, qsizetype> &positions,
                                   const QSet<QUuid> &changed)
{
    const qsizetype departed = m_members.size() - (members.size() - changed.size());
    if (changed.size() + std::max<qsizetype>(departed, 0) > kIncrementalLimit)
        return false;
    QList<QUuid> kept;
    kept.reserve(m_order.size());
    QList<QUuid> stayedBefore;
    for (const QUuid &id : std::as_const(m_members)) {
        if (positions.contains(id) && !changed.contains(id))
            stayedBefore.append(id);
    }
    QList<QUuid> stayedNow;
    for (const QUuid &id : members) {
        if (!changed.contains(id))
            stayedNow.append(id);
    }
    if (stayedBefore != stayedNow)
        return false;
    for (const QUuid &id : std::as_const(m_order)) {
        if (positions.contains(id) && !changed.contains(id))
            kept.append(id);
    }
    for (const QUuid &id : members) {
        if (!changed.contains(id))
            continue;
        const auto at =
            std::lower_bound(kept.begin(), kept.end(), id, [&](const QUuid &a, const QUuid &b) {
                return before(a, b, positions);
            });
        kept.insert(at, id);
    }
    m_order = std::move(kept);
    return true;
}

QList<Track>
FavoriteOrder::tracks(const QList<Track> &library, quint64 revision, const Filter &filter)
{
    if (m_revision == revision && m_filter == filter)
        return m_tracks;
    const bool sameFilter = m_revision && m_filter == filter;
    QList<QUuid> members;
    QHash<QUuid, qsizetype> positions;
    QSet<QUuid> changed;
    positions.reserve(library.size());
    // Keys are kept for the members only (pruned below), so a key means "was a member".
    for (qsizetype i = 0; i < library.size(); ++i) {
        const Track &track = library[i];
        if (!passes(track, filter))
            continue;
        members.append(track.id);
        positions.insert(track.id, i);
        const auto key = m_keys.constFind(track.id);
        if (key == m_keys.constEnd() || !keyStillHolds(*key, track)) {
            m_keys.insert(track.id, makeKey(track));
            changed.insert(track.id);
        }
    }
    if (m_keys.size() > members.size())
        m_keys.removeIf(
            [&positions](const auto &entry) { return !positions.contains(entry.key()); });
    if (!sameFilter || !reorderInPlace(members, positions, changed))
        sortAll(members);
    m_members = std::move(members);
    m_tracks.clear();
    m_tracks.reserve(m_order.size());
    for (const QUuid &id : std::as_const(m_order))
        m_tracks.append(library[positions.value(id)]);
    m_revision = revision;
    m_filter = filter;
    return m_tracks;
}

QList<Track> FavoriteOrder::sorted(const QList<Track> &favorites)
{
    FavoriteOrder order;
    const QHash<QUuid, qsizetype> positions = positionsOf(favorites);
    QList<QUuid> members;
    members.reserve(favorites.size());
    for (const Track &track : favorites) {
        members.append(track.id);
        order.m_keys.insert(track.id, makeKey(track));
    }
    order.sortAll(members);
    QList<Track> result;
    result.reserve(favorites.size());
    for (const QUuid &id : std::as_const(order.m_order))
        result.append(favorites[positions.value(id)]);
    return result;
}

} // namespace brivello
