#pragma once

#include "library/Track.h"

#include <QObject>
#include <QUuid>
#include <optional>

namespace brivello {

// The single audio player, main thread. This base holds only what the library store uses;
// the playback engine derives from it, and tests replace it with a recording fake.
class AudioPlayer : public QObject
{
    Q_OBJECT
public:
    explicit AudioPlayer(QObject *parent = nullptr);

    // The track the player holds (loaded or playing), if any.
    virtual std::optional<QUuid> currentID() const;
    // Loads and plays another track; toggles play/pause for the current one.
    virtual void play(const Track &track);
    // Stops, drops the loaded audio and clears the current track.
    virtual void stopAndClear();

signals:
    void currentIDChanged();

protected:
    void setCurrentID(std::optional<QUuid> id);

private:
    std::optional<QUuid> m_currentID;
};

} // namespace brivello
