#include "MP3ConversionService.h"

#include "ChildProcess.h"
#include "FFmpegExecutable.h"
#include "platform/BrivelloLocalization.h"
#include "platform/HeldTemporaryFile.h"
#include "platform/LocalFile.h"

#include <QCoroFuture>
#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QtConcurrent>
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

QString systemError(const QString &path, int error)
{
    return LocalFile::displayName(QFileInfo(path).fileName()) + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(error));
}

bool isUtf8(const QString &path)
{
    return LocalFile::encodeName(path) == path.toUtf8();
}

// The source handed to ffmpeg. QProcess encodes arguments as UTF-8, so a path that is not
// UTF-8 reaches the child as a descriptor opened here, /proc/self/fd/N, inherited by that child.
class ChildInput
{
public:
    explicit ChildInput(const QUrl &url)
        : m_path(LocalFile::path(url))
    {
        if (isUtf8(m_path))
            return;
        m_fd = ::open(LocalFile::nativePath(url).constData(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            throw MP3ConversionService::ConversionError::failed(systemError(m_path, errno));
    }
    ~ChildInput()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ChildInput(const ChildInput &) = delete;
    ChildInput &operator=(const ChildInput &) = delete;

    QString argument() const
    {
        return m_fd >= 0 ? QStringLiteral("/proc/self/fd/%1").arg(m_fd) : m_path;
    }
    int inherited() const { return m_fd; }

private:
    QString m_path;
    int m_fd = -1;
};

struct Placed
{
    QUrl url;
    int error = 0;
};

// Flushes the finished temporary file and gives it the first free final name: a name taken
// meanwhile is never overwritten. Blocking.
Placed putInPlace(HeldTemporaryFile &output, const QUrl &source, QUrl destination)
{
    constexpr int kAttempts = 64;
    if (::fdatasync(output.descriptor()) != 0)
        return {destination, errno};
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int error = output.renameTo(LocalFile::path(destination), false);
        if (error != EEXIST)
            return {destination, error};
        destination = MP3ConversionService::uniqueDestination(source);
    }
    return {destination, EEXIST};
}

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

QCoro::Task<QUrl> MP3ConversionService::convert(QUrl source, int bitrateKbps, std::stop_token stop)
{
    const std::optional<QUrl> ffmpeg = FFmpegExecutable::url();
    if (!ffmpeg)
        throw ConversionError::unavailable();
    if (stop.stop_requested())
        throw OperationCancelled();
    const QUrl destination = uniqueDestination(source);
    const QString folder = QFileInfo(LocalFile::path(destination)).absolutePath();
    const ChildInput input(source);
    // ffmpeg writes into a temporary file of ours; only a finished file gets the final name.
    HeldTemporaryFile::removeStale(folder);
    HeldTemporaryFile output(folder, QStringLiteral("mp3"), 0666);
    if (!output.isOpen())
        throw ConversionError::failed(systemError(LocalFile::path(destination), output.error()));
    const int inheritedOutput = isUtf8(output.path()) ? -1 : output.descriptor();

    // One merged channel, drained by the event loop while ffmpeg runs, so it never blocks on
    // a full pipe.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProgram(ffmpeg->toLocalFile());
    QStringList arguments = ffmpegArguments(
        input.argument(),
        bitrateKbps,
        inheritedOutput >= 0 ? QStringLiteral("/proc/self/fd/%1").arg(inheritedOutput)
                             : output.path());
    if (inheritedOutput >= 0) { // no extension to tell ffmpeg the format
        arguments.insert(arguments.size() - 1, QStringLiteral("-f"));
        arguments.insert(arguments.size() - 1, QStringLiteral("mp3"));
    }
    process.setArguments(arguments);
    // This runs on the main thread, which lives as long as the process: ffmpeg dies with it.
    const pid_t parent = ::getpid();
    const int inheritedInput = input.inherited();
    process.setChildProcessModifier([parent, inheritedInput, inheritedOutput] {
        ChildProcess::dieWithParent(parent);
        for (const int fd : {inheritedInput, inheritedOutput})
            if (fd >= 0)
                ::fcntl(fd, F_SETFD, 0);
    });
    QByteArray collected;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        collected += process.readAllStandardOutput();
    });
    process.start();
    // A stop (the application quits) kills and reaps ffmpeg and removes its partial file at
    // once, whether or not this coroutine ever resumes. A finished file being put in place
    // is left to that.
    bool placing = false;
    std::stop_callback onStop(stop, [&process, &output, &placing] {
        if (placing)
            return;
        process.kill();
        process.waitForFinished(-1);
        output.discard();
    });
    // Awaited operations are named locals: GCC 12 mishandles temporaries inside co_await.
    // Starting ends in Running or, when the program cannot run, NotRunning.
    while (process.state() == QProcess::Starting) {
        auto changing = qCoro(&process, &QProcess::stateChanged);
        co_await changing;
    }
    if (process.error() == QProcess::FailedToStart && !stop.stop_requested())
        throw ProcessLaunchError(process.errorString().toStdString());
    // A child that already ended emits nothing more: only wait for one still running.
    if (process.state() != QProcess::NotRunning) {
        auto finishing = qCoro(&process, &QProcess::finished);
        co_await finishing;
    }
    if (stop.stop_requested())
        throw OperationCancelled();
    collected += process.readAllStandardOutput();

    // ffmpeg truncates and writes the file created for it; exit status 0 alone is no proof.
    struct stat written;
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
        output.isStillNamed() && ::fstat(output.descriptor(), &written) == 0 &&
        written.st_size > 0) {
        placing = true;
        auto putting = QtConcurrent::run(
            [&output, source, destination] { return putInPlace(output, source, destination); });
        const Placed placed = co_await putting;
        if (placed.error != 0)
            throw ConversionError::failed(systemError(LocalFile::path(placed.url), placed.error));
        co_return placed.url;
    }

    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder.decode(collected);
    if (decoder.hasError())
        text.clear();
    throw ConversionError::failed(text.trimmed());
}

} // namespace brivello
