#pragma once

#include <QSemaphore>
#include <QThreadPool>
#include <memory>

namespace brivello::test {

// Keeps every thread of the global pool busy while it lives, so that work handed to the pool
// (a disk look-up, a decode) cannot answer before the test has looked at the waiting state.
class ThreadPoolHold
{
public:
    ThreadPoolHold()
        : m_threads(QThreadPool::globalInstance()->maxThreadCount())
    {
        for (int i = 0; i < m_threads; ++i)
            QThreadPool::globalInstance()->start([release = m_release] { release->acquire(); });
    }
    ~ThreadPoolHold() { release(); }
    ThreadPoolHold(const ThreadPoolHold &) = delete;
    ThreadPoolHold &operator=(const ThreadPoolHold &) = delete;

    void release()
    {
        m_release->release(m_threads);
        m_threads = 0;
    }

private:
    // Shared with the waiting tasks: one may start only after the hold has gone.
    std::shared_ptr<QSemaphore> m_release = std::make_shared<QSemaphore>();
    int m_threads;
};

} // namespace brivello::test
