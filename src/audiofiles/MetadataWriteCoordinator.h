#pragma once

#include "library/AudioTags.h"

#include <QByteArray>
#include <QCoroTask>
#include <QHash>
#include <QSet>
#include <QString>
#include <QUrl>
#include <coroutine>
#include <deque>

namespace brivello {

// One lock per file path so two rewrites of a file never overlap; waiters are served first
// come, first served and a released lock passes straight to the next one. Process-wide, main
// thread only; the rewrites themselves run on the thread pool while the lock is held.
class MetadataWriteCoordinator
{
public:
    static MetadataWriteCoordinator &shared();

    // Holds a path's lock until released or destroyed (so a throwing writer releases it too).
    class Permit
    {
    public:
        Permit() = default;
        Permit(MetadataWriteCoordinator *owner, QString path);
        Permit(Permit &&other) noexcept;
        Permit &operator=(Permit &&other) noexcept;
        ~Permit() { release(); }
        void release();
        bool isHeld() const { return m_owner != nullptr; }

    private:
        MetadataWriteCoordinator *m_owner = nullptr;
        QString m_path;
    };

    struct Acquire
    {
        MetadataWriteCoordinator *owner;
        QString path;
        bool await_ready();
        void await_suspend(std::coroutine_handle<> handle);
        Permit await_resume() { return Permit(owner, path); }
    };

    // co_await acquire(lockKey(url)) → a Permit.
    Acquire acquire(const QString &path) { return Acquire{this, path}; }

    QCoro::Task<> write(AudioTags tags, bool removeArtwork, QUrl url);
    QCoro::Task<> assignArtwork(QByteArray artwork, AudioTags tags, QUrl url);

    // The standardised path: absolute, dot segments resolved, symlinks left alone.
    static QString lockKey(const QUrl &url);

    bool isLocked(const QString &path) const { return m_lockedPaths.contains(path); }
    int waiterCount(const QString &path) const;

private:
    void release(const QString &path);

    QSet<QString> m_lockedPaths;
    QHash<QString, std::deque<std::coroutine_handle<>>> m_waiters;
};

} // namespace brivello
