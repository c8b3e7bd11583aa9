#include "ChildProcess.h"

#include "platform/LocalFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace brivello {

namespace {

QString systemMessage(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

ChildProcess::ChildProcess(const QString &program,
                           const QStringList &arguments,
                           ErrorOutput errorOutput,
                           int niceness)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw ProcessLaunchError(systemMessage(errno).toStdString());

    const QByteArray executable = LocalFile::encodeName(program);
    std::vector<QByteArray> storage{executable};
    for (const QString &argument : arguments)
        storage.push_back(LocalFile::encodeName(argument)); // exact bytes of any path
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (errorOutput == ErrorOutput::mergeWithOutput)
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int error =
        posix_spawn(&m_pid, executable.constData(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (error != 0) {
        ::close(pipeEnds[0]);
        m_pid = -1;
        throw ProcessLaunchError(systemMessage(error).toStdString());
    }
    m_output = pipeEnds[0];
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (niceness > 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(m_pid), niceness);
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_reaped) {
        kill();
        wait();
    }
    if (m_output >= 0)
        ::close(m_output);
    if (m_wake >= 0)
        ::close(m_wake);
}

QByteArray ChildProcess::read(qsizetype maximum, std::stop_token stop)
{
    const int wake = m_wake;
    std::stop_callback onStop(stop, [wake] {
        const eventfd_t one = 1;
        eventfd_write(wake, one);
    });
    QByteArray chunk(maximum, Qt::Uninitialized);
    while (true) {
        if (stop.stop_requested())
            throw OperationCancelled();
        pollfd fds[2] = {{m_output, POLLIN, 0}, {m_wake, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return {};
        }
        if (fds[1].revents & POLLIN)
            throw OperationCancelled();
        const ssize_t count = ::read(m_output, chunk.data(), static_cast<size_t>(maximum));
        if (count < 0 && errno == EINTR)
            continue;
        chunk.truncate(count > 0 ? static_cast<qsizetype>(count) : 0);
        return chunk;
    }
}

void ChildProcess::dieWithParent(pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have died before the request took effect.
    if (::getppid() != parent)
        ::_exit(127);
}

void ChildProcess::kill()
{
    if (m_pid > 0 && !m_reaped)
        ::kill(m_pid, SIGKILL);
}

int ChildProcess::wait()
{
    if (m_pid <= 0 || m_reaped)
        return m_status;
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(m_pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    m_reaped = true;
    m_status = (result == m_pid && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return m_status;
}

} // namespace brivello
