#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QUrl>
#include <optional>

QT_FORWARD_DECLARE_CLASS(QFile)

namespace brivello {

// File addresses that keep the exact bytes of a Linux path. A name that is not valid UTF-8
// cannot pass through QString::fromUtf8 (or QUrl::toLocalFile) without loss, but a file URL
// holds it percent-encoded. Paths as text use a lossless form: valid UTF-8 decodes as usual and
// each byte of an invalid sequence becomes the lone surrogate U+DC80..U+DCFF, which valid UTF-8
// never yields. Every file operation turns such text back into bytes with encodeName(), never
// with QFile::encodeName() or a QFile/QFileInfo opened by name. Thread-safe.
class LocalFile
{
public:
    // The path's bytes as the file system knows them.
    static QByteArray nativePath(const QUrl &url);
    // A file URL for raw path bytes; equal to QUrl::fromLocalFile for UTF-8 paths.
    static QUrl url(const QByteArray &nativePath);
    // Removes ".", ".." and repeated slashes, keeping the bytes of each name.
    static QByteArray cleanPath(const QByteArray &nativePath);

    // The lossless text form; equal to QFile::decodeName / encodeName for UTF-8 paths.
    static QString decodeName(const QByteArray &nativePath);
    static QByteArray encodeName(const QString &path);
    // The lossless text form of a file URL (what QUrl::toLocalFile gives for UTF-8 paths).
    static QString path(const QUrl &url) { return decodeName(nativePath(url)); }
    static QUrl fromPath(const QString &path) { return url(encodeName(path)); }
    // The text form with each escaped byte shown as U+FFFD: valid UTF-16 of the same length,
    // for messages and for regular expressions (which reject lone surrogates).
    static QString displayName(const QString &path);

    // Whether the file system reports an entry there (symbolic links followed).
    static bool exists(const QUrl &url);
    static bool isDirectory(const QUrl &url);
    // The size of the regular file there (symbolic links followed); nothing for a missing
    // entry or one that is not a regular file.
    static std::optional<qint64> fileSize(const QUrl &url);
    // Whether anything, a dangling symbolic link included, has the name.
    static bool isTaken(const QString &path);
    // Opens `file` on the exact bytes of `path` (QFile would re-encode the name lossily).
    static bool open(QFile &file, const QString &path, QIODevice::OpenMode mode);
    // Copies the content and permissions into a new file; never replaces one. 0 or an errno.
    static int copy(const QString &from, const QString &to);
    // Creates the folder and its missing parents. 0 or an errno.
    static int makePath(const QString &folder);
};

} // namespace brivello
