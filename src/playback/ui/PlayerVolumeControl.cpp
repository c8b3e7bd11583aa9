#include "PlayerVolumeControl.h"

#include "ScrollVolumeSlider.h"
#include "platform/BrivelloLocalization.h"
#include "shell/BrivelloTheme.h"
#include "shell/ShellEvents.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>
#include <cmath>

namespace brivello {

namespace {

constexpr int kBubbleHeight = 24; // the caption line and 5 pt above and below
constexpr int kShadowRoom = 8;
constexpr double kBubbleLift = 15; // centre above the control's top edge

// The capsule with the percent; takes no mouse events. It comes in and goes out by opacity,
// with a scale from 0.92 at its bottom centre unless motion is reduced.
class VolumeBubble : public QWidget
{
public:
    explicit VolumeBubble(QWidget *parent)
        : QWidget(parent)
        , m_motion(new QVariantAnimation(this))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        resize(PlayerVolumeControl::kBubbleWidth + 2 * kShadowRoom,
               kBubbleHeight + 2 * kShadowRoom);
        m_motion->setEasingCurve(QEasingCurve::OutCubic);
        connect(m_motion, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
            m_presence = v.toDouble();
            update();
        });
        connect(m_motion, &QVariantAnimation::finished, this, [this] {
            if (m_presence <= 0)
                hide();
        });
    }
    void setPercent(int percent)
    {
        m_percent = percent;
        setAccessibleName(PlayerVolumeControl::bubbleAccessibleText(percent));
        update();
    }
    double presence() const { return isVisible() ? m_presence : 0; }
    void enter()
    {
        show();
        raise();
        animateTo(1, BrivelloTheme::kMotionFeedbackMs);
    }
    void leave()
    {
        if (isVisible())
            animateTo(0, BrivelloTheme::kMotionStateMs);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const bool light = BrivelloTheme::isLight(ShellEvents::instance().scheme());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(m_presence);
        const QRectF capsule(
            kShadowRoom, kShadowRoom, PlayerVolumeControl::kBubbleWidth, kBubbleHeight);
        if (!ShellEvents::instance().reduceMotion()) {
            const double scale = kEnterScale + (1 - kEnterScale) * m_presence;
            const QPointF anchor(capsule.center().x(), capsule.bottom());
            painter.translate(anchor);
            painter.scale(scale, scale);
            painter.translate(-anchor);
        }
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
    static constexpr double kEnterScale = 0.92;

    void animateTo(double end, int durationMs)
    {
        m_motion->stop();
        if (!isVisible()) {
            m_presence = end;
            return;
        }
        m_motion->setDuration(durationMs);
        m_motion->setStartValue(m_presence);
        m_motion->setEndValue(end);
        m_motion->start();
    }

    int m_percent = 0;
    double m_presence = 0;
    QVariantAnimation *m_motion;
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
            static_cast<VolumeBubble *>(m_bubble.data())->leave();
        return;
    }
    QWidget *host = window();
    if (host == this)
        return;
    if (!m_bubble || m_bubble->parentWidget() != host) {
        delete m_bubble;
        m_bubble = new VolumeBubble(host);
        watchAncestors();
    }
    auto *bubble = static_cast<VolumeBubble *>(m_bubble.data());
    bubble->setPercent(*percent);
    placeBubble();
    bubble->enter();
}

double PlayerVolumeControl::bubblePresence() const
{
    return m_bubble ? static_cast<VolumeBubble *>(m_bubble.data())->presence() : 0;
}

void PlayerVolumeControl::watchAncestors()
{
    for (const QPointer<QWidget> &watched : std::as_const(m_watched)) {
        if (watched)
            watched->removeEventFilter(this);
    }
    m_watched.clear();
    for (QWidget *ancestor = parentWidget(); ancestor && ancestor != window();
         ancestor = ancestor->parentWidget()) {
        ancestor->installEventFilter(this);
        m_watched.append(ancestor);
    }
}

bool PlayerVolumeControl::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        placeBubble();
    return QWidget::eventFilter(watched, event);
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
