// Window-free logic of the shell: player block sizing, sidebar measures, the update prompt,
// the light/dark switch's delayed write and the hover hint's timing.
#include "platform/Defaults.h"
#include "platform/Scheduler.h"
#include "shell/AppearanceToggleController.h"
#include "shell/ContextualHintState.h"
#include "shell/PlayerBlockSizing.h"
#include "shell/SidebarGeometry.h"
#include "shell/UpdatePromptRule.h"

#include <gtest/gtest.h>

namespace brivello {
namespace {

class VirtualTimeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Defaults::standard().resetForTesting();
        Scheduler::setShared(&m_scheduler);
    }
    void TearDown() override
    {
        Scheduler::setShared(nullptr);
        Defaults::standard().resetForTesting();
    }
    VirtualScheduler m_scheduler;
};

TEST(PlayerBlockSizingTest, WideWindowGivesTheUncompactBounds)
{
    const PlayerBlockSizing s = PlayerBlockSizing::compute(1440, 900, 42);
    EXPECT_FALSE(s.compact);
    EXPECT_EQ(s.gap, 10);
    EXPECT_EQ(s.minimumHeight, 174);
    EXPECT_EQ(s.maximumHeight, 348); // min(max(900-32-54-20-180, 174), 2*174)
    EXPECT_EQ(s.layoutControlsTopInset, 38);
}

TEST(PlayerBlockSizingTest, MinimumWindowIsCompactWithTheSmallCap)
{
    const PlayerBlockSizing s = PlayerBlockSizing::compute(1280, 760, 42);
    EXPECT_TRUE(s.compact);
    EXPECT_EQ(s.gap, 14);
    EXPECT_EQ(s.minimumHeight, 174);
    // room = 760-32-54-28-180 = 466; cap = 174 + max(21, 44) = 218
    EXPECT_EQ(s.maximumHeight, 218);
}

TEST(PlayerBlockSizingTest, CompactnessAndGapSwitchAt1400)
{
    EXPECT_EQ(PlayerBlockSizing::compute(1399, 900, 42).gap, 14);
    EXPECT_EQ(PlayerBlockSizing::compute(1400, 900, 42).gap, 10);
}

TEST(PlayerBlockSizingTest, TallWaveformRaisesTheMinimumAndLowWindowPinsTheMaximum)
{
    const PlayerBlockSizing tall = PlayerBlockSizing::compute(1440, 900, 80);
    EXPECT_EQ(tall.minimumHeight, 212);
    const PlayerBlockSizing low = PlayerBlockSizing::compute(1440, 420, 42);
    EXPECT_EQ(low.maximumHeight, low.minimumHeight);
}

TEST(PlayerBlockSizingTest, EffectiveHeightPrefersPreviewThenStoredThenMinimum)
{
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 0, 174, 348), 174);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 260, 174, 348), 260);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(200.0, 260, 174, 348), 200);
    // A stored height beyond the current bounds shows clamped.
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 500, 174, 218), 218);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 100, 174, 218), 174);
}

TEST(PlayerBlockSizingTest, DragDirectionFollowsThePlacementAndStopsAtTheBounds)
{
    // Below the content: dragging up (negative y) grows.
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, -30.4, false, 174, 348), 230);
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, 30, false, 174, 348), 174);
    // On top: dragging down grows.
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, 30.5, true, 174, 348), 231);
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, 900, true, 174, 348), 348);
}

TEST(SidebarGeometryTest, ExpandedAndCollapsedMeasures)
{
    const SidebarGeometry open = SidebarGeometry::forState(false);
    EXPECT_EQ(open.width, 220);
    EXPECT_EQ(open.innerWidth, open.width - 2 * open.horizontalPadding - 4);
    EXPECT_EQ(open.markerX, -open.horizontalPadding);
    const SidebarGeometry closed = SidebarGeometry::forState(true);
    EXPECT_EQ(closed.width, 104);
    EXPECT_EQ(closed.innerWidth, 80);
    EXPECT_EQ(closed.rowHeight, 48);
    EXPECT_EQ(closed.markerX, -closed.horizontalPadding);
}

TEST(SidebarGeometryTest, MarkerCentresOnTheActiveRow)
{
    const SidebarGeometry open = SidebarGeometry::forState(false);
    EXPECT_EQ(open.markerY(0), 11);
    EXPECT_EQ(open.markerY(3), 11 + 62 * 3);
    const SidebarGeometry closed = SidebarGeometry::forState(true);
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(closed.markerY(index), (48 - 30) / 2.0 + 56 * index);
}

TEST_F(VirtualTimeTest, UpdatePromptRepeatsTheSameVersionAfterExactlyOneDay)
{
    EXPECT_FALSE(UpdatePromptRule::shouldAnnounce("2.0", "2.0", 1000, 1000 + 86399));
    EXPECT_TRUE(UpdatePromptRule::shouldAnnounce("2.0", "2.0", 1000, 1000 + 86400));
    EXPECT_TRUE(UpdatePromptRule::shouldAnnounce("2.1", "2.0", 1000, 1001));

    double now = 5000;
    UpdatePromptRule rule([&now] { return now; });
    UpdateManager::Release release{QStringLiteral("2.0"), 7, {}, {}, {}};
    EXPECT_TRUE(rule.releaseToPresent(release));
    EXPECT_EQ(Defaults::standard().string("lastUpdatePromptVersion"), "2.0");
    EXPECT_EQ(Defaults::standard().real("lastUpdatePromptDate"), 5000);
    now += 3600;
    EXPECT_FALSE(rule.releaseToPresent(release));
    now = 5000 + 86399;
    EXPECT_FALSE(rule.releaseToPresent(release));
    now = 5000 + 86400;
    EXPECT_TRUE(rule.releaseToPresent(release));
    release.version = QStringLiteral("2.1");
    now += 1;
    EXPECT_TRUE(rule.releaseToPresent(release));
    EXPECT_FALSE(rule.releaseToPresent(std::nullopt));
}

TEST_F(VirtualTimeTest, AppearanceSwitchWritesOnly45msAfterTheLastClick)
{
    AppearanceToggleController toggle;
    toggle.syncWithSetting();
    EXPECT_TRUE(toggle.displayedDarkAppearance());
    toggle.toggleAppearance();
    EXPECT_FALSE(toggle.displayedDarkAppearance()); // the knob moves at once
    m_scheduler.advance(0.020);
    EXPECT_FALSE(Defaults::standard().contains("appAppearance"));
    toggle.toggleAppearance(); // second click within 45 ms cancels the first write
    m_scheduler.advance(0.044);
    EXPECT_FALSE(Defaults::standard().contains("appAppearance"));
    m_scheduler.advance(0.001);
    EXPECT_EQ(Defaults::standard().string("appAppearance"), "dark");
    toggle.toggleAppearance();
    m_scheduler.advance(0.045);
    EXPECT_EQ(Defaults::standard().string("appAppearance"), "light");
}

TEST_F(VirtualTimeTest, AppearanceSwitchFollowsOutsideChangesAndOddValuesCountAsDark)
{
    Defaults::standard().set("appAppearance", "Light");
    AppearanceToggleController toggle;
    toggle.syncWithSetting();
    EXPECT_TRUE(toggle.displayedDarkAppearance());
    Defaults::standard().set("appAppearance", "light");
    EXPECT_FALSE(toggle.displayedDarkAppearance());
    toggle.setReduceMotion(true);
    toggle.toggleAppearance(); // reduced motion writes without the wait
    EXPECT_EQ(Defaults::standard().string("appAppearance"), "dark");
}

TEST_F(VirtualTimeTest, HintOpensAfterThreeSecondsOfRestOnly)
{
    ContextualHintState hint;
    hint.hoverChanged(true);
    m_scheduler.advance(2.9);
    EXPECT_FALSE(hint.isPresented());
    hint.hoverChanged(false);
    m_scheduler.advance(1.0);
    EXPECT_FALSE(hint.isPresented());

    hint.hoverChanged(true);
    m_scheduler.advance(2.0);
    hint.hoverChanged(false);
    hint.hoverChanged(true); // re-entry restarts the wait
    m_scheduler.advance(2.0);
    EXPECT_FALSE(hint.isPresented());
    m_scheduler.advance(1.0);
    EXPECT_TRUE(hint.isPresented());
    hint.hoverChanged(false); // leaving does not close an open hint
    EXPECT_TRUE(hint.isPresented());
}

TEST_F(VirtualTimeTest, SwitchingHintsOffClosesOpenHintsAndStopsNewOnes)
{
    ContextualHintState first;
    ContextualHintState second;
    first.hoverChanged(true);
    second.hoverChanged(true);
    m_scheduler.advance(3.0);
    ASSERT_TRUE(first.isPresented());
    first.disableHints();
    EXPECT_FALSE(first.isPresented());
    EXPECT_FALSE(second.isPresented());
    EXPECT_FALSE(Defaults::standard().boolean("contextualHintsEnabled", true));
    second.hoverChanged(true);
    m_scheduler.advance(5.0);
    EXPECT_FALSE(second.isPresented());
    ContextualHintState::setHintsEnabled(true);
    EXPECT_FALSE(second.isPresented()); // nothing until the next hover
}

TEST_F(VirtualTimeTest, HintOfADisappearedControlNeverOpens)
{
    ContextualHintState hint;
    hint.hoverChanged(true);
    hint.controlDisappeared();
    m_scheduler.advance(10);
    EXPECT_FALSE(hint.isPresented());
}

} // namespace
} // namespace brivello
