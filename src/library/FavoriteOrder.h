#pragma once

#include "records/Track.h"

#include <QCollatorSortKey>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>
#include <optional>

namespace brivello {

// The favourites section's order, kept between reads: genre (tracks without one last), then
// title or file name, localised and case-insensitive, library order among equals. A change of
// the library re-sorts only the favourites that came, went or changed genre or title; an
// unchanged library gives back the list of the previous read. Owned by the store; main thread.
class FavoriteOrder
{
public:
    struct Filter
    {
        bool onlyUntagged = false;
        QString genre;
        bool operator==(const Filter &other) const = default;
    };

    // The filtered favourites of `library` in order; `revision` changes with every assignment
    // of the library list.
    QList<Track> tracks(const QList<Track> &library, quint64 revision, const Filter &filter);

    static bool passes(const Track &track, const Filter &filter);
    // The same order computed from scratch.
    static QList<Track> sorted(const QList<Track> &favorites);

private:
    struct Key
    {
        QString genre; // trimmed
        QString title; // as tagged; the file name stands in for an empty one
        QUrl url;
        bool untagged = true;
        // Optional only because a collation key cannot be made empty.
        std::optional<QCollatorSortKey> genreKey;
        std::optional<QCollatorSortKey> titleKey;
    };
    bool before(const QUuid &a, const QUuid &b, const QHash<QUuid, qsizetype> &positions) const;
    static Key makeKey(const Track &track);
    static bool keyStillHolds(const Key &key, const Track &track);
    bool reorderInPlace(const QList<QUuid> &members,
                        const QHash<QUuid, qsizetype> &positions,
                        const QSet<QUuid> &changed);
    void sortAll(const QList<QUuid> &members);

    std::optional<quint64> m_revision;
    Filter m_filter;
    QList<Track> m_tracks;
    QList<QUuid> m_members; // library order
    QList<QUuid> m_order;   // shown order
    QHash<QUuid, Key> m_keys;
};

} // namespace brivello
