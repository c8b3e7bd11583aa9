// The sidebar's collapse animation and the status block's cross-fade, driven by setting the
// animations' clocks directly.
#include "ShellFixture.h"
#include "shell/DashboardSidebar.h"
#include "shell/SidebarGeometry.h"
#include "shell/SidebarSectionButton.h"
#include "shell/ToolbarIconButton.h"
#include "shell/WorkspaceStatusBar.h"

#include <QVariantAnimation>

namespace brivello {
namespace {

using Tab = LibraryStore::LibraryTab;

QVariantAnimation *runningAnimation(QObject *owner, int duration)
{
    for (QVariantAnimation *animation : owner->findChildren<QVariantAnimation *>())
        if (animation->duration() == duration && animation->state() == QAbstractAnimation::Running)
            return animation;
    return nullptr;
}

TEST_F(ShellFixture, CollapseShrinksTheSidebarWhileTextsAndStatusBlockFade)
{
    DashboardSidebar *sidebar = window().sidebar();
    SidebarSectionButton *playlist = sidebar->sectionButton(Tab::playlist);
    sidebar->collapseButton()->click();
    EXPECT_TRUE(sidebar->isCollapsed());
    QVariantAnimation *collapse = runningAnimation(sidebar, 280);
    ASSERT_TRUE(collapse);
    collapse->setCurrentTime(140);
    EXPECT_DOUBLE_EQ(sidebar->expansion(), 0.5);
    EXPECT_EQ(sidebar->width(), 162);
    EXPECT_EQ(playlist->expansion(), 0.5);
    EXPECT_EQ(playlist->height(), 50);
    EXPECT_TRUE(sidebar->statusBar()->isVisible());
    EXPECT_EQ(sidebar->markerY(), SidebarGeometry::between(0.5).markerY(0));

    collapse->setCurrentTime(280);
    EXPECT_EQ(sidebar->expansion(), 0);
    EXPECT_EQ(sidebar->width(), 104);
    EXPECT_EQ(playlist->expansion(), 0);
    EXPECT_FALSE(sidebar->statusBar()->isVisible());
    EXPECT_EQ(sidebar->markerY(), SidebarGeometry::forState(true).markerY(0));

    sidebar->collapseButton()->click();
    QVariantAnimation *expand = runningAnimation(sidebar, 280);
    ASSERT_TRUE(expand);
    expand->setCurrentTime(1);
    EXPECT_TRUE(sidebar->statusBar()->isVisible());
    expand->setCurrentTime(280);
    EXPECT_EQ(sidebar->width(), 220);
    EXPECT_EQ(playlist->expansion(), 1);
    EXPECT_EQ(playlist->height(), 52);
}

TEST_F(ShellFixture, StatusBlockCrossFadesOnlyWhenPlaybackOrTheTransientMessageChanges)
{
    WorkspaceStatusBar *status = window().sidebar()->statusBar();
    status->repaint();
    store().setTracks(makeTracks(3, true));
    EXPECT_EQ(status->fadeProgress(), 1) << "a count change does not fade";

    player().track = store().playlistTracks().first();
    player().setPlaying(true);
    EXPECT_EQ(status->fadeProgress(), 0);
    QVariantAnimation *fade = runningAnimation(status, 180);
    ASSERT_TRUE(fade);
    fade->setCurrentTime(180);
    EXPECT_EQ(status->fadeProgress(), 1);

    store().showStatus(QStringLiteral("Готово"),
                       QStringLiteral("checkmark"),
                       LibraryStore::WorkspaceStatus::Tone::success);
    EXPECT_EQ(status->fadeProgress(), 0);
    runningAnimation(status, 180)->setCurrentTime(180);

    ShellEvents::instance().setReduceMotion(true);
    player().setPlaying(false);
    EXPECT_EQ(status->fadeProgress(), 1);
}

} // namespace
} // namespace brivello
