#include "support/ui/EndToEndFixture.h"

#include <QGuiApplication>
#include <QScreen>

namespace brivello {

namespace {

class WindowPlacementEndToEndTest : public testing::EndToEndFixture
{
protected:
    static QRect available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(WindowPlacementEndToEndTest, FirstStartCentresTheDefaultSizeWithItsFrameOnTheScreen)
{
    EXPECT_EQ(window().size(), QSize(MainWindow::kDefaultWidth, MainWindow::kDefaultHeight));
    EXPECT_EQ(window().minimumSize(), QSize(MainWindow::kMinimumWidth, MainWindow::kMinimumHeight));
    const QRect frame = window().frameGeometry();
    EXPECT_TRUE(available().contains(frame));
    EXPECT_LE((frame.center() - available().center()).manhattanLength(), 2);
}

TEST_F(WindowPlacementEndToEndTest, WindowComesBackWhereAndAsLargeAsItWasLeftAndOnTheScreen)
{
    const QRect left(120, 90, 1320, 780);
    window().setGeometry(left);
    ASSERT_TRUE(spinUntil([&] { return window().geometry() == left; }));
    restartApp();
    EXPECT_EQ(window().geometry(), left);
    EXPECT_FALSE(window().isMaximized());

    // Half off the screen's bottom right corner, and with the title bar just above the top:
    // back inside, the same size.
    for (const QPoint &at : {available().bottomRight() - QPoint(600, 400), available().topLeft()}) {
        window().setGeometry(QRect(at, left.size()));
        restartApp();
        EXPECT_EQ(window().size(), left.size());
        EXPECT_TRUE(available().contains(window().frameGeometry()));
    }
}

TEST_F(WindowPlacementEndToEndTest, MaximizedWindowComesBackMaximizedOverItsOwnPlace)
{
    const QRect left(60, 50, 1300, 800);
    window().setGeometry(left);
    ASSERT_TRUE(spinUntil([&] { return window().geometry() == left; }));
    window().showMaximized();
    ASSERT_TRUE(spinUntil([&] { return window().frameGeometry() == available(); }));
    restartApp();
    EXPECT_TRUE(window().isMaximized());
    EXPECT_TRUE(spinUntil([&] { return window().frameGeometry() == available(); }));

    window().showNormal();
    EXPECT_TRUE(spinUntil([&] { return window().geometry() == left; }));
}

} // namespace

} // namespace brivello
