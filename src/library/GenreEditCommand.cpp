#include "GenreEditCommand.h"

namespace brivello {

GenreEditCommand::GenreEditCommand(GenreValues previous,
                                   GenreValues replacement,
                                   const QString &actionName,
                                   Apply apply)
    : AppliedChangeCommand(std::move(previous), std::move(replacement), std::move(apply))
{
    setText(actionName);
}

} // namespace brivello
