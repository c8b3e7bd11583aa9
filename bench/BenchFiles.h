#pragma once

#include "audiofiles/ChildProcess.h"

#include <QByteArray>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

namespace brivello::bench {

// Input-file helpers the benchmark programs share. Blocking; run before timing starts.

// ffmpeg's arguments up to the output options, reading `source` (a lavfi graph).
inline QStringList lavfiArguments(const QString &source)
{
    return {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", source};
}

// Runs a program (looked up in PATH) to its end; true when it exits with 0. The arguments go
// out as LocalFile's bytes, so a path whose name is not UTF-8 reaches the program intact.
inline bool runProgram(const QString &program, const QStringList &arguments)
{
    const QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty())
        return false;
    try {
        ChildProcess child(executable, arguments, ChildProcess::ErrorOutput::discard);
        while (!child.read(1 << 16, {}).isEmpty()) {
        }
        return child.wait() == 0;
    } catch (const std::exception &) {
        return false;
    }
}

// `seconds` of noise as MP3 frames with no tag and no Xing header, to repeat or to put behind a
// tag of one's own; empty without ffmpeg. `folder` takes a scratch file.
inline QByteArray mp3Frames(const QString &folder, int seconds)
{
    const QString path = folder + QStringLiteral("/frames.mp3");
    QStringList arguments = lavfiArguments(QStringLiteral("anoisesrc=duration=%1").arg(seconds));
    arguments << "-b:a"
              << "128k"
              << "-write_xing"
              << "0"
              << "-id3v2_version"
              << "0" << path;
    if (!runProgram(QStringLiteral("ffmpeg"), arguments))
        return {};
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QFile::remove(path);
    return bytes;
}

// An ID3v2.3 tag holding only a title, as most audio files start with a tag of their own.
inline QByteArray id3TitleTag(const QString &title)
{
    const QByteArray text = '\0' + title.toLatin1();
    QByteArray frame = "TIT2";
    for (int shift : {24, 16, 8, 0})
        frame.append(char((text.size() >> shift) & 0xff));
    frame.append(2, '\0');
    frame.append(text);
    QByteArray tag("ID3\x03\0\0", 6);
    for (int shift : {21, 14, 7, 0}) // a synchsafe size
        tag.append(char((frame.size() >> shift) & 0x7f));
    return tag + frame;
}

// Points the user's configuration, data and cache folders into `home`, so a program that makes
// the store never reads or writes the user's own. Call before the application object exists.
inline void useTemporaryHome(const QTemporaryDir &home)
{
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.filePath(QString::fromLatin1(name))));
}

} // namespace brivello::bench
