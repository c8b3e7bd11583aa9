#include "LocalFile.h"

#include <QFile>
#include <QList>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivello {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(QChar c)
{
    return c.unicode() >= kEscapeBase + 0x80 && c.unicode() <= kEscapeBase + 0xFF;
}

// Length of the valid UTF-8 sequence at `at`, 0 when it is not one.
qsizetype validSequenceLength(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    }
    return length;
}

int copyContent(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0 ? 0 : errno;
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = ::write(to, buffer + done, size_t(got - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                return errno;
            done += written;
        }
    }
}

} // namespace

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

QString LocalFile::decodeName(const QByteArray &nativePath)
{
    if (QByteArrayView(nativePath).isValidUtf8())
        return QString::fromUtf8(nativePath);
    QString text;
    text.reserve(nativePath.size());
    qsizetype at = 0;
    while (at < nativePath.size()) {
        const qsizetype length = validSequenceLength(nativePath, at);
        if (length == 0) {
            text.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(nativePath[at]))));
            ++at;
        } else {
            text.append(QString::fromUtf8(nativePath.constData() + at, length));
            at += length;
        }
    }
    return text;
}

QByteArray LocalFile::encodeName(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscape(path[i]))
            continue;
        bytes += QStringView(path).mid(runStart, i - runStart).toUtf8();
        bytes += char(path[i].unicode() - kEscapeBase);
        runStart = i + 1;
    }
    bytes += QStringView(path).mid(runStart).toUtf8();
    return bytes;
}

QString LocalFile::displayName(const QString &path)
{
    QString shown = path;
    for (QChar &c : shown) {
        if (isEscape(c))
            c = QChar::ReplacementCharacter;
    }
    return shown;
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

std::optional<qint64> LocalFile::fileSize(const QUrl &url)
{
    const QByteArray path = nativePath(url);
    struct stat info;
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<qint64>(info.st_size);
}

bool LocalFile::isTaken(const QString &path)
{
    struct stat info;
    return ::lstat(encodeName(path).constData(), &info) == 0;
}

bool LocalFile::open(QFile &file, const QString &path, QIODevice::OpenMode mode)
{
    int flags = O_CLOEXEC;
    if ((mode & QIODevice::ReadWrite) == QIODevice::ReadWrite)
        flags |= O_RDWR | O_CREAT;
    else if (mode & QIODevice::WriteOnly)
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
    const int fd = ::open(encodeName(path).constData(), flags, 0666);
    if (fd < 0)
        return false;
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

int LocalFile::copy(const QString &from, const QString &to)
{
    const int source = ::open(encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return errno;
    struct stat info;
    if (::fstat(source, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(source);
        return error;
    }
    const QByteArray target = encodeName(to);
    const int copy =
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777);
    if (copy < 0) {
        const int error = errno;
        ::close(source);
        return error;
    }
    int error = copyContent(source, copy);
    if (error == 0 && ::fchmod(copy, info.st_mode & 07777) != 0)
        error = errno;
    if (::close(copy) != 0 && error == 0)
        error = errno;
    ::close(source);
    if (error != 0)
        ::unlink(target.constData()); // a partial copy is never left behind
    return error;
}

int LocalFile::makePath(const QString &folder)
{
    const QByteArray path = encodeName(folder);
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? path : path.left(slash);
        if (::mkdir(part.constData(), 0777) != 0) {
            const int error = errno;
            struct stat info;
            if (error != EEXIST)
                return error;
            if (::stat(part.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
                return ENOTDIR;
        }
        if (slash < 0)
            return 0;
    }
}

} // namespace brivello
