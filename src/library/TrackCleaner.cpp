#include "TrackCleaner.h"

#include "platform/LocalFile.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace brivello {

namespace {

QString trimmedSpacesAndTabs(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString withoutFilters(QString text, const QStringList &filters)
{
    for (const QString &filter : filters)
        text.remove(filter, Qt::CaseInsensitive);
    return text;
}

} // namespace

QStringList TrackCleaner::titleFilters(const QString &raw)
{
    QStringList filters;
    for (const QString &piece : raw.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            filters.append(trimmed);
    }
    return filters;
}

QStringList TrackCleaner::renameFilters(const QString &raw)
{
    QStringList filters;
    for (const QString &piece : raw.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString trimmed = trimmedSpacesAndTabs(piece);
        if (!trimmed.isEmpty())
            filters.append(trimmed);
    }
    return filters;
}

QString TrackCleaner::collapsedSpaces(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("  "), QStringLiteral(" "));
    return result;
}

QString TrackCleaner::cleanedTitle(const QString &title, const QStringList &filters)
{
    return collapsedSpaces(withoutFilters(title, filters)).trimmed();
}

QString TrackCleaner::baseName(const QUrl &url)
{
    // From the path's bytes: a rename must keep every byte of a name that is not UTF-8.
    QString name = QFileInfo(LocalFile::path(url)).fileName();
    const QString extension = pathExtension(url);
    if (!extension.isEmpty())
        name.chop(extension.size() + 1);
    return name;
}

AudioTags
TrackCleaner::clearedTags(const Track &track, const QStringList &titleFilters, bool removeBPMAndKey)
{
    const AudioTags guess = Track::fallbackTags(track.url);
    QString base = guess.title;
    if (base.isEmpty())
        base = track.tags.title;
    if (base.isEmpty())
        base = baseName(track.url);

    AudioTags cleared;
    cleared.title = cleanedTitle(base, titleFilters);
    cleared.artist = guess.artist.isEmpty() ? track.tags.artist : guess.artist;
    if (!removeBPMAndKey) {
        cleared.bpm = track.tags.bpm;
        cleared.musicalKey = track.tags.musicalKey;
    }
    return cleared;
}

QString TrackCleaner::cleanedBaseName(const QString &baseName,
                                      const QStringList &filters,
                                      bool removeBPMAndKey)
{
    const QRegularExpression &prefix = Track::tempoKeyPrefix();
    QString name = withoutFilters(baseName, filters);
    if (removeBPMAndKey && prefix.isValid()) {
        // Positions carry over: the shown form has the same length.
        const QRegularExpressionMatch match = prefix.match(LocalFile::displayName(name));
        if (match.hasMatch() && match.capturedLength() > 0)
            name.remove(match.capturedStart(), match.capturedLength());
    }
    return collapsedSpaces(name).trimmed();
}

QUrl TrackCleaner::renamedLocation(const QUrl &url, const QString &baseName)
{
    const QString extension = pathExtension(url);
    const QString folder = QFileInfo(LocalFile::path(url)).path();
    QString name = baseName;
    if (!extension.isEmpty())
        name += QLatin1Char('.') + extension;
    if (folder.endsWith(QLatin1Char('/')))
        return LocalFile::fromPath(folder + name);
    return LocalFile::fromPath(folder + QLatin1Char('/') + name);
}

TrackCleaner::FollowedTags
TrackCleaner::tagsAfterRename(const AudioTags &tags, const QUrl &oldURL, const QUrl &newURL)
{
    const AudioTags oldGuess = Track::fallbackTags(oldURL);
    const AudioTags newGuess = Track::fallbackTags(newURL);
    FollowedTags result{tags, false};
    if (tags.title.isEmpty() || tags.title == oldGuess.title) {
        result.tags.title = newGuess.title;
        result.followedName = true;
    }
    if (tags.artist.isEmpty() || tags.artist == oldGuess.artist) {
        result.tags.artist = newGuess.artist;
        result.followedName = true;
    }
    return result;
}

} // namespace brivello
