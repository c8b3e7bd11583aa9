#pragma once

#include "records/ConversionItem.h"

#include <QList>
#include <QSet>
#include <QUuid>
#include <optional>

namespace brivello {

// The click, repair, navigation and enabled rules of the covers, converter and duplicates
// lists, kept free of widgets so they can be checked as tables. Pure; any thread.
class SectionListRules
{
public:
    struct Modifiers
    {
        bool shift = false;
        bool command = false;
    };

    // A list's selection and its anchor (covers) or focus (converter, duplicates).
    struct Selection
    {
        QSet<QUuid> ids;
        std::optional<QUuid> anchor;
        bool operator==(const Selection &other) const = default;
    };

    // Covers: a Shift range replaces the selection and moves the anchor to the clicked row.
    static Selection coverClick(const QList<QUuid> &list,
                                const Selection &current,
                                const QUuid &clicked,
                                Modifiers modifiers);
    // Converter: a Shift range leaves the focus where it was.
    static Selection converterClick(const QList<QUuid> &list,
                                    const Selection &current,
                                    const QUuid &clicked,
                                    Modifiers modifiers);
    // Duplicates: no ranges, no toggles; the clicked file alone.
    static Selection duplicateClick(const QUuid &clicked);

    // The covers anchor after the selection changed to `ids`; nullopt when it stays.
    static std::optional<std::optional<QUuid>>
    coverAnchorRepair(const QSet<QUuid> &ids, const std::optional<QUuid> &anchor);
    // The selection reduced to `valid`, the focus moved into it when it left.
    static Selection prune(const Selection &current, const QSet<QUuid> &valid);

    // Target row of a converter move by `offset`; none for offset 0 or an empty list.
    static std::optional<int>
    converterMoveTarget(const QList<QUuid> &list, const Selection &current, int offset);
    // Target row of a duplicates move by `offset`; none for an empty list.
    static std::optional<int>
    duplicateMoveTarget(const QList<QUuid> &list, const std::optional<QUuid> &focus, int offset);
    // At the end of a track: the next row, or none when the list ends at the finished one.
    static std::optional<int> nextAfterFinish(const QList<QUuid> &list,
                                              const std::optional<int> &target,
                                              const std::optional<QUuid> &finished);

    static bool canConvert(const QList<ConversionItem> &items);
    // A failure's row line: its last line that is not blank, where ffmpeg names the error
    // (its first line is only its version banner).
    static QString failureLine(const QString &message);
    static bool canFindDuplicates(qsizetype fileCount, bool isSearching);
    static bool canClearDuplicates(qsizetype fileCount, qsizetype rootCount);
    // Each id once, at its first place.
    static QList<QUuid> firstOccurrences(const QList<QUuid> &ids);
    // The set's first member in its own iteration order.
    static std::optional<QUuid> anyMember(const QSet<QUuid> &ids);
};

} // namespace brivello
