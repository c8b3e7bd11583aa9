#include "DuplicateGroupCard.h"

#include "SectionRowStyle.h"
#include "platform/BrivelloLocalization.h"
#include "shell/Artwork.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"
#include "workspaces/ByteCountText.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>

namespace brivello {

namespace {

constexpr int kTrashWidth = 190;
constexpr int kThumb = 34;

} // namespace

int DuplicateGroupCard::fileRowHeight()
{
    return kThumb + 14;
}

QRect DuplicateGroupCard::trashButtonRect(const QRect &row)
{
    return QRect(row.right() - kPadding - kTrashWidth, row.top() + kPadding, kTrashWidth, 26);
}

QRect DuplicateGroupCard::toggleRect(const QRect &row)
{
    return QRect(row.left() + kPadding + 10, row.center().y() - 12, 24, 24);
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
    paintCardBackground(painter, rect, true, files.isEmpty());
    const QRect line(
        rect.left() + kPadding, rect.top() + kPadding, rect.width() - 2 * kPadding, 26);
    const bool exact = group.matchKind == DuplicateMatchKind::exact;
    BrivelloSymbols::paint(painter,
                           QRectF(line.left(), line.top(), 18, line.height()),
                           exact ? QStringLiteral("checkmark.seal")
                                 : QStringLiteral("waveform.path.ecg"),
                           14,
                           BrivelloTheme::primary(scheme),
                           scheme);
    const QFont kindFont = BrivelloTheme::font(TextStyle::subheadline, QFont::DemiBold);
    const QString kind = kindTitle(group.matchKind);
    const int kindWidth = QFontMetrics(kindFont).horizontalAdvance(kind);
    SectionRowStyle::drawLine(painter,
                              QRect(line.left() + 24, line.top(), kindWidth + 2, line.height()),
                              kind,
                              kindFont,
                              BrivelloTheme::primary(scheme));
    SectionRowStyle::drawLine(painter,
                              QRect(line.left() + 34 + kindWidth, line.top(), 120, line.height()),
                              fileCountText(int(files.size())),
                              BrivelloTheme::font(TextStyle::caption, QFont::Medium),
                              SectionRowStyle::secondary(scheme));
    const QRect trash = trashButtonRect(rect);
    SectionRowStyle::drawLine(painter,
                              QRect(trash.left() - 130, line.top(), 120, line.height()),
                              ByteCountText::fileStyle(group.byteCount, AppLanguage::current()),
                              BrivelloTheme::font(TextStyle::caption),
                              SectionRowStyle::secondary(scheme),
                              Qt::AlignRight);
    const bool enabled = !selectedTracks(files, look.selectedIDs).isEmpty();
    painter.setPen(BrivelloTheme::actionBorder(scheme, enabled, false));
    painter.setBrush(BrivelloTheme::actionSurface(scheme, false, enabled, false));
    painter.drawRoundedRect(QRectF(trash).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    const QColor foreground = BrivelloTheme::actionForeground(scheme, enabled);
    BrivelloSymbols::paint(painter,
                           QRectF(trash.left() + 8, trash.top(), 16, trash.height()),
                           QStringLiteral("trash"),
                           12,
                           foreground,
                           scheme);
    SectionRowStyle::drawLine(painter,
                              trash.adjusted(28, 0, -6, 0),
                              BrivelloLocalization::string(QStringLiteral("В Корзину выбранные")),
                              BrivelloTheme::font(TextStyle::caption, QFont::Medium),
                              foreground);
}

void DuplicateGroupCard::paintFile(QPainter &painter,
                                   const QRect &rect,
                                   const DuplicateGroupRows::Row &row,
                                   const Look &look)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const bool light = BrivelloTheme::isLight(scheme);
    const Track &track = row.track;
    paintCardBackground(painter, rect, false, row.isLastOfGroup);
    const QRect inner = rect.adjusted(kPadding, 0, -kPadding, row.isLastOfGroup ? -kPadding : 0);
    const QRect content = inner.adjusted(0, 0, 0, 0);
    const bool selected = look.selectedIDs.contains(track.id);
    const bool current = look.currentID == track.id;
    const bool playing = current && look.isPlaying;
    if (current || selected) {
        const QColor fill = current ? (light ? rgbA(0.18, 0.28, 0.40, 0.185) : whiteA(0.125))
                                    : SectionRowStyle::selectedFill(scheme);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(content), 9, 9);
    } else {
        BrivelloTheme::paintInteractiveHover(painter, QRectF(content), scheme, look.hovered);
    }
    const QRect toggle = toggleRect(rect);
    const QColor toggleColor =
        selected ? (light ? blackA(0.78) : QColor(Qt::white)) : SectionRowStyle::secondary(scheme);
    BrivelloSymbols::paint(painter,
                           QRectF(toggle),
                           selected ? QStringLiteral("checkmark.circle.fill")
                                    : QStringLiteral("circle"),
                           18,
                           toggleColor,
                           scheme);
    const QRectF thumb(toggle.right() + 10, content.center().y() - kThumb / 2.0, kThumb, kThumb);
    Artwork::paint(painter, thumb, track.artwork);
    if (current)
        SectionRowStyle::paintPlayingOverlay(painter, thumb, 7, playing, 11);

    int right = content.right() - 10;
    const QFont formatFont = BrivelloTheme::font(TextStyle::caption2, QFont::Medium);
    const int formatWidth = QFontMetrics(formatFont).horizontalAdvance(track.format) + 2;
    SectionRowStyle::drawLine(
        painter,
        QRect(right - formatWidth, content.top(), formatWidth, content.height()),
        track.format,
        formatFont,
        SectionRowStyle::secondary(scheme));
    right -= formatWidth + 10;
    if (current) {
        const QFont badgeFont = BrivelloTheme::font(TextStyle::caption2, QFont::Bold);
        const QString word = BrivelloLocalization::string(playing ? QStringLiteral("ИГРАЕТ")
                                                                  : QStringLiteral("НА ПАУЗЕ"));
        const int width = QFontMetrics(badgeFont).horizontalAdvance(word) + 2;
        SectionRowStyle::drawLine(painter,
                                  QRect(right - width, content.top(), width, content.height()),
                                  word,
                                  badgeFont,
                                  SectionRowStyle::green());
        right -= width + 4;
        painter.setPen(Qt::NoPen);
        painter.setBrush(SectionRowStyle::green());
        painter.drawEllipse(QRectF(right - 6, content.center().y() - 3, 6, 6));
        right -= 16;
    }
    const int left = int(thumb.right()) + 10;
    const QString name = track.tags.title.isEmpty() ? QFileInfo(track.url.path()).completeBaseName()
                                                    : track.tags.title;
    const QFont nameFont = BrivelloTheme::font(TextStyle::subheadline, QFont::Medium);
    const QFont pathFont = BrivelloTheme::font(TextStyle::caption2);
    const int nameHeight = QFontMetrics(nameFont).height();
    const int pathHeight = QFontMetrics(pathFont).height();
    const int top = content.center().y() - (nameHeight + 2 + pathHeight) / 2;
    SectionRowStyle::drawLine(painter,
                              QRect(left, top, right - left, nameHeight),
                              name,
                              nameFont,
                              BrivelloTheme::primary(scheme));
    SectionRowStyle::drawLine(painter,
                              QRect(left, top + nameHeight + 2, right - left, pathHeight),
                              track.url.toLocalFile(),
                              pathFont,
                              SectionRowStyle::secondary(scheme));
}

} // namespace brivello
