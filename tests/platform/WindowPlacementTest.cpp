#include "platform/WindowPlacement.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

const QSize kDefault(1440, 900);
const QSize kMinimum(1280, 760);
// An X11 window manager's title bar and borders.
const QMargins kFrame(1, 22, 1, 5);

bool frameInside(const WindowPlacement &placement, const QRect &available)
{
    return available.contains(placement.geometry.marginsAdded(kFrame));
}

TEST(WindowPlacementTest, FirstStartCentresTheDefaultSizeAndFitsItsFrameOnSmallerScreens)
{
    const QRect wide(0, 0, 1920, 1080);
    const WindowPlacement onWide = WindowPlacement::centered(kDefault, kMinimum, wide, kFrame);
    EXPECT_EQ(onWide.geometry.size(), kDefault);
    EXPECT_EQ(onWide.minimumSize, kMinimum);
    EXPECT_EQ(onWide.geometry.marginsAdded(kFrame).center(), wide.center());

    // A screen exactly the default size keeps the title bar and the bottom edge on it.
    const WindowPlacement onLaptop =
        WindowPlacement::centered(kDefault, kMinimum, QRect(0, 0, 1440, 900), kFrame);
    EXPECT_EQ(onLaptop.geometry, QRect(1, 22, 1438, 873));
    EXPECT_EQ(onLaptop.minimumSize, kMinimum);

    // Below the minimum the window takes the whole free area and the minimum gives way; a
    // panel at the top and a second screen's offset count.
    for (const QRect &small : {QRect(0, 32, 1024, 608), QRect(1920, 0, 1280, 720)}) {
        const WindowPlacement onSmall =
            WindowPlacement::centered(kDefault, kMinimum, small, kFrame);
        EXPECT_EQ(onSmall.geometry, small.marginsRemoved(kFrame));
        EXPECT_EQ(onSmall.minimumSize, onSmall.geometry.size().boundedTo(kMinimum));
    }
}

TEST(WindowPlacementTest, RememberedPlaceIsKeptOnItsScreenElseMovedInsideAndShrunkToFit)
{
    const QRect primary(0, 0, 1440, 900);
    const QRect second(1440, 0, 1280, 720);
    const QList<QRect> screens{primary, second};
    for (const QRect &saved : {QRect(100, 60, 1300, 780), QRect(1441, 22, 1278, 693)})
        EXPECT_EQ(WindowPlacement::restored(saved, kMinimum, screens, kFrame).geometry, saved);

    // Partly off the right and bottom edges, and above the top one: moved, same size.
    EXPECT_EQ(
        WindowPlacement::restored(QRect(600, 300, 1300, 780), kMinimum, {primary}, kFrame).geometry,
        QRect(139, 115, 1300, 780));
    EXPECT_EQ(WindowPlacement::restored(QRect(50, -40, 1300, 780), kMinimum, {primary}, kFrame)
                  .geometry.topLeft(),
              QPoint(50, 22));

    // A screen whose resolution went down: shrunk to the free area.
    const WindowPlacement shrunk =
        WindowPlacement::restored(QRect(0, 22, 1920, 1050), kMinimum, {primary}, kFrame);
    EXPECT_EQ(shrunk.geometry, QRect(1, 22, 1438, 873));

    // Across two screens: onto the one holding most of it, the minimum giving way to it.
    const WindowPlacement across =
        WindowPlacement::restored(QRect(1000, 100, 1600, 700), kMinimum, screens, kFrame);
    EXPECT_TRUE(frameInside(across, second));
    EXPECT_EQ(across.geometry.size(), QSize(1278, 693));
    EXPECT_EQ(across.minimumSize, QSize(1278, 693));

    // On a screen that is gone: onto the primary one.
    const WindowPlacement gone =
        WindowPlacement::restored(QRect(3000, 1200, 1300, 780), kMinimum, screens, kFrame);
    EXPECT_TRUE(frameInside(gone, primary));
    EXPECT_EQ(gone.geometry.size(), QSize(1300, 780));

    // Smaller than the minimum (an edited settings file): grown to it.
    EXPECT_EQ(
        WindowPlacement::restored(QRect(10, 30, 300, 200), kMinimum, screens, kFrame).geometry,
        QRect(10, 30, 1280, 760));
}

} // namespace
