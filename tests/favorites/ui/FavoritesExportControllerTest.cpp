#include "favorites/ui/FavoritesExportController.h"

#include "platform/Defaults.h"
#include "support/LibraryStoreFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace brivello;
using namespace brivello::testing;

namespace {

using Tab = LibraryStore::LibraryTab;

class FavoritesExportControllerTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        // Same file name in two folders; the library order differs from the shown order.
        const char *files[] = {"z/Song.mp3", "a/Song.mp3", "m/Other.flac", "n/Plain.wav"};
        QList<Track> tracks;
        for (int i = 0; i < 4; ++i) {
            Track t = Track::make(touch(QString::fromLatin1(files[i]), QByteArray(files[i])));
            t.isInPlaylist = true;
            t.isFavorite = i != 3;
            t.tags.title = QString::number(3 - i); // favourites are shown by title
            t.tags.genre = i == 2 ? QStringLiteral("Drum/Bass") : QString();
            tracks.append(t);
            ids.append(t.id);
        }
        store().setTracks(tracks);
        controller = std::make_unique<FavoritesExportController>(
            store(), [this](Tab tab) { activated.append(tab); });
    }
    void TearDown() override
    {
        controller.reset();
        LibraryStoreFixture::TearDown();
    }
    // Runs an export to its end (parameters, not captures: the coroutine outlives the call).
    static QCoro::Task<> run(FavoritesExportController *c, QString folder, bool byGenre, bool *done)
    {
        QCoro::Task<> exporting = FavoritesExportController::exportItems(
            &c->store(), c->selectedFavourites(), folder, byGenre);
        co_await exporting;
        *done = true;
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<FavoritesExportController> controller;
    QList<QUuid> ids;
    QList<Tab> activated;
};

TEST_F(FavoritesExportControllerTest, ExportListsTheSelectedFavouritesInTheOrderShown)
{
    store().setActiveTab(Tab::playlist);
    store().setSelectedIDs({ids[0], ids[1], ids[3]});
    const auto items = controller->selectedFavourites();
    ASSERT_EQ(items.size(), 2);                          // the plain track is no favourite
    EXPECT_EQ(items[0].url, store().tracks().at(1).url); // a/ before z/ in the playlist
    EXPECT_EQ(items[1].url, store().tracks().at(0).url);

    store().setSelectedIDs({ids[3]});
    EXPECT_TRUE(controller->selectedFavourites().isEmpty());
}

TEST_F(FavoritesExportControllerTest, CopiesAreNamedByTheOrderShownAndFailuresReachTheAlert)
{
    store().setSelectedIDs({ids[0], ids[1], ids[2]});
    QTemporaryDir target;
    bool done = false;
    run(controller.get(), target.path(), false, &done);
    ASSERT_TRUE(spinUntil([&done] { return done; }));
    EXPECT_EQ(contents(target.filePath(QStringLiteral("Song.mp3"))), "a/Song.mp3");
    EXPECT_EQ(contents(target.filePath(QStringLiteral("Song (2).mp3"))), "z/Song.mp3");
    EXPECT_EQ(store().lastError(), std::nullopt);

    // By genre, with a source that vanished.
    QFile::remove(store().tracks().at(2).url.toLocalFile());
    QTemporaryDir genres;
    done = false;
    run(controller.get(), genres.path(), true, &done);
    ASSERT_TRUE(spinUntil([&done] { return done; }));
    EXPECT_EQ(contents(genres.filePath(QStringLiteral("Без жанра/Song (2).mp3"))), "z/Song.mp3");
    EXPECT_FALSE(QFileInfo::exists(genres.filePath(QStringLiteral("Drum – Bass/Other.flac"))));
    ASSERT_TRUE(store().lastError().has_value());
    EXPECT_TRUE(store().lastError()->startsWith(
        QStringLiteral("Не удалось экспортировать:\nOther.flac: ")));
    EXPECT_FALSE(store().lastError()->contains(QStringLiteral("Song")));
}

TEST_F(FavoritesExportControllerTest, SendingToTheConverterTakesFavouritesOnly)
{
    store().setSelectedIDs({ids[3]});
    controller->sendFavoritesToConverter();
    EXPECT_TRUE(store().conversionItems().isEmpty());
    EXPECT_TRUE(activated.isEmpty());

    store().setIsEditingMetadata(true);
    store().setSelectedIDs({ids[2], ids[3]});
    controller->sendFavoritesToConverter();
    ASSERT_EQ(store().conversionItems().size(), 1);
    EXPECT_EQ(store().conversionItems().first().url, store().tracks().at(2).url);
    EXPECT_FALSE(store().isEditingMetadata());
    EXPECT_EQ(activated, QList<Tab>{Tab::converter});
}

} // namespace
