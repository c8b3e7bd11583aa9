#include "workspaces/DuplicateSearch.h"

#include "audiofiles/AudioMetadataLoadQueue.h"
#include "library/FavoriteMembership.h"
#include "library/LibrarySettingsKeys.h"
#include "library/WorkspaceSession.h"
#include "library/WorkspaceSessionKeeper.h"
#include "platform/Defaults.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"
#include "workspaces/DuplicateHasher.h"
#include "workspaces/DuplicateSearchFields.h"
#include "workspaces/DuplicateWorkspace.h"
#include "workspaces/ProgressThrottle.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <atomic>
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
        m_reader = [this](const QUrl &url, const AudioTags &fallback) {
            LoadedTrackMetadata loaded;
            loaded.tags = m_tagTable.value(QFileInfo(url.toLocalFile()).fileName(), fallback);
            loaded.duration = 180;
            return loaded;
        };
        m_services.loads = &m_loads;
        makeStore();
        m_search = new DuplicateSearch(store());
        m_workspace = new DuplicateWorkspace(store(), *m_search);
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
    // The search's exact pass over the listed tracks, on `threads` threads.
    DuplicateHasher::Result hashListed(int threads)
    {
        const QList<Track> tracks = store().duplicateTracks();
        const QList<DuplicateFiles::SizedFile> sized = DuplicateFiles::sizeFiles(tracks);
        QList<DuplicateFiles::Candidate> candidates;
        for (qsizetype i = 0; i < tracks.size(); ++i) {
            if (!sized[i].aliasOf && sized[i].byteCount.value_or(0) > 0)
                candidates.append({tracks[i].id, tracks[i].url, *sized[i].byteCount});
        }
        return DuplicateHasher::group(DuplicateFiles::sameSizeCandidates(candidates), threads);
    }
    InodeGroups inodeGroups(const DuplicateFiles::DigestGroups &groups) const
    {
        InodeGroups result;
        for (const auto &[digest, files] : groups) {
            std::set<std::pair<quint64, quint64>> inodes;
            for (const DuplicateFiles::Candidate &file : files)
                inodes.insert(inodeOf(file.url.toLocalFile()));
            result.insert(inodes);
        }
        return result;
    }
    static QString sha256Hex(const QByteArray &content)
    {
        return QString::fromLatin1(
            QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
    }
    DuplicateSearch *m_search = nullptr;
    DuplicateWorkspace *m_workspace = nullptr;
    QHash<QString, AudioTags> m_tagTable;
    // The store's load queue reads through m_reader, which a test may replace before a search.
    AudioMetadataLoadQueue::Reader m_reader;
    AudioMetadataLoadQueue m_loads{
        [this](const QUrl &url, const AudioTags &fallback) { return m_reader(url, fallback); }};
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

// Files past one read and past the compared prefix, twins that differ only in their last or a
// middle byte, small files, hard and symbolic links: the same groups whatever the pool.
TEST_F(DuplicateSearchTest, ExactGroupsEqualFdupesWithOneAndEightHashingThreads)
{
    if (!TestAudioFiles::hasProgram(QStringLiteral("fdupes")))
        GTEST_SKIP() << "fdupes is not installed";
    QByteArray big(DuplicateFiles::kReadSize * 2 + 5, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) >> 5);
    QByteArray lastByte = big;
    lastByte[lastByte.size() - 1] = char(lastByte.back() ^ 1);
    QByteArray middle = big;
    middle[DuplicateFiles::kReadSize + 3] = char(middle[DuplicateFiles::kReadSize + 3] ^ 1);
    const QByteArray small(3000, 's');
    write(QStringLiteral("tree/a/big.mp3"), big);
    write(QStringLiteral("tree/b/big copy.mp3"), big);
    write(QStringLiteral("tree/c/big third.flac"), big);
    write(QStringLiteral("tree/b/last byte.mp3"), lastByte);
    write(QStringLiteral("tree/c/last byte again.mp3"), lastByte);
    write(QStringLiteral("tree/b/middle.mp3"), middle);
    write(QStringLiteral("tree/a/small.wav"), small);
    write(QStringLiteral("tree/c/small copy.wav"), small);
    write(QStringLiteral("tree/c/small twin.wav"), QByteArray(small).append('!').chopped(2) + "t");
    ASSERT_EQ(::link(QFile::encodeName(path(QStringLiteral("tree/a/big.mp3"))).constData(),
                     QFile::encodeName(path(QStringLiteral("tree/a/big hard.mp3"))).constData()),
              0);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("tree/a/small.wav")),
                            path(QStringLiteral("tree/b/small link.wav"))));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("tree/c")), path(QStringLiteral("tree/linked"))));
    const QString root = path(QStringLiteral("tree"));
    listTree(root);
    const InodeGroups expected = fdupesGroups(root);
    EXPECT_EQ(expected.size(), 3u);
    for (int threads : {1, 8}) {
        const DuplicateHasher::Result result = hashListed(threads);
        EXPECT_EQ(inodeGroups(result.groups), expected) << threads << " threads";
        EXPECT_TRUE(result.unreadable.isEmpty());
        QSet<QString> ids;
        for (const auto &group : result.groups)
            ids.insert(group.first);
        EXPECT_EQ(ids, (QSet<QString>{sha256Hex(big), sha256Hex(lastByte), sha256Hex(small)}));
    }
    ASSERT_TRUE(searchToEnd());
    EXPECT_EQ(exactGroups(), expected);
}

// A file gone, cut short or grown after its size was read is reported and grouped with
// nothing; its copies still group, named by a member that reads through.
TEST_F(DuplicateSearchTest, FilesChangedAfterSizingAreReportedNotGrouped)
{
    QByteArray content(DuplicateFiles::kReadSize * 3 + 11, 'c');
    content[0] = 'x';
    QByteArray other = content;
    other[0] = 'y';
    for (const char *name : {"a.mp3", "gone.mp3", "cut.mp3", "grown.mp3", "e.mp3"})
        write(QString::fromLatin1(name), content);
    for (const char *name : {"first gone.mp3", "g.mp3", "h.mp3"})
        write(QString::fromLatin1(name), other);
    listTree(m_dir.path());
    const QList<Track> tracks = store().duplicateTracks();
    QList<DuplicateFiles::Candidate> candidates;
    QHash<QString, QUuid> ids;
    for (const Track &track : tracks) {
        candidates.append({track.id, track.url, content.size()});
        ids.insert(track.url.fileName(), track.id);
    }
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("gone.mp3"))));
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("first gone.mp3"))));
    ASSERT_TRUE(QFile::resize(path(QStringLiteral("cut.mp3")), DuplicateFiles::kReadSize + 1));
    QFile grown(path(QStringLiteral("grown.mp3")));
    ASSERT_TRUE(grown.open(QIODevice::Append));
    grown.write("!");
    grown.close();

    for (int threads : {1, 8}) {
        const DuplicateHasher::Result result = DuplicateHasher::group(candidates, threads);
        const QSet<QUuid> unreadable(result.unreadable.cbegin(), result.unreadable.cend());
        EXPECT_EQ(unreadable,
                  (QSet<QUuid>{ids.value(QStringLiteral("gone.mp3")),
                               ids.value(QStringLiteral("cut.mp3")),
                               ids.value(QStringLiteral("grown.mp3")),
                               ids.value(QStringLiteral("first gone.mp3"))}));
        QHash<QString, QList<QUuid>> groups;
        for (const auto &[digest, files] : result.groups) {
            for (const DuplicateFiles::Candidate &file : files)
                groups[digest].append(file.id);
        }
        EXPECT_EQ(
            groups.value(sha256Hex(content)),
            (QList<QUuid>{ids.value(QStringLiteral("a.mp3")), ids.value(QStringLiteral("e.mp3"))}));
        EXPECT_EQ(
            groups.value(sha256Hex(other)),
            (QList<QUuid>{ids.value(QStringLiteral("g.mp3")), ids.value(QStringLiteral("h.mp3"))}));
        EXPECT_EQ(groups.size(), 2);
    }
}

// The search's end says how many listed files went away before their hash, the first one too.
TEST_F(DuplicateSearchTest, AFileGoneBeforeItsHashIsReportedAtTheEnd)
{
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3"})
        write(QString::fromLatin1(name), "same bytes");
    listTree(m_dir.path());
    ASSERT_EQ(QFileInfo(pathOf(store().duplicateTracks().first().id)).fileName(), "a.mp3");
    // The hashing phase shows once the sizes are read, before the first file is opened.
    const QMetaObject::Connection removing =
        QObject::connect(&store(), &LibraryStore::duplicateSearchChanged, &store(), [&] {
            if (store().duplicateSearch().phase == Phase::hashing)
                QFile::remove(path(QStringLiteral("a.mp3")));
        });
    const bool ended = searchToEnd();
    QObject::disconnect(removing);
    ASSERT_TRUE(ended);
    ASSERT_EQ(duplicateGroups(store()).size(), 1);
    EXPECT_EQ(duplicateGroups(store()).first().trackIDs.size(), 2);
    ASSERT_TRUE(store().workspaceStatus());
    EXPECT_EQ(store().workspaceStatus()->message,
              QStringLiteral("Пропущено файлов: 1 · Пропали, изменились или не читаются"));
}

TEST_F(DuplicateSearchTest, PhasesPublishTheirProgress)
{
    for (const QString &name :
         {QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")})
        write(name, QByteArray(100, 'x'));
    write(QStringLiteral("d.mp3"), QByteArray(7, 'x'));
    listTree(m_dir.path());
    QList<std::tuple<Phase, double, qint64, qint64>> seen;
    QObject::connect(&store(), &LibraryStore::duplicateSearchChanged, &store(), [&] {
        seen.append({duplicateScanPhase(store()),
                     duplicateScanProgress(store()),
                     duplicateScanProcessedCount(store()),
                     duplicateScanTotalCount(store())});
    });
    ASSERT_TRUE(searchToEnd());
    // Virtual time stands still here, so between the phase boundaries the throttle holds every
    // per-file step back: each phase shows its start and its last file.
    const QList<std::tuple<Phase, double, qint64, qint64>> expected{
        {Phase::preparing, 0.0, 0, 0},
        {Phase::metadata, 0.0, 0, 4},
        {Phase::metadata, 0.04 + 0.32 * 4 / 4, 4, 4},
        {Phase::preparing, 0.36, 0, 4},
        {Phase::hashing, 0.4, 0, 3},
        {Phase::hashing, 0.4 + 0.52 * 3 / 3, 3, 3},
        {Phase::matching, 0.94, 3, 3},
        {Phase::idle, 1.0, 3, 3},
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
    for (const auto &[phase, progress, processed, total] : std::as_const(seen)) {
        if (processed < 1 || total < 1)
            continue;
        const double share = double(processed) / double(total);
        if (phase == Phase::metadata) {
            EXPECT_NEAR(progress, 0.04 + 0.32 * share, 1e-9) << processed;
        } else if (phase == Phase::hashing) {
            EXPECT_NEAR(progress, 0.4 + 0.52 * share, 1e-9) << processed;
        }
    }
    EXPECT_EQ(duplicateScanPhase(store()), Phase::idle);
    EXPECT_EQ(duplicateScanCandidateCount(store()), 4);
    EXPECT_FALSE(isSearchingDuplicates(store()));
}

// The per-file steps that do show keep the progress formula of their phase and come at least
// one throttle interval apart.
TEST_F(DuplicateSearchTest, PerFileProgressShowsAtMostTwentyTimesASecond)
{
    constexpr int kFiles = 40;
    constexpr int kFilesPerInterval = 8;
    for (int i = 0; i < kFiles; ++i)
        write(QStringLiteral("f%1.mp3").arg(i, 2, 10, QLatin1Char('0')),
              QByteArray(5000 + i % 20, char('a' + i % 3)));
    listTree(m_dir.path());
    // Files are read in scope order once the test lets them through; each reading counts as
    // started, so the test knows when the results before it were applied.
    const auto allowed = std::make_shared<std::atomic<int>>(0);
    const auto started = std::make_shared<std::atomic<int>>(0);
    const auto releaseAll = qScopeGuard([allowed] { *allowed = kFiles; });
    m_reader = [allowed, started](const QUrl &url, const AudioTags &tags) {
        ++*started;
        const int index = QFileInfo(url.toLocalFile()).baseName().mid(1).toInt();
        while (index >= allowed->load())
            QThread::msleep(1);
        LoadedTrackMetadata loaded;
        loaded.tags = tags;
        return loaded;
    };
    struct Step
    {
        double time;
        Phase phase;
        double progress;
        qint64 processed;
        qint64 total;
    };
    QList<Step> steps;
    QObject::connect(&store(), &LibraryStore::duplicateSearchChanged, &store(), [&] {
        const Step step{m_scheduler.now(),
                        duplicateScanPhase(store()),
                        duplicateScanProgress(store()),
                        duplicateScanProcessedCount(store()),
                        duplicateScanTotalCount(store())};
        if (steps.isEmpty() || steps.last().processed != step.processed ||
            steps.last().phase != step.phase)
            steps.append(step);
    });
    QSignalSpy finished(m_search, &DuplicateSearch::searchFinished);
    m_search->findDuplicates();
    // A burst of results inside one interval, then the interval's end: the burst shows once.
    // Each applied result hands its permit on, and the next reading starts.
    const int permits = m_loads.concurrencyLimit();
    for (int applied = kFilesPerInterval; applied + permits <= kFiles;
         applied += kFilesPerInterval) {
        *allowed = applied;
        ASSERT_TRUE(spinUntil([&] { return started->load() == permits + applied; }));
        m_scheduler.advance(ProgressThrottle::kInterval);
    }
    *allowed = kFiles;
    ASSERT_TRUE(spinUntil([&finished] { return !finished.isEmpty(); }));
    int perFile = 0;
    for (qsizetype i = 1; i < steps.size(); ++i) {
        const Step &step = steps[i];
        const bool inside = step.processed > 0 && step.processed < step.total;
        if (step.phase == Phase::metadata && inside) {
            ++perFile;
            EXPECT_NEAR(step.progress, 0.04 + 0.32 * double(step.processed) / step.total, 1e-9);
        }
        if (step.phase == Phase::hashing && inside) {
            EXPECT_NEAR(step.progress, 0.4 + 0.52 * double(step.processed) / step.total, 1e-9);
        }
        if (inside && step.phase == steps[i - 1].phase) {
            EXPECT_GE(step.time - steps[i - 1].time, ProgressThrottle::kInterval - 1e-9);
        }
    }
    EXPECT_GT(perFile, 0) << "the metadata phase showed no step between its ends";
    EXPECT_LT(perFile, kFiles - 1) << "every file was published";
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

// Identical tagged copies show once, in their exact group; the probable pass pairs the rest.
TEST_F(DuplicateSearchTest, FilesOfAnExactGroupAreLeftOutOfTheProbablePass)
{
    AudioTags tags;
    tags.artist = QStringLiteral("Moderat");
    tags.title = QStringLiteral("A New Error");
    for (const QString &name : {QStringLiteral("copy1.mp3"), QStringLiteral("copy2.mp3")}) {
        write(name, "identical bytes");
        m_tagTable.insert(name, tags);
    }
    tags.title = QStringLiteral("Bad Kingdom");
    write(QStringLiteral("kingdom.mp3"), "one");
    write(QStringLiteral("kingdom.flac"), "other!");
    m_tagTable.insert(QStringLiteral("kingdom.mp3"), tags);
    m_tagTable.insert(QStringLiteral("kingdom.flac"), tags);
    listTree(m_dir.path());
    ASSERT_TRUE(searchToEnd());
    QStringList found;
    for (const AudioDuplicateGroup &group : duplicateGroups(store())) {
        QStringList names;
        for (const QUuid &id : group.trackIDs)
            names.append(QFileInfo(pathOf(id)).fileName());
        names.sort();
        found.append((group.matchKind == DuplicateMatchKind::exact ? "exact: " : "probable: ") +
                     names.join(QLatin1Char(' ')));
    }
    found.sort();
    EXPECT_EQ(found,
              (QStringList{QStringLiteral("exact: copy1.mp3 copy2.mp3"),
                           QStringLiteral("probable: kingdom.flac kingdom.mp3")}));
}

// One tagged file listed under several names (a hard link, a linked folder, imported twice) is
// one file: trashing "the other copy" of a probable group would lose it. Only one of its names
// may meet the genuine second copy there.
TEST_F(DuplicateSearchTest, NamesOfOneTaggedFileNeverFormAProbableGroupTogether)
{
    AudioTags tags;
    tags.artist = QStringLiteral("Moderat");
    tags.title = QStringLiteral("Bad Kingdom");
    write(QStringLiteral("tree/set/kingdom.mp3"), "one file");
    write(QStringLiteral("tree/other/kingdom.flac"), "its real twin");
    ASSERT_EQ(
        ::link(QFile::encodeName(path(QStringLiteral("tree/set/kingdom.mp3"))).constData(),
               QFile::encodeName(path(QStringLiteral("tree/set/kingdom hard.mp3"))).constData()),
        0);
    ASSERT_TRUE(QFile::link(path(QStringLiteral("tree/set")), path(QStringLiteral("tree/linked"))));
    for (const char *name : {"kingdom.mp3", "kingdom hard.mp3", "kingdom.flac"})
        m_tagTable.insert(QString::fromLatin1(name), tags);
    listTree(path(QStringLiteral("tree")), {path(QStringLiteral("tree/set/kingdom.mp3"))});
    ASSERT_EQ(store().duplicateTracks().size(), 6);

    ASSERT_TRUE(searchToEnd());
    ASSERT_EQ(duplicateGroups(store()).size(), 1);
    const AudioDuplicateGroup group = duplicateGroups(store()).first();
    EXPECT_EQ(group.matchKind, DuplicateMatchKind::probable);
    std::set<std::pair<quint64, quint64>> files;
    for (const QUuid &id : group.trackIDs)
        files.insert(inodeOf(pathOf(id)));
    EXPECT_EQ(group.trackIDs.size(), 2);
    EXPECT_EQ(files.size(), 2u) << "one file listed twice in a group";
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

// The metadata phase publishes refreshed records more often than the save debounce; a
// favourite made meanwhile still reaches the stored snapshot while the phase runs.
TEST_F(DuplicateSearchTest, AFavouriteMadeDuringTheMetadataPhaseIsSavedWhileItRuns)
{
    constexpr int kFiles = 12;
    for (int i = 0; i < kFiles; ++i)
        write(QStringLiteral("f%1.mp3").arg(i, 2, 10, QLatin1Char('0')), QByteArray(100 + i, 'x'));
    listTree(m_dir.path());
    const Track liked = Track::make(url(QStringLiteral("library/liked.mp3")));
    store().setTracks({liked});
    store().session().saveWorkspaceSessionNow();
    // Each file is read once the test lets that many through.
    const auto allowed = std::make_shared<std::atomic<int>>(0);
    const auto releaseAll = qScopeGuard([allowed] { *allowed = kFiles; });
    m_reader = [allowed](const QUrl &url, const AudioTags &tags) {
        const int index = QFileInfo(url.toLocalFile()).baseName().mid(1).toInt();
        while (index >= allowed->load())
            QThread::msleep(1);
        LoadedTrackMetadata loaded;
        loaded.tags = tags;
        loaded.duration = 180;
        return loaded;
    };
    const auto favouriteStored = [this, &liked] {
        const std::optional<WorkspaceSession> stored =
            WorkspaceSession::decode(store().settings().defaults().data(kWorkspaceSessionKey));
        return stored && stored->tracks.size() == 1 && stored->tracks[0].id == liked.id &&
               stored->tracks[0].isFavorite;
    };
    QSignalSpy finished(m_search, &DuplicateSearch::searchFinished);
    m_search->findDuplicates();
    // A file every 0.1 s, each shown at once: the throttle's interval has passed.
    for (int k = 1; k <= 8; ++k) {
        m_scheduler.advance(0.1);
        *allowed = k;
        ASSERT_TRUE(spinUntil([this, k] { return duplicateScanProcessedCount(store()) == k; }));
        if (k == 1)
            store().favorites().toggleFavorites({liked.id});
    }
    EXPECT_TRUE(spinUntil(favouriteStored)) << "the favourite waited for the phase to end";
    EXPECT_EQ(duplicateScanPhase(store()), Phase::metadata);

    *allowed = kFiles;
    ASSERT_TRUE(spinUntil([&finished] { return !finished.isEmpty(); }));
}

} // namespace
