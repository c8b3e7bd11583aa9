#pragma once

#include <QHash>
#include <QString>
#include <QUndoCommand>
#include <QUuid>
#include <functional>

namespace brivello {

// Undo step of a genre assignment or clearing: per-track genres before and after. Pushed
// after the edit was applied, so the push itself changes nothing. Main thread.
class GenreEditCommand : public QUndoCommand
{
public:
    using GenreValues = QHash<QUuid, QString>;
    using Apply = std::function<void(const GenreValues &)>;

    GenreEditCommand(GenreValues previous,
                     GenreValues replacement,
                     const QString &actionName,
                     Apply apply);

    void undo() override;
    void redo() override;

private:
    GenreValues m_previous;
    GenreValues m_replacement;
    Apply m_apply;
    bool m_pushed = false;
};

} // namespace brivello
