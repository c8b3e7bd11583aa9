#include "SectionCatalog.h"

namespace brivello {

QString SectionCatalog::icon(LibraryStore::LibraryTab tab)
{
    using Tab = LibraryStore::LibraryTab;
    switch (tab) {
    case Tab::playlist:
        return QStringLiteral("music.note.list");
    case Tab::favorites:
        return QStringLiteral("heart");
    case Tab::covers:
        return QStringLiteral("photo.on.rectangle.angled");
    case Tab::converter:
        return QStringLiteral("arrow.triangle.2.circlepath");
    case Tab::analysis:
        return QStringLiteral("waveform.path.ecg");
    case Tab::duplicates:
        return QStringLiteral("square.on.square");
    }
    return {};
}

int SectionCatalog::count(const LibraryStore &store, LibraryStore::LibraryTab tab)
{
    using Tab = LibraryStore::LibraryTab;
    switch (tab) {
    case Tab::playlist:
        return int(store.playlistTracks().size());
    case Tab::favorites:
        return int(store.favoriteTracks().size());
    case Tab::covers:
        return int(store.coverTracks().size());
    case Tab::converter:
        return int(store.conversionItems().size());
    case Tab::analysis:
        return int(store.analysisTracks().size());
    case Tab::duplicates:
        return int(store.duplicateSearch().groups.size());
    }
    return 0;
}

} // namespace brivello
