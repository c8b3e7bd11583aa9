#include "LibraryStore.h"

namespace brivello {

// Placeholder until the metadata load queue lands: nothing is read, tracks keep their tags.
void LibraryStore::scheduleMetadataLoads(const QList<Track> &tracks,
                                         MetadataDestination destination)
{
    Q_UNUSED(tracks);
    Q_UNUSED(destination);
}

} // namespace brivello
