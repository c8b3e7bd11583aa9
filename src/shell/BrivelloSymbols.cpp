#include "BrivelloSymbols.h"

#include "SymbolPainter.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmapCache>
#include <QStandardPaths>
#include <QSvgRenderer>

namespace brivello {

const QHash<QString, QString> &BrivelloSymbols::table()
{
    // Symbols missing here (sun, moon, filled heart, circle, ...) are drawn in code.
    static const QHash<QString, QString> kTable = {
        {QStringLiteral("music.note.list"), QStringLiteral("view-media-playlist")},
        {QStringLiteral("music.note"), QStringLiteral("view-media-track")},
        {QStringLiteral("heart"), QStringLiteral("love")},
        {QStringLiteral("photo.on.rectangle.angled"), QStringLiteral("viewimage")},
        {QStringLiteral("photo"), QStringLiteral("viewimage")},
        {QStringLiteral("photo.badge.plus"), QStringLiteral("insert-image")},
        {QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("view-refresh")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh")},
        {QStringLiteral("waveform.path.ecg"), QStringLiteral("office-chart-line")},
        {QStringLiteral("waveform"), QStringLiteral("view-media-visualization")},
        {QStringLiteral("square.on.square"), QStringLiteral("edit-copy")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy")},
        {QStringLiteral("plus"), QStringLiteral("list-add")},
        {QStringLiteral("sparkles"), QStringLiteral("tools-wizard")},
        {QStringLiteral("arrow.right.circle"), QStringLiteral("go-next")},
        {QStringLiteral("arrow.right.circle.fill"), QStringLiteral("go-next")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("document-export")},
        {QStringLiteral("sidebar.left"), QStringLiteral("sidebar-collapse")},
        {QStringLiteral("sidebar.right"), QStringLiteral("sidebar-expand")},
        {QStringLiteral("gearshape"), QStringLiteral("configure")},
        {QStringLiteral("arrow.down.to.line.compact"), QStringLiteral("go-bottom")},
        {QStringLiteral("arrow.up.to.line.compact"), QStringLiteral("go-top")},
        {QStringLiteral("play.fill"), QStringLiteral("media-playback-start")},
        {QStringLiteral("pause.fill"), QStringLiteral("media-playback-pause")},
        {QStringLiteral("forward.end.fill"), QStringLiteral("media-skip-forward")},
        {QStringLiteral("backward.end.fill"), QStringLiteral("media-skip-backward")},
        {QStringLiteral("goforward.15"), QStringLiteral("media-seek-forward")},
        {QStringLiteral("gobackward.15"), QStringLiteral("media-seek-backward")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("data-warning")},
        {QStringLiteral("checkmark.circle"), QStringLiteral("dialog-ok-apply")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("dialog-ok-apply")},
        {QStringLiteral("checkmark.seal"), QStringLiteral("security-high")},
        {QStringLiteral("arrow.down.circle"), QStringLiteral("download")},
        {QStringLiteral("arrow.down.circle.fill"), QStringLiteral("download")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("edit-undo")},
        {QStringLiteral("line.3.horizontal.decrease.circle"), QStringLiteral("view-filter")},
        {QStringLiteral("line.3.horizontal.decrease.circle.fill"), QStringLiteral("view-filter")},
        {QStringLiteral("tag"), QStringLiteral("tag")},
        {QStringLiteral("tag.slash"), QStringLiteral("edit-clear")},
        {QStringLiteral("trash"), QStringLiteral("edit-delete")},
        {QStringLiteral("xmark"), QStringLiteral("window-close")},
        {QStringLiteral("folder"), QStringLiteral("folder")},
        {QStringLiteral("magnifyingglass"), QStringLiteral("edit-find")},
    };
    return kTable;
}

QString BrivelloSymbols::breezeName(const QString &symbol)
{
    return table().value(symbol);
}

QString BrivelloSymbols::breezeFile(const QString &symbol, ColorScheme scheme)
{
    static QHash<QString, QString> cache;
    const QString name = breezeName(symbol);
    if (name.isEmpty())
        return {};
    const QString theme =
        BrivelloTheme::isLight(scheme) ? QStringLiteral("breeze") : QStringLiteral("breeze-dark");
    const QString key = theme + QLatin1Char('/') + name;
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QStringList roots = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                  QStringLiteral("icons"),
                                                  QStandardPaths::LocateDirectory);
    roots << QStringLiteral("/usr/share/icons");
    QString path;
    for (const QString &root : roots) {
        for (const char *context : {"actions", "status", "places", "mimetypes", "emblems"}) {
            for (const char *size : {"22", "24", "16", "32"}) {
                const QString candidate =
                    QStringLiteral("%1/%2/%3/%4/%5.svg")
                        .arg(root, theme, QLatin1String(context), QLatin1String(size), name);
                if (QFileInfo::exists(candidate)) {
                    path = candidate;
                    break;
                }
            }
            if (!path.isEmpty())
                break;
        }
        if (!path.isEmpty())
            break;
    }
    cache.insert(key, path);
    return path;
}

QPixmap BrivelloSymbols::pixmap(const QString &symbol,
                                qreal pixelSize,
                                const QColor &color,
                                ColorScheme scheme,
                                qreal devicePixelRatio)
{
    // QPixmapCache, not a static: pixmaps must go before the application object does.
    const QString key = QStringLiteral("brivello-symbol|%1|%2|%3|%4|%5")
                            .arg(symbol)
                            .arg(pixelSize)
                            .arg(color.rgba())
                            .arg(int(scheme))
                            .arg(devicePixelRatio);
    QPixmap hit;
    if (QPixmapCache::find(key, &hit))
        return hit;
    const int side = qMax(1, qCeil(pixelSize * devicePixelRatio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const QString file = breezeFile(symbol, scheme);
        QSvgRenderer renderer;
        if (!file.isEmpty() && renderer.load(file)) {
            renderer.render(&painter, QRectF(0, 0, side, side));
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(image.rect(), color);
        } else {
            SymbolPainter::draw(painter, QRectF(0, 0, side, side), symbol, color);
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    QPixmapCache::insert(key, result);
    return result;
}

void BrivelloSymbols::paint(QPainter &painter,
                            const QRectF &frame,
                            const QString &symbol,
                            qreal pixelSize,
                            const QColor &color,
                            ColorScheme scheme)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pm = pixmap(symbol, pixelSize, color, scheme, dpr);
    const QRectF target(frame.center().x() - pixelSize / 2,
                        frame.center().y() - pixelSize / 2,
                        pixelSize,
                        pixelSize);
    painter.drawPixmap(target, pm, QRectF(pm.rect()));
}

void BrivelloSymbols::paint(QPainter &painter,
                            const QPointF &topLeft,
                            const QString &symbol,
                            BrivelloIconScale scale,
                            const QColor &color,
                            ColorScheme scheme)
{
    const qreal frame = BrivelloTheme::iconFrame(scale);
    paint(painter,
          QRectF(topLeft, QSizeF(frame, frame)),
          symbol,
          BrivelloTheme::iconFontSize(scale),
          color,
          scheme);
}

} // namespace brivello
