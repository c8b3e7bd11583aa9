#include "library/LibraryCleaner.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "library/GenreEditing.h"
#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"
#include "support/WaitForResult.h"

#include <QCoroTask>
#include <QFileInfo>
#include <QJsonArray>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::test::TestAudioFiles;
using brivello::testing::LibraryStoreFixture;

namespace {

class LibraryCleanerTest : public LibraryStoreFixture
{
protected:
    Track library(const QString &name)
    {
        Track made = Track::make(url(name));
        made.isInPlaylist = true;
        return made;
    }
    void cleanNames(const QSet<QUuid> &ids, bool strip)
    {
        test::waitForResult(store().cleaner().cleanFilenames(ids, strip));
    }
    QString fileOf(int index) const { return m_store->tracks()[index].url.fileName(); }
    // Takes the write lock of `file` as a writer would.
    static MetadataWriteCoordinator::Permit hold(const QString &file)
    {
        MetadataWriteCoordinator::Acquire acquiring = MetadataWriteCoordinator::shared().acquire(
            MetadataWriteCoordinator::lockKey(QUrl::fromLocalFile(file)));
        return test::waitForResult([&]() -> QCoro::Task<MetadataWriteCoordinator::Permit> {
            co_return co_await acquiring;
        }());
    }
    static bool settled(const QStringList &files)
    {
        return spinUntil([&] {
            return std::none_of(files.cbegin(), files.cend(), [](const QString &file) {
                return MetadataWriteCoordinator::shared().isLocked(
                    MetadataWriteCoordinator::lockKey(QUrl::fromLocalFile(file)));
            });
        });
    }
    static bool finishedOnce(QSignalSpy &finished)
    {
        return finished.count() == 1 || finished.wait(30000);
    }
};

QString first(const QJsonObject &tags, const QString &key)
{
    const QJsonArray values = tags.value(key).toArray();
    return values.isEmpty() ? QString() : values[0].toString();
}

} // namespace

TEST_F(LibraryCleanerTest, RenamesFollowTheRulesAndNeverOverwrite)
{
    LibraryStore &s = makeStore();
    s.settings().setRenameFilters("(Extended Mix), [a+b]");
    touch("128 - 8A - Artist - Track (Extended Mix).mp3", "one");
    touch("128 - Song.mp3", "two");
    touch("130 - Song.mp3", "three");
    touch("124 - 8A - .mp3", "four");
    touch("Typed [a+b].mp3", "five");
    touch("Taken.mp3", "six");
    touch("Taken [a+b].mp3", "seven");
    Track guessed = library("128 - 8A - Artist - Track (Extended Mix).mp3");
    guessed.isFavorite = guessed.isInCoverWorkspace = true;
    guessed.duration = 200;
    Track typed = library("Typed [a+b].mp3");
    typed.tags = {"My Title", "My Artist", "", "", "", "", "", "", "", ""};
    const QList<Track> list{guessed,
                            library("128 - Song.mp3"),
                            library("130 - Song.mp3"),
                            library("124 - 8A - .mp3"),
                            typed,
                            library("Taken [a+b].mp3")};
    s.setTracks(list);
    QSet<QUuid> all;
    for (const Track &t : list)
        all.insert(t.id);

    cleanNames(all, true);
    EXPECT_EQ(fileOf(0), "Artist - Track.mp3");
    EXPECT_EQ(s.tracks()[0].tags.title, "Track");
    EXPECT_EQ(s.tracks()[0].tags.artist, "Artist");
    EXPECT_TRUE(s.tracks()[0].isFavorite && s.tracks()[0].isInCoverWorkspace);
    EXPECT_EQ(s.tracks()[0].duration, 200);
    EXPECT_EQ(s.tracks()[0].id, guessed.id);
    EXPECT_EQ(fileOf(1), "Song.mp3");
    EXPECT_EQ(fileOf(2), "130 - Song.mp3");
    EXPECT_EQ(fileOf(3), "124 - 8A - .mp3");
    EXPECT_EQ(fileOf(4), "Typed.mp3");
    EXPECT_EQ(s.tracks()[4].tags.title, "My Title");
    EXPECT_EQ(fileOf(5), "Taken [a+b].mp3");
    EXPECT_EQ(TestAudioFiles::readAll(path("Taken.mp3")), "six");
    EXPECT_EQ(TestAudioFiles::readAll(path("Song.mp3")), "two");
    EXPECT_FALSE(QFileInfo::exists(path("128 - Song.mp3")));
}

TEST_F(LibraryCleanerTest, CleanedTagsLandInTheRenamedFileAndNothingStaysBehind)
{
    if (!TestAudioFiles::hasProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg missing";
    const QString name = "128 - 8A - Artist - Track (Extended Mix).mp3";
    const QString file = TestAudioFiles::make(m_dir.path(), name, 0.5);
    ASSERT_FALSE(file.isEmpty());
    const auto tagged = TestAudioFiles::python(R"(
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TCON, APIC
tags = ID3()
tags.add(TIT2(encoding=3, text='Track (Extended Mix)'))
tags.add(TPE1(encoding=3, text='Artist'))
tags.add(TALB(encoding=3, text='Album'))
tags.add(TCON(encoding=3, text='House'))
tags.add(APIC(encoding=3, mime='image/png', type=3, desc='', data=b'\x89PNG\r\n\x1a\n' + b'0' * 64))
tags.save(sys.argv[1], v2_version=3)
)",
                                               {file});
    ASSERT_TRUE(tagged.ok()) << tagged.err.toStdString();
    const QByteArray audio = TestAudioFiles::audioMd5(file);

    Defaults::standard().set(kCleanerCleanFilenamesKey, true);
    LibraryStore &s = makeStore();
    s.settings().setTitleFiltersRaw("(Extended Mix)");
    s.settings().setRenameFilters("(Extended Mix)");
    Track track = library(name);
    track.tags.title = "Track (Extended Mix)";
    track.tags.artist = "Artist";
    track.tags.album = "Album";
    track.tags.genre = "House";
    s.setTracks({track});
    s.setSelectedIDs({track.id});
    QSignalSpy finished(&s, &LibraryStore::filenameCleaningFinished);

    s.cleaner().runConfiguredCleaner();
    ASSERT_TRUE(finishedOnce(finished));
    const QString renamed = path("Artist - Track.mp3");
    EXPECT_EQ(s.tracks()[0].url, QUrl::fromLocalFile(renamed));
    ASSERT_TRUE(settled({file, renamed}));

    const QJsonObject tags = TestAudioFiles::mutagenTags(renamed);
    EXPECT_EQ(first(tags, "TIT2"), "Track");
    EXPECT_EQ(first(tags, "TPE1"), "Artist");
    EXPECT_FALSE(tags.contains("TALB"));
    EXPECT_FALSE(tags.contains("TCON"));
    EXPECT_FALSE(tags.contains("APIC:"));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(TestAudioFiles::audioMd5(renamed), audio);
    EXPECT_TRUE(TestAudioFiles::leftoverTemporaries(m_dir.path()).isEmpty());
    EXPECT_FALSE(s.lastError());
}

TEST_F(LibraryCleanerTest, AWriteQueuedBehindTheRenameReachesTheNewName)
{
    if (!TestAudioFiles::hasProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg missing";
    const QString file = TestAudioFiles::make(m_dir.path(), "Artist - Song (Edit).mp3", 0.5);
    ASSERT_FALSE(file.isEmpty());
    LibraryStore &s = makeStore();
    s.settings().setRenameFilters("(Edit)");
    Track track = library("Artist - Song (Edit).mp3");
    track.tags.title = "Typed";
    track.tags.artist = "Typed Artist";
    track.isFavorite = true;
    s.setTracks({track});

    // The rename queues first behind the held lock, a genre write behind it.
    MetadataWriteCoordinator::Permit held = hold(file);
    QSignalSpy finished(&s, &LibraryStore::filenameCleaningFinished);
    QCoro::Task<> cleaning = s.cleaner().cleanFilenames({track.id}, true);
    s.genreEditing().assignGenre("Techno", {track.id});
    EXPECT_EQ(MetadataWriteCoordinator::shared().waiterCount(
                  MetadataWriteCoordinator::lockKey(QUrl::fromLocalFile(file))),
              2);
    held.release();
    ASSERT_TRUE(finishedOnce(finished));

    const QString renamed = path("Artist - Song.mp3");
    ASSERT_TRUE(settled({file, renamed}));
    const QJsonObject tags = TestAudioFiles::mutagenTags(renamed);
    EXPECT_EQ(first(tags, "TCON"), "Techno");
    EXPECT_EQ(first(tags, "TIT2"), "Typed");
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(s.lastError());
}

TEST_F(LibraryCleanerTest, ABatchWriteNotYetStartedFollowsTheRenamedFile)
{
    if (!TestAudioFiles::hasProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg missing";
    const QString firstFile = TestAudioFiles::make(m_dir.path(), "A - One.mp3", 0.5);
    const QString file = TestAudioFiles::make(m_dir.path(), "Artist - Song (Edit).mp3", 0.5);
    ASSERT_FALSE(firstFile.isEmpty());
    ASSERT_FALSE(file.isEmpty());
    LibraryStore &s = makeStore();
    s.settings().setRenameFilters("(Edit)");
    Track one = library("A - One.mp3");
    one.isFavorite = true;
    Track track = library("Artist - Song (Edit).mp3");
    track.tags.title = "Typed";
    track.tags.artist = "Typed Artist";
    track.isFavorite = true;
    s.setTracks({one, track});

    // The second file waits its batch turn unlocked while the rename takes it away.
    s.genreEditing().assignGenre("Techno", {one.id, track.id});
    QSignalSpy finished(&s, &LibraryStore::filenameCleaningFinished);
    QCoro::Task<> cleaning = s.cleaner().cleanFilenames({track.id}, true);
    ASSERT_TRUE(finishedOnce(finished));

    const QString renamed = path("Artist - Song.mp3");
    ASSERT_TRUE(settled({file, renamed, firstFile}));
    EXPECT_EQ(first(TestAudioFiles::mutagenTags(renamed), "TCON"), "Techno");
    EXPECT_EQ(first(TestAudioFiles::mutagenTags(firstFile), "TCON"), "Techno");
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(s.lastError());
}

TEST_F(LibraryCleanerTest, AWriteLeftBehindNeverLandsOnTheFileThatTookThePlace)
{
    if (!TestAudioFiles::hasProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg missing";
    // "128 - 130 - Song" cleans to the first file's old name, free once that file moved.
    const QString firstFile = TestAudioFiles::make(m_dir.path(), "130 - Song.mp3", 0.5);
    const QString secondFile = TestAudioFiles::make(m_dir.path(), "128 - 130 - Song.mp3", 0.5);
    ASSERT_FALSE(firstFile.isEmpty());
    ASSERT_FALSE(secondFile.isEmpty());
    LibraryStore &s = makeStore();
    Track moving = library("130 - Song.mp3");
    moving.isFavorite = true;
    Track arriving = library("128 - 130 - Song.mp3");
    s.setTracks({moving, arriving});

    MetadataWriteCoordinator::Permit held = hold(firstFile);
    QSignalSpy finished(&s, &LibraryStore::filenameCleaningFinished);
    QCoro::Task<> cleaning = s.cleaner().cleanFilenames({moving.id, arriving.id}, true);
    s.genreEditing().assignGenre("Techno", {moving.id});
    held.release();
    ASSERT_TRUE(finishedOnce(finished));

    const QString moved = path("Song.mp3");
    ASSERT_TRUE(settled({firstFile, moved}));
    EXPECT_EQ(s.tracks()[1].url, QUrl::fromLocalFile(firstFile));
    EXPECT_EQ(first(TestAudioFiles::mutagenTags(moved), "TCON"), "Techno");
    EXPECT_FALSE(TestAudioFiles::mutagenTags(firstFile).contains("TCON"));
    EXPECT_FALSE(s.lastError());
}
