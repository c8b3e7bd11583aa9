// Window-free shell logic: player block sizing, sidebar measures, the update prompt, the
// light/dark switch's delayed write and the hover hint's timing.
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

TEST(PlayerBlockSizingTest, BoundsFollowTheWindowAndWaveform)
{
    struct Case
    {
        int width, height, waveform;
        bool compact;
        int gap, minimum, maximum; // 0: not checked
    };
    const Case cases[] = {
        {1440, 900, 42, false, 10, 174, 348}, // min(max(900-32-54-20-180, 174), 2*174)
        {1280, 760, 42, true, 14, 174, 218},  // 174 + max(21, 44)
        {1399, 900, 42, true, 14, 174, 0},
        {1400, 900, 42, false, 10, 174, 0},
        {1440, 900, 80, false, 10, 212, 0},
    };
    for (const Case &c : cases) {
        const PlayerBlockSizing s = PlayerBlockSizing::compute(c.width, c.height, c.waveform);
        EXPECT_EQ(s.compact, c.compact) << c.width << "x" << c.height;
        EXPECT_EQ(s.gap, c.gap) << c.width << "x" << c.height;
        EXPECT_EQ(s.minimumHeight, c.minimum) << c.width << "x" << c.height;
        if (c.maximum) {
            EXPECT_EQ(s.maximumHeight, c.maximum) << c.width << "x" << c.height;
        }
    }
    EXPECT_EQ(PlayerBlockSizing::compute(1440, 900, 42).layoutControlsTopInset, 38);
    const PlayerBlockSizing low = PlayerBlockSizing::compute(1440, 420, 42);
    EXPECT_EQ(low.maximumHeight, low.minimumHeight);
}

TEST(PlayerBlockSizingTest, EffectiveAndDraggedHeightsStayWithinTheBounds)
{
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 0, 174, 348), 174);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 260, 174, 348), 260);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(200.0, 260, 174, 348), 200);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 500, 174, 218), 218);
    EXPECT_EQ(PlayerBlockSizing::effectiveHeight(std::nullopt, 100, 174, 218), 174);
    // Below the content dragging up grows; on top dragging down grows.
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, -30.4, false, 174, 348), 230);
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, 30, false, 174, 348), 174);
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, 30.5, true, 174, 348), 231);
    EXPECT_EQ(PlayerBlockSizing::dragHeight(200, 900, true, 174, 348), 348);
}

TEST(SidebarGeometryTest, MeasuresAndMarkerBlendBetweenCollapsedAndExpanded)
{
    const SidebarGeometry open = SidebarGeometry::forState(false);
    EXPECT_EQ(open.width, 220);
    EXPECT_EQ(open.innerWidth, open.width - 2 * open.horizontalPadding - 4);
    EXPECT_EQ(open.markerY(0), 11);
    EXPECT_EQ(open.markerY(3), 11 + 62 * 3);
    const SidebarGeometry closed = SidebarGeometry::forState(true);
    EXPECT_EQ(closed.width, 104);
    EXPECT_EQ(closed.innerWidth, 80);
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(closed.markerY(index), (48 - 30) / 2.0 + 56 * index);

    EXPECT_EQ(SidebarGeometry::between(0).collapseButtonWidth, 80);
    EXPECT_EQ(SidebarGeometry::between(1).markerX, -14);
    const SidebarGeometry half = SidebarGeometry::between(0.5);
    EXPECT_EQ(half.width, 162);
    EXPECT_EQ(half.rowHeight, 50);
    EXPECT_EQ(half.markerY(2.5), (50 - 30) / 2.0 + 59 * 2.5);
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
    toggle.toggleAppearance(); // a second click within 45 ms cancels the first write
    m_scheduler.advance(0.044);
    EXPECT_FALSE(Defaults::standard().contains("appAppearance"));
    m_scheduler.advance(0.001);
    EXPECT_EQ(Defaults::standard().string("appAppearance"), "dark");

    // Outside changes are followed; reduced motion writes without the wait.
    Defaults::standard().set("appAppearance", "light");
    EXPECT_FALSE(toggle.displayedDarkAppearance());
    toggle.setReduceMotion(true);
    toggle.toggleAppearance();
    EXPECT_EQ(Defaults::standard().string("appAppearance"), "dark");
}

TEST_F(VirtualTimeTest, HintOpensAfterThreeSecondsOfRestOnly)
{
    ContextualHintState hint;
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

    ContextualHintState gone;
    gone.hoverChanged(true);
    gone.controlDisappeared();
    m_scheduler.advance(10);
    EXPECT_FALSE(gone.isPresented());
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

} // namespace
} // namespace brivello
