#include "FileByteSource.h"

#include "WriteError.h"
#include "platform/LocalFile.h"
#include "platform/SafeFileReplace.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivello {

namespace {

WriteError errorFor(int code, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    switch (SafeFileReplace::failureFor(code)) {
    case SafeFileReplace::Failure::NotFound:
        return WriteError(WriteError::Kind::fileNotFound, name);
    case SafeFileReplace::Failure::PermissionDenied:
        return WriteError(WriteError::Kind::permissionDenied, name);
    default:
        return WriteError(WriteError::Kind::ioFailed, name);
    }
}

} // namespace

FileByteSource::FileByteSource(const QString &path)
{
    m_fd = ::open(LocalFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw errorFor(errno, path);
    struct stat info
    {
    };
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = S_ISREG(info.st_mode) ? errno : EISDIR;
        ::close(m_fd);
        throw errorFor(code, path);
    }
    m_size = info.st_size;
}

FileByteSource::~FileByteSource()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FileByteSource::readInto(qint64 offset, char *buffer, qint64 length) const
{
    if (!contains(offset, length))
        throw WriteError::corrupt();
    while (length > 0) {
        const ssize_t got = ::pread(m_fd, buffer, static_cast<size_t>(length), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw WriteError(WriteError::Kind::ioFailed);
        if (got == 0) // the file shrank under us
            throw WriteError::corrupt();
        buffer += got;
        offset += got;
        length -= got;
    }
}

} // namespace brivello
