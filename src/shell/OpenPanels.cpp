#include "OpenPanels.h"

#include "platform/BrivelloLocalization.h"

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
    allowFilesAndFolders(dialog);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, receiver](int result) {
        if (result != QDialog::Accepted)
            return;
        QStringList paths = dialog->property("brivelloPicked").toStringList();
        if (paths.isEmpty())
            paths = dialog->selectedFiles();
        QList<QUrl> urls;
        for (const QString &path : std::as_const(paths))
            urls.append(QUrl::fromLocalFile(path));
        if (!urls.isEmpty())
            receiver(urls);
    });
    dialog->show();
}

void OpenPanels::importIntoSection(LibraryStore &store,
                                   LibraryStore::LibraryTab tab,
                                   const QList<QUrl> &urls)
{
    using Tab = LibraryStore::LibraryTab;
    switch (tab) {
    case Tab::covers:
        store.importForCovers(urls);
        break;
    case Tab::converter:
        store.importForConversion(urls);
        break;
    case Tab::analysis:
        store.importForAnalysis(urls);
        break;
    case Tab::duplicates:
        store.importDuplicateSearchURLs(urls);
        break;
    case Tab::favorites: {
        QPointer<LibraryStore> guard(&store);
        store.importURLs(urls, [guard](const QList<QUuid> &ids) {
            if (guard)
                guard->addToFavorites(QSet<QUuid>(ids.begin(), ids.end()));
        });
        break;
    }
    case Tab::playlist:
        store.importURLs(urls);
        break;
    }
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
