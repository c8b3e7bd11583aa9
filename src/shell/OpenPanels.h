#pragma once

#include "library/LibraryStore.h"

#include <QList>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

namespace brivello {

// The non-modal open panels that add files and folders (several at once) to a section.
// A cancelled panel does nothing. Main thread.
class OpenPanels
{
public:
    using Receiver = std::function<void(const QList<QUrl> &)>;

    // The panel lists every file and folder; the receiver gets the chosen ones.
    static void open(QWidget *parent, Receiver receiver);
    // The extensions a section's import takes.
    static const QSet<QString> &audioTypes(LibraryStore::LibraryTab tab);
    // The panel of a section: playlist import, covers, converter, analysis, duplicate roots.
    static void openForSection(LibraryStore &store, LibraryStore::LibraryTab tab, QWidget *parent);
    // Imports addresses into a section the way its panel does; favourites import into the
    // playlist and mark the imported tracks as favourites. A folder without audio files is
    // named in the status line.
    static void
    importIntoSection(LibraryStore &store, LibraryStore::LibraryTab tab, const QList<QUrl> &urls);
    // Tests replace the dialog: the receiver is called with what the hook returns.
    using DialogHook = std::function<std::optional<QList<QUrl>>()>;
    static void setDialogHookForTesting(DialogHook hook);
};

} // namespace brivello
