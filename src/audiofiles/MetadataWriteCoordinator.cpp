#include "MetadataWriteCoordinator.h"

#include "MetadataWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace brivello {

MetadataWriteCoordinator &MetadataWriteCoordinator::shared()
{
    static MetadataWriteCoordinator instance;
    return instance;
}

QString MetadataWriteCoordinator::lockKey(const QUrl &url)
{
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
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

QCoro::Task<> MetadataWriteCoordinator::write(AudioTags tags, bool removeArtwork, QUrl url)
{
    // Named awaitables: GCC 12 destroys temporaries of an awaited expression twice.
    Acquire acquiring = acquire(lockKey(url));
    Permit permit = co_await acquiring;
    QCoro::Task<> writing = MetadataWriter::write(tags, removeArtwork, url);
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
