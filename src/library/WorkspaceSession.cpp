#include "WorkspaceSession.h"

#include "library/JsonCursor.h"
#include "library/WorkspaceSessionWriter.h"

#include <array>

namespace brivello {

namespace {

using SessionTrack = WorkspaceSession::SessionTrack;

// Thrown inside the decoder only, like JsonCursor::Error; decode() turns both into "no
// document".
struct Unreadable
{
};

// Members are read in document order straight into the records; a later duplicate of a member
// replaces an earlier one, as in a parsed object.

QUuid idFrom(QByteArrayView text)
{
    const QUuid id = QUuid::fromString(QLatin1StringView(text));
    // QUuid reports a parse failure as the all-zero identity, which is itself well formed and
    // is written like any other: reading it back must not reject the whole snapshot.
    if (id.isNull() && text != "00000000-0000-0000-0000-000000000000")
        throw Unreadable{};
    return id;
}

QUuid readID(JsonCursor &json)
{
    return idFrom(json.readStringBytes());
}

QUrl readURL(JsonCursor &json)
{
    const QString text = json.readString();
    QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        throw Unreadable{};
    return url;
}

template <typename Item, typename ReadItem>
void readList(JsonCursor &json, QList<Item> &list, ReadItem read)
{
    list.clear();
    json.beginArray();
    while (json.nextElement())
        read(json, list.emplace_back());
}

// A required member that is null counts as missing; one missing at the end rejects the object.
class RequiredMembers
{
public:
    explicit RequiredMembers(int count)
        : m_missing((1u << count) - 1)
    {}
    // True when the member's value is to be read; false when it was null (and is now missing).
    bool present(JsonCursor &json, int member)
    {
        if (json.atNull()) {
            json.readNull();
            m_missing |= 1u << member;
            return false;
        }
        m_missing &= ~(1u << member);
        return true;
    }
    void check() const
    {
        if (m_missing)
            throw Unreadable{};
    }

private:
    unsigned m_missing;
};

// The position of `key` among the `count` names, or `count` when it is none of them.
int memberIndex(QByteArrayView key, const char *const *names, int count)
{
    int member = 0;
    while (member < count && key != names[member])
        ++member;
    return member;
}

void readTags(JsonCursor &json, AudioTags &tags)
{
    static const auto kTagKeys = [] {
        std::array<const char *, AudioTags::kFieldCount> keys;
        for (int i = 0; i < AudioTags::kFieldCount; ++i)
            keys[i] = AudioTags::fieldKey(i);
        return keys;
    }();
    RequiredMembers required(AudioTags::kFieldCount);
    json.beginObject();
    while (const auto key = json.nextMember()) {
        const int field = memberIndex(*key, kTagKeys.data(), AudioTags::kFieldCount);
        if (field == AudioTags::kFieldCount)
            json.skipValue();
        else if (required.present(json, field))
            tags.field(field) = json.readString();
    }
    required.check();
}

void readTrack(JsonCursor &json, SessionTrack &track)
{
    static constexpr const char *kMembers[] = {
        "id", "url", "tags", "isFavorite", "isInPlaylist", "isInCoverWorkspace"};
    RequiredMembers required(6);
    json.beginObject();
    while (const auto key = json.nextMember()) {
        const int member = memberIndex(*key, kMembers, 6);
        if (member == 6) {
            json.skipValue();
            continue;
        }
        if (!required.present(json, member))
            continue;
        switch (member) {
        case 0:
            track.id = readID(json);
            break;
        case 1:
            track.url = readURL(json);
            break;
        case 2:
            readTags(json, track.tags);
            break;
        case 3:
            track.isFavorite = json.readBool();
            break;
        case 4:
            track.isInPlaylist = json.readBool();
            break;
        default:
            track.isInCoverWorkspace = json.readBool();
            break;
        }
    }
    required.check();
}

void readTracks(JsonCursor &json, QList<SessionTrack> &tracks)
{
    readList(json, tracks, readTrack);
}

void readIDs(JsonCursor &json, QList<QUuid> &ids)
{
    readList(json, ids, [](JsonCursor &cursor, QUuid &id) { id = readID(cursor); });
}

void readURLs(JsonCursor &json, QList<QUrl> &urls)
{
    readList(json, urls, [](JsonCursor &cursor, QUrl &url) { url = readURL(cursor); });
}

// An object whose member names and values `read` turns into the map's entries.
template <typename Key, typename Value, typename Read>
void readMap(JsonCursor &json, std::optional<QHash<Key, Value>> &map, Read read)
{
    if (json.atNull()) {
        json.readNull();
        map.reset();
        return;
    }
    map.emplace();
    json.beginObject();
    while (const auto key = json.nextMember())
        read(json, *key, *map);
}

enum Member {
    tracksMember,
    selectedIDsMember,
    activeTabMember,
    conversionURLsMember,
    duplicateRootsMember,
    duplicateTracksMember,
    requiredMemberCount
};

// The six required members; false when the key is none of them.
bool readRequiredMember(JsonCursor &json,
                        QByteArrayView key,
                        WorkspaceSession &session,
                        RequiredMembers &required)
{
    static constexpr const char *kRequired[] = {"tracks",
                                                "selectedIDs",
                                                "activeTab",
                                                "conversionURLs",
                                                "duplicateRoots",
                                                "duplicateTracks"};
    const int member = memberIndex(key, kRequired, requiredMemberCount);
    if (member == requiredMemberCount)
        return false;
    if (!required.present(json, member))
        return true;
    switch (member) {
    case tracksMember:
        readTracks(json, session.tracks);
        break;
    case selectedIDsMember:
        readIDs(json, session.selectedIDs);
        break;
    case activeTabMember:
        session.activeTab = json.readString();
        break;
    case conversionURLsMember:
        readURLs(json, session.conversionURLs);
        break;
    case duplicateRootsMember:
        readURLs(json, session.duplicateRoots);
        break;
    default:
        readTracks(json, session.duplicateTracks);
        break;
    }
    return true;
}

// Reads `value` unless the member is null, which gives no value.
template <typename Value, typename Read>
void readOptional(JsonCursor &json, std::optional<Value> &value, Read read)
{
    if (json.atNull()) {
        json.readNull();
        value.reset();
        return;
    }
    read(json, value.emplace());
}

void readSelectionMaps(JsonCursor &json, QByteArrayView key, WorkspaceSession &session)
{
    if (key == "tabSelectionIDs") {
        readMap(
            json, session.tabSelectionIDs, [](JsonCursor &cursor, QByteArrayView name, auto &map) {
                readIDs(cursor, map[QString::fromUtf8(name)]);
            });
    } else if (key == "tabFocusedIDs") {
        readMap(
            json, session.tabFocusedIDs, [](JsonCursor &cursor, QByteArrayView name, auto &map) {
                const QString tab = QString::fromUtf8(name);
                map.insert(tab, readID(cursor));
            });
    } else {
        json.skipValue();
    }
}

void readOptionalMember(JsonCursor &json, QByteArrayView key, WorkspaceSession &session)
{
    if (key == "selectedID") {
        readOptional(
            json, session.selectedID, [](JsonCursor &cursor, QUuid &id) { id = readID(cursor); });
    } else if (key == "resumeTrackID") {
        readOptional(json, session.resumeTrackID, [](JsonCursor &cursor, QUuid &id) {
            id = readID(cursor);
        });
    } else if (key == "analysisTracks") {
        readOptional(json, session.analysisTracks, readTracks);
    } else if (key == "estimatedBPMByTrackID") {
        readMap(json,
                session.estimatedBPMByTrackID,
                [](JsonCursor &cursor, QByteArrayView name, auto &map) {
                    const QUuid id = idFrom(name);
                    map.insert(id, cursor.readString());
                });
    } else if (key == "estimatedBPMConfidenceByTrackID") {
        readMap(json,
                session.estimatedBPMConfidenceByTrackID,
                [](JsonCursor &cursor, QByteArrayView name, auto &map) {
                    const QUuid id = idFrom(name);
                    // A null stands for a number JSON could not hold: the entry is simply absent.
                    if (cursor.atNull())
                        cursor.readNull();
                    else
                        map.insert(id, cursor.readNumber());
                });
    } else {
        readSelectionMaps(json, key, session);
    }
}

} // namespace

QString WorkspaceSession::identityText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

SessionTrack SessionTrack::from(const Track &track)
{
    return {track.id,
            track.url,
            track.tags,
            track.isFavorite,
            track.isInPlaylist,
            track.isInCoverWorkspace};
}

Track SessionTrack::toTrack() const
{
    Track track;
    track.id = id;
    track.url = url;
    track.tags = tags;
    track.format = Track::formatLabel(url);
    track.isFavorite = isFavorite;
    track.isInPlaylist = isInPlaylist;
    track.isInCoverWorkspace = isInCoverWorkspace;
    return track;
}

QByteArray WorkspaceSession::encode() const
{
    return WorkspaceSessionWriter::write(*this);
}

std::optional<WorkspaceSession> WorkspaceSession::decode(const QByteArray &bytes)
{
    try {
        JsonCursor json(bytes);
        WorkspaceSession session;
        RequiredMembers required(requiredMemberCount);
        json.beginObject();
        while (const auto key = json.nextMember()) {
            if (!readRequiredMember(json, *key, session, required))
                readOptionalMember(json, *key, session);
        }
        json.expectEnd();
        required.check();
        return session;
    } catch (const Unreadable &) {
        return std::nullopt;
    } catch (const JsonCursor::Error &) {
        return std::nullopt;
    }
}

} // namespace brivello
