#include "GenreEditCommand.h"

namespace brivello {

GenreEditCommand::GenreEditCommand(GenreValues previous,
                                   GenreValues replacement,
                                   const QString &actionName,
                                   Apply apply)
    : m_previous(std::move(previous))
    , m_replacement(std::move(replacement))
    , m_apply(std::move(apply))
{
    setText(actionName);
}

void GenreEditCommand::undo()
{
    m_apply(m_previous);
}

void GenreEditCommand::redo()
{
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    m_apply(m_replacement);
}

} // namespace brivello
