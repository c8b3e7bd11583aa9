#include "WaveformColorPreview.h"

#include "SettingsLook.h"
#include "platform/BrivelloLocalization.h"
#include "shell/ShellEvents.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

namespace brivello {

namespace {
constexpr int kPadding = 12;
constexpr int kSpacing = 8;
constexpr int kCanvasInset = 10;
constexpr qreal kBarWidth = 2.4;

double component(double value)
{
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 1.0;
}
} // namespace

WaveformColorPreview::WaveformColorPreview(QWidget *parent)
    : QWidget(parent)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);
    m_title = SettingsLook::label(TextStyle::caption, this);
    column->addWidget(m_title);
    column->addSpacing(kCanvasHeight);
    connect(&ShellEvents::instance(),
            &ShellEvents::languageChanged,
            this,
            &WaveformColorPreview::retranslate);
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, this, [this] {
        retranslate();
        update();
    });
    retranslate();
}

void WaveformColorPreview::retranslate()
{
    m_title->setText(BrivelloLocalization::string(QStringLiteral("Предпросмотр waveform")));
    SettingsLook::setTextColor(m_title, BrivelloTheme::secondary(SettingsLook::scheme()));
}

void WaveformColorPreview::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QLineF WaveformColorPreview::bar(int index, const QSizeF &size)
{
    const double t = double(index) / double(kBarCount - 1);
    const double amplitude =
        (std::fabs(std::sin(t * std::numbers::pi * 5.5)) * 0.65 + 0.2) * size.height();
    const double half = amplitude * 0.46;
    const double x = size.width() * t;
    return QLineF(x, size.height() / 2 - half, x, size.height() / 2 + half);
}

QColor WaveformColorPreview::waveformColor(
    const QString &preset, double red, double green, double blue, ColorScheme scheme)
{
    const bool light = BrivelloTheme::isLight(scheme);
    if (preset == QLatin1String("cyan"))
        return light ? rgbA(0.00, 0.37, 0.48) : QColor(100, 210, 255);
    if (preset == QLatin1String("violet"))
        return light ? rgbA(0.31, 0.20, 0.64) : QColor(191, 90, 242);
    if (preset == QLatin1String("lime"))
        return light ? rgbA(0.10, 0.38, 0.22) : QColor(48, 209, 88);
    if (preset == QLatin1String("custom")) {
        const double scale = light ? 0.52 : 1.0;
        return rgbA(component(red) * scale, component(green) * scale, component(blue) * scale);
    }
    return light ? rgbA(0.16, 0.22, 0.29) : QColor(Qt::white);
}

QRect WaveformColorPreview::canvasRect() const
{
    const int top = kPadding + m_title->sizeHint().height() + kSpacing;
    return QRect(kPadding, top, width() - 2 * kPadding, kCanvasHeight);
}

QSize WaveformColorPreview::sizeHint() const
{
    return {300, kPadding * 2 + m_title->sizeHint().height() + kSpacing + kCanvasHeight};
}

void WaveformColorPreview::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = SettingsLook::scheme();
    QPainter painter(this);
    SettingsLook::paintCard(painter, rect(), 10, scheme);
    const QRect canvas = canvasRect();
    painter.setBrush(BrivelloTheme::isLight(scheme) ? blackA(0.045) : blackA(0.26));
    painter.drawRoundedRect(canvas, 9, 9);

    const QRectF bars = QRectF(canvas).adjusted(kCanvasInset, 0, -kCanvasInset, 0);
    painter.translate(bars.topLeft());
    painter.setPen(QPen(m_color, kBarWidth));
    for (int i = 0; i < kBarCount; ++i)
        painter.drawLine(bar(i, bars.size()));
}

} // namespace brivello
