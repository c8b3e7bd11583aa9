#include "LocalFile.h"

#include <QList>
#include <sys/stat.h>

namespace brivello {

QByteArray LocalFile::nativePath(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

QUrl LocalFile::url(const QByteArray &nativePath)
{
    return QUrl::fromEncoded("file://" + nativePath.toPercentEncoding("/"), QUrl::StrictMode);
}

QByteArray LocalFile::cleanPath(const QByteArray &nativePath)
{
    const bool absolute = nativePath.startsWith('/');
    QList<QByteArray> kept;
    for (const QByteArray &part : nativePath.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == ".." && !kept.isEmpty() && kept.last() != "..")
            kept.removeLast();
        else if (part != ".." || !absolute)
            kept.append(part);
    }
    QByteArray joined = kept.join('/');
    return absolute ? "/" + joined : joined;
}

bool LocalFile::exists(const QUrl &url)
{
    const QByteArray path = nativePath(url);
    struct stat info;
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0;
}

bool LocalFile::isDirectory(const QUrl &url)
{
    const QByteArray path = nativePath(url);
    struct stat info;
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace brivello
