#pragma once

#include <QString>
#include <QStringList>

namespace brivello {

// The twelve columns of the favourites table: identifiers, widths, titles and which ones carry
// an editable tag. Pure lookups; any thread.
class FavoriteTableColumns
{
public:
    static inline const QString kFavorite = QStringLiteral("favorite");
    static inline const QString kPlaying = QStringLiteral("playing");
    static inline const QString kArtist = QStringLiteral("artist");
    static inline const QString kTitle = QStringLiteral("title");
    static inline const QString kAlbum = QStringLiteral("album");
    static inline const QString kGenre = QStringLiteral("genre");
    static inline const QString kYear = QStringLiteral("year");
    static inline const QString kTrack = QStringLiteral("track");
    static inline const QString kComment = QStringLiteral("comment");
    static inline const QString kBPM = QStringLiteral("bpm");
    static inline const QString kFormat = QStringLiteral("format");
    static inline const QString kKbps = QStringLiteral("kbps");

    static constexpr int kCount = 12;
    static constexpr double kPlayingWidth = 10;

    static const QStringList &defaultOrder();
    static int indexOf(const QString &id) { return defaultOrder().indexOf(id); }
    static QString idAt(int index) { return defaultOrder().value(index); }
    static double defaultWidth(const QString &id);
    static double minimumWidth(const QString &id);
    // The seven tag columns; an edit writes only the AudioTags field of the same name.
    static bool isEditable(const QString &id);
    // "favorite" and "playing" stand first and second and cannot be moved.
    static bool isPinned(const QString &id) { return id == kFavorite || id == kPlaying; }
    // The header title in the interface language; "♥", "", "BPM" and "KBPS" are fixed.
    static QString title(const QString &id);
    // The empty cell's hint in the interface language ("" for columns without one).
    static QString placeholder(const QString &id);
    // The AudioTags field index an editable column writes, -1 for the others.
    static int tagField(const QString &id);
};

} // namespace brivello
