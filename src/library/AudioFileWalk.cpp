#include "AudioFileWalk.h"

#include "library/NaturalOrder.h"
#include "library/Track.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>
#include <numeric>
#include <vector>

namespace brivello {

namespace {

bool accepted(const QUrl &url, const QSet<QString> &types)
{
    const QString extension = pathExtension(url);
    return !extension.isEmpty() && types.contains(extension.toLower());
}

QUrl standardized(const QUrl &url)
{
    if (url.isLocalFile())
        return QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
    return url.adjusted(QUrl::NormalizePathSegments);
}

void collectFolder(const QString &path, const QSet<QString> &types, QList<QUrl> &found)
{
    // Every entry counts, folders too: a folder named like an audio file is taken as one.
    // Symbolic links are listed but not followed, so a link cycle cannot trap the walk.
    QDirIterator it(path,
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QUrl url = QUrl::fromLocalFile(it.next());
        if (accepted(url, types))
            found.append(url);
    }
}

} // namespace

QList<QUrl> AudioFileWalk::audioURLs(const QList<QUrl> &urls, const QSet<QString> &types)
{
    QList<QUrl> found;
    for (const QUrl &url : urls) {
        const QFileInfo info(url.toLocalFile());
        if (url.isLocalFile() && info.isDir() && info.isReadable() && info.isExecutable())
            collectFolder(info.filePath(), types, found);
        else if (accepted(url, types))
            found.append(url);
    }

    QList<QUrl> standard;
    standard.reserve(found.size());
    QStringList paths;
    paths.reserve(found.size());
    for (const QUrl &url : std::as_const(found)) {
        standard.append(standardized(url));
        paths.append(standard.last().path());
    }

    const NaturalOrder order;
    std::vector<QCollatorSortKey> keys;
    keys.reserve(paths.size());
    for (const QString &path : std::as_const(paths))
        keys.push_back(order.sortKey(path));
    std::vector<qsizetype> positions(paths.size());
    std::iota(positions.begin(), positions.end(), 0);
    std::stable_sort(positions.begin(), positions.end(), [&](qsizetype a, qsizetype b) {
        return keys[a].compare(keys[b]) < 0;
    });

    QList<QUrl> result;
    result.reserve(standard.size());
    QSet<QUrl> seen;
    seen.reserve(standard.size());
    for (qsizetype position : positions) {
        const QUrl &url = standard[position];
        if (!seen.contains(url)) {
            seen.insert(url);
            result.append(url);
        }
    }
    return result;
}

} // namespace brivello
