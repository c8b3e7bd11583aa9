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

} // namespace brivello
