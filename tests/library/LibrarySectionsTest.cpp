#include "library/LibrarySections.h"

#include "support/LibraryStoreFixture.h"

#include <QUuid>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using Tab = LibraryStore::LibraryTab;

namespace {

Track track(const QString &file, bool playlist = true)
{
    Track t = Track::make(QUrl::fromLocalFile(file));
    t.isInPlaylist = playlist;
    return t;
}

Track favourite(const QString &file, const QString &genre, const QString &title)
{
    Track t = Track::make(QUrl::fromLocalFile(file));
    t.isFavorite = true;
    t.tags.genre = genre;
    t.tags.title = title;
    return t;
}

QStringList paths(const QList<Track> &tracks)
{
    QStringList result;
    for (const Track &t : tracks)
        result.append(t.url.toLocalFile());
    return result;
}

QStringList titles(const QList<Track> &tracks)
{
    QStringList result;
    for (const Track &t : tracks)
        result.append(t.tags.title.isEmpty() ? t.url.fileName() : t.tags.title);
    return result;
}

class LibrarySectionsTest : public LibraryStoreFixture
{
};

TEST_F(LibrarySectionsTest, PlaylistReadsFolderByFolderInNaturalOrder)
{
    LibraryStore &s = makeStore();
    s.setTracks({track(QStringLiteral("/M/B/a.mp3")),
                 track(QStringLiteral("/M/A/z.mp3")),
                 track(QStringLiteral("/M/A/track10.mp3")),
                 track(QStringLiteral("/M/A/track9.mp3")),
                 track(QStringLiteral("/M/A/Cover.mp3"), false)});
    EXPECT_EQ(paths(s.sections().playlistTracks()),
              (QStringList{QStringLiteral("/M/A/track9.mp3"),
                           QStringLiteral("/M/A/track10.mp3"),
                           QStringLiteral("/M/A/z.mp3"),
                           QStringLiteral("/M/B/a.mp3")}));
    EXPECT_TRUE(LibrarySections::playlistFolderOrder(s.tracks()[3], s.tracks()[2]));
    EXPECT_FALSE(LibrarySections::playlistFolderOrder(s.tracks()[2], s.tracks()[3]));
    EXPECT_TRUE(LibrarySections::playlistFolderOrder(track(QStringLiteral("/m/a/Z.mp3")),
                                                     track(QStringLiteral("/m/B/a.mp3"))));
}

TEST_F(LibrarySectionsTest, PlaylistOrderAgreesWithThePairwiseOrderForWrittenFolderPaths)
{
    // Addresses as written, not normalised: folders named through "." and "..", and tracks
    // whose own name is such a segment, sharing written folders with plain ones.
    LibraryStore &s = makeStore();
    QList<Track> tracks;
    for (const char *path : {"/M/B/../A/t2.mp3",
                             "/M/A/t10.mp3",
                             "/M/B/t1.mp3",
                             "/M/./B/t3.mp3",
                             "/M/B/..",
                             "/M/B/.",
                             "/M/A/t1.mp3",
                             "/M/B/../C/t0.mp3",
                             "/M/C/t5.mp3"}) {
        Track t;
        t.id = QUuid::createUuid();
        t.url = QUrl(QStringLiteral("file://") + QLatin1String(path));
        t.isInPlaylist = true;
        tracks.append(t);
    }
    s.setTracks(tracks);
    QList<Track> expected = tracks;
    std::stable_sort(expected.begin(), expected.end(), LibrarySections::playlistFolderOrder);
    QList<QUuid> expectedIDs;
    for (const Track &t : expected)
        expectedIDs.append(t.id);
    EXPECT_EQ(s.sections().playlistIDs(), expectedIDs);
}

TEST_F(LibrarySectionsTest, PlaylistGrownAtTheEndKeepsTheOrderOfOneWholeSort)
{
    LibraryStore &s = makeStore();
    QList<Track> tracks = {track(QStringLiteral("/M/B/track2.mp3")),
                           track(QStringLiteral("/M/A/track10.mp3"))};
    s.setTracks(tracks);
    ASSERT_EQ(s.sections().playlistIDs().size(), 2);
    // Appended members that fall before, between and after the ones already ordered; one of
    // them outside the playlist.
    tracks << track(QStringLiteral("/M/A/track9.mp3")) << track(QStringLiteral("/M/C/a.mp3"))
           << track(QStringLiteral("/M/B/track1.mp3"))
           << track(QStringLiteral("/M/A/track1.mp3"), false);
    s.setTracks(tracks);
    const QStringList grown = paths(s.sections().playlistTracks());
    EXPECT_EQ(grown,
              (QStringList{QStringLiteral("/M/A/track9.mp3"),
                           QStringLiteral("/M/A/track10.mp3"),
                           QStringLiteral("/M/B/track1.mp3"),
                           QStringLiteral("/M/B/track2.mp3"),
                           QStringLiteral("/M/C/a.mp3")}));
    // A member taken out, and the same list in another library order: a whole new sort.
    tracks[0].isInPlaylist = false;
    std::reverse(tracks.begin(), tracks.end());
    s.setTracks(tracks);
    EXPECT_EQ(paths(s.sections().playlistTracks()),
              (QStringList{QStringLiteral("/M/A/track9.mp3"),
                           QStringLiteral("/M/A/track10.mp3"),
                           QStringLiteral("/M/B/track1.mp3"),
                           QStringLiteral("/M/C/a.mp3")}));
}

// Chunks that sort after everything (an import), before it, and across it: the order and the
// positions are always those of one whole sort.
TEST_F(LibrarySectionsTest, PlaylistGrownChunkByChunkKeepsTheOrderOfOneWholeSort)
{
    LibraryStore &s = makeStore();
    QList<Track> tracks;
    const QList<QStringList> chunks{{QStringLiteral("/M/B/2.mp3"), QStringLiteral("/M/B/10.mp3")},
                                    {QStringLiteral("/M/C/1.mp3"), QStringLiteral("/M/D/1.mp3")},
                                    {QStringLiteral("/M/A/1.mp3")},
                                    {QStringLiteral("/M/B/3.mp3"), QStringLiteral("/M/E/1.mp3")},
                                    {QStringLiteral("/M/F/1.mp3"), QStringLiteral("/M/F/x.mp3")}};
    for (const QStringList &chunk : chunks) {
        for (const QString &file : chunk)
            tracks << track(file);
        s.setTracks(tracks);
        QList<Track> sorted = tracks;
        std::sort(sorted.begin(), sorted.end(), LibrarySections::playlistFolderOrder);
        EXPECT_EQ(s.sections().playlistIDs(), idsOf(sorted));
        QList<QUuid> byPosition;
        for (const qsizetype at : s.sections().playlistPositions())
            byPosition << s.tracks().at(at).id;
        EXPECT_EQ(byPosition, idsOf(sorted));
    }
}

TEST_F(LibrarySectionsTest, TheSelectedTrackIsTheOneTheActiveSectionShows)
{
    LibraryStore &s = makeStore();
    Track listed = track(QStringLiteral("/M/A/listed.mp3"));
    Track loved = favourite(QStringLiteral("/M/A/loved.mp3"), QStringLiteral("House"), "L");
    Track cover = track(QStringLiteral("/M/A/cover.mp3"), false);
    cover.isInCoverWorkspace = true;
    const Track analysed = track(QStringLiteral("/M/B/analysed.mp3"), false);
    s.setTracks({listed, loved, cover});
    s.setAnalysisTracks({analysed});
    const auto selected = [&s](Tab tab, const Track &t) -> std::optional<QUuid> {
        s.setActiveTab(tab);
        s.setSelectedID(t.id);
        const std::optional<Track> found = s.sections().selectedTrack();
        return found ? std::optional<QUuid>(found->id) : std::nullopt;
    };
    EXPECT_EQ(selected(Tab::playlist, listed), listed.id);
    EXPECT_EQ(selected(Tab::playlist, cover), std::nullopt);
    EXPECT_EQ(selected(Tab::favorites, loved), loved.id);
    EXPECT_EQ(selected(Tab::favorites, listed), std::nullopt);
    s.setFavoriteGenreFilter(QStringLiteral("Techno"));
    EXPECT_EQ(selected(Tab::favorites, loved), std::nullopt);
    EXPECT_EQ(selected(Tab::covers, cover), cover.id);
    EXPECT_EQ(selected(Tab::covers, listed), std::nullopt);
    EXPECT_EQ(selected(Tab::converter, cover), cover.id);
    EXPECT_EQ(selected(Tab::analysis, analysed), analysed.id);
    EXPECT_EQ(selected(Tab::analysis, listed), std::nullopt);
    // A tags change after the selection: the track as it is now.
    s.setActiveTab(Tab::playlist);
    s.setSelectedID(listed.id);
    listed.tags.title = QStringLiteral("Renamed");
    s.setTracks({listed, loved, cover});
    EXPECT_EQ(s.sections().selectedTrack()->tags.title, QStringLiteral("Renamed"));
}

TEST_F(LibrarySectionsTest, FavouritesSortByGenreThenTitleWithUntaggedLast)
{
    LibraryStore &s = makeStore();
    s.setTracks(
        {favourite(QStringLiteral("/m/1.mp3"), QStringLiteral("b"), QStringLiteral("x")),
         favourite(QStringLiteral("/m/2.mp3"), QString(), QStringLiteral("y")),
         favourite(QStringLiteral("/m/3.mp3"), QStringLiteral("A"), QStringLiteral("z")),
         favourite(QStringLiteral("/m/4.mp3"), QStringLiteral("Techno"), QStringLiteral("beta")),
         favourite(QStringLiteral("/m/5.mp3"), QStringLiteral("Techno"), QStringLiteral("Alpha")),
         favourite(QStringLiteral("/m/aaa.mp3"), QStringLiteral("Techno"), QString()),
         favourite(QStringLiteral("/m/6.mp3"), QStringLiteral(" "), QStringLiteral("w"))});
    s.setActiveTab(Tab::favorites);
    EXPECT_EQ(titles(s.sections().visibleTracks()),
              (QStringList{QStringLiteral("z"),
                           QStringLiteral("x"),
                           QStringLiteral("aaa.mp3"),
                           QStringLiteral("Alpha"),
                           QStringLiteral("beta"),
                           QStringLiteral("w"),
                           QStringLiteral("y")}));
    EXPECT_EQ(titles(s.sections().tracksForSelection(Tab::favorites)).first(), QStringLiteral("x"));
}

// The kept order is updated piece by piece; after each kind of change it must equal the order
// computed from scratch, equal genres and titles keeping the library order.
TEST_F(LibrarySectionsTest, FavouritesOrderFollowsMembershipAndTagChanges)
{
    LibraryStore &s = makeStore();
    QList<Track> tracks;
    for (int i = 0; i < 120; ++i) {
        tracks.append(favourite(QStringLiteral("/m/f%1.mp3").arg(i),
                                i % 4 == 0 ? QString() : QStringLiteral("G%1").arg(i % 5),
                                i % 6 == 0 ? QString() : QStringLiteral("T%1").arg(i % 9)));
        tracks.last().isFavorite = i % 3 != 0;
    }
    s.setTracks(tracks);
    s.setActiveTab(Tab::favorites);
    const auto ids = [](const QList<Track> &list) {
        QList<QUuid> result;
        for (const Track &t : list)
            result.append(t.id);
        return result;
    };
    const auto fresh = [&s] {
        QList<Track> favourites;
        for (const Track &t : s.tracks()) {
            if (t.isFavorite)
                favourites.append(t);
        }
        return FavoriteOrder::sorted(favourites);
    };
    EXPECT_EQ(ids(s.sections().visibleTracks()), ids(fresh()));
    const QList<std::function<void(QList<Track> &, int)>> edits = {
        [](QList<Track> &list, int i) { list[i].isFavorite = !list[i].isFavorite; },
        [](QList<Track> &list, int i) { list[i].tags.genre = QStringLiteral("G%1").arg(i % 7); },
        [](QList<Track> &list, int i) { list[i].tags.genre = QStringLiteral(" "); },
        [](QList<Track> &list, int i) { list[i].tags.title.clear(); },
        [](QList<Track> &list, int i) { list[i].tags.title = QStringLiteral("t%1").arg(i); },
        [](QList<Track> &list, int i) {
            list[i].url = QUrl::fromLocalFile(QStringLiteral("/n/%1.mp3").arg(i));
        },
        [](QList<Track> &list, int i) { list.move(i, 0); },
        [](QList<Track> &list, int i) { list.removeAt(i); },
        [](QList<Track> &list, int i) {
            list.insert(i,
                        favourite(QStringLiteral("/m/new%1.mp3").arg(i),
                                  QStringLiteral("G1"),
                                  QStringLiteral("T1")));
        },
    };
    for (int round = 0; round < 60; ++round) {
        QList<Track> list = s.tracks();
        edits[round % edits.size()](list, (round * 37) % int(list.size()));
        if (round % 5 == 0)
            edits[(round + 1) % edits.size()](list, (round * 11) % int(list.size()));
        s.setTracks(list);
        SCOPED_TRACE(round);
        ASSERT_EQ(ids(s.sections().visibleTracks()), ids(fresh()));
    }
    // Current values, not those of the first read.
    QList<Track> list = s.tracks();
    const QUuid first = s.sections().visibleTracks().first().id;
    for (Track &t : list) {
        if (t.id == first)
            t.tags.comment = QStringLiteral("edited");
    }
    s.setTracks(list);
    EXPECT_EQ(s.sections().visibleTracks().first().tags.comment, QStringLiteral("edited"));
}

TEST_F(LibrarySectionsTest, FavouriteFiltersCompareGenresExactlyOrByBlankness)
{
    LibraryStore &s = makeStore();
    s.setTracks(
        {favourite(QStringLiteral("/m/1.mp3"), QStringLiteral("House"), QStringLiteral("a")),
         favourite(QStringLiteral("/m/2.mp3"), QStringLiteral("house"), QStringLiteral("b")),
         favourite(QStringLiteral("/m/3.mp3"), QStringLiteral("House "), QStringLiteral("c")),
         favourite(QStringLiteral("/m/4.mp3"), QStringLiteral(" "), QStringLiteral("d"))});
    s.setActiveTab(Tab::favorites);
    s.setFavoriteGenreFilter(QStringLiteral("House"));
    EXPECT_EQ(titles(s.sections().visibleTracks()), QStringList{QStringLiteral("a")});
    s.setFavoriteOnlyUntagged(true);
    EXPECT_EQ(titles(s.sections().visibleTracks()), QStringList{QStringLiteral("d")});
}

TEST_F(LibrarySectionsTest, EachSectionGetsItsOwnSelectionBack)
{
    LibraryStore &s = makeStore();
    const Track a = track(QStringLiteral("/m/a.mp3"));
    const Track b = track(QStringLiteral("/m/b.mp3"));
    Track analysed = Track::make(QUrl::fromLocalFile(QStringLiteral("/m/a.mp3")));
    s.setTracks({a, b});
    s.setAnalysisTracks({analysed});

    s.setSelectedIDs({a.id, b.id, analysed.id});
    s.setSelectedID(b.id);
    s.sections().rememberSelection(Tab::playlist);
    const auto analysis = s.sections().selectionState(Tab::analysis);
    EXPECT_TRUE(analysis.ids.isEmpty());
    EXPECT_FALSE(analysis.focusedID.has_value());

    const auto playlist = s.sections().selectionState(Tab::playlist);
    EXPECT_EQ(playlist.ids, (QSet<QUuid>{a.id, b.id}));
    EXPECT_EQ(playlist.focusedID, b.id);

    s.setTracks({a});
    const auto back = s.sections().selectionState(Tab::playlist);
    EXPECT_EQ(back.ids, QSet<QUuid>{a.id});
    EXPECT_EQ(back.focusedID, a.id);
}

} // namespace
