#pragma once

#include "platform/LocalFile.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <optional>
#include <unistd.h>

namespace brivello::bench {

// A path given on the command line, made absolute against the working folder, in LocalFile's
// text form: a name that is not UTF-8 (CP1251 from an old Windows disk) keeps its bytes.
inline QString pathArgument(QByteArray argument)
{
    if (!argument.startsWith('/')) {
        char buffer[PATH_MAX];
        const QByteArray workingFolder = ::getcwd(buffer, sizeof buffer) ? buffer : "/";
        argument = workingFolder + '/' + argument;
    }
    return LocalFile::decodeName(LocalFile::cleanPath(argument));
}

// The file paths among a benchmark program's arguments: everything not starting with "-".
inline QStringList fileArguments(int argc, char **argv)
{
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (!argument.startsWith('-'))
            files << pathArgument(argument);
    }
    return files;
}

// The text of the last "--name=text" among the arguments; none without one.
inline std::optional<QByteArray> optionText(int argc, char **argv, const QByteArray &name)
{
    const QByteArray prefix = name + '=';
    std::optional<QByteArray> text;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument.startsWith(prefix))
            text = argument.mid(prefix.size());
    }
    return text;
}

// Whether the bare option "--name" is among the arguments.
inline bool hasOption(int argc, char **argv, const QByteArray &name)
{
    return std::any_of(
        argv + 1, argv + argc, [&](const char *argument) { return name == argument; });
}

// The count given as "--name=N", at least `minimum`; `fallback` without one.
inline int countOption(int argc, char **argv, const QByteArray &name, int fallback, int minimum)
{
    const std::optional<QByteArray> text = optionText(argc, argv, name);
    return text ? std::max(minimum, text->toInt()) : fallback;
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
