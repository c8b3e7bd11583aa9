#include "shell/PlaylistMultiFileDragOverlay.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

// A row overlay wired to counters, as a list would set it up for one row.
class RowOverlayTest : public ::testing::Test
{
protected:
    RowOverlayTest()
    {
        overlay.trackURL = file(QStringLiteral("b"));
        overlay.selectedURLs = {
            file(QStringLiteral("a")), file(QStringLiteral("b")), file(QStringLiteral("c"))};
        overlay.select = [this] { ++selects; };
        overlay.play = [this] { ++plays; };
        overlay.onDragBlocked = [this] { ++blocked; };
        overlay.onExternalDrop = [this](const QList<QUrl> &urls) { dropped.append(urls); };
    }
    static QUrl file(const QString &name)
    {
        return QUrl::fromLocalFile(QStringLiteral("/music/") + name + QStringLiteral(".mp3"));
    }
    PlaylistMultiFileDragOverlay overlay;
    int selects = 0;
    int plays = 0;
    int blocked = 0;
    QList<QList<QUrl>> dropped;
};

TEST_F(RowOverlayTest, PlainPressOnASelectedRowSelectsOnRelease)
{
    overlay.startedOnSelectedRow = true;
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_EQ(selects, 0);
    overlay.mouseRelease();
    EXPECT_EQ(selects, 1);
    EXPECT_TRUE(overlay.dragURLsSnapshot().isEmpty());
}

TEST_F(RowOverlayTest, DragFromASelectedRowCarriesTheWholeSelectionWithoutSelecting)
{
    overlay.startedOnSelectedRow = true;
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_EQ(overlay.mouseDrag(), overlay.selectedURLs);
    EXPECT_TRUE(overlay.mouseDrag().isEmpty()); // one drag per press
    overlay.mouseRelease();
    EXPECT_EQ(selects, 0);
}

TEST_F(RowOverlayTest, PressOnAnUnselectedRowSelectsAtOnceAndDragsOnlyItsFile)
{
    overlay.startedOnSelectedRow = false;
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(overlay.mouseDrag(), QList<QUrl>{file(QStringLiteral("b"))});
    overlay.mouseRelease();
    EXPECT_EQ(selects, 1);
}

TEST_F(RowOverlayTest, ShiftOrCtrlPressOnASelectedRowSelectsAtOnce)
{
    overlay.startedOnSelectedRow = true;
    overlay.mousePress(Qt::ShiftModifier, 1);
    EXPECT_EQ(selects, 1);
    EXPECT_FALSE(overlay.isDeferringSelection());
    overlay.mouseRelease();
    overlay.mousePress(Qt::ControlModifier, 1);
    EXPECT_EQ(selects, 2);
    overlay.mouseRelease();
    EXPECT_EQ(selects, 2);
}

TEST_F(RowOverlayTest, DoubleClickSelectsAnUnselectedRowThenPlays)
{
    overlay.startedOnSelectedRow = false;
    overlay.mousePress(Qt::NoModifier, 2);
    overlay.mouseRelease();
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(plays, 1);

    overlay.startedOnSelectedRow = true;
    overlay.mousePress(Qt::NoModifier, 2);
    overlay.mouseRelease();
    EXPECT_EQ(selects, 1);
    EXPECT_EQ(plays, 2);
}

TEST_F(RowOverlayTest, TheSameFileTwiceIsDraggedOnce)
{
    overlay.startedOnSelectedRow = true;
    overlay.selectedURLs = {file(QStringLiteral("a")),
                            QUrl::fromLocalFile(QStringLiteral("/music/x/../a.mp3")),
                            file(QStringLiteral("c"))};
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_EQ(overlay.mouseDrag(),
              (QList<QUrl>{file(QStringLiteral("a")), file(QStringLiteral("c"))}));
}

TEST_F(RowOverlayTest, DisabledDragReportsEveryMoveAndNeverStarts)
{
    overlay.isDragEnabled = false;
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_TRUE(overlay.mouseDrag().isEmpty());
    EXPECT_TRUE(overlay.mouseDrag().isEmpty());
    EXPECT_EQ(blocked, 2);
    EXPECT_FALSE(overlay.hasStartedDrag());
}

TEST_F(RowOverlayTest, DropsTakeOutsideFilesOnlyAndRefuseRowDrags)
{
    QMimeData outside;
    outside.setUrls({file(QStringLiteral("x")),
                     file(QStringLiteral("x")),
                     QUrl(QStringLiteral("https://example.org/y.mp3"))});
    EXPECT_TRUE(overlay.performDrop(&outside));
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped.first(), QList<QUrl>{file(QStringLiteral("x"))});

    RowDragMimeData fromRow;
    fromRow.setUrls({file(QStringLiteral("z"))});
    EXPECT_FALSE(overlay.performDrop(&fromRow));

    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_FALSE(overlay.performDrop(&text));
    EXPECT_EQ(dropped.size(), 1);
}

} // namespace
