#pragma once

#include <QWidget>
#include <functional>

namespace brivello {

// A see-through layer over the waveform: it takes no clicks, but an application-wide filter
// turns every wheel event under it into a volume change and then lets the event go on to the
// views below. Main thread.
class WaveformScrollVolumeControl : public QWidget
{
    Q_OBJECT
public:
    // Reads the bound volume through `value` and writes it through `setValue`.
    WaveformScrollVolumeControl(std::function<double()> value,
                                std::function<void(double)> setValue,
                                QWidget *parent = nullptr);
    ~WaveformScrollVolumeControl() override;

    // Whether a wheel event at a global position would change the volume.
    bool covers(const QPointF &globalPosition) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<double()> m_value;
    std::function<void(double)> m_setValue;
};

} // namespace brivello
