#include "LibraryStore.h"
#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"

#include <QHash>

namespace brivello {

// Bound settings: every read goes to the user defaults, so it sees the last write.

QString LibraryStore::renameFilters() const
{
    return Defaults::standard().string(kRenameFiltersKey, QString());
}

void LibraryStore::setRenameFilters(const QString &value)
{
    Defaults::standard().set(kRenameFiltersKey, value);
    emit settingChanged(kRenameFiltersKey);
}

double LibraryStore::seekStep() const
{
    return Defaults::standard().real(kSeekStepKey, kSeekStepDefault);
}

void LibraryStore::setSeekStep(double value)
{
    Defaults::standard().set(kSeekStepKey, value);
    emit settingChanged(kSeekStepKey);
}

qint64 LibraryStore::converterBitrate() const
{
    return Defaults::standard().integer(kConverterBitrateKey, kConverterBitrateDefault);
}

void LibraryStore::setConverterBitrate(qint64 value)
{
    Defaults::standard().set(kConverterBitrateKey, value);
    emit settingChanged(kConverterBitrateKey);
}

double LibraryStore::waveformHeight() const
{
    return Defaults::standard().real(kWaveformHeightKey, kWaveformHeightDefault);
}

void LibraryStore::setWaveformHeight(double value)
{
    Defaults::standard().set(kWaveformHeightKey, value);
    emit settingChanged(kWaveformHeightKey);
}

QString LibraryStore::waveformColorPreset() const
{
    return Defaults::standard().string(kWaveformColorPresetKey, kWaveformColorPresetDefault);
}

void LibraryStore::setWaveformColorPreset(const QString &value)
{
    Defaults::standard().set(kWaveformColorPresetKey, value);
    emit settingChanged(kWaveformColorPresetKey);
}

double LibraryStore::waveformCustomRed() const
{
    return Defaults::standard().real(kWaveformCustomRedKey, kWaveformCustomRedDefault);
}

void LibraryStore::setWaveformCustomRed(double value)
{
    Defaults::standard().set(kWaveformCustomRedKey, value);
    emit settingChanged(kWaveformCustomRedKey);
}

double LibraryStore::waveformCustomGreen() const
{
    return Defaults::standard().real(kWaveformCustomGreenKey, kWaveformCustomGreenDefault);
}

void LibraryStore::setWaveformCustomGreen(double value)
{
    Defaults::standard().set(kWaveformCustomGreenKey, value);
    emit settingChanged(kWaveformCustomGreenKey);
}

double LibraryStore::waveformCustomBlue() const
{
    return Defaults::standard().real(kWaveformCustomBlueKey, kWaveformCustomBlueDefault);
}

void LibraryStore::setWaveformCustomBlue(double value)
{
    Defaults::standard().set(kWaveformCustomBlueKey, value);
    emit settingChanged(kWaveformCustomBlueKey);
}

qint64 LibraryStore::analysisDFTWindow() const
{
    return Defaults::standard().integer(kAnalysisDFTWindowKey, kAnalysisDFTWindowDefault);
}

void LibraryStore::setAnalysisDFTWindow(qint64 value)
{
    Defaults::standard().set(kAnalysisDFTWindowKey, value);
    emit settingChanged(kAnalysisDFTWindowKey);
}

double LibraryStore::analysisDensityRange() const
{
    return Defaults::standard().real(kAnalysisDensityRangeKey, kAnalysisDensityRangeDefault);
}

void LibraryStore::setAnalysisDensityRange(double value)
{
    Defaults::standard().set(kAnalysisDensityRangeKey, value);
    emit settingChanged(kAnalysisDensityRangeKey);
}

double LibraryStore::tableDensity() const
{
    return Defaults::standard().real(kTableDensityKey, kTableDensityDefault);
}

void LibraryStore::setTableDensity(double value)
{
    Defaults::standard().set(kTableDensityKey, value);
    emit settingChanged(kTableDensityKey);
}

bool LibraryStore::dashboardPlayerOnTop() const
{
    return Defaults::standard().boolean(kDashboardPlayerOnTopKey, kDashboardPlayerOnTopDefault);
}

void LibraryStore::setDashboardPlayerOnTop(bool value)
{
    Defaults::standard().set(kDashboardPlayerOnTopKey, value);
    emit settingChanged(kDashboardPlayerOnTopKey);
}

QString LibraryStore::genreListRaw() const
{
    return Defaults::standard().string(kGenreListKey, kGenreListDefault);
}

void LibraryStore::setGenreListRaw(const QString &value)
{
    Defaults::standard().set(kGenreListKey, value);
    emit settingChanged(kGenreListKey);
}

QString LibraryStore::titleFiltersRaw() const
{
    return Defaults::standard().string(kTitleFiltersKey, QString());
}

void LibraryStore::setTitleFiltersRaw(const QString &value)
{
    Defaults::standard().set(kTitleFiltersKey, value);
    emit settingChanged(kTitleFiltersKey);
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
    emit settingChanged(key);
}

} // namespace brivello
