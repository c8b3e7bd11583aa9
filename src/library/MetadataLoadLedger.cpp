#include "MetadataLoadLedger.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace brivello {

bool MetadataLoadLedger::endOperation()
{
    m_operations = std::max(m_operations - 1, 0);
    return m_operations == 0;
}

void MetadataLoadLedger::settle(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        const auto due = m_due.find(url);
        if (due != m_due.end() && --due.value() <= 0)
            m_due.erase(due);
    }
    wakeWaiters();
}

void MetadataLoadLedger::wakeWaiters()
{
    for (std::coroutine_handle<> waiter : std::exchange(m_waiters, {}))
        QTimer::singleShot(0, QCoreApplication::instance(), [waiter] { waiter.resume(); });
}

} // namespace brivello
