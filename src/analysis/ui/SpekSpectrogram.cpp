#include "SpekSpectrogram.h"

#include "SpectrogramPreview.h"
#include "platform/BrivelloLocalization.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "records/Track.h"
#include "shell/ShellEvents.h"
#include "workspaces/ui/SectionRowStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace brivello {

namespace {

constexpr int kAxisWidth = 38;
constexpr int kAxisSpacing = 7;

QLabel *axisLabel(QWidget *parent, Qt::Alignment alignment, bool bold = false)
{
    auto *label = new QLabel(parent);
    // Numbers in digits of one width; the bold "time" caption in the plain face.
    label->setFont(
        bold ? BrivelloTheme::font(TextStyle::caption2, QFont::Bold)
             : SectionRowStyle::monospacedDigits(BrivelloTheme::font(TextStyle::caption2)));
    label->setAlignment(alignment);
    return label;
}

QString kiloHertz(double hertz)
{
    return BrivelloLocalization::format(QStringLiteral("%lld kHz"), qint64(hertz / 1000));
}

} // namespace

SpekSpectrogram::SpekSpectrogram(QWidget *parent)
    : QWidget(parent)
    , m_preview(new SpectrogramPreview(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(5);

    auto *row = new QHBoxLayout;
    row->setSpacing(kAxisSpacing);
    auto *axis = new QVBoxLayout;
    axis->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        if (i > 0)
            axis->addStretch(1);
        m_frequencyLabels.append(axisLabel(this, Qt::AlignRight | Qt::AlignVCenter));
        m_frequencyLabels.last()->setFixedWidth(kAxisWidth);
        axis->addWidget(m_frequencyLabels.last());
    }
    row->addLayout(axis);
    row->addWidget(m_preview, 1);
    column->addLayout(row, 1);

    auto *time = new QHBoxLayout;
    time->setSpacing(0);
    time->addSpacing(kAxisWidth + kAxisSpacing);
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            time->addStretch(1);
        m_timeLabels.append(axisLabel(this, Qt::AlignCenter, i == 2));
        time->addWidget(m_timeLabels.last());
    }
    column->addLayout(time);

    NotificationCenter::defaultCenter().observe(
        brivelloLanguageDidChange, nullptr, this, [this](const Notification &) { retranslate(); });
    // The plate and the panel take the window's appearance at once when it changes.
    connect(&ShellEvents::instance(), &ShellEvents::appearanceChanged, this, [this] {
        setColorScheme(ShellEvents::instance().scheme());
    });
    setColorScheme(ShellEvents::instance().scheme());
    retranslate();
}

void SpekSpectrogram::setResult(std::shared_ptr<const AudioQualityAnalysis> result, double duration)
{
    if (result == m_result && duration == m_duration)
        return;
    if (result != m_result) {
        if (result)
            m_preview->setValues(
                result->spectrogram, result->spectrogramWidth, result->spectrogramHeight);
        else
            m_preview->setValues({}, 0, 0);
    }
    m_result = std::move(result);
    m_duration = duration;
    retranslate();
}

void SpekSpectrogram::setColorScheme(ColorScheme scheme)
{
    m_scheme = scheme;
    m_preview->setColorScheme(scheme);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, BrivelloTheme::secondary(scheme));
    for (QLabel *label : m_frequencyLabels + m_timeLabels)
        label->setPalette(palette);
    update();
}

QStringList SpekSpectrogram::frequencyLabels() const
{
    QStringList texts;
    for (const QLabel *label : m_frequencyLabels)
        texts << label->text();
    return texts;
}

QStringList SpekSpectrogram::timeLabels() const
{
    QStringList texts;
    for (const QLabel *label : m_timeLabels)
        texts << label->text();
    return texts;
}

void SpekSpectrogram::retranslate()
{
    const double rate = m_result ? m_result->sampleRate : 0;
    const QStringList frequencies = {kiloHertz(rate * 0.5),
                                     kiloHertz(rate * 3 * 0.125),
                                     kiloHertz(rate * 0.25),
                                     kiloHertz(rate * 0.125),
                                     BrivelloLocalization::string(QStringLiteral("0 Hz"))};
    for (int i = 0; i < m_frequencyLabels.size(); ++i)
        m_frequencyLabels[i]->setText(frequencies[i]);
    const QStringList times = {BrivelloLocalization::string(QStringLiteral("0:00")),
                               clockText(m_duration * 0.5),
                               BrivelloLocalization::string(QStringLiteral("ВРЕМЯ")),
                               clockText(m_duration)};
    for (int i = 0; i < m_timeLabels.size(); ++i)
        m_timeLabels[i]->setText(times[i]);
}

void SpekSpectrogram::paintEvent(QPaintEvent *)
{
    if (BrivelloTheme::isLight(m_scheme))
        return; // a clear panel in light appearance
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(panel, QColor::fromRgbF(0, 0, 0, 0.2f));
}

} // namespace brivello
