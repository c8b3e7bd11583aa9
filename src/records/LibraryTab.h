#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace brivello {

// The six sections of the window.
enum class LibraryTab { playlist, favorites, covers, converter, analysis, duplicates };

const QList<LibraryTab> &allLibraryTabs();
// The Russian section title: what the snapshot stores and selections are keyed by.
QString rawValue(LibraryTab tab);
std::optional<LibraryTab> libraryTab(const QString &rawValue);

} // namespace brivello
