#include "LibraryStoreServices.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "audiofiles/MetadataWriteCoordinator.h"
#include "platform/FileReveal.h"
#include "platform/Scheduler.h"
#include "platform/Trash.h"

namespace brivello {

Trash &LibraryStoreServices::trashService() const
{
    return trash ? *trash : Trash::shared();
}

MetadataWriteCoordinator &LibraryStoreServices::writeService() const
{
    return writes ? *writes : MetadataWriteCoordinator::shared();
}

AudioMetadataLoadQueue &LibraryStoreServices::loadService() const
{
    return loads ? *loads : AudioMetadataLoadQueue::shared();
}

Scheduler &LibraryStoreServices::schedulerService() const
{
    return scheduler ? *scheduler : Scheduler::shared();
}

FileReveal &LibraryStoreServices::revealService() const
{
    return reveal ? *reveal : FileReveal::shared();
}

} // namespace brivello
