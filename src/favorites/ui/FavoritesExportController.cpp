#include "FavoritesExportController.h"

#include "library/FavoriteMembership.h"
#include "library/LibrarySections.h"
#include "platform/BrivelloLocalization.h"
#include "platform/Defaults.h"

#include <QCheckBox>
#include <QCoroFuture>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace brivello {

FavoritesExportController::FavoritesExportController(
    LibraryStore &store, std::function<void(LibraryStore::LibraryTab)> activateTab, QObject *parent)
    : QObject(parent)
    , m_store(&store)
    , m_activateTab(std::move(activateTab))
{}

QList<FavoritesExportController::Item> FavoritesExportController::selectedFavourites() const
{
    QList<Item> items;
    if (!m_store)
        return items;
    QSet<QUuid> remaining = m_store->sections().activeSelection();
    const auto take = [&](const QList<Track> &tracks) {
        for (const Track &track : tracks) {
            if (remaining.isEmpty())
                return;
            if (remaining.remove(track.id) && track.isFavorite)
                items.append({track.url, track.tags.genre});
        }
    };
    take(m_store->sections().visibleTracks());
    take(m_store->tracks());
    return items;
}

void FavoritesExportController::sendFavoritesToConverter()
{
    if (!m_store)
        return;
    const QSet<QUuid> selection = m_store->sections().activeSelection();
    QSet<QUuid> favourites;
    for (const Track &track : m_store->tracks()) {
        if (track.isFavorite && selection.contains(track.id))
            favourites.insert(track.id);
    }
    if (favourites.isEmpty())
        return;
    m_store->favorites().addTracksToConversion(favourites);
    m_store->setIsEditingMetadata(false);
    if (m_activateTab)
        m_activateTab(LibraryStore::LibraryTab::converter);
}

QList<FavoritesExport::Job> FavoritesExportController::jobs(const QList<Item> &items, bool byGenre)
{
    const QString fallback = BrivelloLocalization::string(QStringLiteral("Без жанра"));
    QList<FavoritesExport::Job> result;
    for (const Item &item : items) {
        FavoritesExport::Job job{item.url, std::nullopt};
        if (byGenre)
            job.genreFolder = FavoritesExport::genreFolderName(item.genre, fallback);
        result.append(job);
    }
    return result;
}

void FavoritesExportController::exportFavoriteSelection(QWidget *parent)
{
    const QList<Item> items = selectedFavourites();
    if (items.isEmpty())
        return;

    auto *dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(
        BrivelloLocalization::string(QStringLiteral("Выберите папку для экспорта")));
    dialog->setLabelText(QFileDialog::Accept,
                         BrivelloLocalization::string(QStringLiteral("Экспортировать")));
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    // Our own dialog, so the genre choice can sit inside it.
    dialog->setOption(QFileDialog::DontUseNativeDialog);

    auto *accessory = new QWidget(dialog);
    auto *column = new QVBoxLayout(accessory);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(4);
    auto *message = new QLabel(BrivelloLocalization::string(
        QStringLiteral("Выбранные треки будут скопированы. Оригиналы останутся на месте.")));
    auto *byGenre =
        new QCheckBox(BrivelloLocalization::string(QStringLiteral("Создавать подпапки по жанрам")));
    byGenre->setChecked(m_store->settings().defaults().boolean(kExportFavoritesByGenreKey, false));
    auto *hint = new QLabel(BrivelloLocalization::string(
        QStringLiteral("Треки без жанра попадут в папку «Без жанра».")));
    hint->setWordWrap(true);
    hint->setMaximumWidth(390);
    hint->setForegroundRole(QPalette::PlaceholderText);
    QFont small = hint->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    hint->setFont(small);
    column->addWidget(message);
    column->addWidget(byGenre);
    column->addWidget(hint);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout()))
        grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount());

    QPointer<FavoritesExportController> self(this);
    connect(
        dialog, &QFileDialog::fileSelected, this, [self, items, byGenre](const QString &folder) {
            if (!self || folder.isEmpty())
                return;
            const bool sorted = byGenre->isChecked();
            if (self->m_store)
                self->m_store->settings().defaults().set(kExportFavoritesByGenreKey, sorted);
            exportItems(self->m_store, items, folder, sorted);
        });
    // On its own, not as a sheet over the window.
    dialog->show();
}

QCoro::Task<> FavoritesExportController::exportItems(QPointer<LibraryStore> store,
                                                     QList<Item> items,
                                                     QString folder,
                                                     bool byGenre)
{
    const QList<FavoritesExport::Job> work = jobs(items, byGenre);
    // Named, not a temporary inside co_await: GCC mishandles destructible temporaries there.
    QFuture<QStringList> copying =
        QtConcurrent::run([work, folder] { return FavoritesExport::copy(work, folder); });
    const QStringList failures = co_await copying;
    if (failures.isEmpty() || !store)
        co_return;
    store->setLastError(BrivelloLocalization::format(
        QStringLiteral("Не удалось экспортировать:\n%@"), failures.join(QLatin1Char('\n'))));
}

} // namespace brivello
