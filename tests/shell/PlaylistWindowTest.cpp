#include "ShellFixture.h"
#include "library/LibrarySections.h"
#include "library/PlaylistModel.h"
#include "shell/ContentArea.h"
#include "shell/DashboardSidebar.h"
#include "shell/PlaylistDrops.h"
#include "shell/PlaylistSection.h"
#include "shell/PlaylistView.h"
#include "shell/SidebarSectionButton.h"
#include "workspaces/MainWindowController.h"

#include <QDragEnterEvent>
#include <QLinearGradient>
#include <QMimeData>
#include <QPainter>

namespace brivello {

namespace {

QImage cover(int seed)
{
    QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 120, 120);
    gradient.setColorAt(0, QColor::fromHsv((seed * 47) % 360, 150, 210));
    gradient.setColorAt(1, QColor::fromHsv((seed * 47 + 80) % 360, 190, 90));
    painter.fillRect(image.rect(), gradient);
    return image;
}

// A playlist as a DJ would have it: three folders, tags, covers, favourites, one playing.
QList<Track> filledPlaylist(const std::function<QUrl(const QString &)> &url)
{
    struct Entry
    {
        const char *file, *artist, *title, *bpm;
        double duration;
    };
    const Entry entries[] = {
        {"Sets/Friday Warm-up/01 Sunrise.mp3", "Kölsch", "Sunrise", "118", 402},
        {"Sets/Friday Warm-up/02 Opal.flac", "Bicep", "Opal", "", 343},
        {"Sets/Friday Warm-up/03 Atlas.mp3", "Ben Böhmer", "Atlas", "122", 389},
        {"Sets/Friday Warm-up/04 untitled.wav", "", "", "", 275},
        {"Sets/Peak Time/Hypnotized.mp3", "Tale Of Us", "Hypnotized", "124", 451},
        {"Sets/Peak Time/Nightcall.aiff", "Mind Against", "Nightcall", "125", 397},
        {"Sets/Peak Time/Strobe.mp3", "deadmau5", "Strobe", "128", 634},
        {"Sets/Peak Time/Resonance.m4a", "Adriatique", "Resonance", "", 420},
        {"Sets/Peak Time/Phantom.mp3", "Anyma", "Phantom", "126", 366},
        {"Incoming/2024-05/Moonlight.mp3", "Innellea", "Moonlight", "123", 412},
        {"Incoming/2024-05/Echoes.flac", "Stephan Bodzin", "Echoes", "", 480},
        {"Incoming/2024-05/Sirens.mp3", "Massano", "Sirens", "127", 355},
        {"Incoming/2024-05/Horizon.mp3", "Argy", "Horizon", "124", 398},
    };
    QList<Track> tracks;
    int seed = 0;
    for (const Entry &e : entries) {
        Track t = Track::make(url(QString::fromUtf8(e.file)));
        t.isInPlaylist = true;
        t.tags.artist = QString::fromUtf8(e.artist);
        t.tags.title = QString::fromUtf8(e.title);
        t.tags.bpm = QString::fromUtf8(e.bpm);
        t.duration = e.duration;
        if (seed % 4 != 3)
            t.artwork = cover(seed);
        t.isFavorite = seed % 3 == 0;
        ++seed;
        tracks.append(t);
    }
    return tracks;
}

} // namespace

TEST_F(ShellFixture, FilledPlaylistScreenshots)
{
    store().setTracks(filledPlaylist([this](const QString &path) { return url(path); }));
    QCoreApplication::processEvents();
    auto *section = qobject_cast<PlaylistSection *>(window().contentArea()->currentView());
    ASSERT_TRUE(section);
    ASSERT_TRUE(section->isShowingList());
    PlaylistModel *model = section->view()->playlistModel();
    ASSERT_EQ(model->rowCount(), 13);

    // Playing the third row, two rows selected, a tempo estimate and one still running.
    Track playing = model->trackAt(2);
    player().loaded = playing;
    player().play(playing);
    player().setPlaying(true);
    store().setSelectedIDs({model->trackAt(5).id, model->trackAt(6).id});
    store().setSelectedID(model->trackAt(6).id);
    store().analysis().setEstimatedBPMByTrackID({{model->trackAt(1).id, QStringLiteral("121")}});
    store().analysis().setAnalyzingBPMIDs({model->trackAt(10).id});
    EXPECT_TRUE(model->isPlaying(2));

    for (const char *language : {"ru", "en"}) {
        for (const char *appearance : {"dark", "light"}) {
            Defaults::standard().set(QStringLiteral("appLanguage"), QString::fromLatin1(language));
            Defaults::standard().set(QStringLiteral("appAppearance"),
                                     QString::fromLatin1(appearance));
            QCoreApplication::processEvents();
            const QImage image = settledGrab();
            EXPECT_FALSE(image.isNull());
            saveScreenshot(QStringLiteral("playlist-%1-%2.png")
                               .arg(QLatin1String(language), QLatin1String(appearance)),
                           image);
        }
    }
}

TEST_F(ShellFixture, AFolderDroppedOnTheWindowShowsItsTracksGrouped)
{
    for (const char *file : {"drop/A/1.mp3", "drop/A/2.flac", "drop/B/x.wav", "drop/B/C/y.mp3"})
        touch(QString::fromLatin1(file));
    auto *section = qobject_cast<PlaylistSection *>(window().contentArea()->currentView());
    ASSERT_TRUE(section);
    QWidget *zone = section->findChild<QWidget *>(QStringLiteral("playlistDropZone"));
    ASSERT_TRUE(zone && zone->isVisible());
    QMimeData mime;
    mime.setUrls({url(QStringLiteral("drop"))});
    ASSERT_TRUE(dragEnter(zone, &mime));
    EXPECT_TRUE(drop(zone, &mime));

    PlaylistModel *model = section->view()->playlistModel();
    ASSERT_TRUE(spinUntil([model] { return model->rowCount() == 4; }));
    EXPECT_TRUE(section->isShowingList());
    QList<bool> headings;
    for (int row = 0; row < 4; ++row)
        headings.append(model->startsFolder(row));
    EXPECT_EQ(headings, (QList<bool>{true, false, true, true}));
    EXPECT_EQ(model->data(model->index(0), PlaylistModel::ArtistRole).toString(),
              QStringLiteral("Неизвестный исполнитель"));
}

TEST_F(ShellFixture, AnEmptyDropOnASectionButtonKeepsTheSection)
{
    const auto activate = [this](LibraryStore::LibraryTab tab) {
        window().controller().activateTab(tab);
    };
    PlaylistDrops::receiveDroppedTracks(store(), {}, LibraryStore::LibraryTab::covers, activate);
    EXPECT_EQ(store().activeTab(), LibraryStore::LibraryTab::playlist);
    const QUrl file = touch(QStringLiteral("fav/song.mp3"));
    PlaylistDrops::receiveDroppedTracks(
        store(), {file}, LibraryStore::LibraryTab::favorites, activate);
    EXPECT_EQ(store().activeTab(), LibraryStore::LibraryTab::favorites);
    ASSERT_TRUE(spinUntil([this] { return store().sections().favoriteTracks().size() == 1; }));
    EXPECT_TRUE(store().sections().favoriteTracks().first().isInPlaylist);
}

// A file manager that proposes a move (Shift held) must not be told the
// files were moved: it would delete the originals.
TEST_F(ShellFixture, DropsOnTheWindowAreTakenAsCopiesEvenWhenAMoveIsProposed)
{
    const QUrl file = touch(QStringLiteral("moved/song.mp3"));
    QMimeData mime;
    mime.setUrls({file});
    QWidget *targets[] = {window().contentArea(),
                          window().sidebar()->sectionButton(LibraryStore::LibraryTab::covers)};
    for (QWidget *target : targets) {
        const QPoint centre = target->rect().center();
        QDragEnterEvent enter(
            centre, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::ShiftModifier);
        ASSERT_EQ(enter.proposedAction(), Qt::MoveAction);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted()) << target->metaObject()->className();
        EXPECT_EQ(enter.dropAction(), Qt::CopyAction) << target->metaObject()->className();

        QDropEvent dropped(QPointF(centre),
                           Qt::CopyAction | Qt::MoveAction,
                           &mime,
                           Qt::LeftButton,
                           Qt::ShiftModifier);
        QCoreApplication::sendEvent(target, &dropped);
        EXPECT_TRUE(dropped.isAccepted()) << target->metaObject()->className();
        EXPECT_EQ(dropped.dropAction(), Qt::CopyAction) << target->metaObject()->className();
    }
    EXPECT_TRUE(QFileInfo::exists(file.toLocalFile()));
}

} // namespace brivello
