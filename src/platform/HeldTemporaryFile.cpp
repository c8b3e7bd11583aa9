#include "HeldTemporaryFile.h"

#include "LocalFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivello {

namespace {

constexpr char kPrefix[] = ".brivello-";
constexpr qsizetype kPrefixLength = sizeof(kPrefix) - 1;
constexpr qsizetype kIDLength = 36; // an upper-case UUID without braces
constexpr qsizetype kMarkLength = 12;
constexpr int kCreateAttempts = 8;

// The temporaries this process holds. Some file systems (NFS) emulate flock with POSIX locks,
// which never conflict within one process and all drop when any descriptor of the file
// closes, so a sweep must not even open these. Creating and sweeping hold the mutex.
QMutex g_heldMutex;
QSet<std::pair<dev_t, ino_t>> g_held;

QByteArray machineAndUser()
{
    QByteArray salt;
    for (const char *file : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile id(QString::fromLatin1(file));
        if (id.open(QIODevice::ReadOnly)) {
            salt = id.readAll().trimmed();
            break;
        }
    }
    return salt + '/' + QByteArray::number(static_cast<qulonglong>(::geteuid()));
}

QByteArray markFor(const QByteArray &id)
{
    static const QByteArray salt = machineAndUser();
    return QCryptographicHash::hash("brivello temporary/" + salt + '/' + id,
                                    QCryptographicHash::Sha256)
        .toHex()
        .left(kMarkLength)
        .toUpper();
}

bool isUpperHex(const QByteArray &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    });
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::pair<dev_t, ino_t> identity(const struct stat &info)
{
    return {info.st_dev, info.st_ino};
}

// Removes one candidate when it is ours and its lock is free. Called with the mutex held.
void removeIfStale(int folder, const char *name)
{
    struct stat listed;
    if (::fstatat(folder, name, &listed, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(listed.st_mode) ||
        g_held.contains(identity(listed)))
        return;
    const int fd =
        ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened;
    struct stat named;
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
        opened.st_nlink == 1 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(opened, named))
        ::unlinkat(folder, name, 0); // under the lock: no writer can hold it meanwhile
    ::close(fd);
}

} // namespace

bool HeldTemporaryFile::isOurName(const QByteArray &fileName)
{
    const qsizetype markEnd = kPrefixLength + kIDLength + 1 + kMarkLength;
    if (!fileName.startsWith(kPrefix) || fileName.size() < markEnd ||
        (fileName.size() > markEnd && fileName.at(markEnd) != '.') ||
        fileName.at(kPrefixLength + kIDLength) != '-')
        return false;
    const QByteArray id = fileName.mid(kPrefixLength, kIDLength);
    const QByteArray mark = fileName.mid(kPrefixLength + kIDLength + 1, kMarkLength);
    return !QUuid::fromString(QLatin1String(id)).isNull() && id == id.toUpper() &&
           isUpperHex(mark) && mark == markFor(id);
}

HeldTemporaryFile::HeldTemporaryFile(const QString &folder, const QString &extension, mode_t mode)
{
    const QByteArray base = LocalFile::encodeName(folder) + '/';
    const QByteArray suffix =
        extension.isEmpty() ? QByteArray() : '.' + LocalFile::encodeName(extension);
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const QByteArray id = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
        const QByteArray native = base + kPrefix + id + '-' + markFor(id) + suffix;
        {
            const QMutexLocker locker(&g_heldMutex);
            m_fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (m_fd < 0) {
                m_error = errno;
                if (m_error == EEXIST)
                    continue;
                return;
            }
            struct stat info;
            if (::fstat(m_fd, &info) == 0) {
                m_identity = identity(info);
                g_held.insert(m_identity);
            }
        }
        m_nativePath = native;
        // A sweep elsewhere may have found the new file before it was locked and removed it:
        // then start over under another name. A file system without locks keeps it unlocked,
        // and sweeps there never get a lock either.
        const bool taken = ::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!taken && isStillNamed()) {
            m_path = LocalFile::decodeName(native);
            m_error = 0;
            return;
        }
        close();
        m_error = EEXIST;
    }
}

HeldTemporaryFile::~HeldTemporaryFile()
{
    discard();
}

bool HeldTemporaryFile::isStillNamed() const
{
    struct stat opened;
    struct stat named;
    return m_fd >= 0 && ::fstat(m_fd, &opened) == 0 &&
           ::lstat(m_nativePath.constData(), &named) == 0 && sameFile(opened, named);
}

void HeldTemporaryFile::close() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    const QMutexLocker locker(&g_heldMutex);
    g_held.remove(m_identity);
    m_identity = {};
    m_nativePath.clear();
    m_path.clear();
}

void HeldTemporaryFile::discard() noexcept
{
    // Unlinked before the lock goes, so no other process ever removes a file we still name.
    if (m_fd >= 0 && isStillNamed())
        ::unlink(m_nativePath.constData());
    close();
}

int HeldTemporaryFile::renameTo(const QString &target, bool replace)
{
    if (m_fd < 0)
        return EBADF;
    const QByteArray native = LocalFile::encodeName(target);
    int result = 0;
    if (replace) {
        result = ::rename(m_nativePath.constData(), native.constData()) == 0 ? 0 : errno;
    } else if (::renameat2(AT_FDCWD,
                           m_nativePath.constData(),
                           AT_FDCWD,
                           native.constData(),
                           RENAME_NOREPLACE) == 0) {
        result = 0;
    } else if (errno != EINVAL && errno != ENOSYS) {
        result = errno;
    } else {
        // File systems without RENAME_NOREPLACE: check first, then rename.
        struct stat info;
        if (::lstat(native.constData(), &info) == 0)
            result = EEXIST;
        else
            result = ::rename(m_nativePath.constData(), native.constData()) == 0 ? 0 : errno;
    }
    if (result == 0) {
        close();
        const int folder =
            ::open(LocalFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                   O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
    }
    return result;
}

void HeldTemporaryFile::removeStale(const QString &folder)
{
    DIR *directory = ::opendir(LocalFile::encodeName(folder).constData());
    if (!directory)
        return;
    const int folderFd = ::dirfd(directory);
    while (const dirent *entry = ::readdir(directory)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(kPrefix) || !isOurName(name))
            continue;
        const QMutexLocker locker(&g_heldMutex);
        removeIfStale(folderFd, entry->d_name);
    }
    ::closedir(directory);
}

} // namespace brivello
