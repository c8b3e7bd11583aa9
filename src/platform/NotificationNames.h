#pragma once

#include <QString>

namespace brivello {

// The in-process notification names; each string value is its identifier.
inline const QString brivelloPlaybackDidChange = QStringLiteral("brivelloPlaybackDidChange");
inline const QString brivelloPlaybackDidFinish = QStringLiteral("brivelloPlaybackDidFinish");
inline const QString brivelloFocusFavoriteTrack = QStringLiteral("brivelloFocusFavoriteTrack");
inline const QString brivelloTrackMetadataDidChange =
    QStringLiteral("brivelloTrackMetadataDidChange");
inline const QString brivelloGenresDidChange = QStringLiteral("brivelloGenresDidChange");
inline const QString brivelloFavoriteMembershipDidChange =
    QStringLiteral("brivelloFavoriteMembershipDidChange");
inline const QString brivelloFavoriteGenreFilterDidChange =
    QStringLiteral("brivelloFavoriteGenreFilterDidChange");
inline const QString brivelloBPMDidChange = QStringLiteral("brivelloBPMDidChange");
inline const QString brivelloSelectAllConversionItems =
    QStringLiteral("brivelloSelectAllConversionItems");
inline const QString brivelloNavigateConversionItems =
    QStringLiteral("brivelloNavigateConversionItems");
inline const QString brivelloRemoveConversionItems =
    QStringLiteral("brivelloRemoveConversionItems");
inline const QString brivelloNavigateDuplicateItems =
    QStringLiteral("brivelloNavigateDuplicateItems");
inline const QString brivelloLanguageDidChange = QStringLiteral("brivelloLanguageDidChange");
inline const QString brivelloShowGenrePalette = QStringLiteral("brivelloShowGenrePalette");

// User-info keys.
inline const QString kUserInfoTrackID = QStringLiteral("trackID");
inline const QString kUserInfoSelectAll = QStringLiteral("selectAll");
inline const QString kUserInfoOffset = QStringLiteral("offset");
inline const QString kUserInfoArtworkBatch = QStringLiteral("artworkBatch");

} // namespace brivello
