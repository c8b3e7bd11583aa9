#include "workspaces/DuplicateSearch.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"
#include "workspaces/DuplicateSearchFields.h"
#include "workspaces/DuplicateWorkspace.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brivello;
using brivello::testing::LibraryStoreFixture;
using test::TestAudioFiles;
using Phase = DuplicateSearchState::Phase;

namespace {

using InodeGroups = std::set<std::set<std::pair<quint64, quint64>>>;

std::pair<quint64, quint64> inodeOf(const QString &path)
{
    struct stat info
    {
    };
    ::stat(QFile::encodeName(path).constData(), &info);
    return {info.st_dev, info.st_ino};
}

class DuplicateSearchTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        m_search = new DuplicateSearch(store());
        m_workspace = new DuplicateWorkspace(store(), *m_search);
        AudioMetadataLoadQueue::shared().setReaderForTesting(
            [this](const QUrl &url, const AudioTags &fallback) {
                LoadedTrackMetadata loaded;
                loaded.tags = m_tagTable.value(QFileInfo(url.toLocalFile()).fileName(), fallback);
                loaded.duration = 180;
                return loaded;
            });
    }
    void TearDown() override
    {
        AudioMetadataLoadQueue::shared().setReaderForTesting({});
        LibraryStoreFixture::TearDown();
    }
    void write(const QString &name, const QByteArray &content) { touch(name, content); }
    // The workspace's files: every regular file below `root`, symbolic links followed (so a
    // linked folder lists its files a second time), plus any `extra` paths.
    void listTree(const QString &root, const QStringList &extra = {})
    {
        const TestAudioFiles::Result found = TestAudioFiles::run(
            QStringLiteral("find"),
            {QStringLiteral("-L"), root, QStringLiteral("-type"), QStringLiteral("f")});
        QStringList paths =
            QString::fromUtf8(found.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        paths.sort();
        paths.append(extra);
        QList<Track> tracks;
        for (const QString &file : std::as_const(paths))
            tracks.append(Track::make(QUrl::fromLocalFile(file)));
        store().setDuplicateTracks(tracks);
    }
    bool searchToEnd()
    {
        QSignalSpy finished(m_search, &DuplicateSearch::searchFinished);
        m_search->findDuplicates();
        return spinUntil([&finished] { return !finished.isEmpty(); });
    }
    QString pathOf(const QUuid &id) const
    {
        for (const Track &track : m_store->duplicateTracks()) {
            if (track.id == id)
                return track.url.toLocalFile();
        }
        return {};
    }
    InodeGroups exactGroups() const
    {
        InodeGroups groups;
        for (const AudioDuplicateGroup &group : duplicateGroups(*m_store)) {
            if (group.matchKind != DuplicateMatchKind::exact)
                continue;
            std::set<std::pair<quint64, quint64>> files;
            for (const QUuid &id : group.trackIDs)
                files.insert(inodeOf(pathOf(id)));
            EXPECT_EQ(files.size(), static_cast<size_t>(group.trackIDs.size()))
                << "one file listed twice in a group";
            groups.insert(files);
        }
        return groups;
    }
    // Empty files are never compared here; -n makes fdupes leave them out too.
    static InodeGroups fdupesGroups(const QString &root)
    {
        const TestAudioFiles::Result result = TestAudioFiles::run(
            QStringLiteral("fdupes"),
            {QStringLiteral("-r"), QStringLiteral("-n"), QStringLiteral("-q"), root});
        InodeGroups groups;
        for (const QString &block : QString::fromUtf8(result.out).split(QStringLiteral("\n\n"))) {
            std::set<std::pair<quint64, quint64>> files;
            for (const QString &line : block.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                files.insert(inodeOf(line));
            if (files.size() > 1)
                groups.insert(files);
        }
        return groups;
    }
    DuplicateSearch *m_search = nullptr;
    DuplicateWorkspace *m_workspace = nullptr;
    QHash<QString, AudioTags> m_tagTable;
};

TEST_F(DuplicateSearchTest, ExactGroupsMatchFdupesAndNeverPairTwoNamesOfOneFile)
{
    if (!TestAudioFiles::hasProgram(QStringLiteral("fdupes")))
        GTEST_SKIP() << "fdupes is not installed";
    QByteArray song(70000, 'a');
    QByteArray lastByte = song;
    lastByte[lastByte.size() - 1] = 'b';
    write(QStringLiteral("tree/a/song.mp3"), song);
    write(QStringLiteral("tree/b/song copy.mp3"), song);
    write(QStringLiteral("tree/b/last byte.mp3"), lastByte);
    write(QStringLiteral("tree/c/other.flac"), QByteArray(1234, 'z'));
    write(QStringLiteral("tree/c/other again.flac"), QByteArray(1234, 'z'));
    write(QStringLiteral("tree/c/lonely.wav"), QByteArray(1234, 'y'));
    write(QStringLiteral("tree/c/empty1.mp3"), {});
    write(QStringLiteral("tree/c/empty2.mp3"), {});
    write(QStringLiteral("tree/d/only.aiff"), QByteArray(999, 'q'));
    ASSERT_EQ(::link(QFile::encodeName(path(QStringLiteral("tree/d/only.aiff"))).constData(),
                     QFile::encodeName(path(QStringLiteral("tree/d/hard.aiff"))).constData()),
              0);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("tree/c")), path(QStringLiteral("tree/linked"))));
    const QString root = path(QStringLiteral("tree"));
    // The same file imported twice besides.
    listTree(root, {path(QStringLiteral("tree/d/only.aiff"))});

    ASSERT_TRUE(searchToEnd());
    EXPECT_EQ(exactGroups(), fdupesGroups(root));
    EXPECT_EQ(exactGroups().size(), 2u);
    // The aliases of only.aiff form no group of any kind.
    for (const AudioDuplicateGroup &group : duplicateGroups(store())) {
        for (const QUuid &id : group.trackIDs)
            EXPECT_FALSE(pathOf(id).endsWith(QStringLiteral(".aiff")));
    }
    // Largest total first; the id is the content's digest.
    const AudioDuplicateGroup first = duplicateGroups(store()).first();
    EXPECT_EQ(first.byteCount, song.size());
    EXPECT_EQ(
        first.id,
        QString::fromLatin1(QCryptographicHash::hash(song, QCryptographicHash::Sha256).toHex()));
}

TEST_F(DuplicateSearchTest, PhasesPublishTheirProgress)
{
    for (const QString &name :
         {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")})
        write(name, QByteArray(100, 'x'));
    write(QStringLiteral("d.mp3"), QByteArray(7, 'x'));
    listTree(m_dir.path());
    struct Moment
    {
        Phase phase;
        double progress;
        qint64 processed;
        qint64 total;
    };
    QList<Moment> moments;
    QObject::connect(&store(), &LibraryStore::duplicateSearchChanged, &store(), [&] {
        moments.append({duplicateScanPhase(store()),
                        duplicateScanProgress(store()),
                        duplicateScanProcessedCount(store()),
                        duplicateScanTotalCount(store())});
    });
    ASSERT_TRUE(searchToEnd());
    QList<std::tuple<Phase, double, qint64, qint64>> seen;
    for (const Moment &m : std::as_const(moments))
        seen.append({m.phase, m.progress, m.processed, m.total});
    const QList<std::tuple<Phase, double, qint64, qint64>> expected{
        {Phase::preparing, 0.0, 0, 0},
        {Phase::metadata, 0.04 + 0.32 * 1 / 4, 1, 4},
        {Phase::metadata, 0.04 + 0.32 * 2 / 4, 2, 4},
        {Phase::metadata, 0.04 + 0.32 * 3 / 4, 3, 4},
        {Phase::metadata, 0.04 + 0.32 * 4 / 4, 4, 4},
        {Phase::preparing, 0.36, 0, 4},
        {Phase::hashing, 0.4, 0, 3},
        {Phase::hashing, 0.4 + 0.52 * 1 / 3, 1, 3},
        {Phase::hashing, 0.4 + 0.52 * 2 / 3, 2, 3},
        {Phase::hashing, 0.4 + 0.52 * 3 / 3, 3, 3},
        {Phase::matching, 0.94, 3, 3},
        {Phase::matching, 1.0, 3, 3},
    };
    // The search publishes one state value, so counters change between the progress steps:
    // every step of the table shows, in order.
    qsizetype next = 0;
    for (const auto &moment : std::as_const(seen)) {
        if (next == expected.size())
            break;
        const auto &want = expected[next];
        if (std::get<0>(moment) == std::get<0>(want) &&
            std::abs(std::get<1>(moment) - std::get<1>(want)) < 1e-9 &&
            std::get<2>(moment) == std::get<2>(want) && std::get<3>(moment) == std::get<3>(want))
            ++next;
    }
    EXPECT_EQ(next, expected.size());
    // The percent and the counter never disagree: each published moment of the two counted
    // phases lies on the table's line for its counter.
    for (const Moment &m : std::as_const(moments)) {
        if (m.processed < 1 || m.total < 1)
            continue;
        const double share = double(m.processed) / double(m.total);
        if (m.phase == Phase::metadata) {
            EXPECT_NEAR(m.progress, 0.04 + 0.32 * share, 1e-9) << m.processed;
        } else if (m.phase == Phase::hashing) {
            EXPECT_NEAR(m.progress, 0.4 + 0.52 * share, 1e-9) << m.processed;
        }
    }
    EXPECT_EQ(duplicateScanPhase(store()), Phase::idle);
    EXPECT_EQ(duplicateScanCandidateCount(store()), 4);
    EXPECT_FALSE(isSearchingDuplicates(store()));
}

// "Found none" holds for the roots a search covered, until they change or a clear.
TEST_F(DuplicateSearchTest, AFinishedSearchRemembersThatItCoveredItsRoots)
{
    write(QStringLiteral("only/a.mp3"), "one");
    write(QStringLiteral("only/b.mp3"), "two");
    listTree(m_dir.path() + QStringLiteral("/only"));
    setDuplicateSearchRoots(store(), {url(QStringLiteral("only"))});
    EXPECT_FALSE(store().duplicateSearch().hasSearched);
    ASSERT_TRUE(searchToEnd());
    EXPECT_TRUE(duplicateGroups(store()).isEmpty());
    EXPECT_TRUE(store().duplicateSearch().hasSearched);
    setDuplicateSearchRoots(store(), {url(QStringLiteral("only")), url(QStringLiteral("more"))});
    EXPECT_FALSE(store().duplicateSearch().hasSearched);

    // A root added while the search runs was not covered by it.
    QSignalSpy finished(m_search, &DuplicateSearch::searchFinished);
    m_search->findDuplicates();
    setDuplicateSearchRoots(store(), {url(QStringLiteral("only"))});
    ASSERT_TRUE(spinUntil([&finished] { return !finished.isEmpty(); }));
    EXPECT_FALSE(store().duplicateSearch().hasSearched);
    ASSERT_TRUE(searchToEnd());
    EXPECT_TRUE(store().duplicateSearch().hasSearched);
    m_workspace->clearDuplicateWorkspace();
    EXPECT_FALSE(store().duplicateSearch().hasSearched);
}

TEST_F(DuplicateSearchTest, ScopeTakesFolderRootsAsPrefixesAndFileRootsExactly)
{
    write(QStringLiteral("Old/a.mp3"), "same");
    write(QStringLiteral("Old2/b.mp3"), "same");
    write(QStringLiteral("New/c.mp3"), "same");
    write(QStringLiteral("New/d.mp3"), "same");
    listTree(m_dir.path());
    setDuplicateSearchRoots(store(),
                            {url(QStringLiteral("Old")), url(QStringLiteral("New/c.mp3"))});
    ASSERT_TRUE(searchToEnd());
    ASSERT_EQ(duplicateGroups(store()).size(), 1);
    QStringList names;
    for (const QUuid &id : duplicateGroups(store()).first().trackIDs)
        names.append(QFileInfo(pathOf(id)).fileName());
    EXPECT_EQ(names,
              (QStringList{QStringLiteral("c.mp3"), QStringLiteral("a.mp3")})); // scope order
}

// File names say nothing; the tags read in the metadata phase make the probable group.
TEST_F(DuplicateSearchTest, ProbablePassUsesRefreshedTags)
{
    write(QStringLiteral("track01.mp3"), "one");
    write(QStringLiteral("track02.flac"), "two!");
    AudioTags tags;
    tags.artist = QStringLiteral("Röyksopp");
    tags.title = QStringLiteral("Night Drive");
    m_tagTable.insert(QStringLiteral("track01.mp3"), tags);
    tags.artist = QStringLiteral("ROYKSOPP");
    tags.title = QStringLiteral("Night drive!");
    m_tagTable.insert(QStringLiteral("track02.flac"), tags);
    listTree(m_dir.path());
    ASSERT_TRUE(searchToEnd());
    ASSERT_EQ(duplicateGroups(store()).size(), 1);
    EXPECT_EQ(duplicateGroups(store()).first().id, QStringLiteral("probable-royksopp|night drive"));
    EXPECT_EQ(duplicateGroups(store()).first().byteCount, 3);
}

TEST_F(DuplicateSearchTest, ClearingDuringASearchDropsItsResults)
{
    write(QStringLiteral("a.mp3"), "same");
    write(QStringLiteral("b.mp3"), "same");
    listTree(m_dir.path());
    QSignalSpy finished(m_search, &DuplicateSearch::searchFinished);
    m_search->findDuplicates();
    m_workspace->clearDuplicateWorkspace();
    ASSERT_TRUE(spinUntil([&finished] { return !finished.isEmpty(); }));
    EXPECT_TRUE(duplicateGroups(store()).isEmpty());
    EXPECT_EQ(duplicateScanProgress(store()), 0.0);
    EXPECT_FALSE(isSearchingDuplicates(store()));
    // A later search runs normally.
    listTree(m_dir.path());
    ASSERT_TRUE(searchToEnd());
    EXPECT_EQ(duplicateGroups(store()).size(), 1);
}

TEST_F(DuplicateSearchTest, TracksRemovedDuringTheSearchArePrunedAtPublish)
{
    for (const QString &name :
         {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")})
        write(name, "same");
    write(QStringLiteral("x.mp3"), "pair");
    write(QStringLiteral("y.mp3"), "pair");
    listTree(m_dir.path());
    QSignalSpy finished(m_search, &DuplicateSearch::searchFinished);
    m_search->findDuplicates();
    QList<Track> tracks = store().duplicateTracks();
    tracks.removeIf([](const Track &t) {
        return t.url.fileName() == QStringLiteral("a.mp3") ||
               t.url.fileName() == QStringLiteral("x.mp3");
    });
    store().setDuplicateTracks(tracks);
    ASSERT_TRUE(spinUntil([&finished] { return !finished.isEmpty(); }));
    ASSERT_EQ(duplicateGroups(store()).size(), 1);
    EXPECT_EQ(duplicateGroups(store()).first().trackIDs.size(), 2);
}

} // namespace
