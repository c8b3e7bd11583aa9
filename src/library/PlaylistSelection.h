#pragma once

#include <QList>
#include <QSet>
#include <QUuid>
#include <optional>

namespace brivello {

// The selection rules of the track lists as pure functions over ids: clicks with Shift and
// Ctrl, the focus upkeep, stepping to a neighbour and the track after a finished one. The
// store holds the only selection; callers write the result back to it.
class PlaylistSelection
{
public:
    struct State
    {
        QSet<QUuid> ids;            // the multiple selection
        std::optional<QUuid> focus; // the focused track, anchor of Shift-clicks
        bool operator==(const State &other) const = default;
    };

    // A click on `clicked`. Shift with a focus found in `rows` selects the inclusive range
    // (dropping everything else, Ctrl or not); otherwise Ctrl toggles the row; a plain click
    // selects it alone. The focus ends on the clicked row when it is selected.
    static State click(const QList<QUuid> &rows,
                       const State &state,
                       const QUuid &clicked,
                       bool shift,
                       bool command);

    // After any change of the selected ids: one id focuses it, none clears the focus, several
    // keep a focus that is among them or move it to the first selected row.
    static State upkeep(const QList<QUuid> &rows, const State &state);

    // Index of the neighbour `offset` rows away from `anchor`, clamped to the list; without a
    // visible anchor the first row for +1 and the last for -1. Nullopt for an empty list.
    static std::optional<int>
    adjacentIndex(const QList<QUuid> &rows, const std::optional<QUuid> &anchor, int offset);

    // The row after `current`; nullopt when it is missing or the last one.
    static std::optional<int> nextIndex(const QList<QUuid> &rows,
                                        const std::optional<QUuid> &current);

private:
    static std::optional<QUuid> firstSelected(const QList<QUuid> &rows, const QSet<QUuid> &ids);
};

} // namespace brivello
