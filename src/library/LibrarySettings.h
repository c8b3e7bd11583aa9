#pragma once

#include "library/LibrarySettingsKeys.h"
#include "platform/SettingsKeyTable.h"

#include <QObject>
#include <QString>
#include <QVariant>

namespace brivello {

class Defaults;

// The library's settings, one row each: getter, Setter suffix, type, key, default, clamp. A
// getter reads the user defaults every time, so it sees the last write from anywhere; each key
// has its own change signal (getterChanged), raised for writes through any path.
// clang-format off
#define BRIVELLO_LIBRARY_SETTINGS(X)                                                               \
    X(renameFilters, RenameFilters, QString, kRenameFiltersKey, QString(), kUnclamped)             \
    X(favoriteGenreFilter, FavoriteGenreFilter, QString, kFavoriteGenreFilterKey,                  \
      QString(), kUnclamped)                                                                       \
    X(favoriteOnlyUntagged, FavoriteOnlyUntagged, bool, kFavoriteOnlyUntaggedKey,                  \
      false, kUnclamped)                                                                           \
    X(seekStep, SeekStep, double, kSeekStepKey, kSeekStepDefault, kSeekStepRange)                  \
    X(converterBitrate, ConverterBitrate, qint64, kConverterBitrateKey,                            \
      kConverterBitrateDefault, kUnclamped)                                                        \
    X(waveformHeight, WaveformHeight, double, kWaveformHeightKey,                                  \
      kWaveformHeightDefault, kUnclamped)                                                          \
    X(waveformColorPreset, WaveformColorPreset, QString, kWaveformColorPresetKey,                  \
      kWaveformColorPresetDefault, kUnclamped)                                                     \
    X(waveformCustomRed, WaveformCustomRed, double, kWaveformCustomRedKey,                         \
      kWaveformCustomRedDefault, kWaveformComponentRange)                                          \
    X(waveformCustomGreen, WaveformCustomGreen, double, kWaveformCustomGreenKey,                   \
      kWaveformCustomGreenDefault, kWaveformComponentRange)                                        \
    X(waveformCustomBlue, WaveformCustomBlue, double, kWaveformCustomBlueKey,                      \
      kWaveformCustomBlueDefault, kWaveformComponentRange)                                         \
    X(analysisDFTWindow, AnalysisDFTWindow, qint64, kAnalysisDFTWindowKey,                         \
      kAnalysisDFTWindowDefault, kUnclamped)                                                       \
    X(analysisDensityRange, AnalysisDensityRange, double, kAnalysisDensityRangeKey,                \
      kAnalysisDensityRangeDefault, kAnalysisDensityRangeLimits)                                   \
    X(tableDensity, TableDensity, double, kTableDensityKey,                                        \
      kTableDensityDefault, kTableDensityRange)                                                    \
    X(dashboardPlayerOnTop, DashboardPlayerOnTop, bool, kDashboardPlayerOnTopKey,                  \
      kDashboardPlayerOnTopDefault, kUnclamped)                                                    \
    X(hotkeySeekBack, HotkeySeekBack, QString, kHotkeySeekBackKey,                                 \
      kHotkeySeekBackDefault, kUnclamped)                                                          \
    X(hotkeySeekForward, HotkeySeekForward, QString, kHotkeySeekForwardKey,                        \
      kHotkeySeekForwardDefault, kUnclamped)                                                       \
    X(hotkeyPreviousTrack, HotkeyPreviousTrack, QString, kHotkeyPreviousTrackKey,                  \
      kHotkeyPreviousTrackDefault, kUnclamped)                                                     \
    X(hotkeyNextTrack, HotkeyNextTrack, QString, kHotkeyNextTrackKey,                              \
      kHotkeyNextTrackDefault, kUnclamped)                                                         \
    X(hotkeyPlayPause, HotkeyPlayPause, QString, kHotkeyPlayPauseKey,                              \
      kHotkeyPlayPauseDefault, kUnclamped)                                                         \
    X(hotkeyFavorite, HotkeyFavorite, QString, kHotkeyFavoriteKey,                                 \
      kHotkeyFavoriteDefault, kUnclamped)                                                          \
    X(hotkeyRemove, HotkeyRemove, QString, kHotkeyRemoveKey, kHotkeyRemoveDefault, kUnclamped)     \
    X(hotkeyTrash, HotkeyTrash, QString, kHotkeyTrashKey, kHotkeyTrashDefault, kUnclamped)         \
    X(hotkeyUndo, HotkeyUndo, QString, kHotkeyUndoKey, kHotkeyUndoDefault, kUnclamped)             \
    X(hotkeyClean, HotkeyClean, QString, kHotkeyCleanKey, kHotkeyCleanDefault, kUnclamped)         \
    X(hotkeyGenrePalette, HotkeyGenrePalette, QString, kHotkeyGenrePaletteKey,                     \
      kHotkeyGenrePaletteDefault, kUnclamped)                                                      \
    X(genreListRaw, GenreListRaw, QString, kGenreListKey, kGenreListDefault, kUnclamped)           \
    X(quickGenreSlotsRaw, QuickGenreSlotsRaw, QString, kQuickGenreSlotsKey,                        \
      kQuickGenreSlotsDefault, kUnclamped)                                                         \
    X(recentGenresRaw, RecentGenresRaw, QString, kRecentGenresKey, QString(), kUnclamped)          \
    X(titleFiltersRaw, TitleFiltersRaw, QString, kTitleFiltersKey, QString(), kUnclamped)          \
    X(cleanerClearTags, CleanerClearTags, bool, kCleanerClearTagsKey,                              \
      kCleanerClearTagsDefault, kUnclamped)                                                        \
    X(cleanerClearBPMAndKey, CleanerClearBPMAndKey, bool, kCleanerClearBPMAndKeyKey,               \
      kCleanerClearBPMAndKeyDefault, kUnclamped)                                                   \
    X(cleanerCleanFilenames, CleanerCleanFilenames, bool, kCleanerCleanFilenamesKey,               \
      kCleanerCleanFilenamesDefault, kUnclamped)                                                   \
    X(cleanerStripBPMAndKey, CleanerStripBPMAndKey, bool, kCleanerStripBPMAndKeyKey,               \
      kCleanerStripBPMAndKeyDefault, kUnclamped)
// clang-format on

// The store's settings over one user-defaults object; main thread; owned by the store.
class LibrarySettings : public QObject
{
    Q_OBJECT
public:
    explicit LibrarySettings(Defaults &defaults, QObject *parent = nullptr);

    Defaults &defaults() const { return m_defaults; }

    BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_SETTING_ACCESSORS)

    // Hotkey texts by their key (kHotkeyPlayPauseKey ...), with the defaults of the table.
    QString hotkey(const QString &key) const;
    void setHotkey(const QString &key, const QString &value);
    static QString defaultHotkey(const QString &key);
    // Whether `key` is one of the table's.
    static bool contains(const QString &key);
    // The table's default and clamp of `key`.
    static QVariant fallback(const QString &key);
    static std::optional<SettingRange> range(const QString &key);

signals:
    BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_SETTING_SIGNAL)
    // Any key of the table, after its own signal.
    void changed(const QString &key);

private:
    void defaultsChanged(const QString &key);

    Defaults &m_defaults;
};

} // namespace brivello
