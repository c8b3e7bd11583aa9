#include "PlaylistSelection.h"

#include <algorithm>

namespace brivello {

std::optional<QUuid> PlaylistSelection::firstSelected(const QList<QUuid> &rows,
                                                      const QSet<QUuid> &ids)
{
    if (ids.isEmpty())
        return std::nullopt;
    for (const QUuid &id : rows) {
        if (ids.contains(id))
            return id;
    }
    // Selected ids that are not shown: any member will do, but keep it stable.
    return *std::min_element(ids.cbegin(), ids.cend());
}

PlaylistSelection::State PlaylistSelection::click(
    const QList<QUuid> &rows, const State &state, const QUuid &clicked, bool shift, bool command)
{
    State next = state;
    bool ranged = false;
    if (shift && state.focus) {
        const qsizetype anchorRow = rows.indexOf(*state.focus);
        const qsizetype clickedRow = rows.indexOf(clicked);
        if (anchorRow >= 0 && clickedRow >= 0) {
            next.ids.clear();
            for (qsizetype i = std::min(anchorRow, clickedRow);
                 i <= std::max(anchorRow, clickedRow);
                 ++i)
                next.ids.insert(rows.at(i));
            ranged = true;
        }
    }
    if (!ranged) {
        if (command) {
            if (!next.ids.remove(clicked))
                next.ids.insert(clicked);
        } else {
            next.ids = {clicked};
        }
    }
    next.focus =
        next.ids.contains(clicked) ? std::optional<QUuid>(clicked) : firstSelected(rows, next.ids);
    return next;
}

PlaylistSelection::State PlaylistSelection::upkeep(const QList<QUuid> &rows, const State &state)
{
    State next = state;
    if (state.ids.size() == 1)
        next.focus = *state.ids.cbegin();
    else if (state.ids.isEmpty())
        next.focus.reset();
    else if (state.focus && !state.ids.contains(*state.focus))
        next.focus = firstSelected(rows, state.ids);
    return next;
}

std::optional<int> PlaylistSelection::adjacentIndex(const QList<QUuid> &rows,
                                                    const std::optional<QUuid> &anchor,
                                                    int offset)
{
    if (rows.isEmpty())
        return std::nullopt;
    const int count = int(rows.size());
    const int anchorRow = anchor ? int(rows.indexOf(*anchor)) : -1;
    int start = anchorRow;
    if (anchorRow < 0)
        start = offset >= 0 ? -1 : count;
    return std::clamp(start + offset, 0, count - 1);
}

std::optional<int> PlaylistSelection::nextIndex(const QList<QUuid> &rows,
                                                const std::optional<QUuid> &current)
{
    if (!current)
        return std::nullopt;
    const qsizetype row = rows.indexOf(*current);
    if (row < 0 || row + 1 >= rows.size())
        return std::nullopt;
    return int(row + 1);
}

} // namespace brivello
