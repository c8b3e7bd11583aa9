#pragma once

#include "records/Track.h"

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

    // --- Transport for the window's hotkeys and the track lists (AudioPlayerTransport.cpp).
    // The base keeps only the current id; the playback engine overrides these.
    virtual std::optional<Track> currentTrack() const;
    virtual bool isPlaying() const;
    // Like play() but never pauses: the current track keeps playing or resumes.
    virtual void start(const Track &track);
    // Pauses or resumes the current track.
    virtual void toggle();
    // Seeks by a signed number of seconds from the current time, clamped to the track.
    virtual void seekBy(double seconds);

    // --- The weak link to the store, set by the main window (AudioPlayerState.cpp).
    LibraryStore *libraryStore() const;
    void setLibraryStore(LibraryStore *store);

signals:
    void currentIDChanged();
    void isPlayingChanged();

protected:
    void setCurrentID(std::optional<QUuid> id);

private:
    std::optional<QUuid> m_currentID;
    QPointer<LibraryStore> m_libraryStore;
};

} // namespace brivello
