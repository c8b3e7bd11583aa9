#include "library/PlaylistModel.h"

#include "library/LibrarySections.h"
#include "support/LibraryStoreFixture.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace brivello;
using namespace brivello::testing;

namespace {

class PlaylistModelTest : public LibraryStoreFixture
{
protected:
    Track track(const QString &path, bool inPlaylist = true)
    {
        Track t = Track::make(QUrl::fromLocalFile(QStringLiteral("/music/") + path));
        t.isInPlaylist = inPlaylist;
        return t;
    }
    void fill()
    {
        makeStore();
        store().setTracks({track(QStringLiteral("b/2.mp3")),
                           track(QStringLiteral("a/10.mp3")),
                           track(QStringLiteral("a/9.mp3")),
                           track(QStringLiteral("b/1.mp3")),
                           track(QStringLiteral("c/x.mp3"), false)});
    }
    QStringList names(const PlaylistModel &model) const
    {
        QStringList result;
        for (const Track &t : model.tracks())
            result.append(t.url.toLocalFile().section(QLatin1Char('/'), -2));
        return result;
    }
    void editTrack(int libraryIndex, const std::function<void(Track &)> &edit)
    {
        QList<Track> tracks = store().tracks();
        edit(tracks[libraryIndex]);
        store().setTracks(tracks);
    }
};

struct ModelSignals
{
    explicit ModelSignals(QAbstractItemModel *model)
        : reset(model, &QAbstractItemModel::modelReset)
        , layout(model, &QAbstractItemModel::layoutChanged)
        , inserted(model, &QAbstractItemModel::rowsInserted)
        , removed(model, &QAbstractItemModel::rowsRemoved)
        , changed(model, &QAbstractItemModel::dataChanged)
    {}
    QSignalSpy reset, layout, inserted, removed, changed;
};

TEST_F(PlaylistModelTest, StoreChangesBecomeRowChangesInsertionsAndRemovals)
{
    fill();
    PlaylistModel model(&store());
    QAbstractItemModelTester tester(&model);
    ModelSignals spy(&model);

    editTrack(3, [](Track &t) { t.tags.title = QStringLiteral("New title"); }); // b/1, row 2
    ASSERT_EQ(spy.changed.size(), 1);
    EXPECT_EQ(spy.changed.first().at(0).toModelIndex().row(), 2);
    EXPECT_EQ(spy.changed.first().at(1).toModelIndex().row(), 2);
    EXPECT_EQ(model.data(model.index(2), PlaylistModel::TitleRole).toString(),
              QStringLiteral("New title"));
    editTrack(3, [](Track &t) { t.bitRate = 320000; }); // not shown on the row
    EXPECT_EQ(spy.changed.size(), 1);

    QList<Track> tracks = store().tracks();
    tracks.append(track(QStringLiteral("a/95.mp3")));
    tracks.append(track(QStringLiteral("0/first.mp3")));
    store().setTracks(tracks);
    EXPECT_EQ(spy.reset.size() + spy.layout.size() + spy.removed.size(), 0);
    EXPECT_EQ(spy.inserted.size(), 2);
    EXPECT_EQ(names(model).first(), QStringLiteral("0/first.mp3"));
    EXPECT_EQ(names(model).at(3), QStringLiteral("a/95.mp3"));
    EXPECT_TRUE(model.startsFolder(1)); // the old first row now follows another folder
    EXPECT_FALSE(model.startsFolder(3));
    EXPECT_EQ(model.data(model.index(3), PlaylistModel::FolderURLRole).toUrl(),
              QUrl::fromLocalFile(QStringLiteral("/music/a")));

    editTrack(1, [](Track &t) { t.isInPlaylist = false; }); // a/10.mp3
    EXPECT_EQ(spy.removed.size(), 1);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.rowOf(store().tracks().at(1).id), -1);
    EXPECT_EQ(spy.reset.size() + spy.layout.size(), 0);
}

TEST_F(PlaylistModelTest, RandomEditsKeepTheModelEqualToTheStore)
{
    fill();
    PlaylistModel model(&store());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QRandomGenerator random(7);
    for (int step = 0; step < 200; ++step) {
        QList<Track> tracks = store().tracks();
        switch (random.bounded(5)) {
        case 0:
            tracks.append(track(QStringLiteral("%1/%2.mp3").arg(random.bounded(6)).arg(step)));
            break;
        case 1:
            if (!tracks.isEmpty())
                tracks[random.bounded(int(tracks.size()))].isInPlaylist ^= true;
            break;
        case 2:
            if (!tracks.isEmpty())
                tracks.removeAt(random.bounded(int(tracks.size())));
            break;
        case 3:
            if (!tracks.isEmpty())
                tracks[random.bounded(int(tracks.size()))].tags.artist = QString::number(step);
            break;
        default:
            if (!tracks.isEmpty()) // a rename moves the file to another folder
                tracks[random.bounded(int(tracks.size()))].url = QUrl::fromLocalFile(
                    QStringLiteral("/music/%1/r%2.mp3").arg(random.bounded(6)).arg(step));
            break;
        }
        store().setTracks(tracks);
        const QList<Track> expected = store().sections().playlistTracks();
        ASSERT_EQ(model.rowCount(), expected.size()) << step;
        for (int row = 0; row < expected.size(); ++row) {
            ASSERT_EQ(model.trackAt(row).id, expected.at(row).id) << step;
            ASSERT_EQ(model.trackAt(row).tags.artist, expected.at(row).tags.artist);
            ASSERT_EQ(model.startsFolder(row), PlaylistModel::startsPlaylistFolder(row, expected));
            ASSERT_EQ(model.rowOf(expected.at(row).id), row);
        }
    }
}

TEST_F(PlaylistModelTest, DragListsAndTheCoverWriteGuard)
{
    fill();
    PlaylistModel model(&store());
    const QList<QUuid> ids = model.ids();
    store().setSelectedIDs({ids.at(3), ids.at(1)});
    EXPECT_EQ(model.dragURLs(3), (QList<QUrl>{model.trackAt(1).url, model.trackAt(3).url}));
    EXPECT_EQ(model.dragURLs(0), QList<QUrl>{model.trackAt(0).url});
    EXPECT_TRUE(model.isDragEnabled(3));

    store().setArtworkWritingIDs({ids.at(1)});
    EXPECT_FALSE(model.isDragEnabled(3)); // another selected file is being written
    EXPECT_TRUE(model.isDragEnabled(0));
    store().setArtworkWritingIDs({ids.at(0)});
    EXPECT_FALSE(model.isDragEnabled(0));
    EXPECT_TRUE(model.isDragEnabled(1));

    EXPECT_FALSE(model.isWholeListSelected());
    store().setSelectedIDs(QSet<QUuid>(ids.cbegin(), ids.cend()));
    EXPECT_TRUE(model.isWholeListSelected());
}

TEST_F(PlaylistModelTest, TempoTextsFollowTheirPrecedence)
{
    Track t = track(QStringLiteral("a/1.mp3"));
    t.tags.bpm = QStringLiteral(" 128 ");
    using Kind = PlaylistModel::TempoKind;
    const auto tempo = [&t](bool analyzing, std::optional<QString> estimate) {
        return PlaylistModel::tempoFor(t, analyzing, estimate);
    };
    EXPECT_EQ(tempo(true, QStringLiteral("124")).kind, Kind::analyzing);
    EXPECT_EQ(tempo(false, QStringLiteral("124")).text, QStringLiteral("≈ 124 BPM"));
    EXPECT_EQ(tempo(false, std::nullopt).text, QStringLiteral(" 128  BPM"));
    EXPECT_EQ(tempo(false, std::nullopt).kind, Kind::tag);
    t.tags.bpm = QStringLiteral(" \n");
    EXPECT_EQ(tempo(false, std::nullopt).text, QStringLiteral("— BPM"));
    EXPECT_EQ(tempo(false, std::nullopt).kind, Kind::none);
}

} // namespace
