#include "TrackRowDelegate.h"

#include "Artwork.h"
#include "BrivelloSymbols.h"
#include "ShellEvents.h"
#include "library/PlaylistModel.h"
#include "platform/BrivelloLocalization.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace brivello {

namespace {

constexpr int kHeartWidth = 34;
constexpr int kRowSpacing = 8;

QColor tertiary(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? blackA(0.26) : whiteA(0.25);
}

QColor selectionFill(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? rgbA(0.2, 0.3, 0.43, 0.165) : whiteA(0.105);
}

QFont sized(qreal pixelSize, QFont::Weight weight, bool monospaced = false)
{
    QFont font = BrivelloTheme::systemFont(pixelSize, weight);
    if (monospaced) {
        font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
    }
    return font;
}

int scaled(double density, double points)
{
    return int(std::lround(density * points));
}

} // namespace

TrackRowDelegate::TrackRowDelegate(QObject *parent)
    : TrackListRowDelegate(parent)
{}

void TrackRowDelegate::setHeartEffect(const QUuid &id, qreal scale, qreal opacity)
{
    m_heartEffects.insert(id, {scale, opacity});
}

int TrackRowDelegate::rowHeight(double density)
{
    // The taller of the heart frame (42) and the cover with the row's padding (38 + 2 × 3).
    return std::max(scaled(density, 42), scaled(density, 38) + 2 * scaled(density, 3));
}

TrackRowDelegate::Geometry
TrackRowDelegate::geometry(const QRect &itemRect, bool startsFolder, double density)
{
    Geometry g;
    int top = itemRect.top();
    if (startsFolder) {
        g.header = QRect(itemRect.left(), top, itemRect.width(), kHeaderHeight);
        top += kHeaderHeight + kElementSpacing;
    }
    g.row = QRect(itemRect.left(), top, itemRect.width(), rowHeight(density));
    const int heartWidth = scaled(density, kHeartWidth);
    g.heart = QRect(g.row.left(), g.row.top(), heartWidth, g.row.height());
    g.content = g.row.adjusted(heartWidth + kRowSpacing, 0, 0, 0);
    const qreal side = density * 38;
    g.thumbnail = QRectF(
        g.content.left() + density * 10, g.row.top() + (g.row.height() - side) / 2, side, side);
    return g;
}

QSize TrackRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const bool starts = index.data(PlaylistModel::StartsFolderRole).toBool();
    return {200,
            rowHeight(m_density) + kElementSpacing +
                (starts ? kHeaderHeight + kElementSpacing : 0)};
}

void TrackRowDelegate::paint(QPainter *painter,
                             const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const auto *model = qobject_cast<const PlaylistModel *>(index.model());
    if (!model)
        return;
    const int row = index.row();
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const Geometry g = geometry(option.rect, model->startsFolder(row), m_density);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (!g.header.isEmpty())
        paintHeader(*painter, g.header, PlaylistModel::folderURL(model->trackAt(row).url), scheme);

    const bool selected = model->isSelected(row);
    if (selected || row == m_hoveredRow) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(g.row), 10, 10);
        painter->fillPath(shape,
                          selected ? selectionFill(scheme) : BrivelloTheme::hoverFill(scheme));
    }
    paintHeart(*painter, g, *model, row, scheme);
    paintContent(*painter, g, *model, row, scheme);
    painter->restore();
}

void TrackRowDelegate::paintHeader(QPainter &painter,
                                   const QRect &rect,
                                   const QUrl &folder,
                                   ColorScheme scheme) const
{
    const QColor color = BrivelloTheme::secondary(scheme);
    const QRect inner = rect.adjusted(14, 10, -14, -5);
    BrivelloSymbols::paint(painter,
                           QRectF(inner.left(), inner.top(), 13, inner.height()),
                           QStringLiteral("folder"),
                           11,
                           color,
                           scheme);
    const QFont font = sized(11, QFont::Medium);
    painter.setFont(font);
    painter.setPen(color);
    const QRect text = inner.adjusted(13 + 8, 0, -12, 0);
    const QString path = QFontMetrics(font).elidedText(
        PlaylistModel::abbreviatedFolderPath(folder), Qt::ElideMiddle, text.width());
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, path);
}

void TrackRowDelegate::paintHeart(QPainter &painter,
                                  const Geometry &g,
                                  const PlaylistModel &model,
                                  int row,
                                  ColorScheme scheme) const
{
    const Track &track = model.trackAt(row);
    const auto effect = heartEffect(track.id);
    painter.save();
    painter.setOpacity(effect.second);
    const QPointF centre = QRectF(g.heart).center();
    painter.translate(centre);
    painter.scale(effect.first, effect.first);
    painter.translate(-centre);
    BrivelloSymbols::paint(
        painter,
        QRectF(g.heart),
        track.isFavorite ? QStringLiteral("heart.fill") : QStringLiteral("heart"),
        13 * m_density,
        track.isFavorite ? QColor(255, 55, 95) : BrivelloTheme::secondary(scheme),
        scheme);
    painter.restore();
}

void TrackRowDelegate::paintContent(QPainter &painter,
                                    const Geometry &g,
                                    const PlaylistModel &model,
                                    int row,
                                    ColorScheme scheme) const
{
    const Track &track = model.trackAt(row);
    const double d = m_density;
    const bool current = model.isCurrent(row);

    Artwork::paint(painter, g.thumbnail, track.artwork);
    if (current) {
        QPainterPath mark;
        const qreal radius = Artwork::cornerRadius(g.thumbnail.width());
        mark.addRoundedRect(g.thumbnail, radius, radius);
        painter.fillPath(mark, blackA(0.46));
        BrivelloSymbols::paint(painter,
                               g.thumbnail,
                               model.isPlaying(row) ? QStringLiteral("pause.fill")
                                                    : QStringLiteral("play.fill"),
                               13 * d,
                               Qt::white,
                               ColorScheme::dark);
    }

    // Right to left: duration, tempo, then the titles take what is left.
    const qreal right = g.content.right() - 16 * d;
    const QFont durationFont = sized(10 * d, QFont::Normal);
    const QString duration = clockText(track.duration);
    const qreal durationWidth = QFontMetricsF(durationFont).horizontalAdvance(duration);
    const QRectF durationRect(right - durationWidth, g.row.top(), durationWidth, g.row.height());
    painter.setFont(durationFont);
    painter.setPen(tertiary(scheme));
    painter.drawText(durationRect, Qt::AlignVCenter | Qt::AlignRight, duration);

    const QFont tempoFont = sized(10 * d, QFont::Normal, true);
    const PlaylistModel::Tempo tempo = model.tempo(row);
    const qreal tempoWidth = tempo.kind == PlaylistModel::TempoKind::analyzing
                                 ? 14 * d
                                 : QFontMetricsF(tempoFont).horizontalAdvance(tempo.text);
    const QRectF tempoRect(
        durationRect.left() - 10 - tempoWidth, g.row.top(), tempoWidth, g.row.height());
    paintTempo(painter, tempoRect, model, row, scheme);

    const qreal textLeft = g.thumbnail.right() + 10;
    const qreal textWidth = std::max<qreal>(0, tempoRect.left() - 10 - textLeft);
    const QFont titleFont = sized(14 * d, current ? QFont::DemiBold : QFont::Normal);
    const QFont artistFont = sized(11 * d, QFont::Normal);
    const QFontMetricsF titleMetrics(titleFont);
    const QFontMetricsF artistMetrics(artistFont);
    const qreal blockHeight = titleMetrics.height() + 3 * d + artistMetrics.height();
    const qreal top = g.row.top() + (g.row.height() - blockHeight) / 2;
    painter.setFont(titleFont);
    painter.setPen(BrivelloTheme::primary(scheme));
    painter.drawText(
        QRectF(textLeft, top, textWidth, titleMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        titleMetrics.elidedText(PlaylistModel::displayTitle(track), Qt::ElideRight, textWidth));
    painter.setFont(artistFont);
    painter.setPen(BrivelloTheme::secondary(scheme));
    painter.drawText(
        QRectF(textLeft, top + titleMetrics.height() + 3 * d, textWidth, artistMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        artistMetrics.elidedText(PlaylistModel::displayArtist(track), Qt::ElideRight, textWidth));
}

void TrackRowDelegate::paintTempo(QPainter &painter,
                                  const QRectF &rect,
                                  const PlaylistModel &model,
                                  int row,
                                  ColorScheme scheme) const
{
    const PlaylistModel::Tempo tempo = model.tempo(row);
    if (tempo.kind == PlaylistModel::TempoKind::analyzing) {
        const qreal side = std::min(rect.width(), 12 * m_density);
        const QRectF ring(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
        QPen pen(BrivelloTheme::secondary(scheme), std::max(1.5, 1.6 * m_density));
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(ring, int(-m_spinnerPhase * 360 * 16), 270 * 16);
        return;
    }
    painter.setFont(sized(10 * m_density, QFont::Normal, true));
    painter.setPen(tempo.kind == PlaylistModel::TempoKind::none ? tertiary(scheme)
                                                                : BrivelloTheme::secondary(scheme));
    painter.drawText(rect, Qt::AlignVCenter | Qt::AlignRight, tempo.text);
}

} // namespace brivello
