// What the playlist's rows show of files read from disk, in the real window.
#include "library/PlaylistModel.h"
#include "shell/ContentArea.h"
#include "shell/PlaylistView.h"
#include "shell/TrackRowDelegate.h"
#include "support/TestAudioFiles.h"
#include "support/ui/EndToEndFixture.h"

#include <QBuffer>
#include <QDir>
#include <QImage>

namespace brivello {

namespace {

using test::TestAudioFiles;

class PlaylistRowsEndToEndTest : public testing::EndToEndFixture
{
protected:
    PlaylistView *playlistView()
    {
        showSection(Tab::playlist);
        QWidget *current = window().contentArea()->currentView();
        return current ? current->findChild<PlaylistView *>() : nullptr;
    }
    // An MP3 tone with a one-colour PNG cover embedded by ffmpeg.
    QString coveredTone(const QString &name, const QColor &colour)
    {
        const QString tone = makeAudio(QStringLiteral("plain/") + name, 1.0);
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(colour);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        const QString cover = path(QStringLiteral("plain/") + name + QStringLiteral(".png"));
        EXPECT_TRUE(TestAudioFiles::writeAll(cover, png));
        const QString covered = path(QStringLiteral("covered/") + name);
        EXPECT_TRUE(QDir().mkpath(path(QStringLiteral("covered"))));
        const auto made = TestAudioFiles::run(QStringLiteral("ffmpeg"),
                                              {"-v",
                                               "error",
                                               "-i",
                                               tone,
                                               "-i",
                                               cover,
                                               "-map",
                                               "0:a",
                                               "-map",
                                               "1",
                                               "-c",
                                               "copy",
                                               "-id3v2_version",
                                               "3",
                                               "-disposition:v",
                                               "attached_pic",
                                               covered});
        EXPECT_TRUE(made.ok()) << made.err.toStdString();
        return covered;
    }
    // The colour in the middle of the row's thumbnail as the view draws it.
    static QColor thumbnailColour(PlaylistView &view, int row)
    {
        view.layOutRows();
        const QImage drawn = view.viewport()->grab().toImage();
        const QRect rect = view.elementRect(row);
        const QPointF middle =
            TrackRowDelegate::geometry(
                rect,
                view.model()
                    ->data(view.model()->index(row, 0), PlaylistModel::StartsFolderRole)
                    .toBool(),
                view.rowDelegate()->density())
                .thumbnail.center();
        return drawn.pixelColor((middle * drawn.devicePixelRatio()).toPoint());
    }
};

// Files without tags change nothing but their length when read: the rows show it all the same.
TEST_F(PlaylistRowsEndToEndTest, UntaggedFilesShowTheirLengthsOnTheirRowsOnceRead)
{
    const QString shorter = makeAudio(QStringLiteral("untagged/a.flac"), 2.0);
    const QString longer = makeAudio(QStringLiteral("untagged/b.mp3"), 3.0);
    const QList<QUuid> ids = importAndWait(urls({shorter, longer}));
    ASSERT_EQ(ids.size(), 2);
    PlaylistView *view = playlistView();
    ASSERT_TRUE(view);
    QAbstractItemModel &rows = *view->model();
    ASSERT_EQ(rows.rowCount(), 2);
    const auto lengthOf = [&rows](int row) {
        return rows.data(rows.index(row, 0), PlaylistModel::DurationTextRole).toString();
    };
    EXPECT_TRUE(spinUntil([&] { return lengthOf(0) == "0:02" && lengthOf(1) == "0:03"; }, 5000))
        << "the rows show " << lengthOf(0).toStdString() << " and " << lengthOf(1).toStdString();
}

// Thumbnails of one size are drawn once and kept: each row still shows its own file's cover.
TEST_F(PlaylistRowsEndToEndTest, EachRowShowsItsOwnFilesCover)
{
    const QColor red(220, 30, 30);
    const QColor blue(30, 60, 220);
    const QString first = coveredTone(QStringLiteral("a.mp3"), red);
    const QString second = coveredTone(QStringLiteral("b.mp3"), blue);
    const QList<QUuid> ids = importAndWait(urls({first, second}));
    ASSERT_EQ(ids.size(), 2);
    ASSERT_TRUE(spinUntil([&] {
        return track(ids[0]) && !track(ids[0])->artwork.isNull() && track(ids[1]) &&
               !track(ids[1])->artwork.isNull();
    })) << "the embedded covers were never read";
    PlaylistView *view = playlistView();
    ASSERT_TRUE(view);
    ASSERT_EQ(view->model()->rowCount(), 2);
    settle();
    EXPECT_EQ(thumbnailColour(*view, 0).name().toStdString(), red.name().toStdString());
    EXPECT_EQ(thumbnailColour(*view, 1).name().toStdString(), blue.name().toStdString());
}

} // namespace

} // namespace brivello
