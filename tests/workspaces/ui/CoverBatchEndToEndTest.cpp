// A cover batch in the real window while the user goes on working: the files chosen get the
// picture, and only they; the library keeps every change made meanwhile.
#include "audiofiles/MetadataWriteCoordinator.h"
#include "library/LibrarySections.h"
#include "library/TagWriting.h"
#include "library/TrackImporter.h"
#include "shell/ActionButton.h"
#include "support/TestAudioFiles.h"
#include "support/WaitForResult.h"
#include "support/ui/EndToEndFixture.h"
#include "workspaces/ui/CoverManager.h"
#include "workspaces/ui/FileRowList.h"

#include <QTest>

namespace brivello {
namespace {

using test::TestAudioFiles;

class CoverBatchEndToEndTest : public testing::EndToEndFixture
{
protected:
    // Takes the write lock of `file` as a writer would, so a batch waits at that file.
    static MetadataWriteCoordinator::Permit hold(const QString &file)
    {
        MetadataWriteCoordinator::Acquire acquiring = MetadataWriteCoordinator::shared().acquire(
            MetadataWriteCoordinator::lockKey(QUrl::fromLocalFile(file)));
        return test::waitForResult([&]() -> QCoro::Task<MetadataWriteCoordinator::Permit> {
            co_return co_await acquiring;
        }());
    }
    int rowOf(const QUuid &id)
    {
        const QList<Track> rows = store().sections().coverTracks();
        for (int row = 0; row < rows.size(); ++row) {
            if (rows.at(row).id == id)
                return row;
        }
        return -1;
    }
    void clickRow(CoverManager &covers, const QUuid &id, Qt::KeyboardModifiers modifiers = {})
    {
        clickAt(covers.list()->viewport(), covers.list()->rowRect(rowOf(id)).center(), modifiers);
    }
};

// Three of four files chosen; while the batch waits at the first, the second leaves the
// library by the Delete key and the third gets new tags. The first and third get the picture
// with the new tags kept, the removed and the unchosen files are left byte for byte, and the
// list shows the three tracks still there.
TEST_F(CoverBatchEndToEndTest, ATrackRemovedOrRetaggedDuringABatchKeepsToTheFilesChosen)
{
    const QStringList files = {makeAudio(QStringLiteral("covers/a.flac")),
                               makeAudio(QStringLiteral("covers/b.mp3")),
                               makeAudio(QStringLiteral("covers/c.flac")),
                               makeAudio(QStringLiteral("covers/d.mp3"))};
    const QString png = path(QStringLiteral("cover.png"));
    const QByteArray picture = TestAudioFiles::pngPicture(40);
    ASSERT_TRUE(TestAudioFiles::writeAll(png, picture));
    store().importer().importForCovers(urls(files));
    ASSERT_TRUE(spinUntil([this] {
        const QList<Track> rows = store().sections().coverTracks();
        return rows.size() == 4 && std::all_of(rows.cbegin(), rows.cend(), [](const Track &t) {
                   return t.duration > 0;
               });
    }));
    QList<QUuid> ids;
    for (const QString &file : files) {
        for (const Track &t : store().tracks()) {
            if (t.url == QUrl::fromLocalFile(file))
                ids.append(t.id);
        }
    }
    ASSERT_EQ(ids.size(), 4);
    const QUuid a = ids[0], b = ids[1], c = ids[2], d = ids[3];
    const QByteArray removedBytes = TestAudioFiles::readAll(files[1]);
    const QByteArray unchosenBytes = TestAudioFiles::readAll(files[3]);

    CoverManager *covers = showSection<CoverManager>(Tab::covers);
    ASSERT_TRUE(covers);
    covers->handleDroppedURLs({QUrl::fromLocalFile(png)});
    ASSERT_TRUE(spinUntil([covers] { return !covers->artworkData().isEmpty(); }));
    clickRow(*covers, a);
    clickRow(*covers, b, Qt::ControlModifier);
    clickRow(*covers, c, Qt::ControlModifier);
    ASSERT_EQ(covers->selectedCoverIDs(), (QSet<QUuid>{a, b, c}));

    MetadataWriteCoordinator::Permit held = hold(files[0]);
    QTest::mouseClick(covers->assignButton(), Qt::LeftButton);
    ASSERT_EQ(store().artworkWritingIDs(), (QSet<QUuid>{a, b, c}));

    clickRow(*covers, b);
    ASSERT_EQ(covers->selectedCoverIDs(), QSet<QUuid>{b});
    pressKey(Qt::Key_Delete);
    ASSERT_FALSE(track(b)) << "the Delete key left the track in the library";
    AudioTags edited = track(c)->tags;
    edited.title = QStringLiteral("Edited Title");
    edited.artist = QStringLiteral("Edited Artist");
    store().tagWriting().save(edited, c);
    ASSERT_TRUE(waitForTag(files[2], QStringLiteral("title"), edited.title));
    EXPECT_FALSE(store().artworkWritingIDs().isEmpty()) << "the batch did not wait";

    held.release();
    ASSERT_TRUE(spinUntil([this] { return store().artworkWritingIDs().isEmpty(); }));
    settle();

    EXPECT_EQ(embeddedPicture(files[0]), picture);
    EXPECT_EQ(embeddedPicture(files[2]), picture);
    EXPECT_EQ(TestAudioFiles::readAll(files[1]), removedBytes);
    EXPECT_EQ(TestAudioFiles::readAll(files[3]), unchosenBytes);
    EXPECT_EQ(tag(files[2], QStringLiteral("title")), edited.title);
    EXPECT_EQ(tag(files[2], QStringLiteral("artist")), edited.artist);
    EXPECT_TRUE(TestAudioFiles::run(QStringLiteral("flac"), {QStringLiteral("-t"), files[2]}).ok());

    // The removed track counts as the one file that failed.
    EXPECT_EQ(statusMessage(), QStringLiteral("Сохранено 2, ошибок: 1"));
    ASSERT_TRUE(store().lastError());
    EXPECT_TRUE(store().lastError()->contains(QStringLiteral("b.mp3")))
        << store().lastError()->toStdString();

    // The library and the list: three rows, the removed track gone for good, the edit kept.
    QList<QUuid> rows;
    for (const Track &t : store().sections().coverTracks())
        rows.append(t.id);
    EXPECT_EQ(rows, (QList<QUuid>{a, c, d}));
    EXPECT_TRUE(covers->list()->rowRect(2).isValid());
    EXPECT_FALSE(covers->list()->rowRect(3).isValid());
    ASSERT_TRUE(track(c));
    EXPECT_EQ(track(c)->tags.title, edited.title);
    EXPECT_FALSE(track(a)->artwork.isNull());
    EXPECT_FALSE(track(c)->artwork.isNull());
    EXPECT_TRUE(track(d)->artwork.isNull());
}

} // namespace
} // namespace brivello
