#include "platform/Trash.h"

#include "platform/FileReveal.h"
#include "platform/LocalFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brivello;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString infoPathOf(const QString &trashed)
{
    const QFileInfo entry(trashed);
    return QDir::cleanPath(entry.absolutePath() + "/../info/" + entry.fileName() + ".trashinfo");
}

// Each test gets its own XDG_DATA_HOME, so the home Trash starts missing.
class TrashTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_saved); }

    QString file(const QString &name, const QByteArray &bytes = "audio bytes \x01\x02")
    {
        const QString path = m_files.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, bytes);
        return path;
    }

    QTemporaryDir m_data;
    QTemporaryDir m_files;
    QByteArray m_saved;
};

} // namespace

TEST_F(TrashTest, RoundTripCreatesFoldersAndBringsTheFileBackUnchanged)
{
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.append(char(i * 7));
    const QString path = file("Artist - Song.mp3", bytes);
    ASSERT_FALSE(QFileInfo::exists(Trash::homeTrashPath()));

    const TrashOutcome outcome = Trash::shared().trashItem(path);
    ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(outcome.trashedPath, Trash::homeTrashPath() + "/files/Artist - Song.mp3");
    EXPECT_EQ(readAll(outcome.trashedPath), bytes);
    const QString info = infoPathOf(outcome.trashedPath);
    ASSERT_TRUE(QFileInfo::exists(info));

    const QString text = QString::fromUtf8(readAll(info));
    EXPECT_TRUE(text.startsWith("[Trash Info]\n"));
    EXPECT_TRUE(text.contains("Path=" + Trash::encodedInfoPath(path) + "\n"));
    EXPECT_TRUE(text.contains(
        QRegularExpression("DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\n")));

    EXPECT_FALSE(Trash::shared().restoreItem(outcome.trashedPath, path));
    EXPECT_EQ(readAll(path), bytes);
    EXPECT_FALSE(QFileInfo::exists(outcome.trashedPath));
    EXPECT_FALSE(QFileInfo::exists(info));
}

TEST_F(TrashTest, SameNameTwiceGetsTwoEntries)
{
    const QString first = file("one/Song.mp3", "first");
    const QString second = file("two/Song.mp3", "second");
    const TrashOutcome a = Trash::shared().trashItem(first);
    const TrashOutcome b = Trash::shared().trashItem(second);
    ASSERT_FALSE(a.error);
    ASSERT_FALSE(b.error);
    EXPECT_NE(a.trashedPath, b.trashedPath);
    EXPECT_EQ(QFileInfo(b.trashedPath).fileName(), "Song.2.mp3");
    EXPECT_TRUE(QFileInfo::exists(infoPathOf(b.trashedPath)));

    EXPECT_FALSE(Trash::shared().restoreItem(b.trashedPath, second));
    EXPECT_FALSE(Trash::shared().restoreItem(a.trashedPath, first));
    EXPECT_EQ(readAll(first), "first");
    EXPECT_EQ(readAll(second), "second");
}

TEST_F(TrashTest, FailuresAreToldApartAndNothingIsOverwritten)
{
    const TrashOutcome missing = Trash::shared().trashItem(m_files.filePath("none.mp3"));
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->kind, TrashError::noSuchFile);
    EXPECT_TRUE(missing.error->description.contains("none.mp3"));

    const QString path = file("Taken.mp3", "original");
    const TrashOutcome outcome = Trash::shared().trashItem(path);
    ASSERT_FALSE(outcome.error);
    writeFile(path, "newcomer");

    const auto taken = Trash::shared().restoreItem(outcome.trashedPath, path);
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->kind, TrashError::fileExists);
    EXPECT_EQ(readAll(path), "newcomer");
    EXPECT_EQ(readAll(outcome.trashedPath), "original");
    EXPECT_TRUE(QFileInfo::exists(infoPathOf(outcome.trashedPath)));

    QFile::remove(path);
    QFile::remove(outcome.trashedPath);
    const auto gone = Trash::shared().restoreItem(outcome.trashedPath, path);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->kind, TrashError::noSuchFile);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(TrashTest, RestoreRecreatesAMissingFolder)
{
    const QString path = file("sub/dir/Song.flac", "flac");
    const TrashOutcome outcome = Trash::shared().trashItem(path);
    ASSERT_FALSE(outcome.error);
    ASSERT_TRUE(QDir(m_files.filePath("sub")).removeRecursively());
    EXPECT_FALSE(Trash::shared().restoreItem(outcome.trashedPath, path));
    EXPECT_EQ(readAll(path), "flac");
}

TEST_F(TrashTest, FileOnAnotherVolumeGoesToThatVolumesTrash)
{
    struct stat shm, data;
    QDir().mkpath(m_data.path());
    if (::stat("/dev/shm", &shm) != 0 || ::stat(m_data.path().toLocal8Bit(), &data) != 0 ||
        shm.st_dev == data.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    QTemporaryDir volume(QStringLiteral("/dev/shm/brivello-trash-XXXXXX"));
    const QString own = "/dev/shm/.Trash-" + QString::number(::getuid());
    const bool existed = QFileInfo::exists(own);
    const QString path = volume.filePath("Track.wav");
    writeFile(path, "wave");

    const TrashOutcome outcome = Trash::shared().trashItem(path);
    ASSERT_FALSE(outcome.error) << outcome.error->description.toStdString();
    EXPECT_TRUE(outcome.trashedPath.startsWith("/dev/shm/.Trash"));
    const QString text = QString::fromUtf8(readAll(infoPathOf(outcome.trashedPath)));
    const QString relative = path.mid(QString("/dev/shm/").size());
    EXPECT_TRUE(text.contains("Path=" + Trash::encodedInfoPath(relative) + "\n"))
        << text.toStdString();

    EXPECT_FALSE(Trash::shared().restoreItem(outcome.trashedPath, path));
    EXPECT_EQ(readAll(path), "wave");
    if (!existed)
        QDir(own).removeRecursively();
}

TEST(FileRevealTest, FoldersAreOpenedOnceEachInOrder)
{
    const QList<QUrl> urls{QUrl::fromLocalFile("/M/B/a.mp3"),
                           QUrl::fromLocalFile("/M/A/b.mp3"),
                           QUrl::fromLocalFile("/M/B/c.mp3")};
    EXPECT_EQ(FileReveal::foldersOf(urls),
              (QList<QUrl>{QUrl::fromLocalFile("/M/B"), QUrl::fromLocalFile("/M/A")}));
    EXPECT_EQ(FileReveal::itemURIs({QUrl::fromLocalFile("/M/a b.mp3")}),
              QStringList{"file:///M/a%20b.mp3"});
    // Names that are not UTF-8 (CP1251 here) keep their bytes in both.
    const QUrl cp1251 = LocalFile::url("/M/\xcf\xe5\xf1/\xed\xff.mp3");
    EXPECT_EQ(FileReveal::foldersOf({cp1251}), QList<QUrl>{LocalFile::url("/M/\xcf\xe5\xf1")});
    EXPECT_EQ(FileReveal::itemURIs({cp1251}), QStringList{"file:///M/%CF%E5%F1/%ED%FF.mp3"});
}
