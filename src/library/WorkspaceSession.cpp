#include "WorkspaceSession.h"

#include "library/WorkspaceSessionWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace brivello {

namespace {

using SessionTrack = WorkspaceSession::SessionTrack;

// Thrown inside the decoder only; decode() turns it into "no document".
struct Unreadable
{
};

// --- Reading: every helper throws Unreadable on a wrong member. ---

QJsonValue required(const QJsonObject &object, const char *name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined() || value.isNull())
        throw Unreadable{};
    return value;
}

// An optional member: absent or null gives nothing; present must have the right type later.
std::optional<QJsonValue> optional(const QJsonObject &object, const char *name)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

QString readString(const QJsonValue &value)
{
    if (!value.isString())
        throw Unreadable{};
    return value.toString();
}

bool readBool(const QJsonValue &value)
{
    if (!value.isBool())
        throw Unreadable{};
    return value.toBool();
}

QJsonArray readArray(const QJsonValue &value)
{
    if (!value.isArray())
        throw Unreadable{};
    return value.toArray();
}

QJsonObject readObject(const QJsonValue &value)
{
    if (!value.isObject())
        throw Unreadable{};
    return value.toObject();
}

QUuid readID(const QJsonValue &value)
{
    const QString text = readString(value);
    const QUuid id = QUuid::fromString(text);
    // QUuid reports a parse failure as the all-zero identity, which is itself well formed and
    // is written like any other: reading it back must not reject the whole snapshot.
    if (id.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000"))
        throw Unreadable{};
    return id;
}

QUrl readURL(const QJsonValue &value)
{
    const QString text = readString(value);
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        throw Unreadable{};
    return url;
}

SessionTrack readTrack(const QJsonValue &value)
{
    const QJsonObject object = readObject(value);
    SessionTrack track;
    track.id = readID(required(object, "id"));
    track.url = readURL(required(object, "url"));
    const std::optional<AudioTags> tags = AudioTags::fromJson(readObject(required(object, "tags")));
    if (!tags)
        throw Unreadable{};
    track.tags = *tags;
    track.isFavorite = readBool(required(object, "isFavorite"));
    track.isInPlaylist = readBool(required(object, "isInPlaylist"));
    track.isInCoverWorkspace = readBool(required(object, "isInCoverWorkspace"));
    return track;
}

QList<SessionTrack> readTracks(const QJsonValue &value)
{
    QList<SessionTrack> tracks;
    for (const QJsonValue &element : readArray(value))
        tracks.append(readTrack(element));
    return tracks;
}

QList<QUuid> readIDs(const QJsonValue &value)
{
    QList<QUuid> ids;
    for (const QJsonValue &element : readArray(value))
        ids.append(readID(element));
    return ids;
}

QList<QUrl> readURLs(const QJsonValue &value)
{
    QList<QUrl> urls;
    for (const QJsonValue &element : readArray(value))
        urls.append(readURL(element));
    return urls;
}

void readOptionalMembers(const QJsonObject &root, WorkspaceSession &session)
{
    if (const auto value = optional(root, "selectedID"))
        session.selectedID = readID(*value);
    if (const auto value = optional(root, "tabSelectionIDs")) {
        const QJsonObject object = readObject(*value);
        QHash<QString, QList<QUuid>> map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), readIDs(it.value()));
        session.tabSelectionIDs = map;
    }
    if (const auto value = optional(root, "tabFocusedIDs")) {
        const QJsonObject object = readObject(*value);
        QHash<QString, QUuid> map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(it.key(), readID(it.value()));
        session.tabFocusedIDs = map;
    }
    if (const auto value = optional(root, "resumeTrackID"))
        session.resumeTrackID = readID(*value);
    if (const auto value = optional(root, "analysisTracks"))
        session.analysisTracks = readTracks(*value);
    if (const auto value = optional(root, "estimatedBPMByTrackID")) {
        const QJsonObject object = readObject(*value);
        QHash<QUuid, QString> map;
        for (auto it = object.begin(); it != object.end(); ++it)
            map.insert(readID(it.key()), readString(it.value()));
        session.estimatedBPMByTrackID = map;
    }
    if (const auto value = optional(root, "estimatedBPMConfidenceByTrackID")) {
        const QJsonObject object = readObject(*value);
        QHash<QUuid, double> map;
        for (auto it = object.begin(); it != object.end(); ++it) {
            // A null stands for a number JSON could not hold: the entry is simply absent.
            if (it.value().isNull())
                continue;
            if (!it.value().isDouble())
                throw Unreadable{};
            map.insert(readID(it.key()), it.value().toDouble());
        }
        session.estimatedBPMConfidenceByTrackID = map;
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
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    try {
        WorkspaceSession session;
        session.tracks = readTracks(required(root, "tracks"));
        session.selectedIDs = readIDs(required(root, "selectedIDs"));
        session.activeTab = readString(required(root, "activeTab"));
        session.conversionURLs = readURLs(required(root, "conversionURLs"));
        session.duplicateRoots = readURLs(required(root, "duplicateRoots"));
        session.duplicateTracks = readTracks(required(root, "duplicateTracks"));
        readOptionalMembers(root, session);
        return session;
    } catch (const Unreadable &) {
        return std::nullopt;
    }
}

} // namespace brivello
