#include "EngineTest.h"

#include "support/TestAudioFiles.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <cstring>

namespace brivello::test {

void EngineTest::SetUp()
{
    ASSERT_TRUE(m_folder.isValid());
    engine = std::make_unique<AudioPlaybackEngine>([this] {
        auto capture = std::make_unique<CaptureAudioSink>(m_rate, m_latency);
        sink = capture.get();
        return capture;
    });
    finishedSpy = std::make_unique<QSignalSpy>(engine.get(), &AudioPlaybackEngine::finished);
    failedSpy = std::make_unique<QSignalSpy>(engine.get(), &AudioPlaybackEngine::failed);
}

QString EngineTest::makeFile(const QString &name, const QString &graph, const QStringList &extra)
{
    const QString path = m_folder.filePath(name);
    const auto result = TestAudioFiles::run(QStringLiteral("ffmpeg"),
                                            TestAudioFiles::lavfiArguments(graph) << extra << path);
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    return path;
}

std::vector<float> EngineTest::ffmpegSamples(const QString &path, double start, int rate)
{
    const auto result = TestAudioFiles::run(QStringLiteral("ffmpeg"),
                                            {QStringLiteral("-v"),
                                             QStringLiteral("error"),
                                             QStringLiteral("-ss"),
                                             QString::number(start),
                                             QStringLiteral("-i"),
                                             path,
                                             QStringLiteral("-f"),
                                             QStringLiteral("f32le"),
                                             QStringLiteral("-ac"),
                                             QStringLiteral("2"),
                                             QStringLiteral("-ar"),
                                             QString::number(rate),
                                             QStringLiteral("-")});
    EXPECT_TRUE(result.ok()) << result.err.toStdString();
    std::vector<float> samples(static_cast<size_t>(result.out.size()) / sizeof(float));
    std::memcpy(samples.data(), result.out.constData(), samples.size() * sizeof(float));
    return samples;
}

bool EngineTest::open(const QString &path)
{
    return engine->open(QFile::encodeName(path));
}

void EngineTest::advance(double seconds, qint64 block)
{
    sink->advance(frames(seconds), block);
    deliverReports();
}

void EngineTest::deliverReports()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void EngineTest::waitForBuffer()
{
    // The decoder fills the ring within milliseconds; the limit only guards against a hang.
    for (int i = 0; i < 5000 && engine->bufferedFrames() < 8192; ++i)
        QThread::msleep(1);
}

} // namespace brivello::test
