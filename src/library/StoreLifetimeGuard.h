#pragma once

#include <memory>

namespace brivello {

class LibraryStore;

// Held by every store coroutine across its suspensions: after each co_await it asks alive()
// before touching the store again. The store drops its token first thing in its destructor, so
// work resumed during the teardown already sees it gone (a QPointer clears only later, in
// ~QObject). Main thread only.
class StoreLifetimeGuard
{
public:
    StoreLifetimeGuard(LibraryStore *store, std::weak_ptr<const void> token)
        : m_store(store)
        , m_token(std::move(token))
    {}

    bool alive() const { return !m_token.expired(); }
    // The store while it lives, else nullptr.
    LibraryStore *store() const { return alive() ? m_store : nullptr; }

private:
    LibraryStore *m_store;
    std::weak_ptr<const void> m_token;
};

} // namespace brivello
