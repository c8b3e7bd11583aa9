#include "library/LibrarySettings.h"

#include "platform/Defaults.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace brivello {
namespace {

class LibrarySettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { Defaults::standard().resetForTesting(); }
    void TearDown() override { Defaults::standard().resetForTesting(); }
};

TEST_F(LibrarySettingsTest, UnsetKeysReadTheDefaultsOfTheTable)
{
    const LibrarySettings settings(Defaults::standard());
    EXPECT_EQ(settings.seekStep(), 15.0);
    EXPECT_EQ(settings.converterBitrate(), 320);
    EXPECT_EQ(settings.waveformColorPreset(), QStringLiteral("white"));
    EXPECT_TRUE(settings.cleanerClearTags());
    EXPECT_FALSE(settings.cleanerCleanFilenames());
    EXPECT_EQ(settings.hotkey(kHotkeyPlayPauseKey), QStringLiteral("Space"));
    EXPECT_EQ(LibrarySettings::defaultHotkey(kWaveformColorPresetKey), QString());
}

TEST_F(LibrarySettingsTest, AWriteFromAnywhereRaisesOnlyItsKeysSignal)
{
    LibrarySettings settings(Defaults::standard());
    QSignalSpy seekStep(&settings, &LibrarySettings::seekStepChanged);
    QSignalSpy density(&settings, &LibrarySettings::tableDensityChanged);
    QSignalSpy any(&settings, &LibrarySettings::changed);

    Defaults::standard().set(kSeekStepKey, 5.0);
    settings.setTableDensity(0.8);
    Defaults::standard().set(QStringLiteral("sidebarCollapsed"), true);

    EXPECT_EQ(seekStep.count(), 1);
    EXPECT_EQ(density.count(), 1);
    EXPECT_EQ(any.count(), 2);
    EXPECT_EQ(settings.seekStep(), 5.0);
    EXPECT_EQ(settings.tableDensity(), 0.8);
}

} // namespace
} // namespace brivello
