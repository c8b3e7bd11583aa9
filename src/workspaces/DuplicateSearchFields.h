#pragma once

#include "library/LibraryStore.h"

#include <utility>

namespace brivello {

// Field-wise access to the store's one duplicate search value, for the search and workspace
// code that updates a counter or the groups at a time. Main thread.
template <typename Edit> void editDuplicateSearch(LibraryStore &store, Edit edit)
{
    DuplicateSearchState state = store.duplicateSearch();
    edit(state);
    store.setDuplicateSearch(std::move(state));
}

#define BRIVELLO_DUPLICATE_FIELD(getter, setter, field)                                            \
    inline const auto &getter(const LibraryStore &store)                                           \
    {                                                                                              \
        return store.duplicateSearch().field;                                                      \
    }                                                                                              \
    inline void setter(LibraryStore &store, decltype(DuplicateSearchState::field) value)           \
    {                                                                                              \
        editDuplicateSearch(store, [&](DuplicateSearchState &s) { s.field = std::move(value); });  \
    }

BRIVELLO_DUPLICATE_FIELD(isSearchingDuplicates, setIsSearchingDuplicates, isSearching)
BRIVELLO_DUPLICATE_FIELD(duplicateScanPhase, setDuplicateScanPhase, phase)
BRIVELLO_DUPLICATE_FIELD(duplicateScanProgress, setDuplicateScanProgress, progress)
BRIVELLO_DUPLICATE_FIELD(duplicateScanCurrentFile, setDuplicateScanCurrentFile, currentFile)
BRIVELLO_DUPLICATE_FIELD(duplicateScanCandidateCount,
                         setDuplicateScanCandidateCount,
                         candidateCount)
BRIVELLO_DUPLICATE_FIELD(duplicateScanProcessedCount,
                         setDuplicateScanProcessedCount,
                         processedCount)
BRIVELLO_DUPLICATE_FIELD(duplicateScanTotalCount, setDuplicateScanTotalCount, totalCount)
BRIVELLO_DUPLICATE_FIELD(duplicateSearchRoots, setDuplicateSearchRoots, roots)
BRIVELLO_DUPLICATE_FIELD(duplicateGroups, setDuplicateGroups, groups)
BRIVELLO_DUPLICATE_FIELD(duplicateSelectedTrackIDs, setDuplicateSelectedTrackIDs, selectedTrackIDs)
BRIVELLO_DUPLICATE_FIELD(duplicateFocusedTrackID, setDuplicateFocusedTrackID, focusedTrackID)

#undef BRIVELLO_DUPLICATE_FIELD

} // namespace brivello
