#include "FolderAudioProbe.h"

#include "library/LibraryStore.h"
#include "platform/BrivelloLocalization.h"

#include <QCoroFuture>
#include <QDirIterator>
#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent>

namespace brivello {

namespace {

bool holdsAudio(const QString &folder, const QSet<QString> &types)
{
    QDirIterator it(
        folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (types.contains(it.fileInfo().suffix().toLower()))
            return true;
    }
    return false;
}

QCoro::Task<> report(QPointer<LibraryStore> store, QList<QUrl> urls, QSet<QString> types)
{
    // Held in a local: the awaited future must outlive the suspension.
    QFuture<QStringList> walking = QtConcurrent::run(
        [urls, types] { return FolderAudioProbe::foldersWithoutAudio(urls, types); });
    const QStringList empty = co_await walking;
    if (!store || empty.isEmpty())
        co_return;
    store->showStatus(BrivelloLocalization::format(QStringLiteral("В папке нет аудиофайлов: %@"),
                                                   QDir(empty.first()).dirName()),
                      QStringLiteral("folder"),
                      LibraryStore::WorkspaceStatus::Tone::warning);
}

} // namespace

QStringList FolderAudioProbe::foldersWithoutAudio(const QList<QUrl> &urls,
                                                  const QSet<QString> &types)
{
    QStringList empty;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isDir() && !holdsAudio(path, types))
            empty.append(path);
    }
    return empty;
}

void FolderAudioProbe::reportFoldersWithoutAudio(LibraryStore &store,
                                                 const QList<QUrl> &urls,
                                                 const QSet<QString> &types)
{
    const bool anyFolder = std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) {
        return url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir();
    });
    if (anyFolder)
        report(&store, urls, types);
}

} // namespace brivello
