#include "FavoriteMembershipCommand.h"

namespace brivello {

FavoriteMembershipCommand::FavoriteMembershipCommand(FavoriteMembershipStates previous,
                                                     FavoriteMembershipStates replacement,
                                                     Apply apply)
    : AppliedChangeCommand(std::move(previous), std::move(replacement), std::move(apply))
{
    // A platform-localisable action name: the undo menu translates it, not the store.
    setText(QStringLiteral("Изменить избранное"));
}

} // namespace brivello
