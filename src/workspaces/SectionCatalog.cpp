#include "SectionCatalog.h"

#include <QPointer>

namespace brivello {

namespace {

// The library's section counts, kept until its track list is next assigned: a status update
// costs the same at any library size. Main thread.
struct LibraryCounts
{
    QPointer<const LibraryStore> store;
    quint64 revision = 0;
    int playlist = 0;
    int favorites = 0;
    int covers = 0;
};

const LibraryCounts &libraryCounts(const LibraryStore &store)
{
    static LibraryCounts counts;
    if (counts.store == &store && counts.revision == store.tracksRevision())
        return counts;
    counts = {&store, store.tracksRevision()};
    for (const Track &track : store.tracks()) {
        counts.playlist += track.isInPlaylist ? 1 : 0;
        counts.favorites += track.isFavorite ? 1 : 0;
        counts.covers += track.isInCoverWorkspace ? 1 : 0;
    }
    return counts;
}

} // namespace

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
        return libraryCounts(store).playlist;
    case Tab::favorites:
        return libraryCounts(store).favorites;
    case Tab::covers:
        return libraryCounts(store).covers;
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
