#include "library/TrackImporter.h"

#include "library/LibrarySections.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/LocalFile.h"
#include "support/LibraryStoreFixture.h"
#include "support/WaitForResult.h"

#include <QFile>
#include <QSignalSpy>
#include <QThreadPool>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using Destination = MetadataDestination;

namespace {

class TrackImporterTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
    }

    QStringList names(const QList<Track> &tracks) const
    {
        QStringList result;
        for (const Track &t : tracks)
            result.append(t.url.toLocalFile().mid(m_dir.path().size() + 1));
        return result;
    }

    QStringList names(const QList<QUuid> &ids)
    {
        QList<Track> tracks;
        for (const QUuid &id : ids) {
            for (const Track &t : store().tracks()) {
                if (t.id == id)
                    tracks.append(t);
            }
        }
        return names(tracks);
    }

    QList<QUrl> makeFiles(const QString &folder, int count)
    {
        QList<QUrl> urls;
        for (int i = 1; i <= count; ++i)
            urls.append(touch(QStringLiteral("%1/t%2.mp3").arg(folder).arg(i)));
        return urls;
    }
};

TEST_F(TrackImporterTest, FolderImportTakesAudioFilesInNaturalPathOrderOncePerFile)
{
    for (const char *name : {"F/b.mp3",
                             "F/A.FLAC",
                             "F/track10.wav",
                             "F/track2.wav",
                             "F/notes.txt",
                             "F/.c.m4a",
                             "F/noext"})
        touch(QString::fromLatin1(name));
    const QList<QUuid> ids = importAndWait({url(QStringLiteral("F"))});

    const QStringList imported = names(store().tracks());
    EXPECT_EQ(imported.size(), 5);
    EXPECT_TRUE(imported.contains(QStringLiteral("F/.c.m4a")));
    EXPECT_LT(imported.indexOf(QStringLiteral("F/A.FLAC")),
              imported.indexOf(QStringLiteral("F/b.mp3")));
    EXPECT_LT(imported.indexOf(QStringLiteral("F/track2.wav")),
              imported.indexOf(QStringLiteral("F/track10.wav")));
    EXPECT_EQ(names(ids), imported);
    for (const Track &t : store().tracks()) {
        EXPECT_TRUE(t.isInPlaylist);
        EXPECT_FALSE(t.isFavorite || t.isInCoverWorkspace);
    }
    EXPECT_EQ(store().tracks()[imported.indexOf(QStringLiteral("F/A.FLAC"))].format,
              QStringLiteral("FLAC"));

    ASSERT_TRUE(store().workspaceStatus().has_value());
    EXPECT_EQ(store().workspaceStatus()->message, QStringLiteral("Добавлено в плейлист: 5"));
    ASSERT_EQ(m_metadataLoads.size(), 1);
    EXPECT_EQ(m_metadataLoads[0].destination, Destination::library);
    EXPECT_EQ(m_metadataLoads[0].tracks.size(), 5);
    spinUntil([this] { return !m_preloads.calls.isEmpty(); });
    ASSERT_EQ(m_preloads.calls.size(), 1);
    EXPECT_EQ(m_preloads.calls[0].size(), 3);
    EXPECT_TRUE(store().session().hasPendingWorkspaceSave());

    // Repeats in one request, however spelled, give one track per file.
    const QUrl upper = touch(QStringLiteral("G/x.MP3"));
    const QUrl mixed = touch(QStringLiteral("G/y.Mp3"));
    importAndWait({upper, url(QStringLiteral("G")), mixed, url(QStringLiteral("G/../G/x.MP3"))});
    EXPECT_EQ(store().tracks().size(), 7);
}

TEST_F(TrackImporterTest, KnownFilesOnlyJoinThePlaylistAndAskForTempo)
{
    const QUrl a = touch(QStringLiteral("K/a.mp3"));
    const QUrl b = touch(QStringLiteral("K/b.mp3"));
    Track cover = Track::make(b);
    cover.isInCoverWorkspace = true;
    cover.tags.title = QStringLiteral("Моё название");
    Track tagged = Track::make(a);
    tagged.isInPlaylist = true;
    tagged.tags.bpm = QStringLiteral("128");
    store().setTracks({cover, tagged});

    const QList<QUuid> ids = importAndWait({url(QStringLiteral("K"))});
    EXPECT_EQ(ids, (QList<QUuid>{tagged.id, cover.id})); // path order
    ASSERT_EQ(store().tracks().size(), 2);
    EXPECT_TRUE(store().tracks()[0].isInPlaylist);
    EXPECT_TRUE(store().tracks()[0].isInCoverWorkspace);
    EXPECT_EQ(store().tracks()[0].tags.title, QStringLiteral("Моё название"));
    EXPECT_FALSE(store().workspaceStatus().has_value());
    EXPECT_TRUE(m_metadataLoads.isEmpty());
    EXPECT_EQ(store().analysis().analyzingBPMIDs(), QSet<QUuid>{cover.id});
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs(), QList<QUuid>{cover.id});
}

TEST_F(TrackImporterTest, TwoImportsOfOneFolderNeverMakeTwoTracksForAFile)
{
    makeFiles(QStringLiteral("Twice/sub"), 450);
    std::optional<QList<QUuid>> first;
    std::optional<QList<QUuid>> second;
    store().importer().importURLs({url(QStringLiteral("Twice"))},
                                  [&first](const QList<QUuid> &ids) { first = ids; });
    store().importer().importURLs({url(QStringLiteral("Twice/sub"))},
                                  [&second](const QList<QUuid> &ids) { second = ids; });
    ASSERT_TRUE(spinUntil([&] { return first && second; }));
    EXPECT_EQ(store().tracks().size(), 450);
    QSet<QUrl> urls;
    for (const Track &t : store().tracks())
        urls.insert(t.url);
    EXPECT_EQ(urls.size(), 450);
    EXPECT_EQ(first->size(), 450);
    EXPECT_EQ(second->size(), 450);
    EXPECT_EQ(QSet<QUuid>(first->cbegin(), first->cend()),
              QSet<QUuid>(second->cbegin(), second->cend()));
}

TEST_F(TrackImporterTest, OddEntriesNeverStopTheRestOfTheImport)
{
    touch(QStringLiteral("Odd/good.mp3"));
    touch(QStringLiteral("Odd/Live.flac/inner.mp3"));
    ASSERT_EQ(
        ::symlink("/nonexistent/target.mp3", path(QStringLiteral("Odd/broken.mp3")).toLocal8Bit()),
        0);
    const QByteArray latin1Name = path(QStringLiteral("Odd/")).toLocal8Bit() + "caf\xe9.mp3";
    const int fd = ::open(latin1Name.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QUrl missing = url(QStringLiteral("nowhere/Artist - Song.mp3"));

    importAndWait({url(QStringLiteral("Odd")), missing});
    const QStringList imported = names(store().tracks());
    EXPECT_TRUE(imported.contains(QStringLiteral("Odd/good.mp3")));
    EXPECT_TRUE(imported.contains(QStringLiteral("Odd/Live.flac")));
    EXPECT_TRUE(imported.contains(QStringLiteral("Odd/Live.flac/inner.mp3")));
    EXPECT_TRUE(imported.contains(QStringLiteral("Odd/broken.mp3")));
    EXPECT_TRUE(imported.contains(QStringLiteral("nowhere/Artist - Song.mp3")));
    EXPECT_EQ(imported.size(), 6); // the non-UTF-8 name too
    bool keptBytes = false;
    for (const Track &t : store().tracks())
        keptBytes |= LocalFile::nativePath(t.url) == latin1Name;
    EXPECT_TRUE(keptBytes);
    EXPECT_TRUE(LocalFile::exists(LocalFile::url(latin1Name)));
    ::unlink(latin1Name.constData()); // QTemporaryDir cannot name it
    const Track &song =
        store().tracks()[imported.indexOf(QStringLiteral("nowhere/Artist - Song.mp3"))];
    EXPECT_EQ(song.tags.artist, QStringLiteral("Artist"));
    EXPECT_EQ(song.tags.title, QStringLiteral("Song"));
}

TEST_F(TrackImporterTest, ConverterQueuesOggTooAndNeverTwice)
{
    for (const char *name : {"C/1.mp3", "C/2.mp3", "C/3.mp3", "C/4.ogg"})
        touch(QString::fromLatin1(name));
    test::waitForResult(store().importer().importForConversionAsync({url(QStringLiteral("C"))}));
    ASSERT_EQ(store().conversionItems().size(), 4);
    EXPECT_EQ(store().conversionItems()[3].url, url(QStringLiteral("C/4.ogg")));
    for (const ConversionItem &item : store().conversionItems())
        EXPECT_EQ(item.status, ConversionItem::Status{});
    EXPECT_FALSE(store().workspaceStatus().has_value());
    EXPECT_TRUE(m_metadataLoads.isEmpty());

    store().session().saveWorkspaceSessionNow();
    test::waitForResult(store().importer().importForConversionAsync({url(QStringLiteral("C"))}));
    EXPECT_EQ(store().conversionItems().size(), 4);
    EXPECT_FALSE(store().session().hasPendingWorkspaceSave());
}

TEST_F(TrackImporterTest, AnalysisImportKeepsItsOwnTracksAndQueuesQualityChecks)
{
    for (const char *name : {"A/1.mp3", "A/2.mp3", "A/3.mp3", "A/4.ogg"})
        touch(QString::fromLatin1(name));
    importAndWait({url(QStringLiteral("A/1.mp3"))});
    m_metadataLoads.clear();

    test::waitForResult(store().importer().importForAnalysisAsync({url(QStringLiteral("A"))}));
    ASSERT_EQ(store().analysisTracks().size(), 3);
    EXPECT_NE(store().analysisTracks()[0].id, store().tracks()[0].id);
    EXPECT_EQ(store().analysisTracks()[0].url, store().tracks()[0].url);
    EXPECT_TRUE(store().analysisTracks()[0].isInPlaylist);
    EXPECT_EQ(store().tracks().size(), 1);
    EXPECT_EQ(store().workspaceStatus()->message, QStringLiteral("Добавлено в анализ: 3"));
    ASSERT_EQ(m_metadataLoads.size(), 1);
    EXPECT_EQ(m_metadataLoads[0].destination, Destination::analysis);
    EXPECT_EQ(store().analysis().analyzingQualityIDs().size(), 3);
    EXPECT_EQ(store().analysis().pendingQualityTrackIDs().size(), 3);

    store().setWorkspaceStatus(std::nullopt);
    test::waitForResult(store().importer().importForAnalysisAsync({url(QStringLiteral("A"))}));
    EXPECT_EQ(store().analysisTracks().size(), 3);
    EXPECT_FALSE(store().workspaceStatus().has_value());
    EXPECT_EQ(store().analysis().pendingQualityTrackIDs().size(), 3);
}

TEST_F(TrackImporterTest, CoverImportFlagsKnownTracksAndAddsNewOnesOutsideThePlaylist)
{
    touch(QStringLiteral("P/known.mp3"));
    importAndWait({url(QStringLiteral("P/known.mp3"))});
    const QUuid known = store().tracks()[0].id;
    store().setWorkspaceStatus(std::nullopt);

    QList<QUuid> ids = test::waitForResult(
        store().importer().importForCoversAsync({url(QStringLiteral("P/known.mp3"))}));
    EXPECT_EQ(ids, QList<QUuid>{known});
    EXPECT_TRUE(store().tracks()[0].isInCoverWorkspace);
    EXPECT_TRUE(store().tracks()[0].isInPlaylist);
    EXPECT_FALSE(store().workspaceStatus().has_value());

    makeFiles(QStringLiteral("Cov"), 250);
    QList<qsizetype> sizes;
    QObject::connect(&store(), &LibraryStore::tracksChanged, &store(), [this, &sizes] {
        sizes.append(store().tracks().size());
    });
    ids =
        test::waitForResult(store().importer().importForCoversAsync({url(QStringLiteral("Cov"))}));
    EXPECT_EQ(sizes, (QList<qsizetype>{201, 251}));
    EXPECT_EQ(ids.size(), 250);
    const Track &added = store().tracks().last();
    EXPECT_TRUE(added.isInCoverWorkspace);
    EXPECT_FALSE(added.isInPlaylist);
    EXPECT_EQ(store().workspaceStatus()->message, QStringLiteral("Добавлено в обложки: 250"));
    EXPECT_EQ(m_metadataLoads.last().destination, Destination::library);
    EXPECT_EQ(store().sections().coverTracks().size(), 251);
}

TEST_F(TrackImporterTest, TwoCoverImportsOfOneFolderCountEachNewTrackOnce)
{
    makeFiles(QStringLiteral("Covers2"), 250);
    int counted = 0;
    QObject::connect(&store(), &LibraryStore::workspaceStatusChanged, &store(), [this, &counted] {
        if (const auto status = store().workspaceStatus())
            counted += status->message.section(QLatin1Char(' '), -1).toInt();
    });
    QCoro::Task<QList<QUuid>> first =
        store().importer().importForCoversAsync({url(QStringLiteral("Covers2"))});
    QCoro::Task<QList<QUuid>> second =
        store().importer().importForCoversAsync({url(QStringLiteral("Covers2"))});
    // Both walks end before either import goes on: the continuations wait for the event loop.
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(60000)) << "a walk never ended";
    const QList<QUuid> a = test::waitForResult(first);
    const QList<QUuid> b = test::waitForResult(second);
    EXPECT_EQ(store().tracks().size(), 250);
    EXPECT_EQ(QSet<QUuid>(a.cbegin(), a.cend()), QSet<QUuid>(b.cbegin(), b.cend()));
    EXPECT_EQ(counted, 250);
}

TEST_F(TrackImporterTest, TempoRequestsSkipTaggedEstimatedQueuedAndUnknownTracks)
{
    Track tagged = Track::make(url(QStringLiteral("1.mp3")));
    tagged.tags.bpm = QStringLiteral(" 128 ");
    Track estimated = Track::make(url(QStringLiteral("2.mp3")));
    Track blank = Track::make(url(QStringLiteral("3.mp3")));
    blank.tags.bpm = QStringLiteral(" \n");
    store().setTracks({tagged, estimated, blank});
    store().analysis().setEstimatedBPMByTrackID({{estimated.id, QStringLiteral("120")}});
    QSignalSpy requested(&store().analysis(), &AnalysisQueues::bpmWorkRequested);
    store().detectBPM({tagged.id, estimated.id, blank.id, QUuid::createUuid()});
    store().detectBPM({blank.id});
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs(), QList<QUuid>{blank.id});
    EXPECT_EQ(requested.count(), 1);
}

} // namespace
