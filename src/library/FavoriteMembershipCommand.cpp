#include "FavoriteMembershipCommand.h"

namespace brivello {

FavoriteMembershipCommand::FavoriteMembershipCommand(FavoriteMembershipStates previous,
                                                     FavoriteMembershipStates replacement,
                                                     Apply apply)
    : m_previous(std::move(previous))
    , m_replacement(std::move(replacement))
    , m_apply(std::move(apply))
{
    // A platform-localisable action name: the undo menu translates it, not the store.
    setText(QStringLiteral("Изменить избранное"));
}

void FavoriteMembershipCommand::undo()
{
    m_apply(m_previous);
}

void FavoriteMembershipCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    m_apply(m_replacement);
}

} // namespace brivello
