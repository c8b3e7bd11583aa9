#include "QualityAnalysisRow.h"

#include "QualityAnalysisDetail.h"
#include "analysis/QualityAnalysisListModel.h"
#include "shell/Artwork.h"
#include "shell/ProgressSpinner.h"
#include "shell/ShellEvents.h"
#include "workspaces/ui/SectionRowStyle.h"

#include <QPainter>
#include <cmath>

namespace brivello {

namespace {

constexpr int kInnerPadding = 10;
constexpr double kCover = 34;

int scaled(double density, double points)
{
    return int(std::lround(density * points));
}

// Shrinks `font` down to `minimumScale` of its size until `text` fits `width`.
QFont fitted(QFont font, const QString &text, qreal width, qreal minimumScale)
{
    const qreal size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF();
    const qreal wide = QFontMetricsF(font).horizontalAdvance(text);
    if (wide <= width || wide <= 0)
        return font;
    const qreal scale = std::max(minimumScale, width / wide);
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::floor(size * scale))));
    else
        font.setPointSizeF(size * scale);
    return font;
}

} // namespace

QualityAnalysisRow::QualityAnalysisRow(QObject *parent)
    : TrackListRowDelegate(parent)
{}

int QualityAnalysisRow::rowHeight(double density)
{
    // The cover or the two title lines, whichever is taller, inside the row's padding.
    const int titles = scaled(density, 14 * 1.25) + 2 + scaled(density, 11 * 1.3);
    return std::max({scaled(density, kCover), titles, 30}) + 2 * scaled(density, 4);
}

QRectF QualityAnalysisRow::coverRect(const QRect &rect, double density)
{
    const qreal side = density * kCover;
    return {rect.left() + density * 12 + kInnerPadding,
            rect.top() + (rect.height() - side) / 2,
            side,
            side};
}

QRect QualityAnalysisRow::statusRect(const QRect &rect, double density)
{
    const int right = rect.right() - scaled(density, 12) - kInnerPadding;
    const int padding = scaled(density, 4);
    return {
        right - kStatusWidth + 1, rect.top() + padding, kStatusWidth, rect.height() - 2 * padding};
}

QColor QualityAnalysisRow::verdictColor(AudioQualityVerdict verdict, ColorScheme scheme)
{
    const bool light = BrivelloTheme::isLight(scheme);
    switch (verdict) {
    case AudioQualityVerdict::lossless:
        return light ? QColor(52, 199, 89) : QColor(48, 209, 88);
    case AudioQualityVerdict::lossy:
        return light ? QColor(255, 149, 0) : QColor(255, 159, 10);
    case AudioQualityVerdict::suspicious:
        return light ? QColor(255, 45, 85) : QColor(255, 55, 95);
    case AudioQualityVerdict::inconclusive:
        break;
    }
    return BrivelloTheme::secondary(scheme);
}

QSize QualityAnalysisRow::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {200, rowHeight(m_density) + kRowSpacing};
}

void QualityAnalysisRow::paint(QPainter *painter,
                               const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    const auto *model = qobject_cast<const QualityAnalysisListModel *>(index.model());
    if (!model || index.row() >= model->rowCount())
        return;
    const int row = index.row();
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QRect rect = option.rect.adjusted(0, 0, 0, -kRowSpacing);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    SectionRowStyle::paintRowBackground(
        *painter, rect, model->isSelected(row), row == m_hoveredRow, scheme);

    const QRectF cover = coverRect(rect, m_density);
    Artwork::paint(*painter, cover, model->trackAt(row).artwork);
    if (model->isCurrent(row)) {
        SectionRowStyle::paintPlayingOverlay(*painter,
                                             cover,
                                             Artwork::cornerRadius(cover.width()),
                                             model->isPlaying(row),
                                             12 * m_density);
    }
    const QRect status = statusRect(rect, m_density);
    const qreal titleLeft = cover.right() + kSpacing;
    paintTitles(*painter,
                QRectF(titleLeft, rect.top(), status.left() - kSpacing - titleLeft, rect.height()),
                *model,
                row,
                scheme);
    paintStatus(*painter, status, *model, row, scheme);
    painter->restore();
}

void QualityAnalysisRow::paintTitles(QPainter &painter,
                                     const QRectF &rect,
                                     const QualityAnalysisListModel &model,
                                     int row,
                                     ColorScheme scheme) const
{
    if (rect.width() <= 0)
        return;
    const Track &track = model.trackAt(row);
    const QFont title = SectionRowStyle::font(
        14 * m_density, model.isCurrent(row) ? QFont::DemiBold : QFont::Medium);
    const QFont artist = SectionRowStyle::font(11 * m_density);
    const QFontMetricsF titleMetrics(title);
    const QFontMetricsF artistMetrics(artist);
    const qreal height = titleMetrics.height() + 2 + artistMetrics.height();
    const qreal top = rect.top() + (rect.height() - height) / 2;
    painter.setFont(title);
    painter.setPen(BrivelloTheme::primary(scheme));
    painter.drawText(QRectF(rect.left(), top, rect.width(), titleMetrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     titleMetrics.elidedText(
                         QualityAnalysisDetail::displayTitle(track), Qt::ElideRight, rect.width()));
    painter.setFont(artist);
    painter.setPen(BrivelloTheme::secondary(scheme));
    painter.drawText(
        QRectF(rect.left(), top + titleMetrics.height() + 2, rect.width(), artistMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter,
        artistMetrics.elidedText(
            QualityAnalysisDetail::displayArtist(track), Qt::ElideRight, rect.width()));
}

void QualityAnalysisRow::paintStatus(QPainter &painter,
                                     const QRect &rect,
                                     const QualityAnalysisListModel &model,
                                     int row,
                                     ColorScheme scheme) const
{
    using Kind = QualityAnalysisListModel::Status::Kind;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const QFont caption = BrivelloTheme::font(TextStyle::caption);
    const QualityAnalysisListModel::Status status = model.status(row);
    switch (status.kind) {
    case Kind::result: {
        const QFont verdictFont = fitted(BrivelloTheme::font(TextStyle::caption, QFont::DemiBold),
                                         status.text,
                                         rect.width(),
                                         0.75);
        const QFont cutoffFont =
            fitted(SectionRowStyle::monospacedDigits(BrivelloTheme::font(TextStyle::caption2)),
                   status.detail,
                   rect.width(),
                   0.72);
        const qreal top =
            rect.top() + (rect.height() - 2 * QFontMetricsF(caption).height() - 2) / 2;
        const QRect upper(rect.left(), int(top), rect.width(), QFontMetrics(caption).height());
        const QRect lower = upper.translated(0, upper.height() + 2);
        SectionRowStyle::drawLine(
            painter, upper, status.text, verdictFont, verdictColor(status.verdict, scheme), right);
        SectionRowStyle::drawLine(
            painter, lower, status.detail, cutoffFont, BrivelloTheme::secondary(scheme), right);
        return;
    }
    case Kind::analyzing: {
        const int textWidth =
            std::min(QFontMetrics(caption).horizontalAdvance(status.text) + 1, rect.width() - 19);
        const QRect textRect(rect.right() - textWidth + 1, rect.top(), textWidth, rect.height());
        ProgressSpinner::paint(painter,
                               QRectF(textRect.left() - 7 - 11, rect.center().y() - 5, 10, 10),
                               m_spinnerPhase,
                               BrivelloTheme::secondary(scheme));
        SectionRowStyle::drawLine(
            painter, textRect, status.text, caption, BrivelloTheme::secondary(scheme), right);
        return;
    }
    case Kind::failure:
        painter.setFont(caption);
        painter.setPen(BrivelloTheme::secondary(scheme));
        painter.drawText(QRectF(rect), int(right) | Qt::TextWordWrap, status.text);
        return;
    case Kind::notAnalyzed:
        SectionRowStyle::drawLine(
            painter, rect, status.text, caption, SectionRowStyle::tertiary(scheme), right);
        return;
    }
}

} // namespace brivello
