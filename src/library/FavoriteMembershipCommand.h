#pragma once

#include <QHash>
#include <QUndoCommand>
#include <QUuid>
#include <functional>

namespace brivello {

// The pair of membership flags of one track.
struct FavoriteMembershipState
{
    bool isFavorite = false;
    bool isInCoverWorkspace = false;
    bool operator==(const FavoriteMembershipState &other) const = default;
};

using FavoriteMembershipStates = QHash<QUuid, FavoriteMembershipState>;

// Undo step of a favourites change: undo applies the flags before, redo the flags after.
// Pushed after the change was applied, so the push itself changes nothing. Main thread.
class FavoriteMembershipCommand : public QUndoCommand
{
public:
    using Apply = std::function<void(const FavoriteMembershipStates &)>;

    FavoriteMembershipCommand(FavoriteMembershipStates previous,
                              FavoriteMembershipStates replacement,
                              Apply apply);

    void undo() override;
    void redo() override;

private:
    FavoriteMembershipStates m_previous;
    FavoriteMembershipStates m_replacement;
    Apply m_apply;
    bool m_pushed = false;
};

} // namespace brivello
