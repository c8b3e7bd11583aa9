#include "shell/BrivelloApp.h"

#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"
#include "shell/MainWindow.h"
#include "shell/OpenPanels.h"
#include "shell/ShellEvents.h"
#include "support/LibraryStoreFixture.h"

#include <QAction>
#include <QApplication>
#include <QTest>

namespace brivello {
namespace {

class BrivelloAppTest : public testing::LibraryStoreFixture
{
protected:
    void TearDown() override
    {
        OpenPanels::setDialogHookForTesting({});
        testing::LibraryStoreFixture::TearDown();
        Defaults::standard().resetForTesting();
        ShellEvents::instance().refresh();
    }
};

TEST_F(BrivelloAppTest, LeavingTheApplicationStartsTheSnapshotAtOnceAndReturningDoesNot)
{
    BrivelloApp app;
    app.store().setTracks({Track::make(url("a.mp3"))});
    ASSERT_TRUE(app.store().hasPendingWorkspaceSave());
    int saves = 0;
    QObject::connect(&app.store(), &LibraryStore::workspaceSessionSaved, [&saves] { ++saves; });
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(app.store().hasPendingWorkspaceSave());
    EXPECT_TRUE(spinUntil([&saves] { return saves == 1; }));
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    QTest::qWait(50);
    EXPECT_EQ(saves, 1);
}

TEST_F(BrivelloAppTest, TheAddFilesCommandFollowsTheLanguageAndFillsThePlaylist)
{
    BrivelloApp app;
    QAction *add = app.addFilesAction();
    EXPECT_EQ(add->text(), "Добавить файлы…");
    EXPECT_EQ(add->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    Defaults::standard().set("appLanguage", "en");
    EXPECT_EQ(add->text(), "Add Files…");

    QList<QUrl> offered{url("b.mp3")};
    touch("b.mp3");
    OpenPanels::setDialogHookForTesting([&offered] { return std::optional(offered); });
    app.store().setActiveTab(LibraryStore::LibraryTab::favorites);
    add->trigger(); // always the playlist's panel
    EXPECT_TRUE(spinUntil([&app] { return app.store().playlistTracks().size() == 1; }));
}

} // namespace
} // namespace brivello
