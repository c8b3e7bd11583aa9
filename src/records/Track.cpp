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

const QRegularExpression &Track::tempoKeyPrefix()
{
    // Unicode properties: names use any script's digits (Arabic-Indic, full-width) and any
    // white space (no-break space, ideographic space).
    static const QRegularExpression prefix(
        QStringLiteral("^\\s*(?:(?:\\d{2,3}(?:\\.\\d+)?)\\s*[-_. ]+)?"
                       "(?:(?:\\d{1,2}[ABab]|[A-G](?:#|b)?m?)\\s*[-_. ]+)?"),
        QRegularExpression::UseUnicodePropertiesOption);
    return prefix;
}

AudioTags Track::fallbackTags(const QUrl &url)
{
    const QRegularExpression &prefix = tempoKeyPrefix();
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

namespace {

// One field of every track, into the container the caller wants.
template <typename Container, typename Field>
Container collect(const QList<Track> &tracks, Field field)
{
    Container out;
    out.reserve(tracks.size());
    for (const Track &track : tracks)
        out.insert(out.end(), track.*field);
    return out;
}

} // namespace

QList<QUrl> urlsOf(const QList<Track> &tracks)
{
    return collect<QList<QUrl>>(tracks, &Track::url);
}

QList<QUuid> idsOf(const QList<Track> &tracks)
{
    return collect<QList<QUuid>>(tracks, &Track::id);
}

QSet<QUuid> idSetOf(const QList<Track> &tracks)
{
    return collect<QSet<QUuid>>(tracks, &Track::id);
}

} // namespace brivello
