// MainWindow: the views of the covers, converter and duplicates sections.
#include "ContentArea.h"
#include "MainWindow.h"
#include "library/AudioPlayer.h"
#include "workspaces/ConversionRun.h"
#include "workspaces/CoverArtBatch.h"
#include "workspaces/DuplicateSearch.h"
#include "workspaces/DuplicateWorkspace.h"
#include "workspaces/ui/ConverterView.h"
#include "workspaces/ui/CoverManager.h"
#include "workspaces/ui/DuplicateFinderView.h"

namespace brivello {

namespace {

// The store's workspace operations the views call. The conversion run, the cover batch and the
// duplicate search are parts the store owns (its children), made once per store.
WorkspaceActions workspaceActions(LibraryStore &store)
{
    auto *conversion = store.findChild<ConversionRun *>();
    if (!conversion)
        conversion = new ConversionRun(store);
    auto *covers = store.findChild<CoverArtBatch *>();
    if (!covers)
        covers = new CoverArtBatch(store);
    DuplicateWorkspace *duplicates = &DuplicateWorkspace::of(store);
    auto *search = store.findChild<DuplicateSearch *>();

    WorkspaceActions actions;
    actions.convertQueuedItems = [conversion] { conversion->convertQueuedItems(); };
    actions.removeConversionItem = [conversion](const QUuid &id) {
        conversion->removeConversionItem(id);
    };
    actions.assignArtwork = [covers](const QByteArray &image, const QSet<QUuid> &ids) {
        covers->assignArtwork(image, ids);
    };
    actions.findDuplicates = [search] { search->findDuplicates(); };
    actions.clearDuplicateWorkspace = [duplicates] { duplicates->clearDuplicateWorkspace(); };
    actions.trashMarkedTracks = [duplicates](const QString &groupID) {
        duplicates->trashMarkedTracks(groupID);
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
