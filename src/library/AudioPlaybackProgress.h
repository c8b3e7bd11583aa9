#pragma once

#include <QObject>

namespace brivello {

// The player's clock: the current time and the duration in seconds. Only it changes with the
// progress ticks, so views that show the time watch it and not the player. Main thread; owned
// by the player.
class AudioPlaybackProgress : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    double currentTime() const { return m_currentTime; }
    double duration() const { return m_duration; }
    void setCurrentTime(double seconds);
    void setDuration(double seconds);

signals:
    void currentTimeChanged(double seconds);
    void durationChanged(double seconds);

private:
    double m_currentTime = 0;
    double m_duration = 0;
};

} // namespace brivello
