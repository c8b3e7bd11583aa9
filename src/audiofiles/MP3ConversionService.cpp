#include "MP3ConversionService.h"

#include "ChildProcess.h"
#include "FFmpegExecutable.h"
#include "platform/BrivelloLocalization.h"

#include <QCoroSignal>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>

namespace brivello {

QString MP3ConversionService::ConversionError::errorDescription() const
{
    if (m_kind == converterUnavailable) {
        return BrivelloLocalization::string(
            QStringLiteral("Для конвертации в MP3 нужен FFmpeg. Установите его командой: sudo apt "
                           "install ffmpeg"));
    }
    if (m_output.isEmpty())
        return BrivelloLocalization::string(
            QStringLiteral("Не удалось конвертировать файл в MP3."));
    return m_output;
}

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
    const QString sourcePath = source.toLocalFile();
    const QFileInfo info(sourcePath);
    const QDir folder = info.dir();
    QString base = info.fileName();
    const int dot = base.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        base.truncate(dot);

    const QString first = folder.filePath(base + QStringLiteral(".mp3"));
    if (first != sourcePath && !QFileInfo::exists(first))
        return QUrl::fromLocalFile(first);
    for (qint64 n = 1;; ++n) {
        const QString candidate =
            folder.filePath(QStringLiteral("%1 (MP3 %2).mp3").arg(base).arg(n));
        if (!QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(candidate);
    }
}

QCoro::Task<QUrl> MP3ConversionService::convert(QUrl source, int bitrateKbps)
{
    const std::optional<QUrl> ffmpeg = FFmpegExecutable::url();
    if (!ffmpeg)
        throw ConversionError::unavailable();
    const QUrl destination = uniqueDestination(source);
    const QString outputPath = destination.toLocalFile();

    // One merged channel, drained by the event loop while ffmpeg runs, so it never blocks on
    // a full pipe.
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProgram(ffmpeg->toLocalFile());
    process.setArguments(ffmpegArguments(source.toLocalFile(), bitrateKbps, outputPath));
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

    const bool succeeded = process.exitStatus() == QProcess::NormalExit &&
                           process.exitCode() == 0 && QFileInfo::exists(outputPath);
    if (succeeded)
        co_return destination;

    // The destination was free when chosen, so whatever is there now is ffmpeg's partial work.
    QFile::remove(outputPath);
    auto decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder.decode(output);
    if (decoder.hasError())
        text.clear();
    throw ConversionError::failed(text.trimmed());
}

} // namespace brivello
