#include "Trash.h"

#include "BrivelloLocalization.h"
#include "LocalFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace brivello {

namespace {

struct TrashFolder
{
    QString root;
    QString topdir; // empty for the home Trash, whose info paths are absolute
};

QByteArray local(const QString &path)
{
    return LocalFile::encodeName(path);
}

void removeFile(const QString &path)
{
    ::unlink(local(path).constData());
}

// The mount point holding `folder`: the last folder upwards on the same device. Works on the
// path's bytes, which QStorageInfo would re-encode.
QString mountPointOf(const QString &folder)
{
    QByteArray path = LocalFile::cleanPath(local(folder));
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        return {};
    const dev_t device = info.st_dev;
    while (path != "/") {
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray parent = slash <= 0 ? QByteArray("/") : path.left(slash);
        if (::stat(parent.constData(), &info) != 0 || info.st_dev != device)
            break;
        path = parent;
    }
    return LocalFile::decodeName(path);
}

bool statLink(const QString &path, struct stat *info)
{
    return ::lstat(local(path).constData(), info) == 0;
}

// Creates one folder with `mode` unless a real folder (not a link) is there already.
bool ensureFolder(const QString &path, mode_t mode)
{
    if (::mkdir(local(path).constData(), mode) == 0)
        return true;
    struct stat info;
    return errno == EEXIST && statLink(path, &info) && S_ISDIR(info.st_mode);
}

bool ensureTrashFolder(const QString &root, dev_t device, bool checkDevice)
{
    if (!ensureFolder(root, 0700) || !ensureFolder(root + QStringLiteral("/files"), 0700) ||
        !ensureFolder(root + QStringLiteral("/info"), 0700))
        return false;
    struct stat info;
    if (!statLink(root + QStringLiteral("/files"), &info))
        return false;
    return !checkDevice || info.st_dev == device;
}

// rename(2) that never replaces an existing entry.
int renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = local(from);
    const QByteArray target = local(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // File systems without RENAME_NOREPLACE: check first, then rename.
    struct stat info;
    if (::lstat(target.constData(), &info) == 0)
        return EEXIST;
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

std::variant<TrashFolder, TrashError> trashFolderFor(const QString &path, dev_t device)
{
    const QString home = Trash::homeTrashPath();
    QDir().mkpath(QFileInfo(home).absolutePath());
    struct stat info;
    if (ensureTrashFolder(home, device, false) &&
        statLink(home + QStringLiteral("/files"), &info) && info.st_dev == device)
        return TrashFolder{home, {}};

    QString topdir = mountPointOf(QFileInfo(path).absolutePath());
    if (topdir.isEmpty())
        return Trash::makeError(TrashError::noTrashOnVolume, path);
    const QString uid = QString::number(::getuid());
    const QString base = topdir == QStringLiteral("/") ? QString() : topdir;

    // An administrator's $topdir/.Trash counts only as a real folder with the sticky bit.
    const QString shared = base + QStringLiteral("/.Trash");
    if (statLink(shared, &info) && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) &&
        ensureTrashFolder(shared + QLatin1Char('/') + uid, device, true))
        return TrashFolder{shared + QLatin1Char('/') + uid, topdir};

    const QString own = base + QStringLiteral("/.Trash-") + uid;
    if (ensureFolder(own, 0700) && statLink(own, &info) && info.st_uid == ::getuid() &&
        ensureTrashFolder(own, device, true))
        return TrashFolder{own, topdir};
    return Trash::makeError(TrashError::noTrashOnVolume, path);
}

QString candidateName(const QString &name, int attempt)
{
    if (attempt == 1)
        return name;
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name + QLatin1Char('.') + QString::number(attempt);
    return name.left(dot) + QLatin1Char('.') + QString::number(attempt) + name.mid(dot);
}

QByteArray infoText(const QString &path, const TrashFolder &folder)
{
    QString stored = path;
    if (!folder.topdir.isEmpty()) {
        const QString prefix =
            folder.topdir.endsWith(QLatin1Char('/')) ? folder.topdir : folder.topdir + '/';
        if (stored.startsWith(prefix))
            stored = stored.mid(prefix.size());
    }
    const QByteArray date =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    return "[Trash Info]\nPath=" + Trash::encodedInfoPath(stored) + "\nDeletionDate=" + date + "\n";
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return ::fsync(fd) == 0;
}

TrashError errorFor(int errorNumber, const QString &path)
{
    switch (errorNumber) {
    case ENOENT:
        return Trash::makeError(TrashError::noSuchFile, path);
    case EEXIST:
    case ENOTEMPTY:
        return Trash::makeError(TrashError::fileExists, path);
    case EACCES:
    case EPERM:
    case EROFS:
        return Trash::makeError(TrashError::permissionDenied, path);
    case EXDEV:
        return Trash::makeError(TrashError::noTrashOnVolume, path);
    default:
        return Trash::makeError(TrashError::other, path, errorNumber);
    }
}

} // namespace

Trash &Trash::shared()
{
    static Trash real;
    return real;
}

QString Trash::homeTrashPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Trash");
}

QByteArray Trash::encodedInfoPath(const QString &path)
{
    return local(path).toPercentEncoding("/");
}

QString Trash::decodedInfoPath(const QByteArray &value)
{
    return LocalFile::decodeName(QByteArray::fromPercentEncoding(value));
}

TrashError Trash::makeError(TrashError::Kind kind, const QString &path, int errorNumber)
{
    const QString name = LocalFile::displayName(QFileInfo(path).fileName());
    switch (kind) {
    case TrashError::noSuchFile:
        return {kind,
                BrivelloLocalization::format(QStringLiteral("Файл «%@» не существует."), name)};
    case TrashError::fileExists:
        return {kind,
                BrivelloLocalization::format(QStringLiteral("Файл «%@» уже существует."), name)};
    case TrashError::permissionDenied:
        return {kind,
                BrivelloLocalization::format(QStringLiteral("Нет прав доступа к «%@»."), name)};
    case TrashError::noTrashOnVolume:
        return {kind,
                BrivelloLocalization::format(QStringLiteral("На томе с файлом «%@» нет Корзины."),
                                             name)};
    case TrashError::other:
        break;
    }
    const QString reason = QString::fromLocal8Bit(std::strerror(errorNumber));
    return {kind,
            BrivelloLocalization::format(
                QStringLiteral("Не удалось переместить «%@»: %@"), name, reason)};
}

TrashOutcome Trash::trashItem(const QString &input)
{
    const QString path = QDir::cleanPath(QFileInfo(input).absoluteFilePath());
    struct stat info;
    if (!statLink(path, &info))
        return {{}, errorFor(errno, path)};
    const auto found = trashFolderFor(path, info.st_dev);
    if (const auto *error = std::get_if<TrashError>(&found))
        return {{}, *error};
    const TrashFolder &folder = std::get<TrashFolder>(found);
    const QString name = QFileInfo(path).fileName();

    for (int attempt = 1; attempt < 100000; ++attempt) {
        const QString entry = candidateName(name, attempt);
        const QString infoPath =
            folder.root + QStringLiteral("/info/") + entry + QStringLiteral(".trashinfo");
        const QString filesPath = folder.root + QStringLiteral("/files/") + entry;
        // The .trashinfo is created exclusively first: it reserves the name.
        const int fd =
            ::open(local(infoPath).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return {{}, errorFor(errno, path)};
        struct stat taken;
        if (statLink(filesPath, &taken)) {
            ::close(fd);
            removeFile(infoPath);
            continue;
        }
        const bool written = writeAll(fd, infoText(path, folder));
        const int savedErrno = errno;
        ::close(fd);
        if (!written) {
            removeFile(infoPath);
            return {{}, makeError(TrashError::other, path, savedErrno)};
        }
        const int moved = renameNoReplace(path, filesPath);
        if (moved == 0)
            return {filesPath, std::nullopt};
        removeFile(infoPath);
        if (moved != EEXIST)
            return {{}, errorFor(moved, path)};
    }
    return {{}, makeError(TrashError::fileExists, path)};
}

std::optional<TrashError> Trash::moveItem(const QString &from, const QString &to)
{
    const int moved = renameNoReplace(from, to);
    if (moved == 0)
        return std::nullopt;
    struct stat info;
    if (moved == ENOENT && statLink(from, &info))
        return makeError(TrashError::noSuchFile, to);
    if (moved == EEXIST)
        return makeError(TrashError::fileExists, to);
    if (moved == EXDEV)
        return makeError(TrashError::other, from, moved);
    return errorFor(moved, from);
}

std::optional<TrashError> Trash::restoreItem(const QString &trashedPath,
                                             const QString &originalPath)
{
    struct stat info;
    if (!statLink(trashedPath, &info))
        return errorFor(errno, trashedPath);
    if (statLink(originalPath, &info))
        return makeError(TrashError::fileExists, originalPath);
    // The folder may have been removed since; bring it back rather than fail.
    const QString folder = QFileInfo(originalPath).absolutePath();
    if (LocalFile::makePath(folder) != 0)
        return makeError(TrashError::permissionDenied, folder);
    const int moved = renameNoReplace(trashedPath, originalPath);
    if (moved == ENOENT && !statLink(trashedPath, &info))
        return makeError(TrashError::noSuchFile, trashedPath);
    if (moved == ENOENT || moved == EEXIST)
        return errorFor(moved, originalPath);
    if (moved == EXDEV)
        return makeError(TrashError::other, originalPath, moved);
    if (moved != 0)
        return errorFor(moved, trashedPath);

    const QFileInfo entry(trashedPath);
    const QDir files = entry.absoluteDir();
    if (files.dirName() == QStringLiteral("files")) {
        removeFile(QDir::cleanPath(files.absolutePath() + QStringLiteral("/../info/") +
                                   entry.fileName() + QStringLiteral(".trashinfo")));
    }
    return std::nullopt;
}

} // namespace brivello
