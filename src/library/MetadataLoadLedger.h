#pragma once

#include <QHash>
#include <QList>
#include <QUrl>
#include <coroutine>
#include <vector>

namespace brivello {

// The store's account of its metadata loads: how many load operations run (the last to end
// requests a snapshot save), which library files still have a load due (a count per file: a
// track can be scheduled twice), and the coroutines waiting for such a file, so a tag write
// never lets a fallback guess replace real tags. Main thread; a part owned by the LibraryStore.
class MetadataLoadLedger
{
public:
    void beginOperation() { ++m_operations; }
    // True when the last running operation ended with this one.
    bool endOperation();
    bool isLoading() const { return m_operations > 0; }

    void addDue(const QUrl &url) { ++m_due[url]; }
    bool isDue(const QUrl &url) const { return m_due.contains(url); }
    // One due load of each file was applied; every waiter wakes to look again.
    void settle(const QList<QUrl> &urls);
    // Resumes every waiter on a later turn of the event loop, never inside the caller; the
    // resumption is not tied to the ledger, so a waiter resumes even after it is gone.
    void wakeWaiters();

    // co_await ledger.nextSettle(): resumes after the next settle() or wakeWaiters().
    struct Settle
    {
        MetadataLoadLedger *ledger;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle) { ledger->m_waiters.push_back(handle); }
        void await_resume() const noexcept {}
    };
    Settle nextSettle() { return Settle{this}; }

private:
    int m_operations = 0;
    QHash<QUrl, int> m_due;
    std::vector<std::coroutine_handle<>> m_waiters;
};

} // namespace brivello
