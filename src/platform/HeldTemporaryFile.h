#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>
#include <utility>

namespace brivello {

// A hidden temporary file of ours beside the file it will become:
// ".brivello-<UUID>-<mark>.<extension>", where the mark is a hash of the UUID with this machine
// and user, so a name that merely looks like ours is never taken for one. An exclusive flock is
// held on it for the object's whole life; the kernel drops it when the process dies, which is
// how a sweep tells a running write from what a killed one left. Blocking; any thread.
class HeldTemporaryFile
{
public:
    // Creates and locks the file in `folder` with `mode` (less the umask); on failure error()
    // holds the errno and nothing was created.
    HeldTemporaryFile(const QString &folder, const QString &extension, mode_t mode = 0600);
    ~HeldTemporaryFile();
    HeldTemporaryFile(const HeldTemporaryFile &) = delete;
    HeldTemporaryFile &operator=(const HeldTemporaryFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int error() const { return m_error; }
    // Read-write, close-on-exec; it carries the lock, so it stays open until the file is gone
    // or renamed.
    int descriptor() const { return m_fd; }
    const QString &path() const { return m_path; }
    // Whether the path still names the file this object created.
    bool isStillNamed() const;

    // Puts the file in place, the lock held until the rename is done; afterwards it is no
    // longer ours, and its folder is synced so the new name survives a crash. `replace` false
    // never overwrites: EEXIST when the name is taken. 0 or errno.
    int renameTo(const QString &target, bool replace);
    // Removes the file now (also done by the destructor unless renamed).
    void discard() noexcept;

    // Removes from `folder` every temporary of ours that no running write holds: ours by its
    // name and mark, owned by this user, a single link, and its lock free.
    static void removeStale(const QString &folder);
    static bool isOurName(const QByteArray &fileName);

private:
    void close() noexcept;

    QString m_path;
    QByteArray m_nativePath;
    std::pair<dev_t, ino_t> m_identity{};
    int m_fd = -1;
    int m_error = 0;
};

} // namespace brivello
