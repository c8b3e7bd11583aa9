#include "favorites/FavoriteTableLayout.h"

#include "favorites/FavoritesSettingsKeys.h"
#include "platform/Defaults.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

struct LayoutCase
{
    const char *name;
    QVariant storedOrder;
    QVariant storedHidden;
    QStringList expectedOrder;
    QStringList expectedHidden;
};

const QStringList kDefault = {"favorite",
                              "playing",
                              "artist",
                              "title",
                              "album",
                              "genre",
                              "year",
                              "track",
                              "comment",
                              "bpm",
                              "format",
                              "kbps"};

class FavoriteTableLayoutTest : public ::testing::TestWithParam<LayoutCase>
{
protected:
    void SetUp() override { Defaults::standard().resetForTesting(); }
    void TearDown() override { Defaults::standard().resetForTesting(); }
};

} // namespace

TEST_P(FavoriteTableLayoutTest, RestoresOrderAndHiddenColumnsFromStoredValues)
{
    const LayoutCase &c = GetParam();
    if (c.storedOrder.isValid())
        Defaults::standard().set(kFavoriteTableColumnOrderKey, c.storedOrder);
    if (c.storedHidden.isValid())
        Defaults::standard().set(kFavoriteTableHiddenColumnsKey, c.storedHidden);
    const FavoriteTableLayout layout = FavoriteTableLayout::restore(Defaults::standard());
    EXPECT_EQ(layout.order, c.expectedOrder);
    QStringList hidden(layout.hidden.begin(), layout.hidden.end());
    hidden.sort();
    EXPECT_EQ(hidden, c.expectedHidden);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures,
    FavoriteTableLayoutTest,
    ::testing::Values(
        LayoutCase{"nothing_stored", {}, {}, kDefault, {}},
        LayoutCase{"bpm_missing_goes_before_format",
                   QStringList{"kbps", "format", "title", "artist"},
                   {},
                   {"favorite",
                    "playing",
                    "kbps",
                    "bpm",
                    "format",
                    "title",
                    "artist",
                    "album",
                    "genre",
                    "year",
                    "track",
                    "comment"},
                   {}},
        LayoutCase{"bpm_and_format_missing_are_appended",
                   QStringList{"title", "artist"},
                   {},
                   {"favorite",
                    "playing",
                    "title",
                    "artist",
                    "album",
                    "genre",
                    "year",
                    "track",
                    "comment",
                    "bpm",
                    "format",
                    "kbps"},
                   {}},
        LayoutCase{"pinned_and_foreign_ids_are_put_right",
                   QStringList{"title", "favorite", "nonsense", "playing", "title", "genre"},
                   QStringList{"album", "unknown"},
                   {"favorite",
                    "playing",
                    "title",
                    "genre",
                    "artist",
                    "album",
                    "year",
                    "track",
                    "comment",
                    "bpm",
                    "format",
                    "kbps"},
                   {"album"}},
        LayoutCase{"single_id_stored_as_text",
                   QString("comment"),
                   QString("year"),
                   {"favorite",
                    "playing",
                    "comment",
                    "artist",
                    "title",
                    "album",
                    "genre",
                    "year",
                    "track",
                    "bpm",
                    "format",
                    "kbps"},
                   {"year"}},
        LayoutCase{"garbage_types_give_defaults", QVariant(42), QVariant(3.5), kDefault, {}}),
    [](const ::testing::TestParamInfo<LayoutCase> &param) {
        return std::string(param.param.name);
    });

TEST(FavoriteTableLayoutWidthTest, WidthsAbove0AreKeptOthersAndPlayingUseTheDefaults)
{
    Defaults &defaults = Defaults::standard();
    defaults.resetForTesting();
    defaults.set(kFavoriteTableWidthKeyPrefix + "title", 333.0);
    defaults.set(kFavoriteTableWidthKeyPrefix + "artist", -40.0);
    defaults.set(kFavoriteTableWidthKeyPrefix + "album", 0.0);
    defaults.set(kFavoriteTableWidthKeyPrefix + "genre", QStringLiteral("wide"));
    defaults.set(kFavoriteTableWidthKeyPrefix + "year", 3.0); // below the minimum
    defaults.set(kFavoriteTableWidthKeyPrefix + "playing", 90.0);
    FavoriteTableLayout::storeWidth(defaults, "playing", 120); // ignored
    const FavoriteTableLayout layout = FavoriteTableLayout::restore(defaults);
    EXPECT_EQ(layout.widths.value("title"), 333.0);
    EXPECT_EQ(layout.widths.value("artist"), 180.0);
    EXPECT_EQ(layout.widths.value("album"), 180.0);
    EXPECT_EQ(layout.widths.value("genre"), 170.0);
    EXPECT_EQ(layout.widths.value("year"), 55.0);
    EXPECT_EQ(layout.widths.value("playing"), 10.0);
    EXPECT_EQ(layout.widths.value("favorite"), 42.0);
    defaults.resetForTesting();
}
