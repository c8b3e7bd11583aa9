#pragma once

#include "records/Track.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace brivello {

// The cleaner's text rules: filter lists, cleaned titles, cleared tags, cleaned file names
// and the tags that follow a rename. Filters are plain text, never patterns. Stateless.
class TrackCleaner
{
public:
    // "," separated; pieces trimmed of white space and line breaks.
    static QStringList titleFilters(const QString &raw);
    // "," separated; pieces trimmed of spaces and tabs only.
    static QStringList renameFilters(const QString &raw);

    static QString cleanedTitle(const QString &title, const QStringList &filters);
    static AudioTags
    clearedTags(const Track &track, const QStringList &titleFilters, bool removeBPMAndKey);

    // The cleaned name without extension; empty when nothing is left.
    static QString
    cleanedBaseName(const QString &baseName, const QStringList &filters, bool removeBPMAndKey);
    static QString baseName(const QUrl &url);
    // The same folder and extension under a new base name.
    static QUrl renamedLocation(const QUrl &url, const QString &baseName);

    struct FollowedTags
    {
        AudioTags tags;
        bool followedName = false; // title or artist was taken from the new name
    };
    static FollowedTags
    tagsAfterRename(const AudioTags &tags, const QUrl &oldURL, const QUrl &newURL);

    // One left-to-right pass of "  " to " ".
    static QString collapsedSpaces(const QString &text);
};

} // namespace brivello
