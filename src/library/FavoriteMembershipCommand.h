#pragma once

#include "AppliedChangeCommand.h"

#include <QHash>
#include <QUuid>

namespace brivello {

// The pair of membership flags of one track.
struct FavoriteMembershipState
{
    bool isFavorite = false;
    bool isInCoverWorkspace = false;
    bool operator==(const FavoriteMembershipState &other) const = default;
};

using FavoriteMembershipStates = QHash<QUuid, FavoriteMembershipState>;

// Undo step of a favourites change: the membership flags before and after. Main thread.
class FavoriteMembershipCommand : public AppliedChangeCommand<FavoriteMembershipStates>
{
public:
    FavoriteMembershipCommand(FavoriteMembershipStates previous,
                              FavoriteMembershipStates replacement,
                              Apply apply);
};

} // namespace brivello
