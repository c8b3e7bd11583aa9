#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <sys/types.h>

namespace brivello::test {

// The process table as /proc shows it, for tests that check what a killed process left running.
class ChildProcesses
{
public:
    // The live children of `parent` whose command line holds `argument`.
    static QList<pid_t> of(pid_t parent, const QByteArray &argument);
    // Whether the process holds `file` open (its descriptors as /proc/PID/fd links them).
    static bool hasOpen(pid_t pid, const QString &file);
    // Whether the process has ended (gone, or a zombie nobody reaped yet).
    static bool hasEnded(pid_t pid);
};

} // namespace brivello::test
