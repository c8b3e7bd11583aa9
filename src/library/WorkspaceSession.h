#pragma once

#include "records/AudioTags.h"
#include "records/Track.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <optional>

namespace brivello {

// The workspace snapshot document and its JSON form. A plain value: built on the main thread,
// encoded and decoded on any thread. Decoding is all or nothing: one bad member anywhere
// rejects the whole document.
struct WorkspaceSession
{
    // The reduced copy of a track that the snapshot keeps.
    struct SessionTrack
    {
        QUuid id;
        QUrl url;
        AudioTags tags;
        bool isFavorite = false;
        bool isInPlaylist = false;
        bool isInCoverWorkspace = false;

        static SessionTrack from(const Track &track);
        // A fresh record: no duration, artwork or bit rate; format from the extension.
        Track toTrack() const;
    };

    QList<SessionTrack> tracks;
    std::optional<QUuid> selectedID;
    QList<QUuid> selectedIDs;
    QString activeTab;
    std::optional<QHash<QString, QList<QUuid>>> tabSelectionIDs;
    std::optional<QHash<QString, QUuid>> tabFocusedIDs;
    std::optional<QUuid> resumeTrackID;
    QList<QUrl> conversionURLs;
    std::optional<QList<SessionTrack>> analysisTracks;
    QList<QUrl> duplicateRoots;
    QList<SessionTrack> duplicateTracks;
    std::optional<QHash<QUuid, QString>> estimatedBPMByTrackID;
    std::optional<QHash<QUuid, double>> estimatedBPMConfidenceByTrackID;

    // Compact JSON. Confidences that JSON cannot hold (not finite) are left out, so one bad
    // number never blocks a save.
    QByteArray encode() const;
    static std::optional<WorkspaceSession> decode(const QByteArray &bytes);

    static QString identityText(const QUuid &id); // upper-case, hyphenated, no braces
};

} // namespace brivello
