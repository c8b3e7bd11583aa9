#pragma once

#include <QStringList>

namespace brivello::bench {

// The file paths among a benchmark program's arguments (everything not starting with "--").
inline QStringList fileArguments(int argc, char **argv)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (!argument.startsWith(QLatin1String("--")))
            files << argument;
    }
    return files;
}

} // namespace brivello::bench
