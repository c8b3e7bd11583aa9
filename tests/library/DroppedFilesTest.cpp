#include "library/DroppedFiles.h"

#include <QMimeData>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

TEST(DroppedFileURLTest, TurnsEachItemFormIntoAnAddress)
{
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/music/Артист - Трек 1.mp3"));
    EXPECT_EQ(droppedFileURL(QVariant()), std::nullopt);
    EXPECT_EQ(droppedFileURL(QVariant(file)), file);
    EXPECT_EQ(droppedFileURL(QVariant(file.toEncoded())), file);
    EXPECT_EQ(droppedFileURL(QVariant(file.toString())), file);
    EXPECT_EQ(droppedFileURL(QVariant(QString::fromLatin1(file.toEncoded()))), file);
    EXPECT_EQ(droppedFileURL(QVariant(42)), std::nullopt);
    EXPECT_EQ(droppedFileURL(QVariant(QUrl())), std::nullopt);
    EXPECT_EQ(droppedFileURL(QVariant(QString())), std::nullopt);
    EXPECT_EQ(droppedFileURL(QVariant(QByteArray())), std::nullopt);
    const std::optional<QUrl> bare = droppedFileURL(QVariant(QStringLiteral("/music/a.mp3")));
    ASSERT_TRUE(bare.has_value());
    EXPECT_FALSE(bare->isLocalFile()); // a bare path is not a file address
}

TEST(DroppedFilesTest, UriListGivesOneItemPerFileAndSkipsOtherAddresses)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/a/1.mp3")),
                  QUrl(QStringLiteral("https://example.org/x.mp3")),
                  QUrl::fromLocalFile(QStringLiteral("/a/folder")),
                  QUrl::fromLocalFile(QStringLiteral("/b/2.flac"))});
    EXPECT_EQ(droppedItems(&mime).size(), 4);
    const QList<QUrl> files = droppedFileURLs(&mime);
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files.at(1).toLocalFile(), QStringLiteral("/a/folder"));
}

TEST(DroppedFilesTest, PlainTextDropsGiveFilesOnlyForFileAddresses)
{
    QMimeData text;
    text.setText(QStringLiteral("just some words"));
    EXPECT_TRUE(droppedFileURLs(&text).isEmpty());

    QMimeData lines;
    lines.setText(QStringLiteral("file:///a/1.mp3\n/b/bare.mp3\n\nfile:///c/3.wav\n"));
    const QList<QUrl> files = droppedFileURLs(&lines);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files.at(0).toLocalFile(), QStringLiteral("/a/1.mp3"));
    EXPECT_EQ(files.at(1).toLocalFile(), QStringLiteral("/c/3.wav"));

    EXPECT_TRUE(droppedFileURLs(nullptr).isEmpty());
}

TEST(DroppedFilesTest, UniqueFileURLsKeepsTheFirstSpellingOfEachPath)
{
    const QUrl a = QUrl::fromLocalFile(QStringLiteral("/m/x/../a.mp3"));
    const QUrl b = QUrl::fromLocalFile(QStringLiteral("/m/b.mp3"));
    const QList<QUrl> unique = uniqueFileURLs(
        {a, b, QUrl::fromLocalFile(QStringLiteral("/m/a.mp3")), b, QUrl(), QUrl("file:")});
    ASSERT_EQ(unique.size(), 2);
    EXPECT_EQ(unique.at(0), a);
    EXPECT_EQ(unique.at(1), b);
}

} // namespace
