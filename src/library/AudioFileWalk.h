#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

namespace brivello {

// Expands dropped or chosen files and folders into the audio files an import takes. Pure and
// reentrant: the imports run it on a pool thread.
class AudioFileWalk
{
public:
    // Files whose lower-cased extension is in `types`, from the given files and from every
    // level of the given folders (hidden entries included, unreadable ones skipped), as
    // standardised file addresses in natural path order without repeats.
    static QList<QUrl> audioURLs(const QList<QUrl> &urls, const QSet<QString> &types);
    // "." and ".." resolved, repeated and trailing slashes dropped, symbolic links kept.
    static QUrl standardized(const QUrl &url);
};

} // namespace brivello
