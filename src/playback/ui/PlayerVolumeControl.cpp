#include "PlayerVolumeControl.h"

#include "ScrollVolumeSlider.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace brivello {

namespace {

constexpr int kBubbleHeight = 24; // the caption line and 5 pt above and below
constexpr int kShadowRoom = 8;
constexpr double kBubbleLift = 15; // centre above the control's top edge

// The capsule with the percent; takes no mouse events.
class VolumeBubble : public QWidget
{
public:
    explicit VolumeBubble(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(PlayerVolumeControl::kBubbleWidth + 2 * kShadowRoom,
               kBubbleHeight + 2 * kShadowRoom);
    }
    void setPercent(int percent)
    {
        m_percent = percent;
        setAccessibleName(PlayerVolumeControl::bubbleAccessibleText(percent));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF capsule(
            kShadowRoom, kShadowRoom, PlayerVolumeControl::kBubbleWidth, kBubbleHeight);
        // A soft shadow 2 pt down: a few widening translucent capsules.
        for (int ring = 3; ring >= 1; --ring) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(blackA((light ? 0.12 : 0.24) / 4));
            const qreal grow = ring * 2;
            painter.drawRoundedRect(capsule.translated(0, 2).adjusted(-grow, -grow, grow, grow),
                                    kBubbleHeight / 2 + grow,
                                    kBubbleHeight / 2 + grow);
        }
        painter.setBrush(light ? blackA(0.84) : whiteA(0.94));
        painter.drawRoundedRect(capsule, kBubbleHeight / 2.0, kBubbleHeight / 2.0);
        QFont font = BrivelloTheme::font(TextStyle::caption, QFont::Bold);
        font.setStyleHint(QFont::Monospace);
        painter.setFont(font);
        painter.setPen(light ? QColor(Qt::white) : blackA(0.88));
        painter.drawText(capsule, Qt::AlignCenter, PlayerVolumeControl::bubbleText(m_percent));
    }

private:
    int m_percent = 0;
};

} // namespace

PlayerVolumeControl::PlayerVolumeControl(QWidget *parent)
    : QWidget(parent)
    , m_slider(new ScrollVolumeSlider(this))
{
    const auto retranslate = [this] {
        setAccessibleName(BrivelloLocalization::string(QStringLiteral("Громкость")));
    };
    connect(&ShellEvents::instance(), &ShellEvents::languageChanged, this, retranslate);
    retranslate();
}

PlayerVolumeControl::~PlayerVolumeControl()
{
    delete m_bubble;
}

void PlayerVolumeControl::setChangeAction(std::function<void(double)> action)
{
    m_slider->setChangeAction(std::move(action));
}

void PlayerVolumeControl::setValue(double value)
{
    m_slider->setBoundVolume(value);
    placeBubble();
}

QString PlayerVolumeControl::bubbleText(int percent)
{
    return percent == 0 ? QStringLiteral("Mute") : QString::number(percent) + QLatin1Char('%');
}

QString PlayerVolumeControl::bubbleAccessibleText(int percent)
{
    if (percent == 0)
        return BrivelloLocalization::string(QStringLiteral("Без звука"));
    return BrivelloLocalization::format(QStringLiteral("Громкость %d процентов"), percent);
}

double PlayerVolumeControl::bubbleCentreX(double width, double value, double bubbleWidth)
{
    const double track = std::max(1.0, width - 14);
    const double f = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    const double half = bubbleWidth / 2;
    return std::min(std::max(half, 7 + track * f), std::max(half, width - half));
}

void PlayerVolumeControl::setPercent(std::optional<int> percent)
{
    m_percent = percent;
    if (!percent) {
        if (m_bubble)
            m_bubble->hide();
        return;
    }
    QWidget *host = window();
    if (host == this)
        return;
    if (!m_bubble || m_bubble->parentWidget() != host) {
        delete m_bubble;
        m_bubble = new VolumeBubble(host);
    }
    static_cast<VolumeBubble *>(m_bubble.data())->setPercent(*percent);
    placeBubble();
    m_bubble->show();
    m_bubble->raise();
}

void PlayerVolumeControl::placeBubble()
{
    if (!m_bubble || !m_percent)
        return;
    const double centreX = bubbleCentreX(width(), m_slider->volume(), kBubbleWidth);
    const QPoint centre = mapTo(m_bubble->parentWidget(),
                                QPoint(int(std::lround(centreX)), int(std::lround(-kBubbleLift))));
    m_bubble->move(centre - QPoint(m_bubble->width() / 2, m_bubble->height() / 2));
}

void PlayerVolumeControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_slider->setGeometry(rect());
    placeBubble();
}

void PlayerVolumeControl::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    placeBubble();
}

} // namespace brivello
