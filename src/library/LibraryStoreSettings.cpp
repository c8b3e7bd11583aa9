#include "LibraryStore.h"
#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"

#include <QHash>
#include <QSet>

namespace brivello {

// Bound settings: every read goes to the user defaults, so it sees the last write.

QString LibraryStore::renameFilters() const
{
    return Defaults::standard().string(kRenameFiltersKey, QString());
}

void LibraryStore::setRenameFilters(const QString &value)
{
    Defaults::standard().set(kRenameFiltersKey, value);
}

double LibraryStore::seekStep() const
{
    return Defaults::standard().real(kSeekStepKey, kSeekStepDefault);
}

void LibraryStore::setSeekStep(double value)
{
    Defaults::standard().set(kSeekStepKey, value);
}

qint64 LibraryStore::converterBitrate() const
{
    return Defaults::standard().integer(kConverterBitrateKey, kConverterBitrateDefault);
}

void LibraryStore::setConverterBitrate(qint64 value)
{
    Defaults::standard().set(kConverterBitrateKey, value);
}

double LibraryStore::waveformHeight() const
{
    return Defaults::standard().real(kWaveformHeightKey, kWaveformHeightDefault);
}

void LibraryStore::setWaveformHeight(double value)
{
    Defaults::standard().set(kWaveformHeightKey, value);
}

QString LibraryStore::waveformColorPreset() const
{
    return Defaults::standard().string(kWaveformColorPresetKey, kWaveformColorPresetDefault);
}

void LibraryStore::setWaveformColorPreset(const QString &value)
{
    Defaults::standard().set(kWaveformColorPresetKey, value);
}

double LibraryStore::waveformCustomRed() const
{
    return Defaults::standard().real(kWaveformCustomRedKey, kWaveformCustomRedDefault);
}

void LibraryStore::setWaveformCustomRed(double value)
{
    Defaults::standard().set(kWaveformCustomRedKey, value);
}

double LibraryStore::waveformCustomGreen() const
{
    return Defaults::standard().real(kWaveformCustomGreenKey, kWaveformCustomGreenDefault);
}

void LibraryStore::setWaveformCustomGreen(double value)
{
    Defaults::standard().set(kWaveformCustomGreenKey, value);
}

double LibraryStore::waveformCustomBlue() const
{
    return Defaults::standard().real(kWaveformCustomBlueKey, kWaveformCustomBlueDefault);
}

void LibraryStore::setWaveformCustomBlue(double value)
{
    Defaults::standard().set(kWaveformCustomBlueKey, value);
}

qint64 LibraryStore::analysisDFTWindow() const
{
    return Defaults::standard().integer(kAnalysisDFTWindowKey, kAnalysisDFTWindowDefault);
}

void LibraryStore::setAnalysisDFTWindow(qint64 value)
{
    Defaults::standard().set(kAnalysisDFTWindowKey, value);
}

double LibraryStore::analysisDensityRange() const
{
    return Defaults::standard().real(kAnalysisDensityRangeKey, kAnalysisDensityRangeDefault);
}

void LibraryStore::setAnalysisDensityRange(double value)
{
    Defaults::standard().set(kAnalysisDensityRangeKey, value);
}

double LibraryStore::tableDensity() const
{
    return Defaults::standard().real(kTableDensityKey, kTableDensityDefault);
}

void LibraryStore::setTableDensity(double value)
{
    Defaults::standard().set(kTableDensityKey, value);
}

bool LibraryStore::dashboardPlayerOnTop() const
{
    return Defaults::standard().boolean(kDashboardPlayerOnTopKey, kDashboardPlayerOnTopDefault);
}

void LibraryStore::setDashboardPlayerOnTop(bool value)
{
    Defaults::standard().set(kDashboardPlayerOnTopKey, value);
}

QString LibraryStore::genreListRaw() const
{
    return Defaults::standard().string(kGenreListKey, kGenreListDefault);
}

void LibraryStore::setGenreListRaw(const QString &value)
{
    Defaults::standard().set(kGenreListKey, value);
}

QString LibraryStore::titleFiltersRaw() const
{
    return Defaults::standard().string(kTitleFiltersKey, QString());
}

void LibraryStore::setTitleFiltersRaw(const QString &value)
{
    Defaults::standard().set(kTitleFiltersKey, value);
}

bool LibraryStore::isStoreSettingKey(const QString &key)
{
    static const QSet<QString> keys{kRenameFiltersKey,
                                    kFavoriteGenreFilterKey,
                                    kFavoriteOnlyUntaggedKey,
                                    kSeekStepKey,
                                    kConverterBitrateKey,
                                    kWaveformHeightKey,
                                    kWaveformColorPresetKey,
                                    kWaveformCustomRedKey,
                                    kWaveformCustomGreenKey,
                                    kWaveformCustomBlueKey,
                                    kAnalysisDFTWindowKey,
                                    kAnalysisDensityRangeKey,
                                    kTableDensityKey,
                                    kDashboardPlayerOnTopKey,
                                    kHotkeySeekBackKey,
                                    kHotkeySeekForwardKey,
                                    kHotkeyPreviousTrackKey,
                                    kHotkeyNextTrackKey,
                                    kHotkeyPlayPauseKey,
                                    kHotkeyFavoriteKey,
                                    kHotkeyRemoveKey,
                                    kHotkeyTrashKey,
                                    kHotkeyUndoKey,
                                    kHotkeyCleanKey,
                                    kHotkeyGenrePaletteKey,
                                    kGenreListKey,
                                    kQuickGenreSlotsKey,
                                    kRecentGenresKey,
                                    kTitleFiltersKey,
                                    kCleanerClearTagsKey,
                                    kCleanerClearBPMAndKeyKey,
                                    kCleanerCleanFilenamesKey,
                                    kCleanerStripBPMAndKeyKey};
    return keys.contains(key);
}

QString LibraryStore::defaultHotkey(const QString &key)
{
    static const QHash<QString, QString> defaults{
        {kHotkeySeekBackKey, kHotkeySeekBackDefault},
        {kHotkeySeekForwardKey, kHotkeySeekForwardDefault},
        {kHotkeyPreviousTrackKey, kHotkeyPreviousTrackDefault},
        {kHotkeyNextTrackKey, kHotkeyNextTrackDefault},
        {kHotkeyPlayPauseKey, kHotkeyPlayPauseDefault},
        {kHotkeyFavoriteKey, kHotkeyFavoriteDefault},
        {kHotkeyRemoveKey, kHotkeyRemoveDefault},
        {kHotkeyTrashKey, kHotkeyTrashDefault},
        {kHotkeyUndoKey, kHotkeyUndoDefault},
        {kHotkeyCleanKey, kHotkeyCleanDefault},
        {kHotkeyGenrePaletteKey, kHotkeyGenrePaletteDefault},
    };
    return defaults.value(key);
}

QString LibraryStore::hotkey(const QString &key) const
{
    return Defaults::standard().string(key, defaultHotkey(key));
}

void LibraryStore::setHotkey(const QString &key, const QString &value)
{
    Defaults::standard().set(key, value);
}

} // namespace brivello
