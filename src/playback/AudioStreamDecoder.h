#pragma once

#include "AudioFileInput.h"

#include <QByteArray>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace brivello {

// Decodes one audio file to interleaved stereo float frames at a fixed output rate, and
// seeks to an exact output frame (seek back to a packet, then decode forward and drop what
// lies before the target). Used by the decoder thread alone.
class AudioStreamDecoder
{
public:
    enum class Status { ok, end, failed };

    ~AudioStreamDecoder();
    AudioStreamDecoder(const AudioStreamDecoder &) = delete;
    AudioStreamDecoder &operator=(const AudioStreamDecoder &) = delete;

    // Nothing when the file is not audio that libavcodec can decode.
    static std::unique_ptr<AudioStreamDecoder> open(const QByteArray &nativePath, int outputRate);

    double duration() const { return m_input->duration(); }
    int outputRate() const { return m_outputRate; }

    // The next frames decode from `outputFrame` on.
    void seek(qint64 outputFrame);
    // Appends the frames of the next packet to `out` (it may add none).
    Status decode(std::vector<float> &out);

private:
    AudioStreamDecoder() = default;
    Status receiveFrames(std::vector<float> &out);
    bool append(const AVFrame *frame, std::vector<float> &out);
    bool openResampler(const AVFrame *frame);
    bool convert(const uint8_t **input, int count, std::vector<float> &out);
    void resetResampler();

    std::unique_ptr<AudioFileInput> m_input;
    AVCodecContext *m_codec = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    SwrContext *m_swr = nullptr;
    int m_outputRate = 0;
    int m_sourceRate = 0;
    int m_sourceFormat = -1;
    int m_sourceChannels = 0;
    qint64 m_startTime = 0;   // the stream's first timestamp, in its time base
    qint64 m_dropBefore = -1; // source sample index a seek aims at; -1 when none
    qint64 m_nextSample = 0;  // source sample index of the next frame when it has no time
    int m_failedPackets = 0;
    bool m_draining = false;
};

} // namespace brivello
