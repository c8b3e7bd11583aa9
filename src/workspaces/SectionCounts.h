#pragma once

#include "library/LibraryStore.h"

#include <optional>

namespace brivello {

// The sidebar's and the status block's section counts over one store. The library's counts
// are kept until its track list's members next change, so a status update costs the same at any
// library size; no list is copied. Main thread; one per window, owned by its controller.
class SectionCounts
{
public:
    explicit SectionCounts(const LibraryStore &store)
        : m_store(store)
    {}

    const LibraryStore &store() const { return m_store; }
    // Duplicates count groups, not files.
    int count(LibraryStore::LibraryTab tab) const;

private:
    struct LibraryCounts
    {
        quint64 revision = 0;
        int playlist = 0;
        int favorites = 0;
        int covers = 0;
    };
    const LibraryCounts &libraryCounts() const;

    const LibraryStore &m_store;
    mutable std::optional<LibraryCounts> m_library;
};

} // namespace brivello
