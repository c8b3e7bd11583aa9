#pragma once

#include "records/AudioTags.h"

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

    // A write asked for and not yet finished. When its file moves away first it is dropped:
    // the mover writes the current tags under the new name (see hasDueWrites).
    struct Ticket
    {
        QString key;
        quint64 moves = 0;
        bool removeArtwork = false;
    };
    Ticket reserve(const QUrl &url, bool removeArtwork);
    // Gives up a reserved write that will never be made.
    void withdraw(const Ticket &ticket) { settle(ticket); }

    QCoro::Task<> write(AudioTags tags, bool removeArtwork, QUrl url);
    // Writes under a ticket reserved earlier, e.g. for every item of a batch up front.
    QCoro::Task<> write(AudioTags tags, QUrl url, Ticket ticket);
    QCoro::Task<> assignArtwork(QByteArray artwork, AudioTags tags, QUrl url);

    // The standardised path: absolute, dot segments resolved, symlinks left alone.
    static QString lockKey(const QUrl &url);

    bool isLocked(const QString &path) const { return m_lockedPaths.contains(path); }
    int waiterCount(const QString &path) const;

    // Writes reserved for the path and not finished (waiting for the lock or queued in a batch).
    bool hasDueWrites(const QString &path) const { return m_due.value(path).count > 0; }
    bool dueWritesRemoveArtwork(const QString &path) const
    {
        return m_due.value(path).removingArtwork > 0;
    }
    // The caller moved the file away while holding its lock: due writes to the path are void.
    void noteMoved(const QString &path) { ++m_moves[path]; }

private:
    struct Due
    {
        int count = 0;
        int removingArtwork = 0;
    };

    void release(const QString &path);
    void settle(const Ticket &ticket);

    QSet<QString> m_lockedPaths;
    QHash<QString, std::deque<std::coroutine_handle<>>> m_waiters;
    QHash<QString, Due> m_due;
    QHash<QString, quint64> m_moves;
};

} // namespace brivello
