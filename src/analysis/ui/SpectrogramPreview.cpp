#include "SpectrogramPreview.h"

#include <QPainter>
#include <QPainterPath>

namespace brivello {

namespace {

constexpr qreal kCornerRadius = 6;
constexpr qreal kOverhang = 0.4; // neighbouring cells overlap, so no seams show

QColor rgb(double red, double green, double blue, double opacity)
{
    return QColor::fromRgbF(
        float(red), float(green), float(blue), float(std::clamp(opacity, 0.0, 1.0)));
}

} // namespace

SpectrogramPreview::SpectrogramPreview(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void SpectrogramPreview::setValues(std::vector<uint8_t> values, int width, int height)
{
    m_values = std::move(values);
    m_columns = width;
    m_rows = height;
    update();
}

void SpectrogramPreview::setColorScheme(ColorScheme scheme)
{
    m_scheme = scheme;
    update();
}

std::optional<QColor> SpectrogramPreview::cellColor(uint8_t byte)
{
    const double level = byte / 255.0;
    if (level <= 0.025)
        return std::nullopt;
    if (level < 0.15)
        return rgb(0.025, 0.035, 0.16, 5 * level);
    if (level < 0.34)
        return rgb(0.1, 0.1, 0.72, level + 0.38);
    if (level < 0.52)
        return rgb(0.54, 0.08, 0.8, 1);
    if (level < 0.70)
        return rgb(0.94, 0.04, 0.34, 1);
    if (level < 0.86)
        return rgb(1.0, 0.32, 0.05, 1);
    if (level < 0.95)
        return rgb(1.0, 0.85, 0.1, 1);
    return rgb(1, 1, 1, 1);
}

void SpectrogramPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect = QRectF(this->rect());
    QPainterPath plate;
    plate.addRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    const bool light = BrivelloTheme::isLight(m_scheme);
    painter.fillPath(plate, light ? QColor(0, 0, 0) : QColor::fromRgbF(0, 0, 0, 0.42f));

    const bool complete =
        m_columns >= 1 && m_rows >= 1 && m_values.size() == size_t(m_columns) * size_t(m_rows);
    if (complete) {
        paintCells(painter, rect);
        painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.13f), 0.5));
        for (int i = 0; i <= 4; ++i) {
            const qreal y = rect.height() * i / 4;
            painter.drawLine(QPointF(0, y), QPointF(rect.width(), y));
        }
        for (int i = 0; i <= 4; ++i) {
            const qreal x = rect.width() * i / 4;
            painter.drawLine(QPointF(x, 0), QPointF(x, rect.height()));
        }
    }
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, light ? 0.12f : 0.10f), 1));
    painter.drawPath(plate);
}

void SpectrogramPreview::paintCells(QPainter &painter, const QRectF &rect) const
{
    const qreal cellWidth = rect.width() / m_columns;
    const qreal cellHeight = rect.height() / m_rows;
    painter.setPen(Qt::NoPen);
    for (int x = 0; x < m_columns; ++x) {
        for (int y = 0; y < m_rows; ++y) {
            const std::optional<QColor> color =
                cellColor(m_values[size_t(x) * size_t(m_rows) + size_t(y)]);
            if (!color)
                continue;
            painter.fillRect(QRectF(cellWidth * x,
                                    cellHeight * (m_rows - 1 - y),
                                    cellWidth + kOverhang,
                                    cellHeight + kOverhang),
                             *color);
        }
    }
}

} // namespace brivello
