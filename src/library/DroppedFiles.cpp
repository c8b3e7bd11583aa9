#include "DroppedFiles.h"

#include "platform/LocalFile.h"

#include <QDir>
#include <QMimeData>
#include <QSet>

namespace brivello {

std::optional<QUrl> droppedFileURL(const QVariant &item)
{
    if (!item.isValid() || item.isNull())
        return std::nullopt;
    QUrl url;
    switch (item.typeId()) {
    case QMetaType::QUrl:
        url = item.toUrl();
        break;
    case QMetaType::QByteArray:
        url = QUrl::fromEncoded(item.toByteArray(), QUrl::TolerantMode);
        break;
    case QMetaType::QString:
        url = QUrl(item.toString(), QUrl::TolerantMode);
        break;
    default:
        return std::nullopt;
    }
    if (url.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

QList<QVariant> droppedItems(const QMimeData *mime)
{
    QList<QVariant> items;
    if (!mime)
        return items;
    if (mime->hasUrls()) {
        for (const QUrl &url : mime->urls())
            items.append(url);
        return items;
    }
    if (mime->hasText()) {
        const QStringList lines = mime->text().split(QLatin1Char('\n'));
        for (QString line : lines) {
            line = line.trimmed();
            if (!line.isEmpty())
                items.append(line);
        }
    }
    return items;
}

QList<QUrl> droppedFileURLs(const QMimeData *mime)
{
    QList<QUrl> urls;
    for (const QVariant &item : droppedItems(mime)) {
        const std::optional<QUrl> url = droppedFileURL(item);
        if (url && url->isLocalFile() && !url->toLocalFile().isEmpty())
            urls.append(*url);
    }
    return urls;
}

QList<QUrl> uniqueFileURLs(const QList<QUrl> &urls)
{
    QList<QUrl> result;
    QSet<QString> seen;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = QDir::cleanPath(LocalFile::path(url));
        if (path.isEmpty() || path == QLatin1String("."))
            continue;
        if (seen.contains(path))
            continue;
        seen.insert(path);
        result.append(url);
    }
    return result;
}

} // namespace brivello
