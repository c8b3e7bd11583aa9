#pragma once

#include "platform/Defaults.h"
#include "settings/UpdateManager.h"
#include "shell/MainWindow.h"
#include "shell/ShellEvents.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <QImage>
#include <QMimeData>
#include <memory>

namespace brivello {

// A main window at 1440 × 900 on the offscreen platform over a fresh store, with clean
// settings and virtual time.
class ShellFixture : public testing::LibraryStoreFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    MainWindow &window() { return *m_window; }
    testing::RecordingAudioPlayer &player() { return *m_player; }
    UpdateManager &updates() { return *m_updates; }

    QList<Track> makeTracks(int count, bool inPlaylist);
    // Writes the image under $BRIVELLO_SCREENSHOT_DIR when that is set.
    static void saveScreenshot(const QString &name, const QImage &image);
    // The window as it looks once every running animation of it has reached its end.
    QImage settledGrab();
    // Drag-enter at the centre of `target`; whether it was accepted.
    static bool dragEnter(QWidget *target,
                          const QMimeData *mime,
                          Qt::DropActions actions = Qt::CopyAction,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // A drop at the centre of `target` (without the enter); whether it was accepted.
    static bool drop(QWidget *target, const QMimeData *mime);

    std::unique_ptr<testing::RecordingAudioPlayer> m_player;
    std::unique_ptr<UpdateManager> m_updates;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace brivello
