#include "SafeFileReplace.h"

#include "HeldTemporaryFile.h"
#include "LocalFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivello {

namespace {

QByteArray encoded(const QString &path)
{
    return LocalFile::encodeName(path);
}

// A file or folder without any write permission bit counts as read-only even for root,
// who would otherwise write through it.
constexpr qint64 kCopyBufferSize = 1 << 20;

bool isWritable(const QByteArray &path, mode_t mode)
{
    return ::access(path.constData(), W_OK) == 0 && (mode & 0222) != 0;
}

} // namespace

SafeFileReplace::Error::Error(Failure failure, int code, QString path)
    : m_failure(failure)
    , m_code(code)
    , m_path(std::move(path))
    , m_what(LocalFile::encodeName(m_path) + ": " + std::strerror(code))
{}

SafeFileReplace::Failure SafeFileReplace::failureFor(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return Failure::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return Failure::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return Failure::NoSpace;
    default:
        return Failure::Io;
    }
}

SafeFileReplace::SafeFileReplace(const QString &targetPath, const QString &tempExtension)
    : m_target(targetPath)
{
    // Through a symbolic link the file it points to is rewritten; renaming over the link
    // would turn it into a copy and leave the real file as it was.
    struct stat linkInfo
    {
    };
    if (::lstat(encoded(targetPath).constData(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        if (char *resolved = ::realpath(encoded(targetPath).constData(), nullptr)) {
            m_target = LocalFile::decodeName(resolved);
            std::free(resolved);
        }
    }
    const QByteArray target = encoded(m_target);
    struct stat info
    {
    };
    if (::stat(target.constData(), &info) != 0)
        throw Error(failureFor(errno), errno, m_target);
    if (!S_ISREG(info.st_mode))
        throw Error(Failure::Io, EISDIR, m_target);
    m_device = info.st_dev;
    m_inode = info.st_ino;
    m_mode = info.st_mode & 07777;
    if (!isWritable(target, info.st_mode))
        throw Error(Failure::PermissionDenied, EACCES, m_target);

    const QString folder = QFileInfo(m_target).absolutePath();
    struct stat folderInfo
    {
    };
    if (::stat(encoded(folder).constData(), &folderInfo) != 0)
        throw Error(failureFor(errno), errno, folder);
    if (!isWritable(encoded(folder), folderInfo.st_mode))
        throw Error(Failure::PermissionDenied, EACCES, folder);

    HeldTemporaryFile::removeStale(folder);
    m_temp = std::make_unique<HeldTemporaryFile>(folder, tempExtension);
    if (!m_temp->isOpen())
        throw Error(failureFor(m_temp->error()), m_temp->error(), folder);
}

SafeFileReplace::~SafeFileReplace() = default;

const QString &SafeFileReplace::tempPath() const
{
    return m_temp->path();
}

void SafeFileReplace::discard() noexcept
{
    m_temp->discard();
}

void SafeFileReplace::fail(int errnoValue, const QString &path)
{
    discard();
    throw Error(failureFor(errnoValue), errnoValue, path);
}

void SafeFileReplace::write(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_temp->descriptor(), data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(errno, m_target);
        }
        data += written;
        size -= written;
    }
}

bool SafeFileReplace::copyInKernel(int sourceFd, qint64 &offset, qint64 &length)
{
    while (length > 0) {
        loff_t from = offset;
        const ssize_t copied = ::copy_file_range(
            sourceFd, &from, m_temp->descriptor(), nullptr, static_cast<size_t>(length), 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0) {
            // Not offered between these files (other file systems, old kernels): copy by hand.
            if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL ||
                errno == EBADF)
                return false;
            fail(errno, m_target);
        }
        if (copied == 0)
            fail(EIO, m_target); // the source ended early
        offset += copied;
        length -= copied;
    }
    return true;
}

void SafeFileReplace::copyFrom(int sourceFd, qint64 offset, qint64 length)
{
    if (copyInKernel(sourceFd, offset, length))
        return;
    QByteArray buffer(static_cast<qsizetype>(std::min<qint64>(length, kCopyBufferSize)),
                      Qt::Uninitialized);
    while (length > 0) {
        const ssize_t got = ::pread(sourceFd,
                                    buffer.data(),
                                    static_cast<size_t>(std::min<qint64>(length, buffer.size())),
                                    offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            fail(got < 0 ? errno : EIO, m_target);
        write(buffer.constData(), got);
        offset += got;
        length -= got;
    }
}

void SafeFileReplace::commit()
{
    // The descriptor stays open through the rename: it carries the lock that keeps sweeps off.
    if (::fdatasync(m_temp->descriptor()) != 0 || ::fchmod(m_temp->descriptor(), m_mode) != 0)
        fail(errno, m_target);

    // A file trashed or renamed while we worked must not come back under its old name.
    struct stat info
    {
    };
    if (::stat(encoded(m_target).constData(), &info) != 0)
        fail(errno, m_target);
    if (info.st_dev != m_device || info.st_ino != m_inode)
        fail(ENOENT, m_target);

    if (const int error = m_temp->renameTo(m_target, true))
        fail(error, m_target);
}

} // namespace brivello
