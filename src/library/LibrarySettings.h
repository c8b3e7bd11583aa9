#pragma once

#include "library/LibrarySettingsKeys.h"

#include <QObject>
#include <QString>

namespace brivello {

class Defaults;

// The library's settings, one row each: getter, Setter suffix, type, key, default. A getter
// reads the user defaults every time, so it sees the last write from anywhere; each key has
// its own change signal (getterChanged), raised for writes through any path.
// clang-format off
#define BRIVELLO_LIBRARY_SETTINGS(X)                                                               \
    X(renameFilters, RenameFilters, QString, kRenameFiltersKey, QString())                         \
    X(favoriteGenreFilter, FavoriteGenreFilter, QString, kFavoriteGenreFilterKey, QString())       \
    X(favoriteOnlyUntagged, FavoriteOnlyUntagged, bool, kFavoriteOnlyUntaggedKey, false)           \
    X(seekStep, SeekStep, double, kSeekStepKey, kSeekStepDefault)                                  \
    X(converterBitrate, ConverterBitrate, qint64, kConverterBitrateKey, kConverterBitrateDefault)  \
    X(waveformHeight, WaveformHeight, double, kWaveformHeightKey, kWaveformHeightDefault)          \
    X(waveformColorPreset, WaveformColorPreset, QString, kWaveformColorPresetKey,                  \
      kWaveformColorPresetDefault)                                                                 \
    X(waveformCustomRed, WaveformCustomRed, double, kWaveformCustomRedKey,                         \
      kWaveformCustomRedDefault)                                                                   \
    X(waveformCustomGreen, WaveformCustomGreen, double, kWaveformCustomGreenKey,                   \
      kWaveformCustomGreenDefault)                                                                 \
    X(waveformCustomBlue, WaveformCustomBlue, double, kWaveformCustomBlueKey,                      \
      kWaveformCustomBlueDefault)                                                                  \
    X(analysisDFTWindow, AnalysisDFTWindow, qint64, kAnalysisDFTWindowKey,                         \
      kAnalysisDFTWindowDefault)                                                                   \
    X(analysisDensityRange, AnalysisDensityRange, double, kAnalysisDensityRangeKey,                \
      kAnalysisDensityRangeDefault)                                                                \
    X(tableDensity, TableDensity, double, kTableDensityKey, kTableDensityDefault)                  \
    X(dashboardPlayerOnTop, DashboardPlayerOnTop, bool, kDashboardPlayerOnTopKey,                  \
      kDashboardPlayerOnTopDefault)                                                                \
    X(hotkeySeekBack, HotkeySeekBack, QString, kHotkeySeekBackKey, kHotkeySeekBackDefault)         \
    X(hotkeySeekForward, HotkeySeekForward, QString, kHotkeySeekForwardKey,                        \
      kHotkeySeekForwardDefault)                                                                   \
    X(hotkeyPreviousTrack, HotkeyPreviousTrack, QString, kHotkeyPreviousTrackKey,                  \
      kHotkeyPreviousTrackDefault)                                                                 \
    X(hotkeyNextTrack, HotkeyNextTrack, QString, kHotkeyNextTrackKey, kHotkeyNextTrackDefault)    \
    X(hotkeyPlayPause, HotkeyPlayPause, QString, kHotkeyPlayPauseKey, kHotkeyPlayPauseDefault)    \
    X(hotkeyFavorite, HotkeyFavorite, QString, kHotkeyFavoriteKey, kHotkeyFavoriteDefault)         \
    X(hotkeyRemove, HotkeyRemove, QString, kHotkeyRemoveKey, kHotkeyRemoveDefault)                 \
    X(hotkeyTrash, HotkeyTrash, QString, kHotkeyTrashKey, kHotkeyTrashDefault)                     \
    X(hotkeyUndo, HotkeyUndo, QString, kHotkeyUndoKey, kHotkeyUndoDefault)                         \
    X(hotkeyClean, HotkeyClean, QString, kHotkeyCleanKey, kHotkeyCleanDefault)                     \
    X(hotkeyGenrePalette, HotkeyGenrePalette, QString, kHotkeyGenrePaletteKey,                     \
      kHotkeyGenrePaletteDefault)                                                                  \
    X(genreListRaw, GenreListRaw, QString, kGenreListKey, kGenreListDefault)                       \
    X(quickGenreSlotsRaw, QuickGenreSlotsRaw, QString, kQuickGenreSlotsKey,                        \
      kQuickGenreSlotsDefault)                                                                     \
    X(recentGenresRaw, RecentGenresRaw, QString, kRecentGenresKey, QString())                      \
    X(titleFiltersRaw, TitleFiltersRaw, QString, kTitleFiltersKey, QString())                      \
    X(cleanerClearTags, CleanerClearTags, bool, kCleanerClearTagsKey, kCleanerClearTagsDefault)   \
    X(cleanerClearBPMAndKey, CleanerClearBPMAndKey, bool, kCleanerClearBPMAndKeyKey,               \
      kCleanerClearBPMAndKeyDefault)                                                               \
    X(cleanerCleanFilenames, CleanerCleanFilenames, bool, kCleanerCleanFilenamesKey,               \
      kCleanerCleanFilenamesDefault)                                                               \
    X(cleanerStripBPMAndKey, CleanerStripBPMAndKey, bool, kCleanerStripBPMAndKeyKey,               \
      kCleanerStripBPMAndKeyDefault)
// clang-format on

// The store's settings over one user-defaults object; main thread; owned by the store.
class LibrarySettings : public QObject
{
    Q_OBJECT
public:
    explicit LibrarySettings(Defaults &defaults, QObject *parent = nullptr);

    Defaults &defaults() const { return m_defaults; }

#define BRIVELLO_SETTING_ACCESSORS(getter, Setter, Type, key, fallback)                            \
    Type getter() const;                                                                           \
    void set##Setter(const Type &value);
    BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_SETTING_ACCESSORS)
#undef BRIVELLO_SETTING_ACCESSORS

    // Hotkey texts by their key (kHotkeyPlayPauseKey ...), with the defaults of the table.
    QString hotkey(const QString &key) const;
    void setHotkey(const QString &key, const QString &value);
    static QString defaultHotkey(const QString &key);
    // Whether `key` is one of the table's.
    static bool contains(const QString &key);

signals:
#define BRIVELLO_SETTING_SIGNAL(getter, Setter, Type, key, fallback) void getter##Changed();
    BRIVELLO_LIBRARY_SETTINGS(BRIVELLO_SETTING_SIGNAL)
#undef BRIVELLO_SETTING_SIGNAL
    // Any key of the table, after its own signal.
    void changed(const QString &key);

private:
    void defaultsChanged(const QString &key);

    Defaults &m_defaults;
};

} // namespace brivello
