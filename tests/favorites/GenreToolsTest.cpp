#include "favorites/GenreTools.h"

#include "library/GenreCatalogue.h"
#include "library/LibrarySettingsKeys.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

QStringList defaultGenres()
{
    return GenreCatalogue::genres(kGenreListDefault);
}

struct MatchCase
{
    const char *query;
    QStringList expected;
};

TEST(GenreToolsTest, MatchingIgnoresCaseAndDiacriticsAndReadsTheQueryAsPlainText)
{
    const QStringList houses = {"Afro House",
                                "Deep House",
                                "House",
                                "Melodic House & Techno",
                                "Progressive House",
                                "Tech House"};
    const QList<MatchCase> cases = {
        {"house", houses},
        {"hôuse", houses},
        {"HOUSE", houses},
        {"house ", {"Melodic House & Techno"}},
        {"", defaultGenres()},
        {"   ", defaultGenres()},
        {"r&b", {"R&B"}},
        {".*", {}},
        {"(", {}},
        {"[a-z]", {}},
        {"drum & b", {"Drum & Bass"}},
        {"zzz", {}},
    };
    for (const MatchCase &c : cases) {
        EXPECT_EQ(GenreTools::matchingGenres(defaultGenres(), QString::fromUtf8(c.query)),
                  c.expected)
            << c.query;
    }
    // Diacritics on the genre's side too, and odd names never crash.
    const QStringList odd = {"Électro", QString(300, QChar('x')), QString(), "a.b"};
    EXPECT_EQ(GenreTools::matchingGenres(odd, "electro"), QStringList{"Électro"});
    EXPECT_EQ(GenreTools::matchingGenres(odd, "."), QStringList{"a.b"});
}

TEST(GenreToolsTest, EnterAppliesTheFirstMatchOrForAnEmptyQueryTheBestKnownGenre)
{
    using R = std::optional<QString>;
    const QStringList all = {"Disco", "House"};
    // Typed query: the first match or nothing.
    EXPECT_EQ(GenreTools::primaryResult("hou", {"House"}, {"Pop"}, {"Funk"}), R("House"));
    EXPECT_EQ(GenreTools::primaryResult("zzz", {}, {"Pop"}, {"Funk"}), R());
    // Spaces count as typed: the whole list shows and its first genre applies.
    EXPECT_EQ(GenreTools::primaryResult("  ", all, {"Pop"}, {"Funk"}), R("Disco"));
    // Empty query: suggestion, then recent, then the list, then nothing.
    EXPECT_EQ(GenreTools::primaryResult("", all, {"Pop"}, {"Funk"}), R("Pop"));
    EXPECT_EQ(GenreTools::primaryResult("", all, {}, {"Funk"}), R("Funk"));
    EXPECT_EQ(GenreTools::primaryResult("", all, {}, {}), R("Disco"));
    EXPECT_EQ(GenreTools::primaryResult("", {}, {}, {}), R());
}

TEST(GenreToolsTest, ChipsKeepTheirSlotNumbersAndBadgesFindTheFirstSlotIgnoringCase)
{
    QStringList quickSlots(9);
    quickSlots[0] = "Afro House";
    quickSlots[2] = "Pop";
    quickSlots[5] = "pop";
    const QList<GenreTools::SlotChip> expected = {{1, "Afro House"}, {3, "Pop"}, {6, "pop"}};
    EXPECT_EQ(GenreTools::slotChips(quickSlots), expected);
    EXPECT_TRUE(GenreTools::slotChips(QStringList(9)).isEmpty());
    EXPECT_EQ(GenreTools::slotBadge("POP", quickSlots), 3);
    EXPECT_EQ(GenreTools::slotBadge("Afro House", quickSlots), 1);
    EXPECT_EQ(GenreTools::slotBadge("Techno", quickSlots), 0);
    EXPECT_EQ(GenreTools::slotBadge("", quickSlots), 0);
}

} // namespace
