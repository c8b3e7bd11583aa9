#pragma once

#include "library/LibraryStore.h"

#include <QString>

namespace brivello {

// The six sections as the shell shows them: title key, symbol and the count in the sidebar.
class SectionCatalog
{
public:
    static QString titleKey(LibraryStore::LibraryTab tab) { return rawValue(tab); }
    static QString icon(LibraryStore::LibraryTab tab);
    // Duplicates count groups, not files. No list is copied: the library's counts are kept
    // until its tracks change.
    static int count(const LibraryStore &store, LibraryStore::LibraryTab tab);
    static int index(LibraryStore::LibraryTab tab) { return int(tab); }
};

} // namespace brivello
