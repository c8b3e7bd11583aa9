#include "ChildProcesses.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brivello::test {

namespace {

QByteArray readProc(pid_t pid, const char *entry)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fields after the command name, which may itself hold spaces and parentheses.
QList<QByteArray> statFields(pid_t pid)
{
    const QByteArray stat = readProc(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : stat.mid(close + 2).split(' ');
}

} // namespace

QList<pid_t> ChildProcesses::of(pid_t parent, const QByteArray &argument)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number || hasEnded(pid))
            continue;
        const QList<QByteArray> fields = statFields(pid);
        if (fields.size() > 1 && fields.at(1).toInt() == parent &&
            readProc(pid, "cmdline").split('\0').contains(argument))
            found.append(pid);
    }
    return found;
}

bool ChildProcesses::hasOpen(pid_t pid, const QString &file)
{
    const QString target = QFileInfo(file).canonicalFilePath();
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
    const QStringList entries =
        descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries)
        if (!target.isEmpty() && QFileInfo(descriptors.filePath(entry)).symLinkTarget() == target)
            return true;
    return false;
}

bool ChildProcesses::hasEnded(pid_t pid)
{
    const QList<QByteArray> fields = statFields(pid);
    return fields.isEmpty() || fields.first() == "Z" || fields.first() == "X";
}

} // namespace brivello::test
