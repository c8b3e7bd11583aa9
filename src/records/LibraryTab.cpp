#include "LibraryTab.h"

namespace brivello {

const QList<LibraryTab> &allLibraryTabs()
{
    static const QList<LibraryTab> tabs{LibraryTab::playlist,
                                        LibraryTab::favorites,
                                        LibraryTab::covers,
                                        LibraryTab::converter,
                                        LibraryTab::analysis,
                                        LibraryTab::duplicates};
    return tabs;
}

QString rawValue(LibraryTab tab)
{
    switch (tab) {
    case LibraryTab::playlist:
        return QStringLiteral("Плейлист");
    case LibraryTab::favorites:
        return QStringLiteral("Избранное");
    case LibraryTab::covers:
        return QStringLiteral("Обложки");
    case LibraryTab::converter:
        return QStringLiteral("Конвертер");
    case LibraryTab::analysis:
        return QStringLiteral("Анализ");
    case LibraryTab::duplicates:
        return QStringLiteral("Дубликаты");
    }
    return {};
}

std::optional<LibraryTab> libraryTab(const QString &raw)
{
    for (LibraryTab tab : allLibraryTabs()) {
        if (rawValue(tab) == raw)
            return tab;
    }
    return std::nullopt;
}

} // namespace brivello
