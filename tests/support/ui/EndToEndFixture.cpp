#include "EndToEndFixture.h"

#include "platform/Defaults.h"
#include "platform/Scheduler.h"
#include "shell/ShellEvents.h"
#include "support/TestAudioFiles.h"

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>

namespace brivello::testing {

void EndToEndFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    Defaults::standard().resetForTesting();
    Scheduler::setShared(nullptr);
    ShellEvents::instance().refresh();
    ShellEvents::instance().setReduceMotion(false);
    launch();
}

void EndToEndFixture::launch()
{
    m_app = std::make_unique<BrivelloApp>([this] {
        auto sink = std::make_unique<CaptureAudioSink>();
        m_sink = sink.get();
        return sink;
    });
    window().resize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight);
    m_app->show();
    settle();
}

void EndToEndFixture::restartApp()
{
    store().saveWorkspaceSessionNow();
    m_app.reset();
    m_sink = nullptr;
    settle();
    launch();
}

void EndToEndFixture::TearDown()
{
    m_app.reset();
    m_sink = nullptr;
    settle();
    Defaults::standard().resetForTesting();
    ShellEvents::instance().refresh();
    ShellEvents::instance().setReduceMotion(false);
}

QString EndToEndFixture::path(const QString &relativePath) const
{
    return m_dir.path() + QLatin1Char('/') + relativePath;
}

QUrl EndToEndFixture::url(const QString &relativePath) const
{
    return QUrl::fromLocalFile(path(relativePath));
}

QString
EndToEndFixture::makeAudio(const QString &relativePath, double seconds, const QStringList &extra)
{
    const QFileInfo info(path(relativePath));
    QDir().mkpath(info.absolutePath());
    const QString made =
        test::TestAudioFiles::make(info.absolutePath(), info.fileName(), seconds, extra);
    EXPECT_FALSE(made.isEmpty()) << relativePath.toStdString();
    return made;
}

QList<QUuid> EndToEndFixture::importAndWait(const QList<QUrl> &urls)
{
    std::optional<QList<QUuid>> ids;
    store().importURLs(urls, [&ids](const QList<QUuid> &done) { ids = done; });
    EXPECT_TRUE(spinUntil([&ids] { return ids.has_value(); })) << "the import never finished";
    if (!ids)
        return {};
    const bool loaded = spinUntil([this, &ids] {
        for (const QUuid &id : *ids) {
            const auto found = std::find_if(store().tracks().cbegin(),
                                            store().tracks().cend(),
                                            [&id](const Track &track) { return track.id == id; });
            if (found == store().tracks().cend() || found->duration <= 0)
                return false;
        }
        return true;
    });
    EXPECT_TRUE(loaded) << "the imported files' metadata never arrived";
    return *ids;
}

void EndToEndFixture::advanceAudio(double seconds)
{
    ASSERT_NE(m_sink, nullptr) << "nothing is playing";
    m_sink->advance(qint64(seconds * m_sink->sampleRate()));
    // The player's clock ticks at 20 Hz on the real scheduler.
    settle(int(EngineAudioPlayer::kTickInterval * 1000 * 2));
}

bool EndToEndFixture::spinUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer limit(timeoutMs);
    while (!done()) {
        if (limit.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void EndToEndFixture::settle(int ms)
{
    QDeadlineTimer limit(ms);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    } while (!limit.hasExpired());
}

QImage EndToEndFixture::settledGrab()
{
    settle();
    for (QAbstractAnimation *animation : window().findChildren<QAbstractAnimation *>()) {
        if (animation->state() == QAbstractAnimation::Running && animation->totalDuration() > 0)
            animation->setCurrentTime(animation->totalDuration());
    }
    settle();
    return window().grab().toImage();
}

void EndToEndFixture::saveScreenshot(const QString &name, const QImage &image)
{
    const QString dir = qEnvironmentVariable("BRIVELLO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name);
}

} // namespace brivello::testing
