#pragma once

#include <QtGlobal>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

namespace brivello {

// Maps frames the device has played to track positions. The sink's thread appends one
// segment per stretch it renders (audio advances the track, silence holds it) and never
// waits for the lock: what it cannot hand over now waits for its next turn. Readers on any
// thread look a played frame count up.
class AudioTimeline
{
public:
    struct Segment
    {
        qint64 outputStart = 0;
        qint64 trackStart = 0;
        qint64 frames = 0;
        bool advancing = false;
        quint64 serial = 0;
        qint64 outputEnd() const { return outputStart + frames; }
    };

    AudioTimeline();

    // --- The sink's thread.
    void append(const Segment &segment);
    // Hands the pending segments over and drops those played before `playedFrames`.
    void publish(qint64 playedFrames);

    // --- Any thread. The track frame heard at `playedFrames` among the segments of `serial`:
    // before its first segment that segment's start (the seek target, not yet heard);
    // nothing when the serial has no segment yet.
    std::optional<qint64> trackFrameAt(qint64 playedFrames, quint64 serial) const;
    // Where the renderer began the output of `serial` (its first segment) and its first
    // audio frame; kept for the newest serial only.
    std::optional<qint64> firstFrame(quint64 serial) const;
    std::optional<qint64> firstAudioFrame(quint64 serial) const;

private:
    static bool extend(std::vector<Segment> &list, const Segment &segment);
    void noteFirsts(const Segment &segment);

    std::vector<Segment> m_pending; // the sink's thread only
    mutable std::mutex m_mutex;
    std::vector<Segment> m_segments;
    quint64 m_newestSerial = 0;
    qint64 m_newestFirstFrame = -1;
    qint64 m_newestFirstAudio = -1;
};

} // namespace brivello
