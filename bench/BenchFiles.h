#pragma once

#include <QProcess>
#include <QStringList>

namespace brivello::bench {

// Input-file helpers the benchmark programs share. Blocking; run before timing starts.

// ffmpeg's arguments up to the output options, reading `source` (a lavfi graph).
inline QStringList lavfiArguments(const QString &source)
{
    return {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", source};
}

// Runs a program to its end; true when it exits with 0.
inline bool runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitCode() == 0;
}

} // namespace brivello::bench
