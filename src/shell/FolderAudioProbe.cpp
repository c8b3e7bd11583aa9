#include "FolderAudioProbe.h"

#include "library/AudioFileWalk.h"
#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"

#include <QCoroFuture>
#include <QPointer>
#include <QtConcurrent>

namespace brivello {

QStringList FolderAudioProbe::foldersWithoutAudio(const QList<QUrl> &urls,
                                                  const QSet<QString> &types)
{
    QStringList empty;
    for (const QUrl &url : urls) {
        // The import's own walk, so a folder counts as empty exactly when the import found
        // nothing in it.
        if (url.isLocalFile() && LocalFile::isDirectory(url) &&
            AudioFileWalk::audioURLs({url}, types).isEmpty())
            empty.append(LocalFile::path(url));
    }
    return empty;
}

QCoro::Task<> FolderAudioProbe::reportFoldersWithoutAudio(QCoro::Task<> import,
                                                          LibraryStore &store,
                                                          QList<QUrl> urls,
                                                          QSet<QString> types)
{
    QPointer<LibraryStore> guard(&store);
    const bool anyFolder = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) {
        return url.isLocalFile() && LocalFile::isDirectory(url);
    });
    co_await import;
    if (!anyFolder || !guard)
        co_return;
    // Held in a local: the awaited future must outlive the suspension.
    QFuture<QStringList> walking =
        QtConcurrent::run([urls, types] { return foldersWithoutAudio(urls, types); });
    const QStringList empty = co_await walking;
    if (!guard || empty.isEmpty())
        co_return;
    const QString name = LocalFile::displayName(empty.first().section(QLatin1Char('/'), -1));
    guard->showStatus(
        BrivelloLocalization::format(QStringLiteral("В папке нет аудиофайлов: %@"), name),
        QStringLiteral("folder"),
        LibraryStore::WorkspaceStatus::Tone::warning);
}

} // namespace brivello
