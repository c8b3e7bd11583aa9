#pragma once

#include "audiofiles/ChildProcess.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>

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

// A library tree as a DJ keeps one: `count` one-second tagged MP3 files (artist, title, album,
// genre) in `folders` folders, every 13th followed by a byte-for-byte copy. Made once under
// `root` and kept there: a tree already made with the same count is reused. The files' paths.
inline QStringList taggedMp3Tree(const QString &root, int count, int folders)
{
    const QString marker = root + QStringLiteral("/.tree-%1").arg(count);
    QStringList paths;
    const bool made = QFile::exists(marker);
    const QByteArray frames = made ? QByteArray() : mp3Frames(root, 1);
    if (!made && frames.isEmpty())
        return {};
    const auto textFrame = [](const char *id, const QString &value) {
        const QByteArray text = '\0' + value.toLatin1();
        QByteArray frame(id);
        for (int shift : {24, 16, 8, 0})
            frame.append(char((text.size() >> shift) & 0xff));
        return frame + QByteArray(2, '\0') + text;
    };
    const int perFolder = std::max(1, count / std::max(1, folders));
    for (int i = 0; paths.size() < count; ++i) {
        const int folder = i / perFolder;
        const QString dir =
            root + QStringLiteral("/Artist %1/Album %1").arg(folder, 3, 10, QChar('0'));
        const QString path =
            dir +
            QStringLiteral("/%1 - Track %2.mp3").arg(i % perFolder + 1, 3, 10, QChar('0')).arg(i);
        paths << path;
        const bool copied = i % 13 == 0 && paths.size() < count;
        if (copied)
            paths << dir + QStringLiteral("/%1 - Track %2 (copy).mp3")
                               .arg(i % perFolder + 1, 3, 10, QChar('0'))
                               .arg(i);
        if (made)
            continue;
        const QByteArray body = textFrame("TPE1", QStringLiteral("Artist %1").arg(folder)) +
                                textFrame("TIT2", QStringLiteral("Title %1").arg(i)) +
                                textFrame("TALB", QStringLiteral("Album %1").arg(folder)) +
                                textFrame("TCON", QStringLiteral("Genre %1").arg(folder % 17));
        QByteArray tag("ID3\x03\0\0", 6);
        for (int shift : {21, 14, 7, 0}) // a synchsafe size
            tag.append(char((body.size() >> shift) & 0x7f));
        QDir().mkpath(dir);
        for (qsizetype at = paths.size() - (copied ? 2 : 1); at < paths.size(); ++at) {
            QFile file(paths[at]);
            if (file.open(QIODevice::WriteOnly))
                file.write(tag + body + frames);
        }
    }
    if (!made)
        QFile(marker).open(QIODevice::WriteOnly);
    return paths;
}

// Points the user's configuration, data and cache folders into `home`, so a program that makes
// the store never reads or writes the user's own. Call before the application object exists.
inline void useTemporaryHome(const QTemporaryDir &home)
{
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(name, QFile::encodeName(home.filePath(QString::fromLatin1(name))));
}

} // namespace brivello::bench
