#include "favorites/FavoritesExport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace brivello;

namespace {

const QString kFallback = QStringLiteral("Без жанра");

TEST(FavoritesExportTest, GenreFolderNamesReplaceSeparatorsAndFallBack)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("House"), QStringLiteral("House")},
        {QStringLiteral("Drum/Bass"), QStringLiteral("Drum – Bass")},
        {QStringLiteral("a:b//c"), QStringLiteral("a – b – c")},
        {QStringLiteral("Tech\nHouse\t"), QStringLiteral("Tech – House")},
        {QStringLiteral("  .Deep. "), QStringLiteral("Deep")},
        {QStringLiteral(""), kFallback},
        {QStringLiteral(" / : . "), kFallback},
        {QStringLiteral("/Trance/"), QStringLiteral("Trance")},
    };
    for (const auto &[genre, expected] : cases)
        EXPECT_EQ(FavoritesExport::genreFolderName(genre, kFallback), expected)
            << genre.toStdString();
}

TEST(FavoritesExportTest, GenreFolderNamesAreCutToCharactersAndBytes)
{
    const QString latin(200, QLatin1Char('x'));
    EXPECT_EQ(FavoritesExport::genreFolderName(latin, kFallback).size(), 120);

    // 120 Cyrillic letters are 240 bytes: within both limits.
    const QString cyrillic(130, QChar(0x0416));
    EXPECT_EQ(FavoritesExport::genreFolderName(cyrillic, kFallback).size(), 120);

    // Four-byte characters: 120 of them would be 480 bytes; cut to 63 whole ones (252 bytes).
    QString emoji;
    for (int i = 0; i < 130; ++i)
        emoji += QString::fromUcs4(U"\U0001F3B5");
    const QString name = FavoritesExport::genreFolderName(emoji, kFallback);
    EXPECT_EQ(name.toUtf8().size(), 252);
    EXPECT_FALSE(name.back().isHighSurrogate());

    // A cut that lands inside " – " leaves no trailing blank.
    const QString dashed = QString(119, QLatin1Char('y')) + QStringLiteral("/z");
    EXPECT_EQ(FavoritesExport::genreFolderName(dashed, kFallback), QString(119, QLatin1Char('y')));
}

class FavoritesExportCopyTest : public ::testing::Test
{
protected:
    QString makeFile(const QString &relative, const QByteArray &bytes)
    {
        const QString path = sources.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static FavoritesExport::Job job(const QString &path, std::optional<QString> genre = {})
    {
        return {QUrl::fromLocalFile(path), genre};
    }
    QTemporaryDir sources;
    QTemporaryDir target;
};

TEST_F(FavoritesExportCopyTest, CollisionsGetCountersInTheOrderGiven)
{
    const QString first = makeFile(QStringLiteral("one/track.mp3"), "first");
    const QString second = makeFile(QStringLiteral("two/track.mp3"), "second");
    const QString third = makeFile(QStringLiteral("three/track.mp3"), QByteArray(70000, '\x7f'));

    EXPECT_TRUE(
        FavoritesExport::copy({job(first), job(second), job(third)}, target.path()).isEmpty());
    EXPECT_EQ(contents(target.filePath(QStringLiteral("track.mp3"))), "first");
    EXPECT_EQ(contents(target.filePath(QStringLiteral("track (2).mp3"))), "second");
    EXPECT_EQ(contents(target.filePath(QStringLiteral("track (3).mp3"))), contents(third));
    EXPECT_EQ(contents(first), "first"); // the originals stay

    // A second export never overwrites.
    EXPECT_TRUE(FavoritesExport::copy({job(second)}, target.path()).isEmpty());
    EXPECT_EQ(contents(target.filePath(QStringLiteral("track (4).mp3"))), "second");

    const QString a = makeFile(QStringLiteral("a/noext"), "a");
    const QString b = makeFile(QStringLiteral("b/noext"), "b");
    EXPECT_TRUE(FavoritesExport::copy({job(a), job(b)}, target.path()).isEmpty());
    EXPECT_EQ(contents(target.filePath(QStringLiteral("noext (2)"))), "b");

    // The counter goes before the extension only: the dots inside the name stay.
    const QString dotted = QStringLiteral("DJ A feat. B - Track.mp3");
    const QString c = makeFile(QStringLiteral("c/") + dotted, "c");
    const QString d = makeFile(QStringLiteral("d/") + dotted, "d");
    EXPECT_TRUE(FavoritesExport::copy({job(c), job(d)}, target.path()).isEmpty());
    EXPECT_EQ(contents(target.filePath(dotted)), "c");
    EXPECT_EQ(contents(target.filePath(QStringLiteral("DJ A feat. B - Track (2).mp3"))), "d");
}

TEST_F(FavoritesExportCopyTest, GenreJobsGoIntoTheirFolders)
{
    const QString house = makeFile(QStringLiteral("h.flac"), "house");
    const QString none = makeFile(QStringLiteral("n.wav"), "none");
    const QString dnb = makeFile(QStringLiteral("d.mp3"), "dnb");
    const QStringList failures = FavoritesExport::copy(
        {job(house, QStringLiteral("House")),
         job(none, kFallback),
         job(dnb, FavoritesExport::genreFolderName(QStringLiteral("Drum/Bass"), kFallback))},
        target.path());
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(contents(target.filePath(QStringLiteral("House/h.flac"))), "house");
    EXPECT_EQ(contents(target.filePath(kFallback + QStringLiteral("/n.wav"))), "none");
    EXPECT_EQ(contents(target.filePath(QStringLiteral("Drum – Bass/d.mp3"))), "dnb");
}

TEST_F(FavoritesExportCopyTest, FailuresAreListedPerFileAndTheRestIsCopied)
{
    const QString good = makeFile(QStringLiteral("good.mp3"), "good");
    const QString missing = sources.filePath(QStringLiteral("missing.mp3"));
    const QStringList failures = FavoritesExport::copy({job(missing), job(good)}, target.path());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.first().startsWith(QStringLiteral("missing.mp3: ")));
    EXPECT_EQ(contents(target.filePath(QStringLiteral("good.mp3"))), "good");
}

TEST_F(FavoritesExportCopyTest, AReadOnlyTargetFailsEveryFile)
{
    const QString a = makeFile(QStringLiteral("a.mp3"), "a");
    const QString b = makeFile(QStringLiteral("b.mp3"), "b");
    // Permissions do not bind root; /proc refuses new files and folders to everyone.
    const bool root = geteuid() == 0;
    const QString folder = root ? QStringLiteral("/proc") : target.path();
    if (!root)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const QStringList failures =
        FavoritesExport::copy({job(a), job(b, QStringLiteral("Genre"))}, folder);
    if (!root)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(failures.size(), 2);
    EXPECT_TRUE(failures.at(0).startsWith(QStringLiteral("a.mp3: ")));
    EXPECT_TRUE(failures.at(1).startsWith(QStringLiteral("b.mp3: ")));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/a.mp3")));
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/Genre")));
}

} // namespace
