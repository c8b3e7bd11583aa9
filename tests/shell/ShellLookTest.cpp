// The shared look: scheme choice, symbols onto Breeze.
#include "shell/BrivelloSymbols.h"
#include "shell/BrivelloTheme.h"

#include <gtest/gtest.h>

namespace brivello {
namespace {

TEST(BrivelloThemeTest, AppearanceTextSelectsTheSchemeExactly)
{
    EXPECT_EQ(BrivelloTheme::schemeFor("light"), ColorScheme::light);
    EXPECT_EQ(BrivelloTheme::schemeFor("Light"), ColorScheme::dark);
    EXPECT_EQ(BrivelloTheme::schemeFor(""), ColorScheme::dark);
}

TEST(BrivelloSymbolsTest, EveryMappedSymbolHasABreezeFileInBothThemes)
{
    for (auto it = BrivelloSymbols::table().cbegin(); it != BrivelloSymbols::table().cend(); ++it) {
        EXPECT_FALSE(BrivelloSymbols::breezeFile(it.key(), ColorScheme::light).isEmpty())
            << it.key().toStdString();
        const QString dark = BrivelloSymbols::breezeFile(it.key(), ColorScheme::dark);
        EXPECT_TRUE(dark.contains("breeze-dark")) << it.key().toStdString();
    }
}

} // namespace
} // namespace brivello
