#include "settings/ShellSettings.h"

#include "library/LibrarySettings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brivello {
namespace {

class ShellSettingsTest : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    Defaults m_defaults{m_dir.filePath(QStringLiteral("shell.ini"))};
};

TEST_F(ShellSettingsTest, UnsetKeysReadTheDefaultsOfTheTable)
{
    const ShellSettings settings(m_defaults);
    EXPECT_EQ(settings.appAppearance(), QStringLiteral("dark"));
    EXPECT_EQ(settings.appLanguage(), QStringLiteral("ru"));
    EXPECT_FALSE(settings.reduceMotion());
    EXPECT_FALSE(settings.sidebarCollapsed());
    EXPECT_TRUE(settings.contextualHintsEnabled());
    EXPECT_TRUE(ShellSettings::contains(QStringLiteral("sidebarCollapsed")));
    EXPECT_FALSE(ShellSettings::contains(QStringLiteral("tableDensity")));
}

TEST_F(ShellSettingsTest, AWriteFromAnywhereRaisesOnlyItsKeysSignal)
{
    ShellSettings settings(m_defaults);
    QSignalSpy collapsed(&settings, &ShellSettings::sidebarCollapsedChanged);
    QSignalSpy appearance(&settings, &ShellSettings::appAppearanceChanged);
    QSignalSpy any(&settings, &ShellSettings::changed);

    m_defaults.set(QStringLiteral("sidebarCollapsed"), true);
    settings.setAppAppearance(QStringLiteral("light"));
    m_defaults.set(QStringLiteral("tableDensity"), 1.2);

    EXPECT_EQ(collapsed.count(), 1);
    EXPECT_EQ(appearance.count(), 1);
    ASSERT_EQ(any.count(), 2);
    EXPECT_EQ(any.at(1).at(0).toString(), QStringLiteral("appAppearance"));
    EXPECT_TRUE(settings.sidebarCollapsed());
    EXPECT_EQ(m_defaults.string(QStringLiteral("appAppearance")), QStringLiteral("light"));
}

// The clamp column bounds what the settings sheet shows; a stored value reads as written.
TEST_F(ShellSettingsTest, TheLibraryTableClampsOnlyWhatItsControlsShow)
{
    const std::optional<SettingRange> density = LibrarySettings::range(kTableDensityKey);
    ASSERT_TRUE(density.has_value());
    EXPECT_EQ(density->clamp(2.0, 1.0), 1.35);
    EXPECT_EQ(density->clamp(std::nan(""), 1.0), 1.0);
    EXPECT_FALSE(LibrarySettings::range(kConverterBitrateKey).has_value());
    EXPECT_EQ(LibrarySettings::fallback(kSeekStepKey).toDouble(), 15.0);

    LibrarySettings library(m_defaults);
    library.setTableDensity(2.0);
    EXPECT_EQ(library.tableDensity(), 2.0);
}

} // namespace
} // namespace brivello
