#include "shell/BrivelloApp.h"

#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/Defaults.h"
#include "shell/MainWindow.h"
#include "shell/OpenPanels.h"
#include "shell/QtDialogTranslation.h"
#include "shell/ShellEvents.h"
#include "support/LibraryStoreFixture.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
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
    ASSERT_TRUE(app.store().session().hasPendingWorkspaceSave());
    int saves = 0;
    QObject::connect(&app.store(), &LibraryStore::workspaceSessionSaved, [&saves] { ++saves; });
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(app.store().session().hasPendingWorkspaceSave());
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
    EXPECT_TRUE(spinUntil([&app] { return app.store().sections().playlistTracks().size() == 1; }));
}

TEST_F(BrivelloAppTest, QuitAndCloseWindowLeaveThroughTheSnapshotWrite)
{
    BrivelloApp app;
    app.show();
    EXPECT_EQ(app.quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(app.closeWindowAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    for (QAction *action : {app.closeWindowAction(), app.quitAction()}) {
        app.show();
        app.store().setTracks({Track::make(url("a.mp3"))});
        ASSERT_TRUE(app.store().session().hasPendingWorkspaceSave());
        action->trigger();
        EXPECT_FALSE(app.window().isVisible());
        EXPECT_FALSE(app.store().session().hasPendingWorkspaceSave());
    }
}

TEST_F(BrivelloAppTest, QtsOwnDialogTextsFollowTheInterfaceLanguage)
{
    if (!QFile::exists(QtDialogTranslation::catalogueDirectory() + "/qtbase_ru.qm"))
        GTEST_SKIP() << "Qt's Russian catalogue (qt6-translations-l10n) is not installed";
    QDialogButtonBox openBefore(QDialogButtonBox::Cancel);
    {
        BrivelloApp app;
        QDialogButtonBox made(QDialogButtonBox::Cancel);
        EXPECT_EQ(made.button(QDialogButtonBox::Cancel)->text(), "Отмена");
        Defaults::standard().set("appLanguage", "en");
        QCoreApplication::processEvents();
        EXPECT_EQ(made.button(QDialogButtonBox::Cancel)->text(), "Cancel");
        Defaults::standard().set("appLanguage", "ru");
        QCoreApplication::processEvents();
        EXPECT_EQ(openBefore.button(QDialogButtonBox::Cancel)->text(), "Отмена");
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(openBefore.button(QDialogButtonBox::Cancel)->text(), "Cancel");
}

} // namespace
} // namespace brivello
