#include "AudioTimeline.h"

#include <algorithm>

namespace brivello {

namespace {

// Enough for several seconds of short render calls before the reader lets go.
constexpr size_t kPendingReserve = 256;

} // namespace

AudioTimeline::AudioTimeline()
{
    m_pending.reserve(kPendingReserve);
    m_segments.reserve(kPendingReserve);
}

bool AudioTimeline::extend(std::vector<Segment> &list, const Segment &segment)
{
    if (list.empty())
        return false;
    Segment &last = list.back();
    const bool continues =
        last.serial == segment.serial && last.advancing == segment.advancing &&
        last.outputEnd() == segment.outputStart &&
        segment.trackStart == (last.advancing ? last.trackStart + last.frames : last.trackStart);
    if (continues)
        last.frames += segment.frames;
    return continues;
}

void AudioTimeline::append(const Segment &segment)
{
    if (segment.frames > 0 && !extend(m_pending, segment))
        m_pending.push_back(segment);
}

void AudioTimeline::publish(qint64 playedFrames)
{
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    for (const Segment &segment : m_pending) {
        noteFirsts(segment);
        if (!extend(m_segments, segment))
            m_segments.push_back(segment);
    }
    m_pending.clear();
    // Keep the segment being heard and everything after it.
    auto firstKept = std::find_if(m_segments.begin(), m_segments.end(), [&](const Segment &s) {
        return s.outputEnd() > playedFrames;
    });
    if (firstKept == m_segments.end() && !m_segments.empty())
        firstKept = m_segments.end() - 1;
    m_segments.erase(m_segments.begin(), firstKept);
}

void AudioTimeline::noteFirsts(const Segment &segment)
{
    if (segment.serial > m_newestSerial || m_newestFirstFrame < 0) {
        m_newestSerial = segment.serial;
        m_newestFirstFrame = segment.outputStart;
        m_newestFirstAudio = -1;
    }
    if (segment.serial == m_newestSerial && segment.advancing && m_newestFirstAudio < 0)
        m_newestFirstAudio = segment.outputStart;
}

std::optional<qint64> AudioTimeline::trackFrameAt(qint64 playedFrames, quint64 serial) const
{
    std::lock_guard lock(m_mutex);
    const Segment *heard = nullptr;
    for (const Segment &segment : m_segments) {
        if (segment.serial != serial)
            continue;
        if (segment.outputStart > playedFrames)
            return heard ? heard->trackStart + (heard->advancing ? heard->frames : 0)
                         : segment.trackStart;
        heard = &segment;
        if (playedFrames < segment.outputEnd())
            return segment.trackStart +
                   (segment.advancing ? playedFrames - segment.outputStart : 0);
    }
    if (!heard)
        return std::nullopt;
    return heard->trackStart + (heard->advancing ? heard->frames : 0);
}

std::optional<qint64> AudioTimeline::firstFrame(quint64 serial) const
{
    std::lock_guard lock(m_mutex);
    if (serial != m_newestSerial || m_newestFirstFrame < 0)
        return std::nullopt;
    return m_newestFirstFrame;
}

std::optional<qint64> AudioTimeline::firstAudioFrame(quint64 serial) const
{
    std::lock_guard lock(m_mutex);
    if (serial != m_newestSerial || m_newestFirstAudio < 0)
        return std::nullopt;
    return m_newestFirstAudio;
}

} // namespace brivello
