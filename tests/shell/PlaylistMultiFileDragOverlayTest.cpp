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
        overlay.onDragBlocked = [this] { ++blocked; };
    }
    static QUrl file(const QString &name)
    {
        return QUrl::fromLocalFile(QStringLiteral("/music/") + name + QStringLiteral(".mp3"));
    }
    PlaylistMultiFileDragOverlay overlay;
    int selects = 0;
    int blocked = 0;
};

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

} // namespace
