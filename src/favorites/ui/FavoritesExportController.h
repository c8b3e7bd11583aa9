#pragma once

#include "favorites/FavoritesExport.h"
#include "library/LibraryStore.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <qcoro/qcorotask.h>

class QWidget;

namespace brivello {

inline const QString kExportFavoritesByGenreKey = QStringLiteral("exportFavoritesByGenre");

// The two toolbar commands on the selected favourites: send them to the converter, and copy
// their files into a folder the user picks, optionally one subfolder per genre. The copying
// runs on a worker thread; only its failure text comes back to the store. Main thread; owned
// by the main window.
class FavoritesExportController : public QObject
{
    Q_OBJECT
public:
    FavoritesExportController(LibraryStore &store,
                              std::function<void(LibraryStore::LibraryTab)> activateTab,
                              QObject *parent = nullptr);

    LibraryStore &store() const { return *m_store; }
    void sendFavoritesToConverter();
    // Opens the folder dialog and returns; the copying finishes later.
    void exportFavoriteSelection(QWidget *parent);

    struct Item
    {
        QUrl url;
        QString genre;
    };
    // The selected favourites in the order shown, then any others in library order.
    QList<Item> selectedFavourites() const;
    // The jobs for a confirmed export.
    static QList<FavoritesExport::Job> jobs(const QList<Item> &items, bool byGenre);
    // Copies in the background and reports failures through the store's error alert. Static:
    // the copying may outlive the window; only a store still alive hears of failures.
    static QCoro::Task<>
    exportItems(QPointer<LibraryStore> store, QList<Item> items, QString folder, bool byGenre);

private:
    QPointer<LibraryStore> m_store;
    std::function<void(LibraryStore::LibraryTab)> m_activateTab;
};

} // namespace brivello
