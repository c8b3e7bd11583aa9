#include "SectionCounts.h"

namespace brivello {

const SectionCounts::LibraryCounts &SectionCounts::libraryCounts() const
{
    // A metadata batch changes no flag: the counts stand until the members change.
    if (m_library && m_library->revision == m_store.tracksMembershipRevision())
        return *m_library;
    LibraryCounts counts{m_store.tracksMembershipRevision()};
    for (const Track &track : m_store.tracks()) {
        counts.playlist += track.isInPlaylist ? 1 : 0;
        counts.favorites += track.isFavorite ? 1 : 0;
        counts.covers += track.isInCoverWorkspace ? 1 : 0;
    }
    m_library = counts;
    return *m_library;
}

int SectionCounts::count(LibraryStore::LibraryTab tab) const
{
    using Tab = LibraryStore::LibraryTab;
    switch (tab) {
    case Tab::playlist:
        return libraryCounts().playlist;
    case Tab::favorites:
        return libraryCounts().favorites;
    case Tab::covers:
        return libraryCounts().covers;
    case Tab::converter:
        return int(m_store.conversionItems().size());
    case Tab::analysis:
        return int(m_store.analysisTracks().size());
    case Tab::duplicates:
        return int(m_store.duplicateSearch().groups.size());
    }
    return 0;
}

} // namespace brivello
