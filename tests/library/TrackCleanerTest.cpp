#include "library/TrackCleaner.h"

#include <gtest/gtest.h>

using namespace brivello;

TEST(TrackCleanerTest, FilterListsDropBlankPieces)
{
    EXPECT_EQ(TrackCleaner::titleFilters("a, ,b"), (QStringList{"a", "b"}));
    EXPECT_EQ(TrackCleaner::titleFilters(" (Extended Mix) ,\n"), QStringList{"(Extended Mix)"});
    EXPECT_EQ(TrackCleaner::renameFilters("\t[www.site.com] ,x"),
              (QStringList{"[www.site.com]", "x"}));
}

TEST(TrackCleanerTest, CleanedTitles)
{
    struct Case
    {
        const char *title;
        QStringList filters;
        const char *expected;
    };
    const Case cases[] = {
        {"Song  -  Edit", {}, "Song - Edit"},
        {"Song   Edit", {}, "Song  Edit"},
        {"Track (extended MIX)", {"(Extended Mix)"}, "Track"},
        {"A.*B (x) A.*B", {".*"}, "AB (x) AB"},
        {"Intro [Free] [free]", {"[FREE]", "Intro"}, ""},
        {"  Ok  ", {"zzz"}, "Ok"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TrackCleaner::cleanedTitle(c.title, c.filters), c.expected) << c.title;
}

TEST(TrackCleanerTest, ClearedTagsKeepTitleArtistAndOptionallyTempo)
{
    Track track =
        Track::make(QUrl::fromLocalFile("/M/128 - 8A - Artist - Track (extended mix).mp3"));
    track.tags.album = "Album";
    track.tags.genre = "House";
    track.tags.comment = "c";
    track.tags.year = "2020";
    track.tags.bpm = "128";
    track.tags.musicalKey = "8A";
    const AudioTags cleared = TrackCleaner::clearedTags(track, {"(Extended Mix)"}, true);
    AudioTags expected;
    expected.title = "Track";
    expected.artist = "Artist";
    EXPECT_EQ(cleared, expected);

    const AudioTags keep = TrackCleaner::clearedTags(track, {}, false);
    EXPECT_EQ(keep.title, "Track (extended mix)");
    EXPECT_EQ(keep.bpm, "128");
    EXPECT_EQ(keep.musicalKey, "8A");
    EXPECT_TRUE(keep.genre.isEmpty());

    Track untitled = Track::make(QUrl::fromLocalFile("/M/124 - 8A - .mp3"));
    untitled.tags.title = "Typed";
    untitled.tags.artist = "Someone";
    const AudioTags fromTags = TrackCleaner::clearedTags(untitled, {}, true);
    EXPECT_EQ(fromTags.title, "Typed");
    EXPECT_EQ(fromTags.artist, "Someone");
}

TEST(TrackCleanerTest, CleanedFileNames)
{
    struct Case
    {
        const char *name;
        QStringList filters;
        bool strip;
        const char *expected;
    };
    const Case cases[] = {
        {"128 - 8A - Artist - Track (Extended Mix)", {"(Extended Mix)"}, true, "Artist - Track"},
        {"128 - 8A - Artist - Track (Extended Mix)",
         {"(Extended Mix)"},
         false,
         "128 - 8A - Artist - Track"},
        {"128 - Song", {}, true, "Song"},
        {"124 - 8A - ", {}, true, ""},
        {"Artist - Track [a+b]", {"[a+b]"}, true, "Artist - Track"},
        {"Artist  -  Track", {}, true, "Artist - Track"},
        {"\uff11\uff12\uff18\u3000- 8A - Artist - Track", {}, true, "Artist - Track"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TrackCleaner::cleanedBaseName(c.name, c.filters, c.strip), c.expected) << c.name;
}

TEST(TrackCleanerTest, RenamedLocationKeepsFolderAndExtension)
{
    const QUrl url = QUrl::fromLocalFile("/M/x y/128 - A - B.flac");
    EXPECT_EQ(TrackCleaner::baseName(url), "128 - A - B");
    EXPECT_EQ(TrackCleaner::renamedLocation(url, "A - B"),
              QUrl::fromLocalFile("/M/x y/A - B.flac"));
    EXPECT_EQ(TrackCleaner::renamedLocation(QUrl::fromLocalFile("/noext"), "x"),
              QUrl::fromLocalFile("/x"));
}

TEST(TrackCleanerTest, TagsFollowTheNameOnlyWhereTheyWereGuessed)
{
    const QUrl oldURL = QUrl::fromLocalFile("/M/128 - 8A - Artist - Track (Extended Mix).mp3");
    const QUrl newURL = QUrl::fromLocalFile("/M/Artist - Track.mp3");
    AudioTags guessed = Track::fallbackTags(oldURL);
    guessed.genre = "House";
    auto followed = TrackCleaner::tagsAfterRename(guessed, oldURL, newURL);
    EXPECT_TRUE(followed.followedName);
    EXPECT_EQ(followed.tags.title, "Track");
    EXPECT_EQ(followed.tags.artist, "Artist");
    EXPECT_EQ(followed.tags.genre, "House");

    AudioTags typed;
    typed.title = "My Title";
    typed.artist = "My Artist";
    followed = TrackCleaner::tagsAfterRename(typed, oldURL, newURL);
    EXPECT_FALSE(followed.followedName);
    EXPECT_EQ(followed.tags, typed);

    typed.artist.clear();
    followed = TrackCleaner::tagsAfterRename(typed, oldURL, newURL);
    EXPECT_TRUE(followed.followedName);
    EXPECT_EQ(followed.tags.title, "My Title");
    EXPECT_EQ(followed.tags.artist, "Artist");
}
