#include "DuplicateGroupCard.h"

#include "SectionRowStyle.h"
#include "platform/BrivelloLocalization.h"
#include "platform/LocalFile.h"
#include "shell/Artwork.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"
#include "workspaces/ByteCountText.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace brivello {

namespace {

int scaled(double density, double points)
{
    return int(std::lround(points * density));
}

} // namespace

int DuplicateGroupCard::padding(double density)
{
    return scaled(density, 14);
}

int DuplicateGroupCard::headingHeight(double density)
{
    return scaled(density, 44);
}

int DuplicateGroupCard::fileRowHeight(double density)
{
    return scaled(density, 34 + 2 * 7);
}

QRect DuplicateGroupCard::trashButtonRect(const QRect &row, double density)
{
    const int width = scaled(density, 190);
    return QRect(row.right() - padding(density) - width,
                 row.top() + padding(density),
                 width,
                 scaled(density, 26));
}

QRect DuplicateGroupCard::toggleRect(const QRect &row, double density)
{
    const int side = scaled(density, 24);
    return QRect(row.left() + padding(density) + scaled(density, 10),
                 row.center().y() - side / 2,
                 side,
                 side);
}

QSet<QUuid> DuplicateGroupCard::selectedTracks(const QList<Track> &files,
                                               const QSet<QUuid> &selectedIDs)
{
    QSet<QUuid> result;
    for (const Track &track : files) {
        if (selectedIDs.contains(track.id))
            result.insert(track.id);
    }
    return result;
}

QString DuplicateGroupCard::fileCountText(int count)
{
    return BrivelloLocalization::format(QStringLiteral("Файлов: %d"), count);
}

QString DuplicateGroupCard::kindTitle(DuplicateMatchKind kind)
{
    return BrivelloLocalization::string(kind == DuplicateMatchKind::exact
                                            ? QStringLiteral("Точные копии")
                                            : QStringLiteral("Вероятно один трек"));
}

QColor DuplicateGroupCard::trashForeground(ColorScheme scheme, bool enabled)
{
    if (!enabled)
        return BrivelloTheme::actionForeground(scheme, false);
    return SectionRowStyle::red();
}

void DuplicateGroupCard::paintCardBackground(QPainter &painter,
                                             const QRect &rect,
                                             bool top,
                                             bool bottom)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor fill = BrivelloTheme::isLight(scheme) ? blackA(0.045) : whiteA(0.055);
    // Rows of one card touch; only the card's first and last rows round their corners.
    QPainterPath path;
    const QRectF r(rect.adjusted(0, top ? 0 : -1, 0, bottom ? 0 : 1));
    path.addRoundedRect(r.adjusted(0, top ? 0 : -20, 0, bottom ? 0 : 20), 16, 16);
    painter.save();
    painter.setClipRect(r);
    painter.fillPath(path, fill);
    painter.restore();
}

void DuplicateGroupCard::paintHeading(QPainter &painter,
                                      const QRect &rect,
                                      const AudioDuplicateGroup &group,
                                      const QList<Track> &files,
                                      const Look &look)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const double d = look.density;
    paintCardBackground(painter, rect, true, files.isEmpty());
    const int pad = padding(d);
    const QRect line(rect.left() + pad, rect.top() + pad, rect.width() - 2 * pad, scaled(d, 26));
    const bool exact = group.matchKind == DuplicateMatchKind::exact;
    BrivelloSymbols::paint(painter,
                           QRectF(line.left(), line.top(), 18 * d, line.height()),
                           exact ? QStringLiteral("checkmark.seal")
                                 : QStringLiteral("waveform.path.ecg"),
                           14 * d,
                           BrivelloTheme::primary(scheme),
                           scheme);
    const QFont kindFont = SectionRowStyle::font(11 * d, QFont::DemiBold);
    const QString kind = kindTitle(group.matchKind);
    const int kindLeft = line.left() + scaled(d, 24);
    const int kindWidth = QFontMetrics(kindFont).horizontalAdvance(kind) + 2;
    SectionRowStyle::drawLine(painter,
                              QRect(kindLeft, line.top(), kindWidth, line.height()),
                              kind,
                              kindFont,
                              BrivelloTheme::primary(scheme));
    SectionRowStyle::drawLine(
        painter,
        QRect(kindLeft + kindWidth + scaled(d, 8), line.top(), scaled(d, 120), line.height()),
        fileCountText(int(files.size())),
        SectionRowStyle::font(10 * d, QFont::Medium),
        SectionRowStyle::secondary(scheme));
    const QRect trash = trashButtonRect(rect, d);
    SectionRowStyle::drawLine(
        painter,
        QRect(trash.left() - scaled(d, 130), line.top(), scaled(d, 120), line.height()),
        ByteCountText::fileStyle(group.byteCount, AppLanguage::current()),
        SectionRowStyle::monospacedDigits(SectionRowStyle::font(10 * d)),
        SectionRowStyle::secondary(scheme),
        Qt::AlignRight);
    paintTrashButton(painter, trash, !selectedTracks(files, look.selectedIDs).isEmpty(), d);
}

void DuplicateGroupCard::paintTrashButton(QPainter &painter,
                                          const QRect &trash,
                                          bool enabled,
                                          double d)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    painter.setPen(BrivelloTheme::actionBorder(scheme, enabled, false));
    painter.setBrush(BrivelloTheme::actionSurface(scheme, false, enabled, false));
    painter.drawRoundedRect(QRectF(trash).adjusted(0.5, 0.5, -0.5, -0.5), 8 * d, 8 * d);
    const QColor foreground = trashForeground(scheme, enabled);
    BrivelloSymbols::paint(painter,
                           QRectF(trash.left() + 8 * d, trash.top(), 16 * d, trash.height()),
                           QStringLiteral("trash"),
                           12 * d,
                           foreground,
                           scheme);
    SectionRowStyle::drawLine(painter,
                              trash.adjusted(scaled(d, 28), 0, -scaled(d, 6), 0),
                              BrivelloLocalization::string(QStringLiteral("В Корзину выбранные")),
                              SectionRowStyle::font(10 * d, QFont::Medium),
                              foreground);
}

void DuplicateGroupCard::paintFile(QPainter &painter,
                                   const QRect &rect,
                                   const DuplicateGroupRows::Row &row,
                                   const Look &look)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    const double d = look.density;
    const Track &track = row.track;
    paintCardBackground(painter, rect, false, row.isLastOfGroup);
    const int pad = padding(d);
    const QRect content = rect.adjusted(pad, 0, -pad, row.isLastOfGroup ? -pad : 0);
    const bool selected = look.selectedIDs.contains(track.id);
    const bool current = look.currentID == track.id;
    const bool playing = current && look.isPlaying;
    if (current || selected) {
        const QColor fill = current ? (light ? rgbA(0.18, 0.28, 0.40, 0.185) : whiteA(0.125))
                                    : SectionRowStyle::selectedFill(scheme);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(content), 9 * d, 9 * d);
    } else {
        BrivelloTheme::paintInteractiveHover(painter, QRectF(content), scheme, look.hovered);
    }
    const QRect toggle = toggleRect(rect, d);
    const QColor toggleColor =
        selected ? (light ? blackA(0.78) : QColor(Qt::white)) : SectionRowStyle::secondary(scheme);
    BrivelloSymbols::paint(painter,
                           QRectF(toggle),
                           selected ? QStringLiteral("checkmark.circle.fill")
                                    : QStringLiteral("circle"),
                           18 * d,
                           toggleColor,
                           scheme);
    const qreal thumbSide = 34 * d;
    const QRectF thumb(
        toggle.right() + 10 * d, content.center().y() - thumbSide / 2, thumbSide, thumbSide);
    Artwork::paint(painter, thumb, track.artwork);
    if (current)
        SectionRowStyle::paintPlayingOverlay(painter, thumb, 7 * d, playing, 11 * d);

    const int right = paintRowEnd(painter, content, track, current, playing, d);
    const int left = int(thumb.right() + 10 * d);
    const QString name = track.tags.title.isEmpty() ? QFileInfo(track.url.path()).completeBaseName()
                                                    : track.tags.title;
    const QFont nameFont = SectionRowStyle::font(11 * d, QFont::Medium);
    const QFont pathFont = SectionRowStyle::font(10 * d);
    const int nameHeight = QFontMetrics(nameFont).height();
    const int pathHeight = QFontMetrics(pathFont).height();
    const int gap = scaled(d, 2);
    const int top = content.center().y() - (nameHeight + gap + pathHeight) / 2;
    SectionRowStyle::drawLine(painter,
                              QRect(left, top, right - left, nameHeight),
                              name,
                              nameFont,
                              BrivelloTheme::primary(scheme));
    SectionRowStyle::drawLine(painter,
                              QRect(left, top + nameHeight + gap, right - left, pathHeight),
                              LocalFile::displayName(LocalFile::path(track.url)),
                              pathFont,
                              SectionRowStyle::secondary(scheme),
                              Qt::AlignLeft,
                              Qt::ElideMiddle);
}

int DuplicateGroupCard::paintRowEnd(QPainter &painter,
                                    const QRect &content,
                                    const Track &track,
                                    bool current,
                                    bool playing,
                                    double d)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    int right = content.right() - scaled(d, 10);
    const QFont formatFont = SectionRowStyle::font(10 * d, QFont::Medium);
    const int formatWidth = QFontMetrics(formatFont).horizontalAdvance(track.format) + 2;
    SectionRowStyle::drawLine(
        painter,
        QRect(right - formatWidth, content.top(), formatWidth, content.height()),
        track.format,
        formatFont,
        SectionRowStyle::secondary(scheme));
    right -= formatWidth + scaled(d, 10);
    if (!current)
        return right;
    const QFont badgeFont = SectionRowStyle::font(10 * d, QFont::Bold);
    const QString word = BrivelloLocalization::string(playing ? QStringLiteral("ИГРАЕТ")
                                                              : QStringLiteral("НА ПАУЗЕ"));
    const int width = QFontMetrics(badgeFont).horizontalAdvance(word) + 2;
    SectionRowStyle::drawLine(painter,
                              QRect(right - width, content.top(), width, content.height()),
                              word,
                              badgeFont,
                              SectionRowStyle::green());
    right -= width + scaled(d, 4);
    const qreal dot = 6 * d;
    painter.setPen(Qt::NoPen);
    painter.setBrush(SectionRowStyle::green());
    painter.drawEllipse(QRectF(right - dot, content.center().y() - dot / 2, dot, dot));
    return right - scaled(d, 16);
}

} // namespace brivello
