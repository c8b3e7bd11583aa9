#include "MP3ConversionService.h"

#include "ChildProcess.h"
#include "FFmpegExecutable.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"

#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brivello {

QString MP3ConversionService::ConversionError::descriptionKey() const
{
    if (m_kind == converterUnavailable) {
        return QStringLiteral(
            "Для конвертации в MP3 нужен FFmpeg. Установите его командой: sudo apt install ffmpeg");
    }
    if (m_output.isEmpty())
        return QStringLiteral("Не удалось конвертировать файл в MP3.");
    return m_output;
}

QString MP3ConversionService::ConversionError::errorDescription() const
{
    return BrivelloLocalization::string(descriptionKey());
}

namespace {

// A file handed to ffmpeg. QProcess encodes arguments as UTF-8, so a path that is not UTF-8
// reaches the child as a descriptor opened here, /proc/self/fd/N, inherited by that child only.
// The output is always created here, so the service knows the file at the path is its own.
class ChildFile
{
public:
    ChildFile(const QUrl &url, int flags)
        : m_path(LocalFile::path(url))
        , m_utf8(LocalFile::encodeName(m_path) == m_path.toUtf8())
    {
        if (m_utf8 && !(flags & O_CREAT))
            return;
        m_fd = ::open(LocalFile::nativePath(url).constData(), flags | O_CLOEXEC, 0666);
        if (m_fd < 0) {
            throw MP3ConversionService::ConversionError::failed(
                LocalFile::displayName(QFileInfo(m_path).fileName()) + QStringLiteral(": ") +
                QString::fromLocal8Bit(std::strerror(errno)));
        }
        m_created = flags & O_CREAT;
    }
    // A file this object created goes away unless kept: a failed or never started conversion
    // leaves nothing behind.
    ~ChildFile()
    {
        if (m_created && !m_kept && isOurs())
            ::unlink(LocalFile::encodeName(m_path).constData());
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ChildFile(const ChildFile &) = delete;
    ChildFile &operator=(const ChildFile &) = delete;

    bool isDescriptor() const { return !m_utf8; }
    QString argument() const
    {
        return isDescriptor() ? QStringLiteral("/proc/self/fd/%1").arg(m_fd) : m_path;
    }
    // Runs in the forked child before exec: async-signal-safe calls only.
    void inherit() const
    {
        if (isDescriptor())
            ::fcntl(m_fd, F_SETFD, 0);
    }
    // Whether the file at the path is still the one created here and now holds data.
    bool holdsOutput() const
    {
        struct stat info;
        return isOurs() && ::fstat(m_fd, &info) == 0 && info.st_size > 0;
    }
    void keep() { m_kept = true; }

private:
    bool isOurs() const
    {
        struct stat opened;
        struct stat named;
        return m_fd >= 0 && ::fstat(m_fd, &opened) == 0 &&
               ::stat(LocalFile::encodeName(m_path).constData(), &named) == 0 &&
               opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    }

    QString m_path;
    bool m_utf8 = true;
    int m_fd = -1;
    bool m_created = false;
    bool m_kept = false;
};

} // namespace

QStringList
MP3ConversionService::ffmpegArguments(const QString &source, int bitrateKbps, const QString &output)
{
    return {QStringLiteral("-nostdin"),
            QStringLiteral("-y"),
            QStringLiteral("-i"),
            source,
            QStringLiteral("-vn"),
            QStringLiteral("-map_metadata"),
            QStringLiteral("0"),
            QStringLiteral("-c:a"),
            QStringLiteral("libmp3lame"),
            QStringLiteral("-b:a"),
            QString::number(bitrateKbps) + QLatin1Char('k'),
            output};
}

QUrl MP3ConversionService::uniqueDestination(const QUrl &source)
{
    const QString sourcePath = LocalFile::path(source);
    const QFileInfo info(sourcePath);
    const QDir folder = info.dir();
    QString base = info.fileName();
    const int dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);

    const QString first = folder.filePath(base + QStringLiteral(".mp3"));
    if (first != sourcePath && !LocalFile::isTaken(first))
        return LocalFile::fromPath(first);
    for (qint64 n = 1;; ++n) {
        const QString candidate =
            folder.filePath(QStringLiteral("%1 (MP3 %2).mp3").arg(base).arg(n));
        if (!LocalFile::isTaken(candidate))
            return LocalFile::fromPath(candidate);
    }
}

QCoro::Task<QUrl> MP3ConversionService::convert(QUrl source, int bitrateKbps)
{
    const std::optional<QUrl> ffmpeg = FFmpegExecutable::url();
    if (!ffmpeg)
        throw ConversionError::unavailable();
    const QUrl destination = uniqueDestination(source);
    const ChildFile inputFile(source, O_RDONLY);
    ChildFile outputFile(destination, O_WRONLY | O_CREAT | O_EXCL);

    // One merged channel, drained by the event loop while ffmpeg runs, so it never blocks on
    // a full pipe.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProgram(ffmpeg->toLocalFile());
    QStringList arguments =
        ffmpegArguments(inputFile.argument(), bitrateKbps, outputFile.argument());
    if (outputFile.isDescriptor()) { // no extension to tell ffmpeg the format
        arguments.insert(arguments.size() - 1, QStringLiteral("-f"));
        arguments.insert(arguments.size() - 1, QStringLiteral("mp3"));
    }
    process.setArguments(arguments);
    process.setChildProcessModifier([&inputFile, &outputFile] {
        inputFile.inherit();
        outputFile.inherit();
    });
    QByteArray output;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        output += process.readAllStandardOutput();
    });
    process.start();
    // Awaited operations are named locals: GCC 12 mishandles temporaries inside co_await.
    // Starting ends in Running or, when the program cannot run, NotRunning.
    while (process.state() == QProcess::Starting) {
        auto changing = qCoro(&process, &QProcess::stateChanged);
        co_await changing;
    }
    if (process.error() == QProcess::FailedToStart)
        throw ProcessLaunchError(process.errorString().toStdString());
    // A child that already ended emits nothing more: only wait for one still running.
    if (process.state() != QProcess::NotRunning) {
        auto finishing = qCoro(&process, &QProcess::finished);
        co_await finishing;
    }
    output += process.readAllStandardOutput();

    // ffmpeg truncates and writes the file created for it; exit status 0 alone is no proof.
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
        outputFile.holdsOutput()) {
        outputFile.keep();
        co_return destination;
    }

    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder.decode(output);
    if (decoder.hasError())
        text.clear();
    throw ConversionError::failed(text.trimmed());
}

} // namespace brivello
