#pragma once

#include "platform/SettingRange.h"

#include <QString>

namespace brivello {

// Settings the library store owns: user-defaults keys, their defaults and the ranges the
// settings sheet keeps them in.

inline const QString kRenameFiltersKey = QStringLiteral("renameFilters");
inline const QString kFavoriteGenreFilterKey = QStringLiteral("favoriteGenreFilter");
inline const QString kFavoriteOnlyUntaggedKey = QStringLiteral("favoriteOnlyUntagged");
inline const QString kSeekStepKey = QStringLiteral("seekStep");
inline const QString kConverterBitrateKey = QStringLiteral("converterBitrate");
inline const QString kWaveformHeightKey = QStringLiteral("waveformHeight");
inline const QString kWaveformColorPresetKey = QStringLiteral("waveformColorPreset");
inline const QString kWaveformCustomRedKey = QStringLiteral("waveformCustomRed");
inline const QString kWaveformCustomGreenKey = QStringLiteral("waveformCustomGreen");
inline const QString kWaveformCustomBlueKey = QStringLiteral("waveformCustomBlue");
inline const QString kAnalysisDFTWindowKey = QStringLiteral("analysisDFTWindow");
inline const QString kAnalysisDensityRangeKey = QStringLiteral("analysisDensityRange");
inline const QString kTableDensityKey = QStringLiteral("tableDensity");
inline const QString kDashboardPlayerOnTopKey = QStringLiteral("dashboardPlayerOnTop");
inline const QString kHotkeySeekBackKey = QStringLiteral("hotkeySeekBack");
inline const QString kHotkeySeekForwardKey = QStringLiteral("hotkeySeekForward");
inline const QString kHotkeyPreviousTrackKey = QStringLiteral("hotkeyPreviousTrack");
inline const QString kHotkeyNextTrackKey = QStringLiteral("hotkeyNextTrack");
inline const QString kHotkeyPlayPauseKey = QStringLiteral("hotkeyPlayPause");
inline const QString kHotkeyFavoriteKey = QStringLiteral("hotkeyFavorite");
inline const QString kHotkeyRemoveKey = QStringLiteral("hotkeyRemove");
inline const QString kHotkeyTrashKey = QStringLiteral("hotkeyTrash");
inline const QString kHotkeyUndoKey = QStringLiteral("hotkeyUndo");
inline const QString kHotkeyCleanKey = QStringLiteral("hotkeyClean");
inline const QString kHotkeyGenrePaletteKey = QStringLiteral("hotkeyGenrePalette");
inline const QString kGenreListKey = QStringLiteral("genreList");
inline const QString kQuickGenreSlotsKey = QStringLiteral("quickGenreSlots");
inline const QString kRecentGenresKey = QStringLiteral("recentGenres");
inline const QString kTitleFiltersKey = QStringLiteral("titleFilters");
inline const QString kCleanerClearTagsKey = QStringLiteral("cleanerClearTags");
inline const QString kCleanerClearBPMAndKeyKey = QStringLiteral("cleanerClearBPMAndKey");
inline const QString kCleanerCleanFilenamesKey = QStringLiteral("cleanerCleanFilenames");
inline const QString kCleanerStripBPMAndKeyKey = QStringLiteral("cleanerStripBPMAndKey");

// The workspace snapshot, kept by Defaults::setData as an atomic file.
inline const QString kWorkspaceSessionKey = QStringLiteral("brivello.workspaceSession.v1");

inline constexpr double kSeekStepDefault = 15.0;
inline constexpr SettingRange kSeekStepRange{5, 60};
inline constexpr qint64 kConverterBitrateDefault = 320;
inline constexpr double kWaveformHeightDefault = 42.0;
inline const QString kWaveformColorPresetDefault = QStringLiteral("white");
inline constexpr double kWaveformCustomRedDefault = 1.0;
inline constexpr double kWaveformCustomGreenDefault = 1.0;
inline constexpr double kWaveformCustomBlueDefault = 1.0;
inline constexpr SettingRange kWaveformComponentRange{0, 1};
inline constexpr qint64 kAnalysisDFTWindowDefault = 4096;
inline constexpr double kAnalysisDensityRangeDefault = 100.0;
inline constexpr SettingRange kAnalysisDensityRangeLimits{60, 140};
inline constexpr double kTableDensityDefault = 1.0;
inline constexpr SettingRange kTableDensityRange{0.85, 1.35};
inline constexpr bool kDashboardPlayerOnTopDefault = false;
inline const QString kHotkeySeekBackDefault = QStringLiteral("\u2190");
inline const QString kHotkeySeekForwardDefault = QStringLiteral("\u2192");
inline const QString kHotkeyPreviousTrackDefault = QStringLiteral("\u2191");
inline const QString kHotkeyNextTrackDefault = QStringLiteral("\u2193");
inline const QString kHotkeyPlayPauseDefault = QStringLiteral("Space");
inline const QString kHotkeyFavoriteDefault = QStringLiteral("F");
inline const QString kHotkeyRemoveDefault = QStringLiteral("Delete");
inline const QString kHotkeyTrashDefault = QStringLiteral("\u2318Delete");
inline const QString kHotkeyUndoDefault = QStringLiteral("\u2318Z");
inline const QString kHotkeyCleanDefault = QStringLiteral("\u2318B");
inline const QString kHotkeyGenrePaletteDefault = QStringLiteral("G");
inline const QString kGenreListDefault = QStringLiteral(
    "Afro House, Afro Tech, Indie Dance, Pop, House, Melodic House & Techno, Tech House, "
    "Deep House, Progressive House, Trance, Techno, Drum & Bass, Hip-Hop, R&B, Disco, Funk");
inline const QString kQuickGenreSlotsDefault =
    QStringLiteral("Afro House\nAfro Tech\nIndie Dance\nPop\nHouse\nTech House\nDeep House\n"
                   "Hip-Hop\nR&B");
inline constexpr bool kCleanerClearTagsDefault = true;
inline constexpr bool kCleanerClearBPMAndKeyDefault = true;
inline constexpr bool kCleanerCleanFilenamesDefault = false;
inline constexpr bool kCleanerStripBPMAndKeyDefault = true;

} // namespace brivello
