#pragma once

#include <QUndoCommand>
#include <functional>

namespace brivello {

// Undo step of a change the store has already applied: undo applies the values before, redo
// the values after. Pushed after the change, so the push itself changes nothing. Main thread.
template <typename Values> class AppliedChangeCommand : public QUndoCommand
{
public:
    using Apply = std::function<void(const Values &)>;

    AppliedChangeCommand(Values previous, Values replacement, Apply apply)
        : m_previous(std::move(previous))
        , m_replacement(std::move(replacement))
        , m_apply(std::move(apply))
    {}

    void undo() override { m_apply(m_previous); }
    void redo() override
    {
        if (!m_pushed) {
            m_pushed = true;
            return;
        }
        m_apply(m_replacement);
    }

private:
    Values m_previous;
    Values m_replacement;
    Apply m_apply;
    bool m_pushed = false;
};

} // namespace brivello
