// Plays through a real PulseAudio server: the test starts its own server with a null sink on
// a private socket and records the sink's monitor with parec.
#include "analysis/RealFFT.h"
#include "playback/AudioPlaybackEngine.h"
#include "playback/QtAudioOutputSink.h"
#include "support/TestAudioFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace brivello::test {

namespace {

constexpr int kRate = 48000;
const QString kSinkName = QStringLiteral("brivello_test");

class PulseServer
{
public:
    ~PulseServer()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    // Empty on success, else why the server could not start.
    QString start(const QString &folder)
    {
        m_address = QStringLiteral("unix:") + folder + QStringLiteral("/native");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), folder);
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), folder + QStringLiteral("/rt"));
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"),
             QStringLiteral("--daemonize=no"),
             // Gone by itself soon after the test program, even one that crashed.
             QStringLiteral("--exit-idle-time=10"),
             QStringLiteral("--use-pid-file=no"),
             QStringLiteral("--disable-shm=yes"),
             QStringLiteral("--load=module-null-sink sink_name=%1 rate=%2")
                 .arg(kSinkName)
                 .arg(kRate),
             QStringLiteral("--load=module-native-protocol-unix socket=%1/native auth-anonymous=1")
                 .arg(folder)});
        if (!m_process.waitForStarted(5000))
            return QStringLiteral("pulseaudio did not start");
        // Ready once it answers; a server that cannot run exits instead.
        const QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (TestAudioFiles::run(QStringLiteral("pactl"),
                                    {QStringLiteral("-s"), m_address, QStringLiteral("info")})
                    .ok())
                return {};
            if (m_process.waitForFinished(100))
                return QStringLiteral("pulseaudio exited: ") +
                       QString::fromLocal8Bit(m_process.readAll());
        }
        return QStringLiteral("pulseaudio did not answer");
    }

    const QString &address() const { return m_address; }

private:
    QProcess m_process;
    QString m_address;
};

// Records the null sink's monitor as mono floats: `whileRecording` runs once the recorder
// delivers, then `seconds` are collected. A short recorder latency keeps the null sink from
// buffering seconds ahead.
std::vector<float>
record(const QString &server, double seconds, const std::function<void()> &whileRecording)
{
    QProcess parec;
    parec.start(QStringLiteral("parec"),
                {QStringLiteral("-s"),
                 server,
                 QStringLiteral("-d"),
                 kSinkName + QStringLiteral(".monitor"),
                 QStringLiteral("--format=float32le"),
                 QStringLiteral("--rate=%1").arg(kRate),
                 QStringLiteral("--channels=1"),
                 QStringLiteral("--latency-msec=20"),
                 QStringLiteral("--raw")});
    QByteArray bytes;
    const QDeadlineTimer deadline(20000);
    while (bytes.isEmpty() && !deadline.hasExpired() && parec.state() != QProcess::NotRunning)
        if (parec.waitForReadyRead(100))
            bytes = parec.readAll();
    bytes.clear();
    whileRecording();
    const auto wanted = static_cast<qsizetype>(seconds * kRate) * qsizetype(sizeof(float));
    while (bytes.size() < wanted && !deadline.hasExpired() && parec.state() != QProcess::NotRunning)
        if (parec.waitForReadyRead(100))
            bytes += parec.readAll();
    parec.kill();
    parec.waitForFinished(5000);
    std::vector<float> samples(static_cast<size_t>(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

// Where the recording stops being silent.
size_t firstSound(const std::vector<float> &samples)
{
    size_t begin = 0;
    while (begin < samples.size() && std::abs(samples[begin]) < 0.05f)
        ++begin;
    return begin;
}

// The pitch as the spectrum's peak over half a second after the sound starts. A dropout in the
// recording (a busy machine, a sanitizer build) leaves a gap or a skip that spreads a little
// energy but leaves the peak where it was, where a count of zero crossings loses the gap's cycles.
double dominantFrequency(const std::vector<float> &samples, double &level)
{
    const size_t begin = firstSound(samples);
    const size_t count = std::min<size_t>(samples.size() - begin, kRate / 2);
    double energy = 0;
    for (size_t i = begin; i < begin + count; ++i)
        energy += double(samples[i]) * samples[i];
    level = count > 0 ? std::sqrt(energy / double(count)) : 0;
    constexpr int kSize = 32768; // 1.5 Hz a bin
    RealFFT fft(kSize);
    if (count < size_t(kRate / 10) || !fft.isValid())
        return 0;
    std::vector<float> window(count);
    RealFFT::fillNormalizedHann(window.data(), int(count));
    std::fill(fft.input(), fft.input() + kSize, 0.0f);
    for (size_t i = 0; i < count; ++i)
        fft.input()[i] = samples[begin + i] * window[i];
    fft.execute();
    int peak = 1;
    for (int k = 2; k < kSize / 2; ++k) {
        if (std::abs(fft.output()[k]) > std::abs(fft.output()[peak]))
            peak = k;
    }
    return peak * double(kRate) / kSize;
}

} // namespace

// One server for the whole test program: Qt's PulseAudio connection is made once per process
// and does not follow a server that goes away. Stopped when the application object goes.
PulseServer *sharedServer(QString &why)
{
    static QTemporaryDir *folder = nullptr;
    static PulseServer *server = nullptr;
    static QString failure;
    if (!folder) {
        folder = new QTemporaryDir;
        server = new PulseServer;
        failure = server->start(folder->path());
        qAddPostRoutine([] {
            delete server;
            delete folder;
        });
    }
    why = failure;
    return failure.isEmpty() ? server : nullptr;
}

TEST(PulseAudioOutputTest, SinePlayedThroughPulseAudioIsRecordedAtItsFrequency)
{
    if (!TestAudioFiles::hasProgram(QStringLiteral("pulseaudio")) ||
        !TestAudioFiles::hasProgram(QStringLiteral("parec")))
        GTEST_SKIP() << "pulseaudio or parec is not installed";
    QString why;
    PulseServer *server = sharedServer(why);
    if (!server)
        GTEST_SKIP() << "no PulseAudio server could start here: " << why.toStdString();
    // Qt connects to the server named here the first time it looks for audio devices.
    qputenv("PULSE_SERVER", server->address().toLocal8Bit());
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        GTEST_SKIP() << "Qt found no output on the test server (connected elsewhere before?)";

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("sine.wav"));
    ASSERT_TRUE(TestAudioFiles::run(QStringLiteral("ffmpeg"),
                                    TestAudioFiles::lavfiArguments(
                                        QStringLiteral("sine=frequency=1000:sample_rate=48000:d=4"))
                                        << path)
                    .ok());
    AudioPlaybackEngine engine([&] { return std::make_unique<QtAudioOutputSink>(device); });
    ASSERT_TRUE(engine.open(QFile::encodeName(path)));
    const std::vector<float> samples = record(server->address(), 1.5, [&] { engine.play(); });
    const double heard = engine.position();
    engine.close();

    double level = 0;
    EXPECT_NEAR(dominantFrequency(samples, level), 1000.0, 10.0);
    EXPECT_GT(level, 0.05); // lavfi's sine peaks at 1/8
    EXPECT_GT(heard, 0.2);
    // The clock follows the sound the server played, not the frames handed to it; bounded by
    // the recording rather than by the time the recording took, which a busy machine stretches.
    const double sounded = double(samples.size() - firstSound(samples)) / kRate;
    EXPECT_LT(heard, sounded + 0.15);
}

} // namespace brivello::test
