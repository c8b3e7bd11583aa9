#pragma once

#include <QString>
#include <QUuid>

namespace brivello {

// The transient line of the status block: what happened, with an icon and a tone.
struct WorkspaceStatus
{
    enum class Tone { neutral, success, warning };
    QUuid id;
    QString icon;
    QString message;
    Tone tone = Tone::neutral;
    bool operator==(const WorkspaceStatus &other) const = default;
};

} // namespace brivello
