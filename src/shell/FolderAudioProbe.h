#pragma once

#include <QList>
#include <QSet>
#include <QStringList>
#include <QUrl>
#include <qcoro/qcorotask.h>

namespace brivello {

class LibraryStore;

// Finds the chosen folders that hold no audio file at any depth, so adding one says so in the
// status line instead of doing nothing visible. It walks as the import does, by the names'
// bytes, once the import has ended: the warning never contradicts or overwrites the import's
// own line. The walk runs on a pool thread; the report on the main thread.
class FolderAudioProbe
{
public:
    // The local folders among `urls` (as lossless paths, LocalFile) without a file whose
    // lower-cased extension is in `types`, hidden entries included, in the given order.
    static QStringList foldersWithoutAudio(const QList<QUrl> &urls, const QSet<QString> &types);
    // Awaits `import`, then shows the first such folder in the store's status line unless the
    // store went away.
    static QCoro::Task<> reportFoldersWithoutAudio(QCoro::Task<> import,
                                                   LibraryStore &store,
                                                   QList<QUrl> urls,
                                                   QSet<QString> types);
};

} // namespace brivello
