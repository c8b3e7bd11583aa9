#include "Track.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

namespace brivello {

QString pathExtension(const QUrl &url)
{
    const QString name = url.fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    // A leading dot (".hidden") or a trailing one has no extension.
    if (dot <= 0 || dot == name.size() - 1)
        return {};
    return name.mid(dot + 1);
}

Track Track::make(const QUrl &url)
{
    Track track;
    track.id = QUuid::createUuid();
    track.url = url;
    track.tags = fallbackTags(url);
    track.format = formatLabel(url);
    return track;
}

QString Track::formatLabel(const QUrl &url)
{
    return pathExtension(url).toUpper();
}

AudioTags Track::fallbackTags(const QUrl &url)
{
    static const QRegularExpression prefix(
        QStringLiteral("^\\s*(?:(?:\\d{2,3}(?:\\.\\d+)?)\\s*[-_. "
                       "]+)?(?:(?:\\d{1,2}[ABab]|[A-G](?:#|b)?m?)\\s*[-_. ]+)?"));

    QString name = url.fileName();
    const QString extension = pathExtension(url);
    if (!extension.isEmpty())
        name.chop(extension.size() + 1);

    const QRegularExpressionMatch match = prefix.match(name);
    if (match.hasMatch() && match.capturedLength() > 0)
        name = name.mid(match.capturedEnd()).trimmed();

    AudioTags tags;
    for (const QString &separator :
         {QStringLiteral(" - "), QStringLiteral(" \u2013 "), QStringLiteral(" \u2014 ")}) {
        const int at = name.indexOf(separator);
        if (at >= 0) {
            tags.artist = name.left(at);
            tags.title = name.mid(at + separator.size());
            return tags;
        }
    }
    tags.title = name;
    return tags;
}

QString Track::bitRateText() const
{
    if (!(bitRate > 0))
        return QStringLiteral("\u2014 kbps");
    return QStringLiteral("%1 kbps").arg(static_cast<qint64>(std::round(bitRate / 1000.0)));
}

QString clockText(double seconds)
{
    if (!std::isfinite(seconds))
        return QStringLiteral("0:00");
    const auto whole = static_cast<qint64>(std::trunc(seconds));
    const qint64 minutes = whole / 60;
    const qint64 rest = whole % 60;
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

QList<QUrl> urlsOf(const QList<Track> &tracks)
{
    QList<QUrl> urls;
    urls.reserve(tracks.size());
    for (const Track &track : tracks)
        urls.append(track.url);
    return urls;
}

QList<QUuid> idsOf(const QList<Track> &tracks)
{
    QList<QUuid> ids;
    ids.reserve(tracks.size());
    for (const Track &track : tracks)
        ids.append(track.id);
    return ids;
}

QSet<QUuid> idSetOf(const QList<Track> &tracks)
{
    QSet<QUuid> ids;
    ids.reserve(tracks.size());
    for (const Track &track : tracks)
        ids.insert(track.id);
    return ids;
}

} // namespace brivello
