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

TEST_F(RowOverlayTest, PressesSelectAtOnceOrOnReleaseAndDoubleClicksPlay)
{
    struct Case
    {
        bool onSelectedRow;
        Qt::KeyboardModifiers modifiers;
        int clicks, selectsOnPress, selectsAfterRelease, plays;
    };
    const Case cases[] = {
        {true, Qt::NoModifier, 1, 0, 1, 0}, // a selected row waits for the release
        {false, Qt::NoModifier, 1, 1, 1, 0},
        {true, Qt::ShiftModifier, 1, 1, 1, 0},
        {true, Qt::ControlModifier, 1, 1, 1, 0},
        {false, Qt::NoModifier, 2, 1, 1, 1},
        {true, Qt::NoModifier, 2, 0, 0, 1},
    };
    for (const Case &c : cases) {
        selects = plays = 0;
        overlay.startedOnSelectedRow = c.onSelectedRow;
        overlay.mousePress(c.modifiers, c.clicks);
        EXPECT_EQ(selects, c.selectsOnPress) << int(&c - cases);
        overlay.mouseRelease();
        EXPECT_EQ(selects, c.selectsAfterRelease) << int(&c - cases);
        EXPECT_EQ(plays, c.plays) << int(&c - cases);
    }
}

TEST_F(RowOverlayTest, ADragCarriesTheSelectionFromASelectedRowElseOnlyItsFile)
{
    overlay.startedOnSelectedRow = true;
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_EQ(overlay.mouseDrag(), overlay.selectedURLs);
    EXPECT_TRUE(overlay.mouseDrag().isEmpty()); // one drag per press
    overlay.mouseRelease();
    EXPECT_EQ(selects, 0);

    overlay.startedOnSelectedRow = false;
    overlay.mousePress(Qt::NoModifier, 1);
    EXPECT_EQ(overlay.mouseDrag(), QList<QUrl>{file(QStringLiteral("b"))});
    overlay.mouseRelease();
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
