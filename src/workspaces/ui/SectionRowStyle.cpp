#include "SectionRowStyle.h"

#include "library/AudioPlayer.h"
#include "shell/BrivelloSymbols.h"
#include "shell/ShellEvents.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace brivello {

SectionListRules::Modifiers SectionRowStyle::modifiers(Qt::KeyboardModifiers flags)
{
    return {flags.testFlag(Qt::ShiftModifier), flags.testFlag(Qt::ControlModifier)};
}

SectionListRules::Modifiers SectionRowStyle::currentModifiers()
{
    return modifiers(QApplication::keyboardModifiers());
}

QColor SectionRowStyle::selectedFill(ColorScheme scheme)
{
    return BrivelloTheme::isLight(scheme) ? rgbA(0.2, 0.3, 0.43, 0.165) : whiteA(0.105);
}

void SectionRowStyle::paintRowBackground(
    QPainter &painter, const QRect &rect, bool selected, bool hovered, ColorScheme scheme)
{
    if (selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(selectedFill(scheme));
        painter.drawRoundedRect(QRectF(rect), 10, 10);
        return;
    }
    BrivelloTheme::paintInteractiveHover(painter, QRectF(rect), scheme, hovered);
}

QFont SectionRowStyle::font(qreal pixelSize, QFont::Weight weight)
{
    return BrivelloTheme::systemFont(pixelSize, weight);
}

bool SectionRowStyle::hasMonospacedDigits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero))
            return false;
    }
    return true;
}

QFont SectionRowStyle::monospacedDigits(const QFont &font)
{
    if (hasMonospacedDigits(font))
        return font;
    QFont fixed = font;
    fixed.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    return fixed;
}

QColor SectionRowStyle::secondary(ColorScheme scheme)
{
    return BrivelloTheme::secondary(scheme);
}

QColor SectionRowStyle::tertiary(ColorScheme scheme)
{
    QColor color = BrivelloTheme::secondary(scheme);
    color.setAlphaF(color.alphaF() * 0.62);
    return color;
}

QColor SectionRowStyle::green()
{
    return rgbA(0.2, 0.78, 0.35);
}

QColor SectionRowStyle::red()
{
    return rgbA(1.0, 0.27, 0.23);
}

void SectionRowStyle::drawLine(QPainter &painter,
                               const QRect &rect,
                               const QString &text,
                               const QFont &font,
                               const QColor &color,
                               Qt::Alignment alignment,
                               Qt::TextElideMode elide)
{
    painter.setFont(font);
    painter.setPen(color);
    const QString shown = QFontMetrics(font).elidedText(text, elide, rect.width());
    painter.drawText(rect, int(alignment | Qt::AlignVCenter), shown);
}

void SectionRowStyle::styleSecondary(QLabel *label, TextStyle style, ColorScheme scheme)
{
    label->setFont(BrivelloTheme::font(style));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondary(scheme));
    label->setPalette(palette);
}

void SectionRowStyle::refreshOnPlayerAndLook(QObject *view,
                                             AudioPlayer &player,
                                             const std::function<void()> &refresh)
{
    QObject::connect(&player, &AudioPlayer::currentIDChanged, view, refresh);
    QObject::connect(&player, &AudioPlayer::isPlayingChanged, view, refresh);
    QObject::connect(&ShellEvents::instance(), &ShellEvents::languageChanged, view, refresh);
    QObject::connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, view, refresh);
}

void SectionRowStyle::importDropped(const QList<QUrl> &urls,
                                    const std::function<void(const QList<QUrl> &)> &import)
{
    QList<QUrl> files;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            files.append(url);
    }
    if (!files.isEmpty())
        import(files);
}

void SectionRowStyle::paintPlayingOverlay(
    QPainter &painter, const QRectF &square, qreal radius, bool playing, qreal symbolSize)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(blackA(0.46));
    painter.drawRoundedRect(square, radius, radius);
    BrivelloSymbols::paint(painter,
                           square,
                           playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"),
                           symbolSize,
                           Qt::white,
                           ShellEvents::instance().scheme());
}

} // namespace brivello
