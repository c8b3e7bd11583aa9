#include "FFmpegExecutable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>

namespace brivello {

namespace {

QMutex g_testMutex;
std::optional<FFmpegExecutable::SearchPlaces> g_testPlaces;

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

const QStringList &FFmpegExecutable::fixedPaths()
{
    static const QStringList paths = {QStringLiteral("/home/linuxbrew/.linuxbrew/bin/ffmpeg"),
                                      QStringLiteral("/usr/local/bin/ffmpeg"),
                                      QStringLiteral("/usr/bin/ffmpeg")};
    return paths;
}

FFmpegExecutable::SearchPlaces FFmpegExecutable::systemPlaces()
{
    SearchPlaces places;
    if (QCoreApplication::instance())
        places.resourceFolder = QCoreApplication::applicationDirPath();
    places.fixedPaths = fixedPaths();
    places.pathVariable = qEnvironmentVariable("PATH");
    return places;
}

void FFmpegExecutable::setPlacesForTesting(std::optional<SearchPlaces> places)
{
    QMutexLocker lock(&g_testMutex);
    g_testPlaces = std::move(places);
}

std::optional<QUrl> FFmpegExecutable::url()
{
    {
        QMutexLocker lock(&g_testMutex);
        if (g_testPlaces)
            return url(*g_testPlaces);
    }
    return url(systemPlaces());
}

std::optional<QUrl> FFmpegExecutable::url(const SearchPlaces &places)
{
    QStringList candidates;
    if (!places.resourceFolder.isEmpty())
        candidates << QDir(places.resourceFolder).filePath(QStringLiteral("MP3Converter/ffmpeg"));
    candidates << places.fixedPaths;
    // A relative entry would run whatever "ffmpeg" the current folder holds: skipped.
    for (const QString &entry : places.pathVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(entry))
            candidates << QDir(entry).filePath(QStringLiteral("ffmpeg"));
    }
    for (const QString &candidate : candidates) {
        if (isExecutableFile(candidate))
            return QUrl::fromLocalFile(candidate);
    }
    return std::nullopt;
}

} // namespace brivello
