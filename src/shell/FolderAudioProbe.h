#pragma once

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>

namespace brivello {

class LibraryStore;

// Finds the chosen folders that hold no audio file at any depth, so adding one says so in the
// status line instead of doing nothing visible. The walk stops at the first audio file; it runs
// on a pool thread and reports on the main thread.
class FolderAudioProbe
{
public:
    // The local folders among `urls` without a file whose lower-cased extension is in `types`
    // (hidden entries included), in the given order.
    static QStringList foldersWithoutAudio(const QList<QUrl> &urls, const QSet<QString> &types);
    // Walks in the background, then shows the first such folder in the store's status line
    // unless the store went away.
    static void reportFoldersWithoutAudio(LibraryStore &store,
                                          const QList<QUrl> &urls,
                                          const QSet<QString> &types);
};

} // namespace brivello
