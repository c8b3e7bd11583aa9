#pragma once

#include <QByteArray>
#include <QUrl>

namespace brivello {

// File addresses that keep the exact bytes of a Linux path. A name that is not valid UTF-8
// cannot pass through QString without loss, but a file URL holds it percent-encoded; these
// helpers convert between the two without going through QString. Thread-safe.
class LocalFile
{
public:
    // The path's bytes as the file system knows them.
    static QByteArray nativePath(const QUrl &url);
    // A file URL for raw path bytes; equal to QUrl::fromLocalFile for UTF-8 paths.
    static QUrl url(const QByteArray &nativePath);
    // Removes ".", ".." and repeated slashes, keeping the bytes of each name.
    static QByteArray cleanPath(const QByteArray &nativePath);
    // Whether the file system reports an entry there (symbolic links followed).
    static bool exists(const QUrl &url);
    static bool isDirectory(const QUrl &url);
};

} // namespace brivello
