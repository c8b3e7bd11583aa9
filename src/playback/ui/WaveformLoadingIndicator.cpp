#include "WaveformLoadingIndicator.h"

#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"
#include "shell/ProgressSpinner.h"
#include "shell/ShellEvents.h"

#include <QPainter>

namespace brivello {

namespace {
constexpr int kTurnMs = 900;
}

WaveformLoadingIndicator::WaveformLoadingIndicator(QWidget *parent)
    : QWidget(parent)
    , m_spin(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_spin->setStartValue(0.0);
    m_spin->setEndValue(1.0);
    m_spin->setDuration(kTurnMs);
    m_spin->setLoopCount(-1);
    connect(m_spin, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    connect(
        &ShellEvents::instance(), &ShellEvents::languageChanged, this, [this] { retranslate(); });
    connect(&ShellEvents::instance(),
            &ShellEvents::appearanceChanged,
            this,
            qOverload<>(&QWidget::update));
    retranslate();
}

void WaveformLoadingIndicator::retranslate()
{
    m_text = BrivelloLocalization::string(QStringLiteral("Загрузка waveform…"));
    setAccessibleName(m_text);
    update();
}

void WaveformLoadingIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_spin->start();
}

void WaveformLoadingIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_spin->stop();
}

void WaveformLoadingIndicator::paintEvent(QPaintEvent *)
{
    const ColorScheme scheme = ShellEvents::instance().scheme();
    const QColor secondary = BrivelloTheme::secondary(scheme);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont font = BrivelloTheme::font(TextStyle::caption);
    painter.setFont(font);
    const int textWidth = QFontMetrics(font).horizontalAdvance(m_text);
    const int total = kSpinnerSize + kSpacing + textWidth;
    const int left = (width() - total) / 2;
    const QRectF ring(
        left + 1.0, (height() - kSpinnerSize) / 2.0 + 1.0, kSpinnerSize - 2.0, kSpinnerSize - 2.0);
    ProgressSpinner::paint(painter, ring, m_spin->currentValue().toDouble(), secondary);
    painter.setPen(secondary);
    painter.drawText(QRect(left + kSpinnerSize + kSpacing, 0, textWidth + 2, height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     m_text);
}

} // namespace brivello
