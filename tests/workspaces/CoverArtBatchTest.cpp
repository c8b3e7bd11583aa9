#include "workspaces/CoverArtBatch.h"

#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"
#include "workspaces/CoverArtImage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using test::TestAudioFiles;
using Tone = WorkspaceStatus::Tone;

namespace {

class CoverArtBatchTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        m_batch = new CoverArtBatch(store());
        QObject::connect(&store(), &LibraryStore::workspaceStatusChanged, &store(), [this] {
            if (store().workspaceStatus())
                m_statuses.append(store().workspaceStatus()->message);
        });
    }
    QUuid addTrack(const QString &name)
    {
        const QString made = TestAudioFiles::make(m_dir.path(), name);
        EXPECT_FALSE(made.isEmpty()) << name.toStdString();
        Track track = Track::make(QUrl::fromLocalFile(made));
        track.tags.title = QStringLiteral("Title ") + name;
        QList<Track> tracks = store().tracks();
        tracks.append(track);
        store().setTracks(tracks);
        return track.id;
    }
    // Lets the writes run; virtual time moves only when `advance` is set.
    bool waitForBatch(QSignalSpy &finished, bool advance = true)
    {
        return spinUntil([&] {
            if (advance)
                m_scheduler.advance(0.01);
            return !finished.isEmpty();
        });
    }
    // The picture a FLAC file holds, as metaflac exports it, compared with cmp.
    bool flacPictureEquals(const QString &file, const QByteArray &expected)
    {
        const QString exported = path(QStringLiteral("exported.bin"));
        const QString wanted = path(QStringLiteral("wanted.bin"));
        TestAudioFiles::writeAll(wanted, expected);
        QFile::remove(exported);
        if (!TestAudioFiles::run(QStringLiteral("metaflac"),
                                 {QStringLiteral("--export-picture-to=") + exported, file})
                 .ok())
            return false;
        return TestAudioFiles::run(QStringLiteral("cmp"), {exported, wanted}).ok();
    }
    QString fileOf(const QUuid &id) const
    {
        for (const Track &track : m_store->tracks()) {
            if (track.id == id)
                return track.url.toLocalFile();
        }
        return {};
    }
    CoverArtBatch *m_batch = nullptr;
    QStringList m_statuses;
};

TEST_F(CoverArtBatchTest, WritesPNGUnchangedAndReportsTheFileThatFailedTwice)
{
    const QUuid flac = addTrack(QStringLiteral("a.flac"));
    const QUuid m4a = addTrack(QStringLiteral("b.m4a"));
    const QUuid mp3 = addTrack(QStringLiteral("c.mp3"));
    const QByteArray png = TestAudioFiles::pngPicture(32);
    QSignalSpy finished(m_batch, &CoverArtBatch::batchFinished);
    QVariantMap posted;
    NotificationCenter::defaultCenter().observe(
        brivelloTrackMetadataDidChange, nullptr, m_batch, [&posted](const Notification &note) {
            posted = note.userInfo;
        });
    m_batch->assignArtwork(png, {flac, m4a, mp3, QUuid::createUuid()});
    EXPECT_EQ(m_statuses.value(0), QStringLiteral("Сохраняем обложку: 3"));
    EXPECT_EQ(store().artworkWritingIDs(), (QSet<QUuid>{flac, m4a, mp3}));
    ASSERT_TRUE(waitForBatch(finished));

    EXPECT_TRUE(flacPictureEquals(fileOf(flac), png));
    EXPECT_EQ(TestAudioFiles::attachedPicture(fileOf(mp3)), png);
    EXPECT_TRUE(store().artworkWritingIDs().isEmpty());
    EXPECT_EQ(posted.value(QStringLiteral("artworkBatch")), QVariant(true));
    EXPECT_EQ(m_statuses.last(), QStringLiteral("Сохранено 2, ошибок: 1"));
    EXPECT_EQ(store().workspaceStatus()->tone, Tone::warning);
    ASSERT_TRUE(store().lastError());
    EXPECT_TRUE(store().lastError()->startsWith(
        QStringLiteral("Не удалось сохранить обложку в 1 из 3 файлов. Первый файл: b.m4a. ")));
    for (const Track &track : store().tracks())
        EXPECT_EQ(track.artwork.isNull(), track.id == m4a);
}

// The second attempt comes 0.12 s after the first, on the scheduler's clock.
TEST_F(CoverArtBatchTest, RetriesOnceAfterTheDelay)
{
    const QUuid m4a = addTrack(QStringLiteral("only.m4a"));
    QSignalSpy finished(m_batch, &CoverArtBatch::batchFinished);
    m_batch->assignArtwork(TestAudioFiles::pngPicture(), {m4a});
    const double start = m_scheduler.now();
    for (int turn = 0; turn < 100; ++turn)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_TRUE(finished.isEmpty()); // the second attempt waits for the clock
    ASSERT_TRUE(waitForBatch(finished));
    EXPECT_GE(m_scheduler.now() - start, CoverArtBatch::kRetryDelay - 1e-9);
    EXPECT_EQ(m_statuses.last(), QStringLiteral("Сохранено 0, ошибок: 1"));
}

// The pause between the two attempts is 0.12 s: a microsecond short of it the second attempt
// has not started; at 0.12 s it runs.
TEST_F(CoverArtBatchTest, TheSecondAttemptComesPointTwelveSecondsAfterTheFirstFails)
{
    const QUuid m4a = addTrack(QStringLiteral("late.m4a"));
    QSignalSpy finished(m_batch, &CoverArtBatch::batchFinished);
    // Besides what is pending now: the start line's clearing, then the pause after the first
    // attempt failed (at once, or after a turn on a pool thread).
    const int timers = m_scheduler.pendingCount() + 1;
    m_batch->assignArtwork(TestAudioFiles::pngPicture(), {m4a});
    QDeadlineTimer limit(60000);
    while (m_scheduler.pendingCount() == timers && !limit.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    ASSERT_EQ(m_scheduler.pendingCount(), timers + 1);
    m_scheduler.advance(0.12 - 2e-6);
    EXPECT_EQ(m_scheduler.pendingCount(), timers + 1);
    for (int turn = 0; turn < 50; ++turn) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    EXPECT_TRUE(finished.isEmpty());
    m_scheduler.advance(2e-6);
    ASSERT_TRUE(waitForBatch(finished, false));
    EXPECT_EQ(m_statuses.last(), QStringLiteral("Сохранено 0, ошибок: 1"));
}

TEST_F(CoverArtBatchTest, BusyTracksRefuseTheWholeRequest)
{
    const QUuid a = addTrack(QStringLiteral("a.flac"));
    const QUuid b = addTrack(QStringLiteral("b.flac"));
    const QUuid c = addTrack(QStringLiteral("c.flac"));
    QSignalSpy finished(m_batch, &CoverArtBatch::batchFinished);
    m_batch->assignArtwork(TestAudioFiles::pngPicture(), {a});
    m_batch->assignArtwork(TestAudioFiles::pngPicture(), {a, b});
    EXPECT_EQ(m_statuses.last(), QStringLiteral("Дождитесь завершения текущей записи обложек"));
    EXPECT_EQ(store().artworkWritingIDs(), QSet<QUuid>{a});
    m_batch->assignArtwork(TestAudioFiles::jpegPicture(), {c});
    EXPECT_EQ(store().artworkWritingIDs(), (QSet<QUuid>{a, c}));
    ASSERT_TRUE(spinUntil([&finished] { return finished.size() == 2; }));
    EXPECT_TRUE(store().artworkWritingIDs().isEmpty());
    EXPECT_TRUE(flacPictureEquals(fileOf(a), TestAudioFiles::pngPicture()));
    EXPECT_FALSE(flacPictureEquals(fileOf(b), TestAudioFiles::pngPicture()));
}

TEST_F(CoverArtBatchTest, ProgressLineEveryTwelveFilesButNotForTheLast)
{
    const QString first = TestAudioFiles::make(m_dir.path(), QStringLiteral("t0.wav"), 0.1);
    QSet<QUuid> ids;
    QList<Track> tracks;
    for (int i = 0; i < 13; ++i) {
        const QString copy = path(QStringLiteral("t%1.wav").arg(i + 1));
        QFile::copy(first, copy);
        tracks.append(Track::make(QUrl::fromLocalFile(copy)));
        ids.insert(tracks.last().id);
    }
    store().setTracks(tracks);
    QSignalSpy finished(m_batch, &CoverArtBatch::batchFinished);
    m_batch->assignArtwork(TestAudioFiles::pngPicture(), ids);
    ASSERT_TRUE(waitForBatch(finished));
    EXPECT_EQ(m_statuses,
              (QStringList{QStringLiteral("Сохраняем обложку: 13"),
                           QStringLiteral("Сохраняем обложку: 12 из 13"),
                           QStringLiteral("Обложка сохранена: 13")}));
}

TEST_F(CoverArtBatchTest, ImagesThatDoNotDecodeAreRefused)
{
    const QUuid a = addTrack(QStringLiteral("a.flac"));
    const QByteArray before = TestAudioFiles::readAll(fileOf(a));
    const QByteArray fakePNG = QByteArrayLiteral("\x89PNG\r\n\x1a\nnot really");
    for (const QByteArray &bytes : {fakePNG, QByteArrayLiteral("plain text"), QByteArray("\xff")}) {
        store().setLastError(std::nullopt);
        m_batch->assignArtwork(bytes, {a});
        EXPECT_EQ(store().lastError(),
                  QStringLiteral("Не удалось подготовить выбранное изображение для обложки."));
        EXPECT_TRUE(store().artworkWritingIDs().isEmpty());
    }
    EXPECT_EQ(TestAudioFiles::readAll(fileOf(a)), before);
}

TEST_F(CoverArtBatchTest, NonPNGImagesBecomeJPEG)
{
    const QByteArray jpeg = TestAudioFiles::jpegPicture(24);
    const std::optional<QByteArray> prepared = CoverArtImage::normalizedArtworkData(jpeg);
    ASSERT_TRUE(prepared);
    EXPECT_TRUE(prepared->startsWith("\xff\xd8"));
    QImage tiff(40, 20, QImage::Format_ARGB32);
    tiff.fill(Qt::transparent);
    QByteArray tiffBytes;
    QBuffer buffer(&tiffBytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(tiff.save(&buffer, "TIFF"));
    const QImage decoded = QImage::fromData(*CoverArtImage::normalizedArtworkData(tiffBytes));
    EXPECT_EQ(decoded.size(), QSize(40, 20));
    EXPECT_EQ(decoded.pixelColor(5, 5).lightness(), 255); // transparency became white
}

} // namespace
