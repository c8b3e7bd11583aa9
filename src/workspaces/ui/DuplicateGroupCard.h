#pragma once

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
    static constexpr int kPadding = 14;
    static constexpr int kHeadingHeight = 44;

    struct Look
    {
        QSet<QUuid> selectedIDs;
        std::optional<QUuid> currentID;
        bool isPlaying = false;
        bool hovered = false;
    };

    static int fileRowHeight();
    static QRect trashButtonRect(const QRect &headingRow);
    static QRect toggleRect(const QRect &fileRow);
    // This card's files among the marked ones; the trash button acts on exactly these.
    static QSet<QUuid> selectedTracks(const QList<Track> &files, const QSet<QUuid> &selectedIDs);
    static QString fileCountText(int count);
    static QString kindTitle(DuplicateMatchKind kind);

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
};

} // namespace brivello
