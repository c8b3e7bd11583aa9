#include "ShellFixture.h"

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>

namespace brivello {

void ShellFixture::SetUp()
{
    testing::LibraryStoreFixture::SetUp();
    ShellEvents::instance().refresh();
    ShellEvents::instance().setReduceMotion(false);
    makeStore();
    m_player = std::make_unique<testing::RecordingAudioPlayer>();
    m_updates = std::make_unique<UpdateManager>(m_scheduler);
    m_window = std::make_unique<MainWindow>(store(), *m_player, *m_updates);
    m_window->resize(1440, 900);
    m_window->show();
    QCoreApplication::processEvents();
}

void ShellFixture::TearDown()
{
    m_window.reset();
    m_updates.reset();
    QCoreApplication::processEvents();
    testing::LibraryStoreFixture::TearDown();
    m_player.reset();
    Defaults::standard().resetForTesting();
    ShellEvents::instance().refresh();
    ShellEvents::instance().setReduceMotion(false);
}

QList<Track> ShellFixture::makeTracks(int count, bool inPlaylist)
{
    QList<Track> tracks;
    for (int i = 0; i < count; ++i) {
        Track track = Track::make(url(QStringLiteral("music/%1 - Track.mp3").arg(i + 1)));
        track.isInPlaylist = inPlaylist;
        tracks.append(track);
    }
    return tracks;
}

void ShellFixture::saveScreenshot(const QString &name, const QImage &image)
{
    const QString dir = qEnvironmentVariable("BRIVELLO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name);
}

QImage ShellFixture::settledGrab()
{
    QCoreApplication::processEvents();
    for (QAbstractAnimation *animation : m_window->findChildren<QAbstractAnimation *>()) {
        if (animation->state() == QAbstractAnimation::Running && animation->totalDuration() > 0)
            animation->setCurrentTime(animation->totalDuration());
    }
    QCoreApplication::processEvents();
    return m_window->grab().toImage();
}

bool ShellFixture::dragEnter(QWidget *target,
                             const QMimeData *mime,
                             Qt::DropActions actions,
                             Qt::KeyboardModifiers modifiers)
{
    QDragEnterEvent enter(target->rect().center(), actions, mime, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &enter);
    return enter.isAccepted();
}

bool ShellFixture::drop(QWidget *target, const QMimeData *mime)
{
    QDropEvent drop(
        QPointF(target->rect().center()), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace brivello
