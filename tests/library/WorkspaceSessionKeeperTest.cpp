#include "library/WorkspaceSessionKeeper.h"

#include "library/LibrarySettingsKeys.h"
#include "library/WorkspaceSession.h"
#include "platform/Defaults.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"
#include "support/WaitForResult.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using brivello::testing::RecordingAudioPlayer;
using Tab = LibraryStore::LibraryTab;
using Destination = MetadataDestination;

namespace {

class WorkspaceSessionKeeperTest : public LibraryStoreFixture
{
protected:
    QJsonObject storedDocument() const
    {
        return QJsonDocument::fromJson(Defaults::standard().data(kWorkspaceSessionKey)).object();
    }

    Track fileTrack(const QString &name)
    {
        Track track = Track::make(touch(name));
        track.isInPlaylist = true;
        return track;
    }

    void storeDocument(const QJsonObject &root)
    {
        Defaults::standard().setData(kWorkspaceSessionKey, QJsonDocument(root).toJson());
    }

    QJsonObject documentWith(const QList<Track> &tracks, const QString &activeTab)
    {
        WorkspaceSession session;
        for (const Track &t : tracks)
            session.tracks.append(WorkspaceSession::SessionTrack::from(t));
        session.activeTab = activeTab;
        QJsonObject root = QJsonDocument::fromJson(session.encode()).object();
        root.remove(QStringLiteral("tabSelectionIDs"));
        root.remove(QStringLiteral("tabFocusedIDs"));
        return root;
    }
};

TEST_F(WorkspaceSessionKeeperTest, TenChangesInABurstGiveOneWriteAfterTheLast)
{
    LibraryStore &s = makeStore();
    QSignalSpy saved(&s, &LibraryStore::workspaceSessionSaved);
    for (int i = 0; i < 10; ++i) {
        s.setSelectedID(QUuid::createUuid());
        m_scheduler.advance(0.1);
    }
    m_scheduler.advance(0.24);
    EXPECT_TRUE(s.session().hasPendingWorkspaceSave());
    EXPECT_TRUE(Defaults::standard().data(kWorkspaceSessionKey).isEmpty());
    m_scheduler.advance(0.01);
    ASSERT_TRUE(spinUntil([&saved] { return saved.count() > 0; }));
    m_scheduler.advance(5);
    QCoreApplication::processEvents();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(storedDocument().value(QStringLiteral("selectedID")).toString(),
              WorkspaceSession::identityText(*s.selectedID()));
}

TEST_F(WorkspaceSessionKeeperTest, OnlyTheNewestSnapshotIsStoredWhenEncodingsOverlap)
{
    LibraryStore &s = makeStore();
    QSignalSpy saved(&s, &LibraryStore::workspaceSessionSaved);
    s.setActiveTab(Tab::analysis);
    s.session().saveWorkspaceSessionInBackground();
    s.setActiveTab(Tab::converter);
    s.session().saveWorkspaceSessionInBackground();
    ASSERT_TRUE(spinUntil([&saved] { return saved.count() > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(storedDocument().value(QStringLiteral("activeTab")).toString(),
              QStringLiteral("Конвертер"));

    s.setActiveTab(Tab::duplicates);
    QCoro::Task<> older = s.session().saveWorkspaceSessionInBackground();
    s.setActiveTab(Tab::favorites);
    s.session().saveWorkspaceSessionNow();
    test::waitForResult(older);
    EXPECT_EQ(storedDocument().value(QStringLiteral("activeTab")).toString(),
              QStringLiteral("Избранное"));
}

TEST_F(WorkspaceSessionKeeperTest, RestoreDropsMissingFilesAndEverythingThatHungOnThem)
{
    LibraryStore &s = makeStore();
    const Track kept = fileTrack(QStringLiteral("A/kept.mp3"));
    const Track gone = fileTrack(QStringLiteral("A/gone.mp3"));
    const Track analysed = fileTrack(QStringLiteral("A/analysed.wav"));
    const Track duplicate = fileTrack(QStringLiteral("D/dup.flac"));
    s.setTracks({kept, gone});
    s.setAnalysisTracks({analysed});
    s.setDuplicateTracks({duplicate});
    {
        DuplicateSearchState search = s.duplicateSearch();
        search.roots = {url(QStringLiteral("D")), url(QStringLiteral("Gone"))};
        s.setDuplicateSearch(std::move(search));
    }
    ConversionItem done{QUuid::createUuid(),
                        touch(QStringLiteral("c.ogg")),
                        {ConversionItem::Status::completed, {}},
                        url(QStringLiteral("c.mp3"))};
    s.setConversionItems({done});
    s.analysis().setEstimatedBPMByTrackID({{kept.id, QStringLiteral("124")},
                                           {gone.id, QStringLiteral("90")},
                                           {analysed.id, QStringLiteral("100")}});
    s.analysis().setEstimatedBPMConfidenceByTrackID({{kept.id, 0.9}, {gone.id, 0.5}});
    {
        DuplicateSearchState search = s.duplicateSearch();
        search.groups = {AudioDuplicateGroup{
            QStringLiteral("g"), {kept.id, duplicate.id}, 10, DuplicateMatchKind::exact}};
        s.setDuplicateSearch(std::move(search));
    }
    s.setSelectedIDs({kept.id, gone.id});
    s.setSelectedID(gone.id);
    s.session().saveWorkspaceSessionNow();
    dropStore();
    QFile::remove(gone.url.toLocalFile());
    m_metadataLoads.clear();

    LibraryStore &r = makeStore();
    ASSERT_EQ(r.tracks().size(), 1);
    EXPECT_EQ(r.tracks()[0].id, kept.id);
    EXPECT_EQ(r.tracks()[0].format, QStringLiteral("MP3"));
    EXPECT_EQ(r.analysis().estimatedBPMByTrackID(),
              (QHash<QUuid, QString>{{kept.id, QStringLiteral("124")}}));
    EXPECT_EQ(r.analysis().estimatedBPMConfidenceByTrackID().size(), 1);
    ASSERT_EQ(r.conversionItems().size(), 1);
    EXPECT_NE(r.conversionItems()[0].id, done.id);
    EXPECT_EQ(r.conversionItems()[0].status, ConversionItem::Status{});
    EXPECT_FALSE(r.conversionItems()[0].outputURL.has_value());
    EXPECT_EQ(r.analysisTracks().size(), 1);
    EXPECT_EQ(r.duplicateTracks().size(), 1);
    EXPECT_EQ(r.duplicateSearch().roots, QList<QUrl>{url(QStringLiteral("D"))});
    EXPECT_TRUE(r.duplicateSearch().groups.isEmpty());
    EXPECT_EQ(r.selectedIDs(), QSet<QUuid>{kept.id});
    EXPECT_EQ(r.selectedID(), kept.id);
    EXPECT_FALSE(r.session().hasPendingWorkspaceSave());

    ASSERT_EQ(m_metadataLoads.size(), 3);
    EXPECT_EQ(m_metadataLoads[0].destination, Destination::library);
    EXPECT_EQ(m_metadataLoads[0].tracks.size(), 1);
    EXPECT_EQ(m_metadataLoads[1].destination, Destination::analysis);
    EXPECT_EQ(m_metadataLoads[2].destination, Destination::duplicates);
    spinUntil([this] { return m_preloads.calls.size() == 2; });
    EXPECT_EQ(m_preloads.calls, (QList<QList<QUrl>>{{kept.url}, {analysed.url}}));
}

TEST_F(WorkspaceSessionKeeperTest, ResumedTrackIsSelectedOnlyInItsOwnSection)
{
    const Track a = fileTrack(QStringLiteral("a.mp3"));
    const Track b = fileTrack(QStringLiteral("b.mp3"));
    QJsonObject root = documentWith({a, b}, QStringLiteral("Плейлист"));
    root.insert(QStringLiteral("selectedIDs"), QJsonArray{WorkspaceSession::identityText(a.id)});
    root.insert(QStringLiteral("resumeTrackID"), WorkspaceSession::identityText(b.id));
    storeDocument(root);
    {
        LibraryStore &s = makeStore();
        EXPECT_EQ(s.selectedIDs(), QSet<QUuid>{b.id});
        EXPECT_EQ(s.selectedID(), b.id);
    }
    root.insert(QStringLiteral("activeTab"), QStringLiteral("Избранное"));
    storeDocument(root);
    LibraryStore &f = makeStore();
    EXPECT_EQ(f.activeTab(), Tab::favorites);
    EXPECT_TRUE(f.selectedIDs().isEmpty());
    EXPECT_FALSE(f.selectedID().has_value());
    dropStore();

    root.insert(QStringLiteral("activeTab"), QStringLiteral("Playlist"));
    root.remove(QStringLiteral("resumeTrackID"));
    storeDocument(root);
    LibraryStore &u = makeStore();
    EXPECT_EQ(u.activeTab(), Tab::playlist);
    EXPECT_EQ(u.selectedIDs(), QSet<QUuid>{a.id});
    EXPECT_EQ(u.selectedID(), a.id); // the one selected track becomes the focus
}

// Older snapshots kept a dropped folder as given: "D/" and "D" are one root.
TEST_F(WorkspaceSessionKeeperTest, RestoredDuplicateRootsAreStandardisedOnce)
{
    touch(QStringLiteral("D/dup.flac"));
    WorkspaceSession session;
    session.duplicateRoots = {QUrl(url(QStringLiteral("D")).toString() + QStringLiteral("/")),
                              url(QStringLiteral("D")),
                              url(QStringLiteral("D/../D"))};
    Defaults::standard().setData(kWorkspaceSessionKey, session.encode());

    EXPECT_EQ(makeStore().duplicateSearch().roots, QList<QUrl>{url(QStringLiteral("D"))});
}

TEST_F(WorkspaceSessionKeeperTest, UnreadableSnapshotIsCopiedAsideBeforeItCanBeOverwritten)
{
    const QString stored = Defaults::standard().dataPath(kWorkspaceSessionKey);
    QDir folder = QFileInfo(stored).dir();
    for (const QString &old : folder.entryList({QStringLiteral("*.unreadable-*")}))
        folder.remove(old);
    QJsonObject root = documentWith({}, QStringLiteral("Плейлист"));
    root.remove(QStringLiteral("duplicateRoots"));
    const QByteArray bad = QJsonDocument(root).toJson();
    Defaults::standard().setData(kWorkspaceSessionKey, bad);

    LibraryStore &s = makeStore();
    EXPECT_TRUE(s.tracks().isEmpty());
    EXPECT_EQ(Defaults::standard().data(kWorkspaceSessionKey), bad); // untouched until a save
    const QStringList copies = folder.entryList({QStringLiteral("*.unreadable-*")});
    ASSERT_EQ(copies.size(), 1);
    s.session().saveWorkspaceSessionNow();
    QFile copy(folder.filePath(copies[0]));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), bad);
    EXPECT_NE(Defaults::standard().data(kWorkspaceSessionKey), bad);
}

TEST_F(WorkspaceSessionKeeperTest, SnapshotThatCannotBeOpenedIsMovedAsideAndSavesGoOn)
{
    const QString stored = Defaults::standard().dataPath(kWorkspaceSessionKey);
    QDir folder = QFileInfo(stored).dir();
    for (const QString &old : folder.entryList({QStringLiteral("*.unreadable-*")})) {
        QFile::remove(folder.filePath(old));
        QDir(folder.filePath(old)).removeRecursively();
    }
    QFile::remove(stored);
    ASSERT_TRUE(QDir().mkpath(stored + QStringLiteral("/inside")));

    LibraryStore &s = makeStore();
    EXPECT_TRUE(s.tracks().isEmpty());
    const QStringList aside = folder.entryList({QStringLiteral("*.unreadable-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(folder.filePath(aside[0]) + QStringLiteral("/inside")));
    s.setTracks({fileTrack(QStringLiteral("kept.mp3"))});
    s.session().saveWorkspaceSessionNow();
    EXPECT_EQ(storedDocument().value(QStringLiteral("tracks")).toArray().size(), 1);
    QDir(folder.filePath(aside[0])).removeRecursively();
}

} // namespace
