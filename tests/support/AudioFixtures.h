#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace brivello::test {

// Makers of audio fixtures at test time (ffmpeg, mutagen) and the outside readers the tests
// compare against (ffprobe, mutagen). Blocking; for tests only.
struct ToolResult
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ToolResult runTool(const QString &program, const QStringList &arguments);

// A sine tone written by ffmpeg to `path`; `outputOptions` go before the path (codec, -metadata,
// -id3v2_version ...). Fails the current test when ffmpeg fails.
void makeTone(const QString &path,
              double seconds,
              const QStringList &outputOptions = {},
              int channels = 1,
              int sampleRate = 44100);

// Runs a Python snippet with mutagen imported and `path` bound to the file. Fails the current
// test when Python reports an error.
void runMutagen(const QString &path, const QString &script);

// ffprobe -show_format -show_streams as JSON.
QJsonObject ffprobe(const QString &path);

// Mutagen's view of the ten tag fields (keys as in AudioTags; absent when not set) and, under
// "pictureSize", the byte count of the first picture.
QJsonObject mutagenTags(const QString &path);

// A small PNG image.
QByteArray pngImage(int width = 8, int height = 8);

// An executable shell script (for stub programs).
void writeScript(const QString &path, const QString &body);

} // namespace brivello::test
