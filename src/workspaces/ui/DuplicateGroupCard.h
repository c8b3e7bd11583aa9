#pragma once

#include "shell/BrivelloTheme.h"
#include "workspaces/DuplicateGroupRows.h"

#include <QRect>
#include <QSet>
#include <QUuid>
#include <optional>

class QPainter;

namespace brivello {

class AudioPlayer;

// One group of the duplicate finder drawn as a card over the list's rows: the heading (kind,
// count of files that still exist, size, "В Корзину выбранные") and a row per file (mark toggle,
// thumbnail with the play state, name and path, playing badge, format). Main thread.
class DuplicateGroupCard
{
public:
    // Every length and font is scaled by the density ("tableDensity") like the other lists.
    struct Look
    {
        QSet<QUuid> selectedIDs;
        std::optional<QUuid> currentID;
        bool isPlaying = false;
        bool hovered = false;
        double density = 1.0;
    };

    static int padding(double density);
    static int headingHeight(double density);
    static int fileRowHeight(double density);
    static QRect trashButtonRect(const QRect &headingRow, double density);
    static QRect toggleRect(const QRect &fileRow, double density);
    // This card's files among the marked ones; the trash button acts on exactly these.
    static QSet<QUuid> selectedTracks(const QList<Track> &files, const QSet<QUuid> &selectedIDs);
    static QString fileCountText(int count);
    static QString kindTitle(DuplicateMatchKind kind);
    // The trash button's symbol and title: red while it can act (a destructive button).
    static QColor trashForeground(ColorScheme scheme, bool enabled);

    static void paintHeading(QPainter &painter,
                             const QRect &rect,
                             const AudioDuplicateGroup &group,
                             const QList<Track> &files,
                             const Look &look);
    static void paintFile(QPainter &painter,
                          const QRect &rect,
                          const DuplicateGroupRows::Row &row,
                          const Look &look);

private:
    static void paintCardBackground(QPainter &painter, const QRect &rect, bool top, bool bottom);
    static void paintTrashButton(QPainter &painter, const QRect &rect, bool enabled, double d);
    // The badge and the format at the row's right; returns the room left for the texts.
    static int paintRowEnd(QPainter &painter,
                           const QRect &content,
                           const Track &track,
                           bool current,
                           bool playing,
                           double d);
};

} // namespace brivello
