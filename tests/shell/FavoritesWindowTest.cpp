#include "ShellFixture.h"
#include "favorites/FavoritesTableModel.h"
#include "favorites/ui/FavoritesSection.h"
#include "favorites/ui/FavoritesTableView.h"
#include "shell/ContentArea.h"

using namespace brivello;

TEST_F(ShellFixture, FavoritesTableScreenshots)
{
    QList<Track> tracks = makeTracks(10, true);
    const QStringList genres = {"House", "Techno", "", "Afro House", "House"};
    for (int i = 0; i < tracks.size(); ++i) {
        tracks[i].isFavorite = true;
        tracks[i].tags.genre = genres.at(i % genres.size());
        tracks[i].tags.album = QStringLiteral("Album %1").arg(i);
        tracks[i].tags.year = QStringLiteral("202%1").arg(i % 5);
        tracks[i].bitRate = 320000;
    }
    store().setTracks(tracks);
    store().setActiveTab(LibraryTab::favorites);
    QCoreApplication::processEvents();
    auto *section = qobject_cast<FavoritesSection *>(window().contentArea()->currentView());
    ASSERT_TRUE(section);
    ASSERT_FALSE(section->isShowingEmptyState());
    FavoritesTableModel *model = section->model();
    ASSERT_EQ(model->rowCount(), 10);
    model->selectGenreFilter(QString());
    player().loaded = model->rows().at(1);
    player().play(model->rows().at(1));
    player().setPlaying(true);
    store().setSelectedIDs({model->idAt(3), model->idAt(4)});
    store().setSelectedID(model->idAt(4));
    store().analysis().setEstimatedBPMByTrackID({{model->idAt(0), QStringLiteral("124")}});
    store().analysis().setAnalyzingBPMIDs({model->idAt(2)});
    for (int i = 0; i < 3; ++i) {
        m_scheduler.advance(1);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(section->table()->isPulsing());
    EXPECT_EQ(section->table()->selectionModel()->selectedRows().size(), 2);

    for (const char *language : {"ru", "en"}) {
        for (const char *appearance : {"dark", "light"}) {
            Defaults::standard().set(QStringLiteral("appLanguage"), QString::fromLatin1(language));
            Defaults::standard().set(QStringLiteral("appAppearance"),
                                     QString::fromLatin1(appearance));
            for (int i = 0; i < 3; ++i) {
                m_scheduler.advance(1);
                QCoreApplication::processEvents();
            }
            const QImage image = window().grab().toImage();
            EXPECT_FALSE(image.isNull());
            saveScreenshot(QStringLiteral("favorites-table-%1-%2.png")
                               .arg(QLatin1String(language), QLatin1String(appearance)),
                           image);
        }
    }
}
