#include "favorites/FavoritesTableModel.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "audiofiles/WriteError.h"
#include "favorites/FavoritesSettingsKeys.h"
#include "library/MetadataLoading.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "support/TestAudioFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeData>
#include <QSignalSpy>
#include <QUndoStack>

using namespace brivello;
using namespace brivello::testing;
using brivello::test::TestAudioFiles;

class FavoritesTableModelTest : public LibraryStoreFixture
{
protected:
    void TearDown() override
    {
        m_model.reset();
        LibraryStoreFixture::TearDown();
    }

    // Favourites named "Artist i - Title i" with the given genres.
    QList<Track> favourites(int count, const QString &genre = {})
    {
        QList<Track> tracks;
        for (int i = 0; i < count; ++i) {
            Track track = Track::make(touch(QStringLiteral("f%1.mp3").arg(i, 3, 10, QChar('0'))));
            track.tags.title = QStringLiteral("Title %1").arg(i, 3, 10, QChar('0'));
            track.tags.genre = genre;
            track.isFavorite = true;
            tracks.append(track);
        }
        return tracks;
    }

    FavoritesTableModel &makeModel(const QList<Track> &tracks)
    {
        makeStore().setTracks(tracks);
        store().setActiveTab(LibraryTab::favorites);
        m_model = std::make_unique<FavoritesTableModel>(store(), &m_player);
        settle();
        return *m_model;
    }

    // Lets debounces fall due and queued passes run.
    void settle()
    {
        for (int i = 0; i < 3; ++i) {
            m_scheduler.advance(0.5);
            QCoreApplication::processEvents();
        }
    }

    Track fileTrack(const QString &name, const QStringList &metadata = {})
    {
        QStringList extra;
        for (const QString &entry : metadata)
            extra << QStringLiteral("-metadata") << entry;
        const QString file = TestAudioFiles::make(m_dir.path(), name, 1.0, extra);
        EXPECT_FALSE(file.isEmpty());
        Track track = Track::make(QUrl::fromLocalFile(file));
        track.isFavorite = true;
        return track;
    }

    static bool unlocked(const QUrl &url)
    {
        return !MetadataWriteCoordinator::shared().isLocked(MetadataWriteCoordinator::lockKey(url));
    }
    static QString mutagen(const QString &path, const QString &key)
    {
        return TestAudioFiles::mutagenTags(path).value(key).toArray().first().toString();
    }

    RecordingAudioPlayer m_player;
    std::unique_ptr<FavoritesTableModel> m_model;
};

TEST_F(FavoritesTableModelTest, PlaybackAndTempoUpdatesTouchOnlyTheirCellsAndNeverReset)
{
    FavoritesTableModel &model = makeModel(favourites(20));
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    const QList<Track> rows = model.rows();

    m_player.start(rows.at(3));
    settle();
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>(), model.index(3, 1));
    EXPECT_EQ(model.data(model.index(3, 1), FavoritesTableModel::PlaybackStateRole).toInt(),
              int(FavoritesTableModel::PlaybackState::playing));

    changes.clear();
    m_player.start(rows.at(7)); // the old and the new playing cell
    settle();
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>(), model.index(3, 1));
    EXPECT_EQ(changes.at(1).at(0).value<QModelIndex>(), model.index(7, 1));

    changes.clear();
    QHash<QUuid, QString> estimates;
    estimates.insert(rows.at(5).id, QStringLiteral("124"));
    store().analysis().setEstimatedBPMByTrackID(estimates);
    store().analysis().setAnalyzingBPMIDs({rows.at(6).id});
    settle();
    ASSERT_EQ(changes.size(), 2);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>(), model.index(5, 9));
    EXPECT_EQ(changes.at(1).at(0).value<QModelIndex>(), model.index(6, 9));
    EXPECT_EQ(resets.size(), 0);

    changes.clear();
    store().setSelectedIDs({rows.at(1).id, rows.at(2).id}); // selection is the view's
    settle();
    EXPECT_EQ(changes.size(), 0);
    EXPECT_EQ(resets.size(), 0);
}

TEST_F(FavoritesTableModelTest, BurstsOfUpdatesInOneTurnMakeOnePass)
{
    FavoritesTableModel &model = makeModel(favourites(50));
    QSignalSpy passes(&model, &FavoritesTableModel::reconciled);
    QHash<QUuid, QString> estimates;
    for (const Track &track : model.rows()) {
        estimates.insert(track.id, QStringLiteral("120"));
        store().analysis().setEstimatedBPMByTrackID(estimates);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(passes.size(), 1);
    EXPECT_EQ(model.data(model.index(49, 9), Qt::DisplayRole).toString(), QStringLiteral("≈ 120"));
}

TEST_F(FavoritesTableModelTest, ResetsOnlyWhenTheOrderedIdsChange)
{
    FavoritesTableModel &model = makeModel(favourites(5));
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);

    QList<Track> tracks = store().tracks();
    tracks[2].tags.album = QStringLiteral("Album");
    store().setTracks(tracks);
    settle();
    EXPECT_EQ(resets.size(), 0);
    ASSERT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<QModelIndex>(), model.index(2, 4));

    tracks[4].tags.title = QStringLiteral("A first"); // sorts to the top: another order
    store().setTracks(tracks);
    settle();
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(model.rows().first().tags.title, QStringLiteral("A first"));
}

TEST_F(FavoritesTableModelTest, BPMTextPrefersAnalysisThenEstimateThenTag)
{
    QList<Track> tracks = favourites(4);
    tracks[0].tags.bpm = QStringLiteral(" 128 ");
    tracks[1].tags.bpm = QStringLiteral("128");
    tracks[2].tags.bpm = QStringLiteral("128");
    FavoritesTableModel &model = makeModel(tracks);
    store().analysis().setAnalyzingBPMIDs({tracks[2].id});
    store().analysis().setEstimatedBPMByTrackID({{tracks[1].id, QStringLiteral("126.5")},
                                                 {tracks[2].id, QStringLiteral("99")},
                                                 {tracks[3].id, QStringLiteral("  ")}});
    const QStringList expected = {"128", "≈ 126.5", "…", "—"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(model.bpmDisplayText(tracks[i]), expected[i]) << i;
}

TEST_F(FavoritesTableModelTest, DragOutGivesFileURLsAndSkipsFilesWhoseCoverIsBeingWritten)
{
    FavoritesTableModel &model = makeModel(favourites(3));
    const QList<Track> rows = model.rows();
    store().setArtworkWritingIDs({rows.at(1).id});
    std::unique_ptr<QMimeData> mime(model.mimeData(
        {model.index(2, 3), model.index(0, 3), model.index(1, 3), model.index(0, 5)}));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->urls(), (QList<QUrl>{rows.at(0).url, rows.at(2).url}));
    EXPECT_FALSE(store().workspaceStatus());

    std::unique_ptr<QMimeData> none(model.mimeData({model.index(1, 3)}));
    EXPECT_FALSE(none);
    ASSERT_TRUE(store().workspaceStatus());
    EXPECT_EQ(store().workspaceStatus()->message,
              QStringLiteral("Подождите: обложка ещё сохраняется в файл"));
}

TEST_F(FavoritesTableModelTest, GenreFilterChoicesSetTheStoreAndTheSentinelNeverReachesIt)
{
    QList<Track> tracks = favourites(3, QStringLiteral("House"));
    tracks[2].tags.genre.clear();
    FavoritesTableModel &model = makeModel(tracks);
    model.selectGenreFilter(kUntaggedGenreFilterSentinel);
    EXPECT_TRUE(store().favoriteOnlyUntagged());
    EXPECT_EQ(store().favoriteGenreFilter(), QString());
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.headerData(5, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("ЖАНР · БЕЗ ЖАНРА"));

    model.selectGenreFilter(QStringLiteral("House"));
    EXPECT_FALSE(store().favoriteOnlyUntagged());
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.genreHeaderTitle(), QStringLiteral("ЖАНР · House"));

    model.selectGenreFilter(QString());
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.genreHeaderTitle(), QStringLiteral("ЖАНР"));
}

TEST_F(FavoritesTableModelTest, AnEditFindsItsTrackByIdAndChangesOnlyThatFieldInOneLine)
{
    QList<Track> tracks = favourites(3);
    tracks[2].tags.artist = QStringLiteral("Keep");
    FavoritesTableModel &model = makeModel(tracks);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    model.beginEditing();
    // Meanwhile the track's album arrives and another title reorders the rows.
    QList<Track> changed = store().tracks();
    changed[2].tags.album = QStringLiteral("Loaded");
    changed[0].tags.title = QStringLiteral("Z last");
    store().setTracks(changed);
    settle();
    EXPECT_EQ(resets.size(), 0); // held back while the editor is open
    EXPECT_EQ(model.rows().at(2).tags.album, QString());

    const QString longTitle = QString(2000, QChar('x'));
    EXPECT_TRUE(model.commitEdit(tracks[2].id,
                                 QStringLiteral("title"),
                                 longTitle + QStringLiteral("\r\nline\ntwo"),
                                 nullptr));
    const Track saved = *std::find_if(store().tracks().cbegin(),
                                      store().tracks().cend(),
                                      [&](const Track &t) { return t.id == tracks[2].id; });
    EXPECT_EQ(saved.tags.title, longTitle + QStringLiteral(" line two"));
    EXPECT_EQ(saved.tags.album, QStringLiteral("Loaded"));
    EXPECT_EQ(saved.tags.artist, QStringLiteral("Keep"));

    model.endEditing(); // the postponed pass runs now
    settle();
    EXPECT_EQ(resets.size(), 1);
    const int row = model.rowOf(tracks[2].id);
    EXPECT_EQ(model.rows().at(row).tags.album, QStringLiteral("Loaded"));
    EXPECT_FALSE(store().isEditingMetadata());
}

TEST_F(FavoritesTableModelTest, AnEditRacingAMetadataBatchKeepsBothInTheFile)
{
    const Track track = fileTrack(QStringLiteral("Guessed - Name.flac"),
                                  {"artist=Real Artist", "album=Real Album"});
    FavoritesTableModel &model = makeModel({track});
    model.beginEditing();
    store().metadataLoading().scheduleMetadataLoads({track}, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return store().tracks().first().tags.artist == "Real Artist"; }));
    settle();
    EXPECT_EQ(model.rows().first().tags.artist, QStringLiteral("Guessed")); // still the copy

    ASSERT_TRUE(
        model.commitEdit(track.id, QStringLiteral("title"), QStringLiteral("Edited"), nullptr));
    model.endEditing();
    const QString path = track.url.toLocalFile();
    ASSERT_TRUE(
        spinUntil([&] { return mutagen(path, "title") == "Edited" && unlocked(track.url); }));
    EXPECT_EQ(mutagen(path, "artist"), QStringLiteral("Real Artist"));
    EXPECT_EQ(mutagen(path, "album"), QStringLiteral("Real Album"));
    settle();
    EXPECT_EQ(model.data(model.index(0, 2), Qt::DisplayRole).toString(), "Real Artist");
}

TEST_F(FavoritesTableModelTest, UndoAndRedoOfAnEditChangeTheFileBackAndForth)
{
    const Track track = fileTrack(QStringLiteral("u.flac"), {"artist=Before", "title=Song"});
    FavoritesTableModel &model = makeModel({track});
    store().metadataLoading().scheduleMetadataLoads({track}, MetadataDestination::library);
    ASSERT_TRUE(spinUntil([&] { return store().tracks().first().tags.artist == "Before"; }));
    QUndoStack stack;
    const QString path = track.url.toLocalFile();
    const auto fileArtist = [&](const QString &expected) {
        return spinUntil([&] {
            QCoreApplication::processEvents();
            return unlocked(track.url) && mutagen(path, "artist") == expected;
        });
    };
    ASSERT_TRUE(
        model.commitEdit(track.id, QStringLiteral("artist"), QStringLiteral("After"), &stack));
    EXPECT_FALSE(
        model.commitEdit(track.id, QStringLiteral("artist"), QStringLiteral("After"), &stack));
    ASSERT_EQ(stack.count(), 1);
    EXPECT_EQ(stack.undoText(), QStringLiteral("Изменить теги"));
    EXPECT_TRUE(fileArtist(QStringLiteral("After")))
        << QJsonDocument(TestAudioFiles::mutagenTags(path)).toJson().toStdString();
    stack.undo();
    EXPECT_TRUE(fileArtist(QStringLiteral("Before")));
    stack.redo();
    EXPECT_TRUE(fileArtist(QStringLiteral("After")));
    EXPECT_EQ(mutagen(path, "title"), QStringLiteral("Song"));
}

TEST_F(FavoritesTableModelTest, AnEditOfAVanishedFileShowsTheWriteErrorAndKeepsTheValue)
{
    const Track track = fileTrack(QStringLiteral("gone.flac"));
    FavoritesTableModel &model = makeModel({track});
    ASSERT_TRUE(QFile::remove(track.url.toLocalFile()));
    EXPECT_FALSE(
        model.commitEdit(track.id, QStringLiteral("artist"), QStringLiteral("X"), nullptr));
    ASSERT_TRUE(store().lastError());
    EXPECT_EQ(*store().lastError(), WriteError(WriteError::Kind::fileNotFound).errorDescription());
    EXPECT_EQ(store().tracks().first().tags.artist, track.tags.artist);
    EXPECT_EQ(model.rows().first().tags.artist, track.tags.artist);
}
