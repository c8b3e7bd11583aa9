#pragma once

#include "OperationCancelled.h"
#include "ProcessLaunchError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stop_token>
#include <sys/types.h>

namespace brivello {

// A child program whose standard output is read through a pipe, blocking the owning thread.
// Standard error goes to the null device or into the same pipe. The destructor kills and reaps
// a child that is still running, so no child outlives its owner.
class ChildProcess
{
public:
    enum class ErrorOutput { discard, mergeWithOutput };

    ChildProcess(const QString &program,
                 const QStringList &arguments,
                 ErrorOutput errorOutput,
                 int niceness = 0);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Up to `maximum` bytes; empty at the end of the stream. Waits for data or a stop request;
    // a stop request throws OperationCancelled (the child is still running then).
    QByteArray read(qsizetype maximum, std::stop_token stop);
    // Sends SIGKILL when the child still runs.
    void kill();
    // Waits for the child to end; its exit status, or -1 when it died of a signal.
    int wait();

    pid_t pid() const { return m_pid; }

    // For a QProcess child modifier (in the forked child before exec; async-signal-safe):
    // the child is killed when the thread that started it ends, which for a thread living as
    // long as the process means when the process dies, even by SIGKILL. `parent` is the
    // starting process's id, read before the start.
    static void dieWithParent(pid_t parent);

private:
    pid_t m_pid = -1;
    int m_output = -1;
    int m_wake = -1; // eventfd signalled by stop requests
    bool m_reaped = false;
    int m_status = -1;
};

} // namespace brivello
