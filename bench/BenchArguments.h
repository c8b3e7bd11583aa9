#pragma once

#include "platform/LocalFile.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>
#include <climits>
#include <unistd.h>

namespace brivello::bench {

// The file paths among a benchmark program's arguments (everything not starting with "-"),
// made absolute against the working folder, in LocalFile's text form: a name that is not UTF-8
// (CP1251 from an old Windows disk) keeps its bytes.
inline QStringList fileArguments(int argc, char **argv)
{
    char buffer[PATH_MAX];
    const QByteArray workingFolder = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        QByteArray argument(argv[i]);
        if (argument.startsWith('-'))
            continue;
        if (!argument.startsWith('/'))
            argument = workingFolder + '/' + argument;
        files << LocalFile::decodeName(LocalFile::cleanPath(argument));
    }
    return files;
}

// The file address of such a path.
inline QUrl fileURL(const QString &path)
{
    return LocalFile::fromPath(path);
}

// A path as a line of output shows it.
inline QByteArray printable(const QString &path)
{
    return LocalFile::displayName(path).toUtf8();
}

} // namespace brivello::bench
