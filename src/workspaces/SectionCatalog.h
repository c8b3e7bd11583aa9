#pragma once

#include "library/LibraryStore.h"

#include <QString>

namespace brivello {

// The six sections as the shell shows them: title key, symbol and place in the sidebar. Their
// counts are a window's own (SectionCounts).
class SectionCatalog
{
public:
    static QString titleKey(LibraryStore::LibraryTab tab) { return rawValue(tab); }
    static QString icon(LibraryStore::LibraryTab tab);
    static int index(LibraryStore::LibraryTab tab) { return int(tab); }
};

} // namespace brivello
