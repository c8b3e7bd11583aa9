#include "AudioFileWalk.h"

#include "library/NaturalOrder.h"
#include "platform/LocalFile.h"
#include "records/Track.h"

#include <algorithm>
#include <dirent.h>
#include <numeric>
#include <sys/stat.h>
#include <vector>

namespace brivello {

namespace {

bool accepted(const QUrl &url, const QSet<QString> &types)
{
    const QString extension = pathExtension(url);
    return !extension.isEmpty() && types.contains(extension.toLower());
}

// Walks with the path bytes (QDirIterator silently drops names that are not UTF-8). Every
// entry counts, folders too: a folder named like an audio file is taken as one. Symbolic
// links are listed but not followed, so a link cycle cannot trap the walk; folders that
// cannot be read are skipped.
void collectFolder(const QByteArray &folder, const QSet<QString> &types, QList<QUrl> &found)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    QList<QByteArray> subfolders;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray path = folder.endsWith('/') ? folder + name : folder + '/' + name;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info;
            isFolder = ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        const QUrl url = LocalFile::url(path);
        if (accepted(url, types))
            found.append(url);
        if (isFolder)
            subfolders.append(path);
    }
    ::closedir(dir);
    for (const QByteArray &subfolder : std::as_const(subfolders))
        collectFolder(subfolder, types, found);
}

bool canEnumerate(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

} // namespace

QUrl AudioFileWalk::standardized(const QUrl &url)
{
    if (url.isLocalFile())
        return LocalFile::url(LocalFile::cleanPath(LocalFile::nativePath(url)));
    return url.adjusted(QUrl::NormalizePathSegments);
}

QList<QUrl> AudioFileWalk::audioURLs(const QList<QUrl> &urls, const QSet<QString> &types)
{
    QList<QUrl> found;
    for (const QUrl &url : urls) {
        const QByteArray native = LocalFile::nativePath(url);
        if (LocalFile::isDirectory(url) && canEnumerate(native))
            collectFolder(native, types, found);
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
