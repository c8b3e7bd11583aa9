#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace brivello::test {

// Makes small audio files with outside tools (ffmpeg, flac, sox) and reads them back with tools
// nobody here wrote (mutagen, ffprobe, metaflac). Blocking; for tests only.
class TestAudioFiles
{
public:
    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
        bool ok() const { return exitCode == 0; }
    };

    static Result
    run(const QString &program, const QStringList &arguments, const QByteArray &input = {});
    static bool hasProgram(const QString &program);

    // ffmpeg's arguments up to the output options, reading `source` (a lavfi graph).
    static QStringList lavfiArguments(const QString &source);
    // The same for a 440 Hz sine tone.
    static QStringList toneArguments(double seconds, int channels = 2, int sampleRate = 44100);

    // A short sine tone in the format the extension names (mp3, flac, wav, aiff, aif, m4a,
    // aac, ogg), written with ffmpeg. `extra` goes before the output path. Empty on failure.
    static QString make(const QString &folder,
                        const QString &name,
                        double seconds = 1.0,
                        const QStringList &extra = {});

    // md5 of the decoded audio ("ffmpeg -i F -map 0:a -f md5 -").
    static QByteArray audioMd5(const QString &path);
    // Runs a Python snippet under /usr/bin/python3 with mutagen; `path` is sys.argv[1].
    static Result python(const QString &script, const QStringList &arguments = {});
    // mutagen's view of the tags: {key: [values...]} as text, keys as mutagen names them.
    static QJsonObject mutagenTags(const QString &path);
    // ffprobe's format tags, keys lower-cased.
    static QJsonObject ffprobeTags(const QString &path);

    // The attached picture of an audio file as ffmpeg copies it out; empty when it has none.
    static QByteArray attachedPicture(const QString &path);
    // Scales the durations an MP4 file states (movie, track and media headers, version 0), so
    // the container claims another length than the audio it holds.
    static bool restateMp4Duration(const QString &file, double factor);
    static QByteArray readAll(const QString &path);
    static bool writeAll(const QString &path, const QByteArray &bytes);
    // Names of hidden ".brivello-" temporaries left in a folder.
    static QStringList leftoverTemporaries(const QString &folder);
    // A small valid PNG and JPEG made with Qt.
    // The shared tag-robustness corpus (../shared/testdata/tag-robustness) and its audio files
    // by name; the list is empty when the folder is absent, and tests then skip.
    static QString corpusFolder();
    static QStringList corpusFiles();

    static QByteArray pngPicture(int size = 16);
    static QByteArray jpegPicture(int size = 16);
};

} // namespace brivello::test
