// MainWindow: the views of the covers, converter and duplicates sections.
#include "ContentArea.h"
#include "MainWindow.h"
#include "library/AudioPlayer.h"
#include "workspaces/ui/ConverterView.h"
#include "workspaces/ui/CoverManager.h"
#include "workspaces/ui/DuplicateFinderView.h"

namespace brivello {

namespace {

// The store's workspace operations the views call. Queue removal is plain list editing; the
// conversion run, the cover batch and the duplicate search join as the store offers them.
WorkspaceActions workspaceActions(LibraryStore &store)
{
    WorkspaceActions actions;
    actions.removeConversionItem = [&store](const QUuid &id) {
        QList<ConversionItem> items = store.conversionItems();
        items.removeIf([&id](const ConversionItem &item) { return item.id == id; });
        store.setConversionItems(items);
        store.scheduleWorkspaceSave();
    };
    return actions;
}

} // namespace

void MainWindow::installWorkspaces(AudioPlayer &player)
{
    using Tab = LibraryStore::LibraryTab;
    LibraryStore &store = m_store;
    m_content->setSectionFactory(Tab::converter, [&store, &player](QWidget *parent) -> QWidget * {
        return new ConverterView(store, player, workspaceActions(store), parent);
    });
    m_content->setSectionFactory(Tab::covers, [&store, &player](QWidget *parent) -> QWidget * {
        return new CoverManager(store, player, workspaceActions(store), parent);
    });
    m_content->setSectionFactory(Tab::duplicates, [&store, &player](QWidget *parent) -> QWidget * {
        return new DuplicateFinderView(store, player, workspaceActions(store), parent);
    });
}

} // namespace brivello
