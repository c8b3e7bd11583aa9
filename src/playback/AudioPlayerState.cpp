#include "AudioPlayer.h"
#include "library/LibraryStore.h"

namespace brivello {

LibraryStore *AudioPlayer::libraryStore() const
{
    return m_libraryStore.data();
}

void AudioPlayer::setLibraryStore(LibraryStore *store)
{
    m_libraryStore = store;
}

} // namespace brivello
