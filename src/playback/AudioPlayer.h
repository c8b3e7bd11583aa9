#pragma once

#include "library/Track.h"

#include <QObject>
#include <QPointer>
#include <QUuid>
#include <optional>

namespace brivello {

class LibraryStore;

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

    // --- Published playing state and the store link the window reads (AudioPlayerState.cpp).
    bool isPlaying() const { return m_isPlaying; }
    std::optional<Track> currentTrack() const { return m_currentTrack; }
    LibraryStore *libraryStore() const;
    void setLibraryStore(LibraryStore *store); // weak

signals:
    void currentIDChanged();
    void isPlayingChanged();
    void currentTrackChanged();

protected:
    void setCurrentID(std::optional<QUuid> id);
    void setIsPlaying(bool playing);
    void setCurrentTrack(std::optional<Track> track);

private:
    std::optional<QUuid> m_currentID;
    bool m_isPlaying = false;
    std::optional<Track> m_currentTrack;
    QPointer<LibraryStore> m_libraryStore;
};

} // namespace brivello
