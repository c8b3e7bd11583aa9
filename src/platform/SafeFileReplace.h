#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <memory>
#include <sys/types.h>

namespace brivello {

class HeldTemporaryFile;

// Rewrites one file through a hidden temporary file of ours in the same folder (a
// HeldTemporaryFile): the new content is written and flushed there, takes the original's
// permissions and is renamed over it. The temporary file is removed on every failure (and by the
// destructor unless committed); what a killed process left in the folder goes before a rewrite
// starts. Blocking; used from worker threads while the caller holds the path's write lock.
class SafeFileReplace
{
public:
    enum class Failure { NotFound, PermissionDenied, NoSpace, Io };

    class Error : public std::exception
    {
    public:
        Error(Failure failure, int code, QString path);
        Failure failure() const { return m_failure; }
        int code() const { return m_code; }
        const QString &path() const { return m_path; }
        const char *what() const noexcept override { return m_what.constData(); }

    private:
        Failure m_failure;
        int m_code;
        QString m_path;
        QByteArray m_what;
    };

    // Checks that the target exists and may be written, removes stale temporaries of ours beside
    // it, then creates the empty temporary file, named with `tempExtension`. A symbolic link is
    // followed to its file. Throws Error.
    SafeFileReplace(const QString &targetPath, const QString &tempExtension);
    ~SafeFileReplace();
    SafeFileReplace(const SafeFileReplace &) = delete;
    SafeFileReplace &operator=(const SafeFileReplace &) = delete;

    const QString &targetPath() const { return m_target; }
    const QString &tempPath() const;

    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }
    // Appends `length` bytes of the open file `sourceFd` from `offset`. The kernel copies them
    // (copy_file_range) where it can, else they pass through a buffer. Throws Error; a source
    // shorter than asked gives Failure::Io.
    void copyFrom(int sourceFd, qint64 offset, qint64 length);

    // Flushes, copies the permissions and renames over the target. Fails without touching
    // the target when it vanished or was replaced by another file since construction.
    void commit();

    static Failure failureFor(int errnoValue);

private:
    [[noreturn]] void fail(int errnoValue, const QString &path);
    bool copyInKernel(int sourceFd, qint64 &offset, qint64 &length);
    void discard() noexcept;

    QString m_target;
    std::unique_ptr<HeldTemporaryFile> m_temp;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    mode_t m_mode = 0;
};

} // namespace brivello
