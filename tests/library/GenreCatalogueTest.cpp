#include "library/GenreCatalogue.h"

#include "library/LibrarySettingsKeys.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

Track track(const QString &path,
            const QString &artist,
            const QString &genre = {},
            bool favorite = false)
{
    Track made = Track::make(QUrl::fromLocalFile(path));
    made.tags.artist = artist;
    made.tags.genre = genre;
    made.isFavorite = favorite;
    return made;
}

} // namespace

TEST(GenreCatalogueTest, SlotsAlwaysNineWithEmptyOnesInPlace)
{
    EXPECT_EQ(GenreCatalogue::quickGenreSlots("House\n\nTechno"),
              (QStringList{"House", "", "Techno", "", "", "", "", "", ""}));
    EXPECT_EQ(GenreCatalogue::quickGenreSlots("").size(), 9);
    EXPECT_EQ(GenreCatalogue::quickGenreSlots("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12"),
              (QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    const QString raw = kQuickGenreSlotsDefault;
    EXPECT_EQ(GenreCatalogue::quickGenreSlots(raw)[5], "Tech House");
    EXPECT_EQ(
        GenreCatalogue::quickGenreSlots(GenreCatalogue::settingQuickGenre(raw, "  Disco ", 8))[8],
        "Disco");
    EXPECT_EQ(GenreCatalogue::settingQuickGenre(raw, "Disco", 9), raw);
    EXPECT_EQ(GenreCatalogue::settingQuickGenre(raw, "Disco", -1), raw);
}

TEST(GenreCatalogueTest, RecentGenresFoldCaseAndKeepFive)
{
    QString raw;
    for (const char *genre : {"Techno", "House", "techno"})
        raw = GenreCatalogue::recordingRecentGenre(raw, genre);
    EXPECT_EQ(GenreCatalogue::recentGenres(raw), (QStringList{"techno", "House"}));
    EXPECT_EQ(GenreCatalogue::recordingRecentGenre(raw, "   "), raw);
    for (const char *genre : {"A", "B", "C", "D"})
        raw = GenreCatalogue::recordingRecentGenre(raw, genre);
    EXPECT_EQ(GenreCatalogue::recentGenres(raw), (QStringList{"D", "C", "B", "A", "techno"}));
}

TEST(GenreCatalogueTest, FoldingIgnoresCaseAndAccentsAndMatchFormReadsDashesAsSpaces)
{
    EXPECT_EQ(GenreCatalogue::folded("Électro House"), GenreCatalogue::folded("electro house"));
    EXPECT_NE(GenreCatalogue::folded("Hip-Hop"), GenreCatalogue::folded("Hip Hop"));
    EXPECT_EQ(GenreCatalogue::matchForm("Hip-Hop"), "hip hop");
    EXPECT_EQ(GenreCatalogue::matchForm("hip_hop"), "hip hop");
    EXPECT_EQ(GenreCatalogue::matchForm("Électro_House"),
              GenreCatalogue::matchForm("electro-house"));
}

TEST(GenreCatalogueTest, NormalizeDropsFoldedDuplicatesAndUnknownSlots)
{
    EXPECT_EQ(GenreCatalogue::genres("House\nTechno, house"),
              (QStringList{"House", "house", "Techno"}));
    const auto result = GenreCatalogue::normalized(
        "House\nTechno, house,, Électro,electro, Hip-Hop, Hip Hop", "Funk\nhouse\n\nELECTRO");
    EXPECT_EQ(result.genreListRaw, "Électro, Hip Hop, Hip-Hop, House, Techno");
    EXPECT_EQ(GenreCatalogue::quickGenreSlots(result.quickGenreSlotsRaw),
              (QStringList{"", "house", "", "ELECTRO", "", "", "", "", ""}));
    EXPECT_EQ(GenreCatalogue::normalized("  ,\n , ", "").genreListRaw, "");
}

TEST(GenreCatalogueTest, SuggestionsWeighArtistAboveFolderWords)
{
    const Track selected = track("/Music/Deep House/Artist One - Song.mp3", "Artist One", "Pop");
    const QList<Track> tracks{selected,
                              track("/x/y.mp3", "artist-one", " Soulful House "),
                              track("/x/z.mp3", "Somebody", "Trance")};
    const QStringList genres = GenreCatalogue::genres(kGenreListDefault);
    EXPECT_EQ(GenreCatalogue::suggestions(tracks, {selected.id}, genres),
              (QStringList{"Soulful House", "Deep House", "House"}));
    EXPECT_TRUE(GenreCatalogue::suggestions(tracks, {QUuid::createUuid()}, genres).isEmpty());
}
