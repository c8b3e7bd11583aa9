#include "OpenPanels.h"

#include "FolderAudioProbe.h"
#include "library/FavoriteMembership.h"
#include "library/TrackImporter.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPointer>
#include <QPushButton>

namespace brivello {

namespace {

OpenPanels::DialogHook &dialogHook()
{
    static OpenPanels::DialogHook hook;
    return hook;
}

// Lets the file dialog's list take files and folders together: the open button accepts
// whatever is selected in the view.
void allowFilesAndFolders(QFileDialog *dialog)
{
    for (QAbstractItemView *view : dialog->findChildren<QAbstractItemView *>())
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    QPushButton *openButton = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
    if (!openButton)
        return;
    openButton->disconnect(SIGNAL(clicked()));
    QObject::connect(openButton, &QPushButton::clicked, dialog, [dialog] {
        QStringList picked;
        auto *view = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        if (!view || !view->isVisible())
            view = dialog->findChild<QAbstractItemView *>(QStringLiteral("treeView"));
        const QString folder = dialog->directory().absolutePath();
        if (view && view->selectionModel()) {
            for (const QModelIndex &index : view->selectionModel()->selectedRows())
                picked << folder + QLatin1Char('/') + index.data().toString();
        }
        if (picked.isEmpty())
            picked = dialog->selectedFiles();
        dialog->setProperty("brivelloPicked", picked);
        static_cast<QDialog *>(dialog)->done(QDialog::Accepted);
    });
}

} // namespace

void OpenPanels::setDialogHookForTesting(DialogHook hook)
{
    dialogHook() = std::move(hook);
}

const QSet<QString> &OpenPanels::audioTypes(LibraryStore::LibraryTab tab)
{
    return tab == LibraryStore::LibraryTab::converter ? TrackImporter::converterExtensions()
                                                      : TrackImporter::playlistExtensions();
}

void OpenPanels::open(QWidget *parent, Receiver receiver)
{
    if (dialogHook()) {
        if (const auto urls = dialogHook()())
            receiver(*urls);
        return;
    }
    auto *dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setWindowModality(Qt::NonModal);
    dialog->setWindowTitle(BrivelloLocalization::string(QStringLiteral("Добавить файлы…")));
    // No type filter: any file or folder can be chosen, and the import's extension test
    // decides what is taken.
    allowFilesAndFolders(dialog);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, receiver](int result) {
        if (result != QDialog::Accepted)
            return;
        QStringList paths = dialog->property("brivelloPicked").toStringList();
        if (paths.isEmpty())
            paths = dialog->selectedFiles();
        QList<QUrl> urls;
        for (const QString &path : std::as_const(paths))
            urls.append(LocalFile::fromPath(path));
        if (!urls.isEmpty())
            receiver(urls);
    });
    dialog->show();
}

namespace {

// Awaited tasks are named locals: GCC 12 mishandles temporaries inside co_await.
QCoro::Task<> importInto(LibraryStore &store, LibraryStore::LibraryTab tab, QList<QUrl> urls)
{
    using Tab = LibraryStore::LibraryTab;
    if (tab == Tab::playlist || tab == Tab::favorites) {
        QPointer<LibraryStore> guard(&store);
        QCoro::Task<QList<QUuid>> importing = store.importer().importURLsAsync(urls);
        const QList<QUuid> ids = co_await importing;
        if (guard && tab == Tab::favorites)
            guard->favorites().addToFavorites(QSet<QUuid>(ids.begin(), ids.end()));
        co_return;
    }
    if (tab == Tab::covers) {
        QCoro::Task<QList<QUuid>> importing = store.importer().importForCoversAsync(urls);
        co_await importing;
        co_return;
    }
    QCoro::Task<> importing =
        tab == Tab::converter  ? store.importer().importForConversionAsync(urls)
        : tab == Tab::analysis ? store.importer().importForAnalysisAsync(urls)
                               : store.importer().importDuplicateSearchURLsAsync(urls);
    co_await importing;
}

} // namespace

void OpenPanels::importIntoSection(LibraryStore &store,
                                   LibraryStore::LibraryTab tab,
                                   const QList<QUrl> &urls)
{
    // The warning about folders without audio waits for the import's own line.
    FolderAudioProbe::reportFoldersWithoutAudio(
        importInto(store, tab, urls), store, urls, audioTypes(tab));
}

void OpenPanels::openForSection(LibraryStore &store, LibraryStore::LibraryTab tab, QWidget *parent)
{
    QPointer<LibraryStore> guard(&store);
    // The favourites have no add button; their panel is the playlist's.
    const LibraryStore::LibraryTab target =
        tab == LibraryStore::LibraryTab::favorites ? LibraryStore::LibraryTab::playlist : tab;
    open(parent, [guard, target](const QList<QUrl> &urls) {
        if (guard)
            importIntoSection(*guard, target, urls);
    });
}

} // namespace brivello
