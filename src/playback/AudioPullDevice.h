#pragma once

#include <QIODevice>

namespace brivello {

class AudioRenderSource;

// The QIODevice a QAudioSink pulls from: every read renders that many frames of
// interleaved stereo float. Lives on the sink's thread.
class AudioPullDevice : public QIODevice
{
    Q_OBJECT
public:
    AudioPullDevice(AudioRenderSource *source, QObject *parent = nullptr);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    AudioRenderSource *m_source;
};

} // namespace brivello
