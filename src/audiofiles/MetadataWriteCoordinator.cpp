#include "MetadataWriteCoordinator.h"

#include "MetadataWriter.h"
#include "platform/LocalFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

namespace brivello {

MetadataWriteCoordinator &MetadataWriteCoordinator::shared()
{
    static MetadataWriteCoordinator instance;
    return instance;
}

QString MetadataWriteCoordinator::lockKey(const QUrl &url)
{
    const QString path = url.isLocalFile() ? LocalFile::path(url) : url.path();
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

int MetadataWriteCoordinator::waiterCount(const QString &path) const
{
    const auto found = m_waiters.constFind(path);
    return found == m_waiters.constEnd() ? 0 : int(found->size());
}

bool MetadataWriteCoordinator::Acquire::await_ready()
{
    if (owner->m_lockedPaths.contains(path))
        return false;
    owner->m_lockedPaths.insert(path);
    return true;
}

void MetadataWriteCoordinator::Acquire::await_suspend(std::coroutine_handle<> handle)
{
    owner->m_waiters[path].push_back(handle);
}

void MetadataWriteCoordinator::release(const QString &path)
{
    auto found = m_waiters.find(path);
    if (found == m_waiters.end()) {
        m_lockedPaths.remove(path);
        return;
    }
    const std::coroutine_handle<> next = found->front();
    found->pop_front();
    if (found->empty())
        m_waiters.erase(found);
    // The lock is handed over now; the waiter resumes on the next turn of the event loop, so
    // the releasing task finishes its own step first.
    QTimer::singleShot(0, QCoreApplication::instance(), [next] { next.resume(); });
}

MetadataWriteCoordinator::Permit::Permit(MetadataWriteCoordinator *owner, QString path)
    : m_owner(owner)
    , m_path(std::move(path))
{}

MetadataWriteCoordinator::Permit::Permit(Permit &&other) noexcept
    : m_owner(std::exchange(other.m_owner, nullptr))
    , m_path(std::move(other.m_path))
{}

MetadataWriteCoordinator::Permit &
MetadataWriteCoordinator::Permit::operator=(Permit &&other) noexcept
{
    if (this != &other) {
        release();
        m_owner = std::exchange(other.m_owner, nullptr);
        m_path = std::move(other.m_path);
    }
    return *this;
}

void MetadataWriteCoordinator::Permit::release()
{
    if (auto *owner = std::exchange(m_owner, nullptr))
        owner->release(m_path);
}

MetadataWriteCoordinator::Ticket MetadataWriteCoordinator::reserve(const QUrl &url,
                                                                   bool removeArtwork)
{
    Ticket ticket{lockKey(url), 0, removeArtwork};
    ticket.moves = m_moves.value(ticket.key);
    Due &due = m_due[ticket.key];
    ++due.count;
    due.removingArtwork += removeArtwork ? 1 : 0;
    return ticket;
}

void MetadataWriteCoordinator::settle(const Ticket &ticket)
{
    auto found = m_due.find(ticket.key);
    if (found == m_due.end())
        return;
    --found->count;
    found->removingArtwork -= ticket.removeArtwork ? 1 : 0;
    if (found->count <= 0)
        m_due.erase(found);
}

QCoro::Task<> MetadataWriteCoordinator::write(AudioTags tags, bool removeArtwork, QUrl url)
{
    const Ticket ticket = reserve(url, removeArtwork);
    QCoro::Task<> writing = write(std::move(tags), std::move(url), ticket);
    co_await std::move(writing);
}

QCoro::Task<> MetadataWriteCoordinator::write(AudioTags tags, QUrl url, Ticket ticket)
{
    // Settled after the permit is released, before the next holder resumes.
    const auto settled = qScopeGuard([this, ticket] { settle(ticket); });
    // Named awaitables: GCC 12 destroys temporaries of an awaited expression twice.
    Acquire acquiring = acquire(ticket.key);
    Permit permit = co_await acquiring;
    if (m_moves.value(ticket.key) != ticket.moves)
        co_return; // the file moved away while this write waited; never write a stranger
    QCoro::Task<> writing = MetadataWriter::write(tags, ticket.removeArtwork, url);
    co_await std::move(writing);
}

QCoro::Task<> MetadataWriteCoordinator::assignArtwork(QByteArray artwork, AudioTags tags, QUrl url)
{
    Acquire acquiring = acquire(lockKey(url));
    Permit permit = co_await acquiring;
    QCoro::Task<> writing = MetadataWriter::assignArtwork(artwork, tags, url);
    co_await std::move(writing);
}

} // namespace brivello
