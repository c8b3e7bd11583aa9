// What the playlist's rows show of files read from disk, in the real window.
#include "library/MetadataLoading.h"
#include "library/PlaylistModel.h"
#include "library/TrackImporter.h"
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

// Each file's tags reach its own row also when the library lost a track since the last
// import: the loads' results are not placed by where the previous one went.
TEST_F(PlaylistRowsEndToEndTest, AFolderImportedAfterARemovalShowsEachFilesOwnTags)
{
    const auto titled = [this](const QString &name) {
        return makeAudio(QStringLiteral("tagged/%1.flac").arg(name),
                         1.0,
                         {QStringLiteral("-metadata"), QStringLiteral("title=Song ") + name});
    };
    const QList<QUuid> first = importAndWait(urls({titled("A1"), titled("A2"), titled("A3")}));
    ASSERT_EQ(first.size(), 3);
    PlaylistView *view = playlistView();
    ASSERT_TRUE(view);
    store().setSelectedIDs({first[0]});
    store().setSelectedID(first[0]);
    pressKey(Qt::Key_Delete);
    ASSERT_TRUE(spinUntil([&] { return !track(first[0]); }, 5000)) << "the track was not removed";

    bool imported = false;
    store().importer().importURLs(urls({titled("B1"), titled("B2"), titled("B3")}),
                                  [&imported](const QList<QUuid> &) { imported = true; });
    ASSERT_TRUE(spinUntil([&] { return imported && !store().metadataLoading().isLoading(); }));
    QAbstractItemModel &rows = *view->model();
    ASSERT_EQ(rows.rowCount(), 5);
    for (int row = 0; row < rows.rowCount(); ++row) {
        const QModelIndex index = rows.index(row, 0);
        const QString file = rows.data(index, PlaylistModel::FileURLRole).toUrl().fileName();
        EXPECT_EQ(rows.data(index, PlaylistModel::TitleRole).toString().toStdString(),
                  "Song " + file.chopped(5).toStdString());
    }
    for (const Track &each : store().tracks()) {
        EXPECT_EQ(each.tags.title.toStdString(),
                  "Song " + each.url.fileName().chopped(5).toStdString());
        EXPECT_GT(each.duration, 0) << each.url.fileName().toStdString() << " was never read";
    }
}

} // namespace

} // namespace brivello
