#include "EndToEndFixture.h"

#include "library/TrackImporter.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/Defaults.h"
#include "platform/Scheduler.h"
#include "playback/AudioPlaybackEngine.h"
#include "shell/BrivelloTheme.h"
#include "shell/ContentArea.h"
#include "shell/DashboardSidebar.h"
#include "shell/PlaylistView.h"
#include "shell/ShellEvents.h"
#include "shell/SidebarSectionButton.h"
#include "shell/TrackRowDelegate.h"
#include "support/TestAudioFiles.h"
#include "workspaces/MainWindowController.h"

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QThread>
#include <cmath>

namespace brivello::testing {

namespace {

// The capture sink of the file playing now; it lets go of the fixture's pointer when the
// engine drops it (another file opened, or the player stopped and cleared).
class TrackedCaptureSink : public CaptureAudioSink
{
public:
    explicit TrackedCaptureSink(CaptureAudioSink *&slot)
        : m_slot(slot)
    {
        m_slot = this;
    }
    ~TrackedCaptureSink() override
    {
        if (m_slot == this)
            m_slot = nullptr;
    }

private:
    CaptureAudioSink *&m_slot;
};

} // namespace

void EndToEndFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    Defaults::standard().resetForTesting();
    ShellEvents::instance().refresh();
    ShellEvents::instance().setReduceMotion(false);
    launch();
}

void EndToEndFixture::launch()
{
    BrivelloApp::Services services;
    services.sinkFactory = [this] { return std::make_unique<TrackedCaptureSink>(m_sink); };
    services.scheduler = m_scheduler;
    m_app = std::make_unique<BrivelloApp>(std::move(services));
    m_app->show();
    settle();
}

void EndToEndFixture::restartApp()
{
    // Quitting closes the window first: it remembers its place then.
    window().close();
    store().session().saveWorkspaceSessionNow();
    m_app.reset();
    m_sink = nullptr;
    settle();
    launch();
}

void EndToEndFixture::restartAppOn(Scheduler &scheduler)
{
    m_scheduler = &scheduler;
    restartApp();
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

QStringList EndToEndFixture::makeAudioFiles(const QString &pattern, int count, double seconds)
{
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << makeAudio(pattern.arg(i, 2, 10, QLatin1Char('0')), seconds);
    return files;
}

QString EndToEndFixture::makeFromLavfi(const QString &relativePath,
                                       const QString &graph,
                                       const QStringList &outputArguments)
{
    const QString file = path(relativePath);
    QDir().mkpath(QFileInfo(file).absolutePath());
    const auto made = test::TestAudioFiles::run(QStringLiteral("ffmpeg"),
                                                test::TestAudioFiles::lavfiArguments(graph) +
                                                    outputArguments + QStringList{file});
    EXPECT_TRUE(made.ok()) << made.err.toStdString();
    return file;
}

QList<QUrl> EndToEndFixture::urls(const QStringList &files)
{
    QList<QUrl> urls;
    for (const QString &file : files)
        urls.append(QUrl::fromLocalFile(file));
    return urls;
}

std::optional<Track> EndToEndFixture::track(const QUuid &id) const
{
    for (const Track &track : m_app->store().tracks()) {
        if (track.id == id)
            return track;
    }
    return std::nullopt;
}

QList<ConversionItem> EndToEndFixture::queueForConversion(const QList<QUrl> &urls)
{
    const qsizetype before = store().conversionItems().size();
    store().importer().importForConversion(urls);
    EXPECT_TRUE(spinUntil([&] { return store().conversionItems().size() == before + urls.size(); }))
        << "the converter never listed the files";
    return store().conversionItems();
}

QString EndToEndFixture::tag(const QString &file, const QString &key)
{
    return test::TestAudioFiles::ffprobeTags(file).value(key).toString();
}

QByteArray EndToEndFixture::embeddedPicture(const QString &file)
{
    if (!file.endsWith(QStringLiteral(".flac")))
        return test::TestAudioFiles::attachedPicture(file);
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("picture.bin"));
    const auto exported = test::TestAudioFiles::run(
        QStringLiteral("metaflac"), {QStringLiteral("--export-picture-to=") + out, file});
    EXPECT_TRUE(exported.ok()) << exported.err.toStdString();
    return test::TestAudioFiles::readAll(out);
}

bool EndToEndFixture::waitForTag(const QString &file, const QString &key, const QString &value)
{
    return spinUntil([&] { return tag(file, key) == value; }, 20000);
}

QWidget *EndToEndFixture::activateSection(Tab tab)
{
    window().controller().activateTab(tab);
    settledGrab();
    QWidget *view = window().contentArea()->currentView();
    EXPECT_TRUE(view) << "no view for section " << int(tab);
    return view;
}

bool EndToEndFixture::clickSectionButton(Tab tab)
{
    QTest::mouseClick(window().sidebar()->sectionButton(tab), Qt::LeftButton);
    return store().activeTab() == tab;
}

void EndToEndFixture::pressKey(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &window(), Qt::Key(key), modifiers);
    settle();
}

void EndToEndFixture::clickAt(QWidget *widget, const QPoint &at, Qt::KeyboardModifiers modifiers)
{
    QTest::mouseClick(widget, Qt::LeftButton, modifiers, at);
    settle();
}

bool EndToEndFixture::dropFiles(QWidget *target, const QPoint &at, const QStringList &files)
{
    QMimeData mime;
    mime.setUrls(urls(files));
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

PlaylistView *EndToEndFixture::playlistView()
{
    QWidget *shown = window().contentArea()->currentView();
    return shown ? shown->findChild<PlaylistView *>() : nullptr;
}

QPoint EndToEndFixture::playlistRowPoint(int row)
{
    PlaylistView *view = playlistView();
    view->layOutRows();
    return TrackRowDelegate::geometry(view->elementRect(row),
                                      view->playlistModel()->startsFolder(row),
                                      view->rowDelegate()->density())
        .content.center();
}

QAbstractButton *EndToEndFixture::visibleButton(const QString &text)
{
    return visibleWidget<QAbstractButton>(
        [&text](const QAbstractButton &button) { return button.text() == text; });
}

QString EndToEndFixture::statusMessage()
{
    const std::optional<WorkspaceStatus> status = store().workspaceStatus();
    return status ? status->message : QString();
}

void EndToEndFixture::setAppearance(const QString &appearance)
{
    Defaults::standard().set(QStringLiteral("appAppearance"), appearance);
    settle();
}

EndToEndFixture::ImportedFolder EndToEndFixture::importFolderInEnglishAtMinimumSize()
{
    Defaults::standard().set(QStringLiteral("appLanguage"), QStringLiteral("en"));
    window().resize(window().minimumSize());
    ImportedFolder folder;
    folder.files = urls(makeAudioFiles(QStringLiteral("folder/%1 Track.mp3"), kFolderRows, 0.3));
    folder.ids = importAndWait(folder.files);
    EXPECT_EQ(folder.ids.size(), kFolderRows) << "not every file of the folder was imported";
    return folder;
}

const QList<EndToEndFixture::Tab> &EndToEndFixture::allSections()
{
    static const QList<Tab> sections = {
        Tab::playlist, Tab::favorites, Tab::covers, Tab::converter, Tab::analysis, Tab::duplicates};
    return sections;
}

QList<QUuid> EndToEndFixture::importAndWait(const QList<QUrl> &urls)
{
    std::optional<QList<QUuid>> ids;
    store().importer().importURLs(urls, [&ids](const QList<QUuid> &done) { ids = done; });
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
    // The player's clock ticks at 20 Hz on the real scheduler. A busy machine runs a tick
    // late: past two ticks' time, wait until the clock shows what the engine played (on
    // virtual time the test moves the clock itself).
    settle(int(EngineAudioPlayer::kTickInterval * 1000 * 2));
    if (m_scheduler)
        return;
    EngineAudioPlayer &clock = player();
    spinUntil([&clock] {
        return !clock.isProgressTimerRunning() || clock.isScrubbing() ||
               clock.pendingSeekTarget() ||
               std::abs(clock.progress().currentTime() - clock.engine().position()) <= 0.001;
    });
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

QImage EndToEndFixture::settledGrabInAppPalette()
{
    const QPalette palette = QApplication::palette();
    QApplication::setPalette(BrivelloTheme::palette(ShellEvents::instance().scheme()));
    const QImage image = settledGrab();
    QApplication::setPalette(palette);
    return image;
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
