#include "TestAudioFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

namespace brivello::test {

TestAudioFiles::Result
TestAudioFiles::run(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(program, arguments);
    Result result;
    if (!process.waitForStarted(10000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished(5000);
        result.err = program.toUtf8() + " did not finish within 120 s";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool TestAudioFiles::hasProgram(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

QStringList TestAudioFiles::lavfiArguments(const QString &source)
{
    return {QStringLiteral("-nostdin"),
            QStringLiteral("-v"),
            QStringLiteral("error"),
            QStringLiteral("-y"),
            QStringLiteral("-f"),
            QStringLiteral("lavfi"),
            QStringLiteral("-i"),
            source};
}

QStringList TestAudioFiles::toneArguments(double seconds, int channels, int sampleRate)
{
    return lavfiArguments(QStringLiteral("sine=frequency=440:sample_rate=%1:duration=%2")
                              .arg(sampleRate)
                              .arg(seconds))
           << QStringLiteral("-ac") << QString::number(channels);
}

QString TestAudioFiles::make(const QString &folder,
                             const QString &name,
                             double seconds,
                             const QStringList &extra)
{
    const QString path = folder + QLatin1Char('/') + name;
    const QString extension = name.section(QLatin1Char('.'), -1).toLower();
    QStringList arguments = toneArguments(seconds);
    if (extension == QLatin1String("mp3"))
        arguments << QStringLiteral("-c:a") << QStringLiteral("libmp3lame")
                  << QStringLiteral("-id3v2_version") << QStringLiteral("0")
                  << QStringLiteral("-write_xing") << QStringLiteral("0");
    else if (extension == QLatin1String("aac"))
        arguments << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-f")
                  << QStringLiteral("adts");
    else if (extension == QLatin1String("ogg"))
        arguments << QStringLiteral("-c:a") << QStringLiteral("libvorbis");
    else if (extension == QLatin1String("aif") || extension == QLatin1String("aiff"))
        arguments << QStringLiteral("-f") << QStringLiteral("aiff");
    arguments << QStringLiteral("-map_metadata") << QStringLiteral("-1")
              << QStringLiteral("-fflags") << QStringLiteral("+bitexact") << extra << path;
    return run(QStringLiteral("ffmpeg"), arguments).ok() ? path : QString();
}

QByteArray TestAudioFiles::audioMd5(const QString &path)
{
    const Result result = run(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-nostdin"),
                               QStringLiteral("-v"),
                               QStringLiteral("error"),
                               QStringLiteral("-i"),
                               path,
                               QStringLiteral("-map"),
                               QStringLiteral("0:a"),
                               QStringLiteral("-f"),
                               QStringLiteral("md5"),
                               QStringLiteral("-")});
    return result.ok() ? result.out.trimmed() : QByteArray();
}

TestAudioFiles::Result TestAudioFiles::python(const QString &script, const QStringList &arguments)
{
    return run(QStringLiteral("/usr/bin/python3"),
               QStringList{QStringLiteral("-c"), script} + arguments);
}

QJsonObject TestAudioFiles::mutagenTags(const QString &path)
{
    static const QString script = QStringLiteral(R"(
import json, sys, mutagen
f = mutagen.File(sys.argv[1])
out = {}
if f is not None and f.tags is not None:
    for key, value in f.tags.items():
        if hasattr(value, 'text'):
            vals = [str(v) for v in value.text]
        elif hasattr(value, 'data'):
            vals = ['<%d bytes>' % len(value.data)]
        elif isinstance(value, list):
            vals = [str(v) for v in value]
        else:
            vals = [str(value)]
        out[key] = vals
    for pic in getattr(f, 'pictures', []):
        out.setdefault('PICTURE', []).append('%s %d' % (pic.mime, len(pic.data)))
print(json.dumps(out))
)");
    const Result result = python(script, {path});
    return QJsonDocument::fromJson(result.out).object();
}

QJsonObject TestAudioFiles::ffprobeTags(const QString &path)
{
    const Result result = run(QStringLiteral("ffprobe"),
                              {QStringLiteral("-v"),
                               QStringLiteral("error"),
                               QStringLiteral("-show_entries"),
                               QStringLiteral("format_tags"),
                               QStringLiteral("-of"),
                               QStringLiteral("json"),
                               path});
    const QJsonObject tags = QJsonDocument::fromJson(result.out)
                                 .object()
                                 .value(QStringLiteral("format"))
                                 .toObject()
                                 .value(QStringLiteral("tags"))
                                 .toObject();
    QJsonObject lowered;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        lowered.insert(it.key().toLower(), it.value());
    return lowered;
}

QByteArray TestAudioFiles::attachedPicture(const QString &path)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("picture.bin"));
    const Result copied = run(QStringLiteral("ffmpeg"),
                              {QStringLiteral("-v"),
                               QStringLiteral("error"),
                               QStringLiteral("-i"),
                               path,
                               QStringLiteral("-an"),
                               QStringLiteral("-c:v"),
                               QStringLiteral("copy"),
                               QStringLiteral("-f"),
                               QStringLiteral("image2"),
                               out});
    return copied.ok() ? readAll(out) : QByteArray();
}

bool TestAudioFiles::restateMp4Duration(const QString &file, double factor)
{
    QFile mp4(file);
    if (!mp4.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = mp4.readAll();
    // Offset of the duration field from the box type: version/flags and the header's times.
    const QList<QPair<QByteArray, int>> boxes{{"mvhd", 20}, {"tkhd", 24}, {"mdhd", 20}};
    int changed = 0;
    for (const auto &[type, offset] : boxes) {
        const qsizetype at = bytes.indexOf(type);
        if (at < 0 || bytes[at + 4] != 0 || at + offset + 4 > bytes.size())
            return false;
        const qsizetype field = at + offset;
        const quint32 stated = qFromBigEndian<quint32>(bytes.constData() + field);
        qToBigEndian<quint32>(quint32(stated * factor), bytes.data() + field);
        ++changed;
    }
    return changed == 3 && mp4.seek(0) && mp4.write(bytes) == bytes.size();
}

QByteArray TestAudioFiles::readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TestAudioFiles::writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QStringList TestAudioFiles::leftoverTemporaries(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral(".brivello-*")},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

static QByteArray encodedPicture(int size, const char *format)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QString TestAudioFiles::corpusFolder()
{
    return QStringLiteral(BRIVELLO_TESTDATA_DIR "/tag-robustness");
}

QStringList TestAudioFiles::corpusFiles()
{
    return QDir(corpusFolder())
        .entryList({QStringLiteral("*.mp3"),
                    QStringLiteral("*.flac"),
                    QStringLiteral("*.wav"),
                    QStringLiteral("*.aif"),
                    QStringLiteral("*.m4a")},
                   QDir::Files,
                   QDir::Name);
}

QByteArray TestAudioFiles::pngPicture(int size)
{
    return encodedPicture(size, "PNG");
}

QByteArray TestAudioFiles::jpegPicture(int size)
{
    return encodedPicture(size, "JPEG");
}

} // namespace brivello::test
