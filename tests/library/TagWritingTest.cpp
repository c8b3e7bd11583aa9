#include "library/TagWriting.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "audiofiles/MetadataWriteCoordinator.h"
#include "audiofiles/WriteError.h"
#include "library/MetadataLoading.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThreadPool>

using namespace brivello;
using namespace brivello::testing;
using brivello::test::TestAudioFiles;

namespace {

AudioTags titled(const QString &title)
{
    AudioTags tags;
    tags.title = title;
    return tags;
}

bool unlocked(const QUrl &url)
{
    return !MetadataWriteCoordinator::shared().isLocked(MetadataWriteCoordinator::lockKey(url));
}

QCoro::Task<>
runBatch(LibraryStore *store, QList<TagWriting::TagWriteItem> items, bool removeArtwork, bool *done)
{
    co_await store->tagWriting().writeBatchAsync(std::move(items), removeArtwork);
    *done = true;
}

} // namespace

class TagWritingTest : public LibraryStoreFixture
{
protected:
    Track addTrack(const QString &name)
    {
        const QString file = TestAudioFiles::make(m_dir.path(), name);
        EXPECT_FALSE(file.isEmpty());
        Track track = Track::make(QUrl::fromLocalFile(file));
        QList<Track> tracks = store().tracks();
        tracks.append(track);
        store().setTracks(tracks);
        return track;
    }

    // Saves a genre over tags that still hold the file-name guesses; the file and the store
    // must end with the genre and the artist and album the file's load brought.
    void saveGenreAndExpectTheRealTags(const Track &track)
    {
        AudioTags edited = track.tags;
        edited.genre = QStringLiteral("House");
        store().tagWriting().save(edited, track.id);
        const QString file = track.url.toLocalFile();
        ASSERT_TRUE(spinUntil([&] {
            return TestAudioFiles::ffprobeTags(file).value(QStringLiteral("genre")).toString() ==
                       QStringLiteral("House") &&
                   unlocked(track.url);
        }));
        const QJsonObject tags = TestAudioFiles::ffprobeTags(file);
        EXPECT_EQ(tags.value(QStringLiteral("artist")).toString(), QStringLiteral("Real Artist"));
        EXPECT_EQ(tags.value(QStringLiteral("album")).toString(), QStringLiteral("Real Album"));
        EXPECT_EQ(store().tracks().first().tags.artist, QStringLiteral("Real Artist"));
        EXPECT_EQ(store().tracks().first().tags.genre, QStringLiteral("House"));
    }
};

TEST_F(TagWritingTest, SaveUpdatesTheStoreAtOnceAndThenTheFile)
{
    auto &s = makeStore();
    const Track track = addTrack(QStringLiteral("a.flac"));
    const QByteArray before = TestAudioFiles::readAll(track.url.toLocalFile());
    QList<QVariant> posted;
    QObject receiver;
    NotificationCenter::defaultCenter().observe(
        brivelloTrackMetadataDidChange, nullptr, &receiver, [&posted](const Notification &n) {
            posted << n.userInfo.value(kUserInfoTrackID);
        });

    s.tagWriting().save(titled(QStringLiteral("Новое")), track.id);
    EXPECT_EQ(s.tracks().first().tags.title, QStringLiteral("Новое"));
    EXPECT_EQ(posted, QList<QVariant>{QVariant::fromValue(track.id)});
    EXPECT_TRUE(s.session().hasPendingWorkspaceSave());
    EXPECT_EQ(TestAudioFiles::readAll(track.url.toLocalFile()), before); // not yet written

    ASSERT_TRUE(spinUntil([&] {
        return TestAudioFiles::readAll(track.url.toLocalFile()) != before && unlocked(track.url);
    }));
    EXPECT_EQ(TestAudioFiles::ffprobeTags(track.url.toLocalFile())
                  .value(QStringLiteral("title"))
                  .toString(),
              QStringLiteral("Новое"));
    EXPECT_FALSE(s.lastError());
}

TEST_F(TagWritingTest, AFailedSaveBecomesLastErrorButAMissingFileIsSilent)
{
    auto &s = makeStore();
    const QUrl broken = touch(QStringLiteral("broken.flac"), "no stream here");
    const QUrl missing = QUrl::fromLocalFile(path(QStringLiteral("missing.mp3")));
    s.setTracks({Track::make(missing), Track::make(broken)});

    s.tagWriting().save(titled(QStringLiteral("x")), s.tracks().at(0).id);
    ASSERT_TRUE(spinUntil([&] { return unlocked(missing); }));
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    EXPECT_FALSE(s.lastError());

    s.tagWriting().save(titled(QStringLiteral("x")), s.tracks().at(1).id);
    ASSERT_TRUE(spinUntil([&] { return s.lastError().has_value(); }));
    EXPECT_EQ(*s.lastError(),
              WriteError::unsupportedFormat(QStringLiteral("flac")).errorDescription());
    EXPECT_EQ(s.tracks().at(1).tags.title, QStringLiteral("x")); // not rolled back
}

TEST_F(TagWritingTest, ABatchWritesEveryFileAndReportsOnlyTheFirstFailureUnlessTheFileIsMissing)
{
    auto &s = makeStore();
    const QString good = TestAudioFiles::make(m_dir.path(), QStringLiteral("good.mp3"));
    const QUrl second = touch(QStringLiteral("second.wav"), "RIFX");
    const QUrl third = touch(QStringLiteral("third.flac"), "nope");
    bool done = false;
    QList<TagWriting::TagWriteItem> items = {
        {titled(QStringLiteral("g")), QUrl::fromLocalFile(good)},
        {titled(QStringLiteral("s")), second},
        {titled(QStringLiteral("t")), third}};
    auto batch = runBatch(&s, items, false, &done);
    ASSERT_TRUE(spinUntil([&] { return done; }));
    EXPECT_EQ(TestAudioFiles::ffprobeTags(good).value(QStringLiteral("title")).toString(),
              QStringLiteral("g"));
    EXPECT_EQ(*s.lastError(),
              WriteError::unsupportedFormat(QStringLiteral("wav")).errorDescription());

    // A missing file as the first failure reports nothing.
    s.setLastError(std::nullopt);
    done = false;
    auto quiet = runBatch(&s,
                          {{titled(QStringLiteral("a")), QUrl::fromLocalFile(path("missing.wav"))},
                           {titled(QStringLiteral("b")), second}},
                          true,
                          &done);
    ASSERT_TRUE(spinUntil([&] { return done; }));
    EXPECT_FALSE(s.lastError());
}

TEST_F(TagWritingTest, AnEditMadeBeforeTheTagsWereReadKeepsTheFilesTags)
{
    auto &s = makeStore();
    const QString file = TestAudioFiles::make(m_dir.path(),
                                              QStringLiteral("Guessed - Name.flac"),
                                              1.0,
                                              {QStringLiteral("-metadata"),
                                               QStringLiteral("artist=Real Artist"),
                                               QStringLiteral("-metadata"),
                                               QStringLiteral("album=Real Album")});
    ASSERT_FALSE(file.isEmpty());
    const Track track = Track::make(QUrl::fromLocalFile(file));
    s.setTracks({track});
    s.metadataLoading().scheduleMetadataLoads({track}, MetadataDestination::library);
    saveGenreAndExpectTheRealTags(track);
}

TEST_F(TagWritingTest, AnEditSavedWhileTheLoadResultIsQueuedWritesTheLoadedTags)
{
    QSemaphore entered;
    QSemaphore proceed;
    AudioMetadataLoadQueue queue([&](const QUrl &, const AudioTags &fallback) {
        entered.release();
        proceed.acquire();
        LoadedTrackMetadata loaded;
        loaded.tags = fallback;
        loaded.tags.artist = QStringLiteral("Real Artist");
        loaded.tags.album = QStringLiteral("Real Album");
        return loaded;
    });
    m_services.loads = &queue;
    auto &s = makeStore();
    // The store and its loads end before the queue does.
    const auto finish = qScopeGuard([&] {
        proceed.release();
        EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(60000)) << "a load never ended";
        dropStore();
        QCoreApplication::processEvents();
    });
    const Track track = addTrack(QStringLiteral("Guessed - Name.flac"));
    s.metadataLoading().scheduleMetadataLoads({track}, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return entered.available() > 0; }));
    // The finished read is queued for the main thread before the edit's write task starts, so
    // the load is applied during the write task's first wait.
    proceed.release();
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(60000)) << "the load never ended";
    saveGenreAndExpectTheRealTags(track);
}

TEST_F(TagWritingTest, ABatchWhoseStoreIsGoneWithdrawsTheFilesNotYetWritten)
{
    auto &s = makeStore();
    const Track first = Track::make(
        QUrl::fromLocalFile(TestAudioFiles::make(m_dir.path(), QStringLiteral("first.flac"))));
    const Track second = Track::make(
        QUrl::fromLocalFile(TestAudioFiles::make(m_dir.path(), QStringLiteral("second.flac"))));
    const QByteArray secondBefore = TestAudioFiles::readAll(second.url.toLocalFile());
    MetadataWriteCoordinator &coordinator = MetadataWriteCoordinator::shared();
    const QString firstKey = MetadataWriteCoordinator::lockKey(first.url);
    // Holding the first file's lock keeps the batch suspended in its first write.
    MetadataWriteCoordinator::Acquire acquiring = coordinator.acquire(firstKey);
    ASSERT_TRUE(acquiring.await_ready());
    std::optional<MetadataWriteCoordinator::Permit> held = acquiring.await_resume();
    bool done = false;
    auto batch = runBatch(
        &s,
        {{titled(QStringLiteral("1")), first.url}, {titled(QStringLiteral("2")), second.url}},
        false,
        &done);
    ASSERT_EQ(coordinator.waiterCount(firstKey), 1);

    dropStore();
    held.reset();
    ASSERT_TRUE(spinUntil([&] { return done && unlocked(first.url); }));
    EXPECT_EQ(TestAudioFiles::ffprobeTags(first.url.toLocalFile())
                  .value(QStringLiteral("title"))
                  .toString(),
              QStringLiteral("1")); // already under way
    EXPECT_EQ(TestAudioFiles::readAll(second.url.toLocalFile()), secondBefore);
    EXPECT_FALSE(coordinator.hasDueWrites(MetadataWriteCoordinator::lockKey(second.url)));
}
