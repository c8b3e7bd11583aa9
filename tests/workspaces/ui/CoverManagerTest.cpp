#include "workspaces/ui/CoverManager.h"

#include "library/LibrarySections.h"
#include "platform/Defaults.h"
#include "shell/ActionButton.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "workspaces/CoverImageDecoder.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace brivello {
namespace {

class CoverManagerTest : public testing::LibraryStoreFixture
{
protected:
    CoverManager &makeView(int trackCount)
    {
        LibraryStore &s = makeStore();
        QList<Track> tracks;
        for (int i = 0; i < trackCount; ++i) {
            Track track = Track::make(url(QStringLiteral("covers/%1.mp3").arg(i)));
            track.isInCoverWorkspace = true;
            tracks.append(track);
        }
        s.setTracks(tracks);
        s.setActiveTab(LibraryStore::LibraryTab::covers);
        m_actions.assignArtwork = [this](const QByteArray &bytes, const QSet<QUuid> &ids) {
            m_assigned.append({bytes, ids});
        };
        m_view = std::make_unique<CoverManager>(s, m_player, m_actions);
        m_view->resize(900, 520);
        return *m_view;
    }
    void TearDown() override
    {
        m_view.reset();
        LibraryStoreFixture::TearDown();
    }
    QString writeImage(const QString &name, const QSize &size, const char *format)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 40));
        const QString file = path(name);
        EXPECT_TRUE(image.save(file, format));
        return file;
    }
    QUuid id(int row) { return store().sections().coverTracks().at(row).id; }

    testing::RecordingAudioPlayer m_player;
    WorkspaceActions m_actions;
    QList<QPair<QByteArray, QSet<QUuid>>> m_assigned;
    std::unique_ptr<CoverManager> m_view;
};

TEST_F(CoverManagerTest, AssignNeedsAnImageAndACoverSelection)
{
    CoverManager &view = makeView(3);
    EXPECT_EQ(view.artworkName(), QStringLiteral("Обложка не выбрана"));
    EXPECT_FALSE(view.assignButton()->isEnabled());
    // Ids selected in another section never count here.
    store().setSelectedIDs({QUuid::createUuid()});
    ASSERT_TRUE(view.acceptArtwork(writeImage(QStringLiteral("a.png"), {40, 40}, "PNG")));
    EXPECT_FALSE(view.assignButton()->isEnabled());
    EXPECT_EQ(view.countLabel()->text(), QStringLiteral("Выбрано: 0"));
    view.selectTracks(id(1), {});
    EXPECT_TRUE(view.assignButton()->isEnabled());
    view.assignButton()->click();
    ASSERT_EQ(m_assigned.size(), 1);
    EXPECT_EQ(m_assigned.first().second, QSet<QUuid>{id(1)});
    EXPECT_TRUE(m_assigned.first().first.startsWith("\x89PNG"));
    EXPECT_EQ(view.artworkName(), QStringLiteral("a.png"));
}

TEST_F(CoverManagerTest, SavedImageIsRestoredAndAMissingOneClearsTheKey)
{
    const QString file = writeImage(QStringLiteral("kept.jpg"), {30, 20}, "JPEG");
    Defaults::standard().set(QStringLiteral("lastCoverArtworkPath"), file);
    {
        CoverManager &view = makeView(1);
        EXPECT_EQ(view.artworkName(), QStringLiteral("kept.jpg"));
    }
    m_view.reset();
    dropStore();
    QFile::remove(file);
    CoverManager &view = makeView(1);
    EXPECT_EQ(view.artworkName(), QStringLiteral("Обложка не выбрана"));
    EXPECT_EQ(Defaults::standard().string(QStringLiteral("lastCoverArtworkPath")), QString());
}

TEST_F(CoverManagerTest, DropsTakeImagesByExtensionAndImportEverythingElse)
{
    CoverManager &view = makeView(1);
    const QString upper = writeImage(QStringLiteral("UP.PNG"), {10, 10}, "PNG");
    const QString tif = writeImage(QStringLiteral("scan.tif"), {10, 10}, "TIFF");
    QFile corrupt(path(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("not an image at all");
    corrupt.close();
    const QUrl song = touch(QStringLiteral("dropped/new.mp3"));
    view.handleDroppedURLs({QUrl::fromLocalFile(upper)});
    EXPECT_EQ(view.artworkName(), QStringLiteral("UP.PNG"));
    // A .tif, a corrupt image, a folder and a song go to the covers import, each on its own.
    view.handleDroppedURLs({QUrl::fromLocalFile(tif),
                            QUrl::fromLocalFile(corrupt.fileName()),
                            url(QStringLiteral("dropped")),
                            song});
    EXPECT_EQ(view.artworkName(), QStringLiteral("UP.PNG"));
    ASSERT_TRUE(store().workspaceStatus());
    EXPECT_TRUE(spinUntil([this] { return store().sections().coverTracks().size() == 2; }));
}

TEST_F(CoverManagerTest, OversizedImagesAreRefused)
{
    CoverManager &view = makeView(0);
    EXPECT_TRUE(view.isShowingEmptyState());
    EXPECT_FALSE(view.acceptArtwork(writeImage(QStringLiteral("wide.png"), {20000, 2}, "PNG")));
    EXPECT_EQ(view.artworkName(), QStringLiteral("Обложка не выбрана"));
}

TEST_F(CoverManagerTest, ShiftClicksMoveTheAnchorAndRepairKeepsItInTheSelection)
{
    CoverManager &view = makeView(8);
    view.selectTracks(id(5), {});
    view.selectTracks(id(2), {true, false});
    view.selectTracks(id(7), {true, false});
    EXPECT_EQ(store().selectedIDs().size(), 6);
    EXPECT_EQ(store().selectedID(), id(7));
    store().setSelectedIDs({id(3), id(4)});
    ASSERT_TRUE(store().selectedID());
    EXPECT_TRUE(store().selectedIDs().contains(*store().selectedID()));
    store().setSelectedIDs({});
    EXPECT_FALSE(store().selectedID());
}

TEST_F(CoverManagerTest, BusyRowsRefuseADragWithTheStatusLine)
{
    CoverManager &view = makeView(2);
    view.show();
    store().setArtworkWritingIDs({id(0)});
    QWidget *viewport = view.list()->viewport();
    const QPoint start = view.list()->rowRect(0).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove,
                     QPointF(start + QPoint(40, 0)),
                     QPointF(viewport->mapToGlobal(start + QPoint(40, 0))),
                     Qt::NoButton,
                     Qt::LeftButton,
                     {});
    QCoreApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(40, 0));
    ASSERT_TRUE(store().workspaceStatus());
    EXPECT_EQ(store().workspaceStatus()->message,
              QStringLiteral("Подождите: обложка ещё сохраняется в файл"));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, view.list()->rowRect(1).center());
    EXPECT_EQ(m_player.started, QList<QUuid>{id(1)});
}

TEST_F(CoverManagerTest, HeicCoverDecodesAndIsWrittenAsJpeg)
{
    if (QStandardPaths::findExecutable(QStringLiteral("heif-enc")).isEmpty())
        GTEST_SKIP() << "heif-enc is not installed (scripts/setup)";
    const QString png = writeImage(QStringLiteral("source.png"), {64, 48}, "PNG");
    const QString heic = path(QStringLiteral("photo.HEIC"));
    ASSERT_EQ(QProcess::execute(
                  QStringLiteral("heif-enc"),
                  {QStringLiteral("-q"), QStringLiteral("80"), png, QStringLiteral("-o"), heic}),
              0);
    CoverManager &view = makeView(1);
    view.handleDroppedURLs({QUrl::fromLocalFile(heic)});
    ASSERT_EQ(view.artworkName(), QStringLiteral("photo.HEIC"));
    EXPECT_TRUE(CoverImageDecoder::isHEIF(view.artworkData()));
    view.selectTracks(id(0), {});
    view.assign();
    ASSERT_EQ(m_assigned.size(), 1);
    const QByteArray written = m_assigned.first().first;
    EXPECT_TRUE(written.startsWith("\xFF\xD8\xFF"));
    const QImage decoded = QImage::fromData(written, "JPEG");
    EXPECT_EQ(decoded.size(), QSize(64, 48));
    EXPECT_GT(qRed(decoded.pixel(32, 24)), 150);
}

} // namespace
} // namespace brivello
