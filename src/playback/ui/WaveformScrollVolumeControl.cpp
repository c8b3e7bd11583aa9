#include "WaveformScrollVolumeControl.h"

#include "playback/VolumeWheelStep.h"

#include <QCoreApplication>
#include <QWheelEvent>
#include <QWindow>

namespace brivello {

WaveformScrollVolumeControl::WaveformScrollVolumeControl(std::function<double()> value,
                                                         std::function<void(double)> setValue,
                                                         QWidget *parent)
    : QWidget(parent)
    , m_value(std::move(value))
    , m_setValue(std::move(setValue))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QCoreApplication::instance()->installEventFilter(this);
}

WaveformScrollVolumeControl::~WaveformScrollVolumeControl()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool WaveformScrollVolumeControl::covers(const QPointF &globalPosition) const
{
    if (!window() || !isVisible() || window()->windowOpacity() <= 0)
        return false;
    return rect().contains(mapFromGlobal(globalPosition).toPoint());
}

bool WaveformScrollVolumeControl::eventFilter(QObject *watched, QEvent *event)
{
    // A wheel event passes the filter once for its window and again for every widget it is
    // propagated to: act on the window's delivery only, which every event gets exactly once.
    if (event->type() == QEvent::Wheel && window() && watched == window()->windowHandle()) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (covers(wheel->globalPosition())) {
            const auto delta = VolumeWheelStep::delta(wheel->pixelDelta(), wheel->angleDelta());
            if (delta.value != 0)
                m_setValue(VolumeWheelStep::waveform(m_value(), delta));
        }
    }
    return false;
}

} // namespace brivello
