#include "library/MetadataLoading.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "library/FavoriteMembership.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/PlaylistModel.h"
#include "library/TrackImporter.h"
#include "library/WorkspaceSession.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/AudioFixtures.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"
#include "workspaces/SectionCounts.h"

#include <QBuffer>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTimer>

using namespace brivello;
using namespace brivello::testing;

namespace {

// Real load queue, fake reader: each file reads as "File <name>", 10 s, pictures by name.
class MetadataLoadingTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        m_services.loads = &m_loads;
        m_observer = std::make_unique<QObject>();
        NotificationCenter::defaultCenter().observe(brivelloTrackMetadataDidChange,
                                                    nullptr,
                                                    m_observer.get(),
                                                    [this](const Notification &) {
                                                        qsizetype loaded = 0;
                                                        for (const Track &track : store().tracks())
                                                            loaded += track.duration > 0;
                                                        m_loadedAtNotification.append(loaded);
                                                    });
    }
    void TearDown() override
    {
        // A test that failed early must not leave pool threads waiting at a gate.
        for (auto &[name, gate] : m_gates)
            gate->release(1 << 20);
        m_observer.reset();
        LibraryStoreFixture::TearDown();
    }
    // Reading the file of that name waits until open(name). Each file has its own gate: groups
    // of files are read side by side, so one shared gate could let the wrong file through.
    void gate(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_gates[name] = std::make_unique<QSemaphore>();
    }
    void open(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_gates.at(name)->release();
    }
    // The fake reading, on a pool thread.
    LoadedTrackMetadata read(const QUrl &url, const AudioTags &fallback)
    {
        QSemaphore *gated = nullptr;
        {
            QMutexLocker lock(&m_mutex);
            const auto found = m_gates.find(url.fileName());
            gated = found == m_gates.end() ? nullptr : found->second.get();
        }
        if (gated)
            gated->acquire();
        LoadedTrackMetadata loaded;
        loaded.tags = fallback;
        loaded.tags.title = "File " + url.fileName();
        loaded.tags.artist = "File Artist";
        loaded.duration = 10;
        loaded.bitRate = 320000;
        loaded.format = "MP3";
        if (url.fileName().contains("cover"))
            loaded.artworkData = test::TestAudioFiles::pngPicture(4);
        if (url.fileName().contains("poster"))
            loaded.artworkData = test::TestAudioFiles::jpegPicture(1400);
        if (url.fileName().contains("junk"))
            loaded.artworkData = QByteArray("not an image");
        return loaded;
    }

    QList<Track> makeTracks(int count, const QString &prefix = "t")
    {
        QList<Track> tracks;
        for (int i = 0; i < count; ++i)
            tracks.append(Track::make(url(QStringLiteral("%1%2.mp3").arg(prefix).arg(i))));
        return tracks;
    }
    bool allLoaded(const QList<Track> &list)
    {
        return std::all_of(list.begin(), list.end(), [](const Track &t) { return t.duration > 0; });
    }

    QMutex m_mutex;
    std::map<QString, std::unique_ptr<QSemaphore>> m_gates;
    std::unique_ptr<QObject> m_observer;
    QList<qsizetype> m_loadedAtNotification;
    // The store's load queue: real permits, the fake reading.
    AudioMetadataLoadQueue m_loads{
        [this](const QUrl &url, const AudioTags &fallback) { return read(url, fallback); }};
};

TEST_F(MetadataLoadingTest, AppliesResultsInBatchesOfFiftyAndQueuesTempo)
{
    makeStore();
    const QList<Track> tracks = makeTracks(120);
    store().setTracks(tracks);
    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return m_loadedAtNotification.size() == 3; }));
    EXPECT_EQ(m_loadedAtNotification, (QList<qsizetype>{50, 100, 120}));
    EXPECT_TRUE(allLoaded(store().tracks()));
    EXPECT_EQ(store().tracks()[7].tags.title, "File t7.mp3");
    EXPECT_EQ(store().tracks()[7].bitRate, 320000);
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs().size(), 120);
    EXPECT_TRUE(store().session().hasPendingWorkspaceSave());
}

TEST_F(MetadataLoadingTest, FieldsEditedAfterSchedulingKeepTheUsersValue)
{
    makeStore();
    QList<Track> tracks = makeTracks(2);
    tracks[0].tags.genre = "Scheduled Genre";
    store().setTracks(tracks);
    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);

    QList<Track> edited = store().tracks();
    edited[0].tags.title = "User Title"; // edited while the file is being read
    edited[0].tags.bpm = "124";
    store().setTracks(edited);
    ASSERT_TRUE(spinUntil([&] { return allLoaded(store().tracks()); }));

    const AudioTags &tags = store().tracks()[0].tags;
    EXPECT_EQ(tags.title, "User Title");
    EXPECT_EQ(tags.bpm, "124");
    EXPECT_EQ(tags.artist, "File Artist");
    EXPECT_EQ(tags.genre, "Scheduled Genre");
    EXPECT_EQ(store().tracks()[1].tags.title, "File t1.mp3");
}

TEST_F(MetadataLoadingTest, PicturesOnlyFillTracksWithoutOne)
{
    makeStore();
    QList<Track> tracks = {Track::make(url("a cover.mp3")),
                           Track::make(url("b cover.mp3")),
                           Track::make(url("c junk.mp3")),
                           Track::make(url("d.mp3")),
                           Track::make(url("e poster.mp3"))};
    QImage mine(2, 2, QImage::Format_RGB32);
    mine.fill(Qt::blue);
    tracks[1].artwork = mine;
    store().setTracks(tracks);
    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return allLoaded(store().tracks()); }));
    EXPECT_EQ(store().tracks()[0].artwork.size(), QSize(4, 4));
    EXPECT_EQ(store().tracks()[1].artwork, mine);
    EXPECT_TRUE(store().tracks()[2].artwork.isNull());
    EXPECT_TRUE(store().tracks()[3].artwork.isNull());
    EXPECT_EQ(store().tracks()[4].artwork.size(), QSize(256, 256)); // thumbnail, not whole
}

TEST_F(MetadataLoadingTest, OtherListsGetNoNotificationAndRemovedTracksAreSkipped)
{
    makeStore();
    const QList<Track> analysis = makeTracks(3, "a");
    store().setAnalysisTracks(analysis);
    store().metadataLoading().scheduleMetadataLoads(analysis, MetadataDestination::analysis);
    ASSERT_TRUE(spinUntil([&] { return allLoaded(store().analysisTracks()); }));
    EXPECT_TRUE(m_loadedAtNotification.isEmpty());
    EXPECT_TRUE(store().analysis().pendingBPMTrackIDs().isEmpty());

    const QList<Track> library = makeTracks(3, "l");
    store().setTracks(library);
    store().metadataLoading().scheduleMetadataLoads(library, MetadataDestination::library);
    store().setTracks({library[0], library[2]});
    ASSERT_TRUE(spinUntil([&] { return m_loadedAtNotification.size() == 1; }));
    EXPECT_EQ(store().tracks().size(), 2);
    EXPECT_TRUE(allLoaded(store().tracks()));
}

// Batches change contents only: the playlist's rows and order follow them row by row, and a
// later change of members (a removal, a track put out of order) is still seen in full.
TEST_F(MetadataLoadingTest, BatchesReachThePlaylistRowsAndLaterChangesStillReorder)
{
    makeStore();
    QList<Track> tracks = makeTracks(120);
    for (Track &track : tracks)
        track.isInPlaylist = true;
    store().setTracks(tracks);
    PlaylistModel model(&store());
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
    const QList<QUuid> order = store().sections().playlistIDs();
    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return m_loadedAtNotification.size() == 3; }));
    EXPECT_EQ(resets.count() + layouts.count(), 0);
    EXPECT_EQ(store().sections().playlistIDs(), order);
    for (int row = 0; row < model.rowCount(); ++row) {
        const Track &shown = model.trackAt(row);
        EXPECT_EQ(shown.tags.title, "File " + shown.url.fileName());
        EXPECT_EQ(shown.duration, 10);
    }
    // The section's cached lists follow too.
    EXPECT_EQ(store().sections().playlistTracks().first().duration, 10);

    QList<Track> fewer = store().tracks();
    const QUuid gone = fewer.takeFirst().id;
    fewer.last().isInPlaylist = false;
    store().setTracks(fewer);
    EXPECT_EQ(model.rowCount(), 118);
    EXPECT_FALSE(store().sections().playlistIDs().contains(gone));
    EXPECT_EQ(store().sections().playlistIDs().size(), 118);
    EXPECT_EQ(store().sections().playlistTracks().size(), 118);
}

// Each batch queues tempo for its own tracks only, in library order, and the playlist marks
// exactly those rows as being analysed; the section's positions and counts stay put.
TEST_F(MetadataLoadingTest, BatchesQueueTempoForTheirTracksAndMarkOnlyTheirRows)
{
    makeStore();
    QList<Track> tracks = makeTracks(120);
    for (int i = 0; i < tracks.size(); ++i) {
        tracks[i].isInPlaylist = i % 10 != 9;
        if (i % 3 == 0)
            tracks[i].tags.bpm = QStringLiteral("128");
    }
    std::reverse(tracks.begin(), tracks.end()); // library order differs from the playlist's
    store().setTracks(tracks);
    store().analysis().setEstimatedBPMByTrackID({{tracks[1].id, QStringLiteral("90")}});
    PlaylistModel model(&store());
    QSignalSpy tempoRows(&model, &QAbstractItemModel::dataChanged);
    const QList<qsizetype> positions = store().sections().playlistPositions();
    const QList<Track> shown = store().sections().playlistTracks();
    const SectionCounts counts(store());
    ASSERT_EQ(counts.count(LibraryStore::LibraryTab::playlist), 108);

    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return m_loadedAtNotification.size() == 3; }));

    QList<QUuid> expected;
    for (const Track &track : std::as_const(tracks)) {
        if (track.tags.bpm.isEmpty() && track.id != tracks[1].id)
            expected.append(track.id);
    }
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs(), expected);
    int marked = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const bool queued = expected.contains(model.trackAt(row).id);
        marked += queued;
        EXPECT_EQ(model.tempo(row).kind == PlaylistModel::TempoKind::analyzing, queued) << row;
    }
    EXPECT_GT(marked, 0);
    int tempoChanges = 0;
    for (const QList<QVariant> &change : std::as_const(tempoRows)) {
        if (change.at(2).value<QList<int>>() == QList<int>{PlaylistModel::TempoRole})
            tempoChanges +=
                change.at(1).toModelIndex().row() - change.at(0).toModelIndex().row() + 1;
    }
    EXPECT_EQ(tempoChanges, marked);
    EXPECT_EQ(store().sections().playlistPositions(), positions);
    for (qsizetype i = 0; i < positions.size(); ++i)
        EXPECT_EQ(store().tracks().at(positions[i]).id, shown[i].id);
    EXPECT_EQ(counts.count(LibraryStore::LibraryTab::playlist), 108);
    QList<Track> edited = store().tracks();
    ASSERT_TRUE(edited[1].isInPlaylist);
    edited[1].isInPlaylist = false;
    edited[1].isFavorite = true;
    store().setTracks(edited);
    EXPECT_EQ(counts.count(LibraryStore::LibraryTab::playlist), 107);
    EXPECT_EQ(counts.count(LibraryStore::LibraryTab::favorites), 1);
}

TEST_F(MetadataLoadingTest, SnapshotIsSavedWhenTheLastOperationEnds)
{
    makeStore();
    const QList<Track> quick = makeTracks(1, "q");
    const QList<Track> slow = makeTracks(1, "s");
    store().setTracks(quick + slow);
    gate("s0.mp3");
    store().metadataLoading().scheduleMetadataLoads(slow, MetadataDestination::library);
    store().metadataLoading().scheduleMetadataLoads(quick, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return store().tracks()[0].duration > 0; }));
    EXPECT_FALSE(store().session().hasPendingWorkspaceSave());
    open("s0.mp3");
    ASSERT_TRUE(spinUntil([&] { return store().session().hasPendingWorkspaceSave(); }));
    EXPECT_GT(store().tracks()[1].duration, 0);
}

// A long load's batches request no save, however much time passes between them; a favourite
// made meanwhile is on disk after the debounce while the load still runs, and the load's end
// writes once more.
TEST_F(MetadataLoadingTest, ChangesDuringALongLoadAreSavedWhileItRunsButBatchesAreNot)
{
    makeStore();
    QSignalSpy saved(&store(), &LibraryStore::workspaceSessionSaved);
    const QList<Track> tracks = makeTracks(300);
    store().setTracks(tracks);
    // The largest group's length past each batch's end: whichever group holds the gated file
    // starts after that end, so each batch is applied and the next one waits.
    const auto gatedAfter = [](int batch) {
        return QStringLiteral("t%1.mp3").arg(batch * MetadataLoading::kMetadataBatchSize +
                                             MetadataLoading::kLoadGroupSize);
    };
    for (int batch = 1; batch < 6; ++batch)
        gate(gatedAfter(batch));
    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);
    for (int batch = 1; batch <= 4; ++batch) {
        ASSERT_TRUE(spinUntil([&] { return m_loadedAtNotification.size() == batch; }));
        m_scheduler.advance(1.0);
        QCoreApplication::processEvents();
        open(gatedAfter(batch));
    }
    ASSERT_TRUE(spinUntil([&] { return m_loadedAtNotification.size() == 5; }));
    EXPECT_EQ(saved.count(), 0) << "a batch requested a save";
    EXPECT_FALSE(store().session().hasPendingWorkspaceSave());

    store().favorites().toggleFavorites({tracks[3].id});
    m_scheduler.advance(0.4);
    ASSERT_TRUE(spinUntil([&saved] { return saved.count() == 1; }));
    ASSERT_TRUE(store().metadataLoading().isLoading());
    const std::optional<WorkspaceSession> stored =
        WorkspaceSession::decode(store().settings().defaults().data(kWorkspaceSessionKey));
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->tracks.size(), 300);
    EXPECT_TRUE(stored->tracks[3].isFavorite);
    EXPECT_FALSE(stored->tracks[4].isFavorite);

    open(gatedAfter(5));
    // The operation ends a turn of the event loop after its last batch: only then is the save
    // due, and virtual time may pass.
    ASSERT_TRUE(spinUntil([&] { return !store().metadataLoading().isLoading(); }));
    EXPECT_TRUE(allLoaded(store().tracks()));
    EXPECT_TRUE(store().session().hasPendingWorkspaceSave());
    m_scheduler.advance(1.0);
    ASSERT_TRUE(spinUntil([&saved] { return saved.count() == 2; }));
    m_scheduler.advance(5.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(saved.count(), 2);
}

// 20,000 tracks load in 400 batches while virtual time runs far ahead of the clock, so every
// batch outlasts the debounce: no save is ever pending while the load runs, and its end writes
// the snapshot once.
TEST_F(MetadataLoadingTest, ALoadOfTwentyThousandTracksWritesTheSnapshotOnce)
{
    makeStore();
    QSignalSpy saved(&store(), &LibraryStore::workspaceSessionSaved);
    const QList<Track> tracks = makeTracks(20000);
    store().setTracks(tracks);
    store().metadataLoading().scheduleMetadataLoads(tracks, MetadataDestination::library);
    int pendingWhileLoading = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, &store(), [&] {
        pendingWhileLoading +=
            store().metadataLoading().isLoading() && store().session().hasPendingWorkspaceSave();
        m_scheduler.advance(1.0);
    });
    clock.start(1);
    ASSERT_TRUE(spinUntil([&] { return !store().metadataLoading().isLoading(); }));
    EXPECT_EQ(m_loadedAtNotification.size(), 400);
    EXPECT_EQ(pendingWhileLoading, 0) << "batches requested saves";
    ASSERT_TRUE(spinUntil([&saved] { return saved.count() >= 1; }));
    m_scheduler.advance(5.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(saved.count(), 1);
}

// An import's files are read from its first chunk on, while later chunks are still made, and
// the results still come as one load of all of them: batches of fifty, one save at the end.
TEST_F(MetadataLoadingTest, AnImportReadsItsFirstChunkWhileLaterOnesAreMade)
{
    m_services.metadataLoads = {};
    QList<QUrl> files;
    for (int i = 0; i < 450; ++i)
        files.append(touch(QStringLiteral("import/%1.mp3").arg(i, 3, 10, QChar('0'))));
    gate(QStringLiteral("000.mp3"));
    makeStore();
    QList<bool> loadingAtChunk;
    QObject::connect(&store(), &LibraryStore::tracksChanged, &store(), [&] {
        if (!store().contentOnlyChange())
            loadingAtChunk.append(store().metadataLoading().isLoading());
    });
    std::optional<QList<QUuid>> ids;
    store().importer().importURLs({url(QStringLiteral("import"))},
                                  [&ids](const QList<QUuid> &done) { ids = done; });
    // The first chunk's reading runs when the second and third chunks come (the first file's
    // reading is held, so nothing is applied yet).
    ASSERT_TRUE(spinUntil([&] { return ids.has_value(); }));
    EXPECT_EQ(loadingAtChunk, (QList<bool>{false, true, true}));
    EXPECT_TRUE(m_loadedAtNotification.isEmpty());
    // As for loads scheduled at once: the save waits for the load's end.
    EXPECT_FALSE(store().session().hasPendingWorkspaceSave());

    open(QStringLiteral("000.mp3"));
    ASSERT_TRUE(spinUntil([&] { return !store().metadataLoading().isLoading(); }));
    EXPECT_EQ(m_loadedAtNotification,
              (QList<qsizetype>{50, 100, 150, 200, 250, 300, 350, 400, 450}));
    EXPECT_TRUE(allLoaded(store().tracks()));
    EXPECT_EQ(store().tracks()[449].tags.title, "File 449.mp3");
    EXPECT_EQ(store().analysis().pendingBPMTrackIDs().size(), 450);
    EXPECT_TRUE(store().session().hasPendingWorkspaceSave());
}

TEST_F(MetadataLoadingTest, ImportedFilesShowTheirRealTagsOnceLoaded)
{
    m_services.metadataLoads = {};
    m_services.loads = nullptr; // the application's queue, which reads the files
    const QString file = path("Some Artist - Some Title.flac");
    test::makeTone(file,
                   1.5,
                   {"-c:a",
                    "flac",
                    "-metadata",
                    "title=Real Title",
                    "-metadata",
                    "ALBUMARTIST=Real Album Artist"});
    makeStore();
    importAndWait({QUrl::fromLocalFile(file)});
    ASSERT_TRUE(spinUntil([&] { return allLoaded(store().tracks()); }));
    const Track &track = store().tracks().first();
    EXPECT_EQ(track.tags.title, "Real Title");
    EXPECT_EQ(track.tags.artist, "Some Artist"); // from the name: the file has none
    EXPECT_EQ(track.tags.albumArtist, "Real Album Artist");
    EXPECT_NEAR(track.duration, 1.5, 0.01);
    EXPECT_EQ(track.bitDepth, 16);
    EXPECT_EQ(track.format, "FLAC");
}

} // namespace
