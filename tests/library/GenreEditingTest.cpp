#include "library/GenreEditing.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "support/LibraryStoreFixture.h"
#include "support/TestAudioFiles.h"

#include <QJsonArray>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace brivello;
using brivello::test::TestAudioFiles;
using brivello::testing::LibraryStoreFixture;
using Tone = LibraryStore::WorkspaceStatus::Tone;

namespace {

class GenreEditingTest : public LibraryStoreFixture
{
protected:
    Track favourite(const QString &name, const QString &genre)
    {
        Track made = Track::make(url(name));
        made.isFavorite = made.isInCoverWorkspace = true;
        made.tags.genre = genre;
        return made;
    }
    QString genreOf(int index) const { return m_store->tracks()[index].tags.genre; }
    QString statusMessage() const
    {
        return m_store->workspaceStatus() ? m_store->workspaceStatus()->message : QString();
    }

    QUndoStack m_undo;
};

QString mutagenGenre(const QString &path)
{
    const QJsonArray values = TestAudioFiles::mutagenTags(path).value("TCON").toArray();
    return values.isEmpty() ? QString() : values[0].toString();
}

} // namespace

TEST_F(GenreEditingTest, AssignChangesOnlyWhatDiffersAndUndoRedoAlternate)
{
    LibraryStore &s = makeStore();
    const Track a = favourite("a.mp3", "House"), b = favourite("b.mp3", "Techno");
    s.setTracks({a, b});
    int posts = 0;
    QObject receiver;
    NotificationCenter::defaultCenter().observe(
        brivelloTrackMetadataDidChange, nullptr, &receiver, [&](const Notification &) { ++posts; });

    s.genreEditing().assignGenre("  Techno ", {a.id, b.id}, &m_undo);
    EXPECT_EQ(genreOf(0), "Techno");
    EXPECT_EQ(statusMessage(), "Жанр «Techno» присвоен: 1");
    EXPECT_EQ(s.genreEditing().recentGenres().first(), "Techno");
    EXPECT_EQ(m_undo.undoText(), "Присвоить жанр");
    EXPECT_EQ(posts, 1);

    s.setWorkspaceStatus(std::nullopt);
    m_undo.undo();
    EXPECT_EQ(genreOf(0), "House");
    EXPECT_EQ(genreOf(1), "Techno");
    m_undo.redo();
    EXPECT_EQ(genreOf(0), "Techno");
    m_undo.undo();
    EXPECT_EQ(genreOf(0), "House");
    EXPECT_FALSE(s.workspaceStatus());
    EXPECT_EQ(posts, 4);

    s.genreEditing().assignGenre("House", {a.id}, &m_undo);
    EXPECT_EQ(m_undo.index(), 0); // nothing changed, nothing recorded
    EXPECT_FALSE(s.workspaceStatus());

    s.genreEditing().assignGenre("   ", {a.id, b.id}, &m_undo);
    EXPECT_EQ(genreOf(0), "");
    EXPECT_EQ(genreOf(1), "");
    EXPECT_EQ(s.genreEditing().recentGenres(), QStringList{"Techno"}); // blank is never recent
}

TEST_F(GenreEditingTest, ClearingAndRefusals)
{
    LibraryStore &s = makeStore();
    Track plain = Track::make(url("p.mp3"));
    plain.isInPlaylist = true;
    plain.tags.genre = "House";
    s.setTracks({favourite("a.mp3", "   "), favourite("b.mp3", " Disco"), plain});
    const QUuid a = s.tracks()[0].id, b = s.tracks()[1].id;

    s.genreEditing().clearGenres({plain.id}, &m_undo);
    EXPECT_EQ(statusMessage(), "Выберите трек в «Избранном»");
    EXPECT_EQ(s.workspaceStatus()->tone, Tone::warning);
    s.setWorkspaceStatus(std::nullopt);
    s.genreEditing().assignGenre("Techno", {plain.id}, &m_undo);
    EXPECT_EQ(statusMessage(), "Выберите трек в «Избранном»");
    EXPECT_EQ(s.tracks()[2].tags.genre, "House");

    s.genreEditing().clearGenres({a}, &m_undo);
    EXPECT_EQ(statusMessage(), "У выбранных треков жанр уже пуст");
    EXPECT_EQ(m_undo.count(), 0);

    s.genreEditing().clearGenres({a, b}, &m_undo);
    EXPECT_EQ(statusMessage(), "Жанр очищен: 1");
    EXPECT_EQ(genreOf(1), "");
    EXPECT_EQ(genreOf(0), "   ");
    EXPECT_EQ(m_undo.undoText(), "Очистить жанр");
    m_undo.undo();
    EXPECT_EQ(genreOf(1), " Disco");
    EXPECT_TRUE(s.genreEditing().recentGenres().isEmpty());
}

TEST_F(GenreEditingTest, GenreReachesTheFileAndUndoBringsTheOldOneBack)
{
    if (!TestAudioFiles::hasProgram("ffmpeg"))
        GTEST_SKIP() << "ffmpeg missing";
    const QString file =
        TestAudioFiles::make(m_dir.path(), "Artist - Song.mp3", 0.5, {"-metadata", "genre=Pop"});
    ASSERT_FALSE(file.isEmpty());
    LibraryStore &s = makeStore();
    Track track = favourite("Artist - Song.mp3", "Pop");
    s.setTracks({track});

    s.genreEditing().assignGenre("Électro", {track.id}, &m_undo);
    EXPECT_TRUE(spinUntil([&] { return mutagenGenre(file) == "Électro"; }));
    m_undo.undo();
    EXPECT_TRUE(spinUntil([&] { return mutagenGenre(file) == "Pop"; }));
    EXPECT_FALSE(s.lastError());
}
