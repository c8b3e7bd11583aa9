#include "workspaces/DuplicateFiles.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace brivello;

namespace {

struct Row
{
    const char *artist;
    const char *title;
    double duration;
};

struct ProbableCase
{
    const char *name;
    std::vector<Row> rows;
    std::vector<std::vector<int>> groups; // row indexes per group, in group order
};

TEST(DuplicateFilesTest, ProbableGroupsFromTagTables)
{
    const std::vector<ProbableCase> cases{
        {"same words, other case and accents",
         {{"Daft Punk", "Around the World", 200}, {"DAFT PUNK", "Around the Wörld!", 201.5}},
         {{0, 1}}},
        {"spread over three seconds drops the whole key",
         {{"A", "Long Title", 100}, {"A", "Long Title", 101}, {"A", "Long Title", 103.5}},
         {}},
        {"ordered by duration, shortest first",
         {{"A", "Title One", 102}, {"A", "Title One", 100}},
         {{1, 0}}},
        {"titles under five characters are left out", {{"A", "Tune", 100}, {"A", "Tune", 100}}, {}},
        {"without artist a title needs twelve characters",
         {{"", "Short Title", 100},
          {"", "Short Title", 100},
          {"", "Exactly Twelve", 50},
          {"", "exactly-twelve", 50}},
         {{2, 3}}},
        {"duration zero is left out", {{"A", "Some Title", 0}, {"A", "Some Title", 0}}, {}},
        {"larger groups first",
         {{"B", "Pair Title", 10},
          {"B", "Pair Title", 10},
          {"C", "Trio Title", 10},
          {"C", "Trio Title", 11},
          {"C", "Trio Title", 12}},
         {{2, 3, 4}, {0, 1}}},
    };
    for (const ProbableCase &testCase : cases) {
        QList<Track> tracks;
        for (const Row &row : testCase.rows) {
            Track track = Track::make(QUrl::fromLocalFile(QStringLiteral("/nonexistent/x.mp3")));
            track.tags.artist = QString::fromUtf8(row.artist);
            track.tags.title = QString::fromUtf8(row.title);
            track.duration = row.duration;
            tracks.append(track);
        }
        const QList<AudioDuplicateGroup> groups = DuplicateFiles::probableDuplicateGroups(tracks);
        ASSERT_EQ(groups.size(), static_cast<qsizetype>(testCase.groups.size())) << testCase.name;
        for (size_t g = 0; g < testCase.groups.size(); ++g) {
            QList<QUuid> expected;
            for (int index : testCase.groups[g])
                expected.append(tracks[index].id);
            EXPECT_EQ(groups[g].trackIDs, expected) << testCase.name;
            EXPECT_EQ(groups[g].matchKind, DuplicateMatchKind::probable);
            EXPECT_EQ(groups[g].byteCount, 0) << "unreadable sizes give 0";
        }
    }
}

TEST(DuplicateFilesTest, NormalisedText)
{
    EXPECT_EQ(DuplicateFiles::normalizedDuplicateText(QStringLiteral("Night  Drive-Mix (Édit)")),
              QStringLiteral("night drive mix edit"));
    EXPECT_EQ(DuplicateFiles::normalizedDuplicateText(QStringLiteral(" - — ")), QString());
    EXPECT_EQ(DuplicateFiles::normalizedDuplicateText(QStringLiteral("ＦＵＬＬ width")),
              QStringLiteral("full width"));
    EXPECT_EQ(DuplicateFiles::normalizedDuplicateText(QStringLiteral("Ёлка 2")),
              QStringLiteral("елка 2"));
}

TEST(DuplicateFilesTest, DigestOfFilesAcrossReadBoundaries)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.bin"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    const QByteArray content(DuplicateFiles::kReadSize * 2 + 17, 'k');
    out.write(content);
    out.close();
    std::atomic<qint64> read = 0;
    EXPECT_EQ(
        DuplicateFiles::sha256(QUrl::fromLocalFile(file), &read),
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(read.load(), content.size());
    EXPECT_FALSE(DuplicateFiles::sha256(QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone")))));
}

} // namespace
