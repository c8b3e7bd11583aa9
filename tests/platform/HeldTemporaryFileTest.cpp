#include "platform/HeldTemporaryFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace brivello;

namespace {

class HeldTemporaryFileTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    bool exists(const QString &name) const
    {
        return QFileInfo(path(name)).isSymLink() || QFileInfo::exists(path(name));
    }
    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // A name this process made for a temporary of ours, the file itself already gone.
    QString usedName()
    {
        HeldTemporaryFile made(m_dir.path(), QStringLiteral("wav"));
        EXPECT_TRUE(made.isOpen());
        return QFileInfo(made.path()).fileName();
    }

    QTemporaryDir m_dir;
};

TEST_F(HeldTemporaryFileTest, NamesAreHiddenAndCarryAMarkOnlyWeMake)
{
    HeldTemporaryFile held(m_dir.path(), QStringLiteral("wav"));
    ASSERT_TRUE(held.isOpen());
    const QByteArray name = QFile::encodeName(QFileInfo(held.path()).fileName());
    EXPECT_TRUE(name.startsWith(".brivello-"));
    EXPECT_TRUE(name.endsWith(".wav"));
    EXPECT_TRUE(HeldTemporaryFile::isOurName(name));
    EXPECT_EQ(QFileInfo(held.path()).absolutePath(), QFileInfo(m_dir.path()).absoluteFilePath());

    HeldTemporaryFile bare(m_dir.path(), QString());
    ASSERT_TRUE(bare.isOpen());
    EXPECT_FALSE(bare.path().endsWith(QLatin1Char('.')));
    EXPECT_TRUE(HeldTemporaryFile::isOurName(QFile::encodeName(QFileInfo(bare.path()).fileName())));

    QByteArray otherMark = name;
    const qsizetype markAt = otherMark.indexOf(".wav") - 1;
    otherMark[markAt] = otherMark[markAt] == '0' ? '1' : '0';
    const QByteArray id = name.mid(10, 36);
    for (const QByteArray &lookalike : {otherMark,
                                        name.toLower(),
                                        name.left(name.size() - 4) + "x.wav",
                                        ".brivello-" + id + ".wav",
                                        QByteArray(".brivello-") + ".wav"})
        EXPECT_FALSE(HeldTemporaryFile::isOurName(lookalike)) << lookalike.constData();
}

// A sweep removes a temporary of ours only when it is a plain file of this user with one link
// and no running write holds its lock; files merely named like ours stay.
TEST_F(HeldTemporaryFileTest, ASweepRemovesOnlyUnheldPlainTemporariesOfOurs)
{
    HeldTemporaryFile held(m_dir.path(), QStringLiteral("wav"));
    ASSERT_TRUE(held.isOpen());
    const QString stale = usedName();
    writeFile(stale, "left by a killed write");
    const QString linked = usedName();
    writeFile(QStringLiteral("Song.wav"), "audio");
    ASSERT_EQ(::link(QFile::encodeName(path("Song.wav")).constData(),
                     QFile::encodeName(path(linked)).constData()),
              0);
    const QString symbolic = usedName();
    ASSERT_TRUE(QFile::link(path("Song.wav"), path(symbolic)));
    const QString foreign =
        QStringLiteral(".brivello-0F6A3B52-9C1D-4E8F-A7B6-2D3C4E5F6071-000000000000.wav");
    writeFile(foreign, "someone else's");

    HeldTemporaryFile::removeStale(m_dir.path());
    EXPECT_FALSE(exists(stale));
    EXPECT_TRUE(QFileInfo::exists(held.path()));
    EXPECT_TRUE(exists(linked));
    EXPECT_TRUE(exists(symbolic));
    EXPECT_TRUE(exists(foreign));
    EXPECT_TRUE(exists(QStringLiteral("Song.wav")));

    const QString heldPath = held.path();
    held.discard();
    EXPECT_FALSE(QFileInfo::exists(heldPath));
}

TEST_F(HeldTemporaryFileTest, ARenameThatMustNotReplaceLeavesATakenNameAlone)
{
    writeFile(QStringLiteral("Taken.mp3"), "theirs");
    QString temporary;
    {
        HeldTemporaryFile held(m_dir.path(), QStringLiteral("mp3"), 0644);
        ASSERT_TRUE(held.isOpen());
        temporary = held.path();
        ASSERT_EQ(::write(held.descriptor(), "ours", 4), 4);
        EXPECT_EQ(held.renameTo(path("Taken.mp3"), false), EEXIST);
        EXPECT_TRUE(held.isStillNamed());
        EXPECT_EQ(held.renameTo(path("Free.mp3"), false), 0);
        EXPECT_FALSE(held.isOpen());
    }
    QFile taken(path("Taken.mp3"));
    QFile free(path("Free.mp3"));
    ASSERT_TRUE(taken.open(QIODevice::ReadOnly) && free.open(QIODevice::ReadOnly));
    EXPECT_EQ(taken.readAll(), "theirs");
    EXPECT_EQ(free.readAll(), "ours");
    EXPECT_FALSE(QFileInfo::exists(temporary));
}

} // namespace
