#pragma once

#include "AppliedChangeCommand.h"

#include <QHash>
#include <QString>
#include <QUuid>

namespace brivello {

// Undo step of a genre assignment or clearing: per-track genres before and after. Main thread.
class GenreEditCommand : public AppliedChangeCommand<QHash<QUuid, QString>>
{
public:
    using GenreValues = QHash<QUuid, QString>;

    GenreEditCommand(GenreValues previous,
                     GenreValues replacement,
                     const QString &actionName,
                     Apply apply);
};

} // namespace brivello
