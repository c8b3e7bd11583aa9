#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace brivello::test {

// Fixture makers and outside-reader views used by the reading tests, on top of TestAudioFiles
// (which runs the tools). Blocking; for tests only.

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

// An executable shell script (for stub programs).
void writeScript(const QString &path, const QString &body);

} // namespace brivello::test
