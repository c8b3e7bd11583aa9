#include "QtAudioOutputSink.h"

#include "AudioPullDevice.h"

#include <QAudioSink>
#include <QTimer>

namespace brivello {

namespace {

// Often enough for a 20 Hz display; each reading takes the sound server's lock.
constexpr int kClockIntervalMs = 10;
// Room for a few of the device's periods: short enough that a seek is heard at once.
constexpr double kBufferSeconds = 0.06;

} // namespace

QtAudioOutputSink::QtAudioOutputSink(const QAudioDevice &device)
    : m_device(device)
    , m_context(std::make_unique<QObject>())
{
    m_format.setSampleRate(
        device.preferredFormat().sampleRate() > 0 ? device.preferredFormat().sampleRate() : 48000);
    m_format.setChannelCount(2);
    m_format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
    m_format.setSampleFormat(QAudioFormat::Float);
    m_thread.setObjectName(QStringLiteral("audio output"));
    m_context->moveToThread(&m_thread);
}

QtAudioOutputSink::~QtAudioOutputSink()
{
    stop();
    // The context belongs to the stopped thread; deleting it from here is safe now.
    m_context.reset();
}

bool QtAudioOutputSink::start(AudioRenderSource *source)
{
    stop();
    m_thread.start(QThread::TimeCriticalPriority);
    bool started = false;
    QMetaObject::invokeMethod(
        m_context.get(), [&] { startOnThread(source, &started); }, Qt::BlockingQueuedConnection);
    if (!started)
        stop();
    return started;
}

void QtAudioOutputSink::stop()
{
    if (!m_thread.isRunning())
        return;
    QMetaObject::invokeMethod(
        m_context.get(), [this] { stopOnThread(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void QtAudioOutputSink::startOnThread(AudioRenderSource *source, bool *started)
{
    m_sink = new QAudioSink(m_device, m_format);
    const auto frameBytes = static_cast<qsizetype>(2 * sizeof(float));
    m_sink->setBufferSize(static_cast<qsizetype>(kBufferSeconds * m_format.sampleRate()) *
                          frameBytes);
    m_pull = new AudioPullDevice(source);
    m_pull->open(QIODevice::ReadOnly);
    m_sink->start(m_pull);
    *started = m_sink->error() == QAudio::NoError && m_sink->state() != QAudio::StoppedState;
    if (!*started)
        return; // the engine falls back to silence: not a lost device
    QObject::connect(
        m_sink, &QAudioSink::stateChanged, m_context.get(), [this, source](auto state) {
            if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
                source->deviceFailed();
        });
    m_clock = new QTimer;
    m_clock->setTimerType(Qt::PreciseTimer);
    QObject::connect(m_clock, &QTimer::timeout, m_context.get(), [this, source] {
        const qint64 played = m_sink->processedUSecs() * m_format.sampleRate() / 1000000;
        source->framesPlayed(played);
    });
    m_clock->start(kClockIntervalMs);
}

void QtAudioOutputSink::stopOnThread()
{
    delete m_clock;
    m_clock = nullptr;
    if (m_sink) {
        m_sink->disconnect();
        m_sink->stop();
    }
    delete m_sink;
    m_sink = nullptr;
    delete m_pull;
    m_pull = nullptr;
}

} // namespace brivello
