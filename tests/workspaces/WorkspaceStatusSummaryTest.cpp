// The status block's texts for the worked examples, in Russian and English.
#include "workspaces/WorkspaceStatusSummary.h"

#include "platform/Defaults.h"

#include <gtest/gtest.h>

namespace brivello {
namespace {

using Tab = LibraryStore::LibraryTab;

QList<QUuid> ids(int count)
{
    QList<QUuid> result;
    for (int i = 0; i < count; ++i)
        result.append(QUuid::createUuid());
    return result;
}

class WorkspaceStatusSummaryTest : public ::testing::Test
{
protected:
    void SetUp() override { Defaults::standard().resetForTesting(); }
    void TearDown() override { Defaults::standard().resetForTesting(); }
    static WorkspaceStatusInputs inputs(Tab tab, int selection = 0)
    {
        WorkspaceStatusInputs in;
        in.tab = tab;
        in.selectionCount = selection;
        return in;
    }
    // primary, then detail; an empty detail means none.
    static void
    expectLines(const WorkspaceStatusInputs &in, const char *primary, const char *detail)
    {
        const auto lines = WorkspaceStatusSummary(in).sidebarText();
        EXPECT_EQ(lines.primary, QString::fromUtf8(primary));
        EXPECT_EQ(lines.detail.value_or(QString()), QString::fromUtf8(detail));
    }
};

TEST_F(WorkspaceStatusSummaryTest, PlaylistShowsCountSelectionAndPlayingPosition)
{
    WorkspaceStatusInputs in = inputs(Tab::playlist, 3);
    in.playlistCount = 130;
    in.visibleIDs = ids(130);
    expectLines(in, "Плейлист: 130", "Выбрано: 3");
    EXPECT_EQ(WorkspaceStatusSummary(in).message(), "Плейлист: 130 · Выбрано: 3");
    EXPECT_FALSE(WorkspaceStatusSummary(in).showsPlayingDot());

    in.selectionCount = 0;
    in.isPlaying = true;
    in.currentID = in.visibleIDs[4];
    in.hasCurrentTrack = true;
    expectLines(in, "Плейлист: 5 из 130", "");
    EXPECT_TRUE(WorkspaceStatusSummary(in).showsPlayingDot());
    in.isPlaying = false; // paused: no position, no dot
    expectLines(in, "Плейлист: 130", "");
    EXPECT_FALSE(WorkspaceStatusSummary(in).showsPlayingDot());
}

TEST_F(WorkspaceStatusSummaryTest, FavouritesAndCoversPlaceThePlayingTrack)
{
    WorkspaceStatusInputs in = inputs(Tab::favorites);
    in.favoriteCount = 12;
    in.favoriteGenreFilter = QStringLiteral("House");
    in.visibleIDs = ids(4);
    expectLines(in, "Избранное: 12 · House", "");
    in.isPlaying = true;
    in.currentID = in.visibleIDs[1];
    expectLines(in, "Избранное: 2 из 4 · House", "");
    in.currentID = QUuid::createUuid(); // filtered out of the visible list
    expectLines(in, "Избранное: 12 · House", "");

    WorkspaceStatusInputs covers = inputs(Tab::covers);
    covers.isPlaying = covers.hasCurrentTrack = true;
    covers.currentID = QUuid::createUuid();
    covers.visibleIDs = {*covers.currentID};
    expectLines(covers, "Обложки: 0", "");
    EXPECT_TRUE(WorkspaceStatusSummary(covers).showsPlayingDot());
    EXPECT_FALSE(WorkspaceStatusSummary(covers).activePlaybackPosition());
}

TEST_F(WorkspaceStatusSummaryTest, ConverterDuplicatesAndAnalysisSplitTheirSummaries)
{
    WorkspaceStatusInputs converter = inputs(Tab::converter, 2); // its selection is not shown
    converter.conversionCount = 4;
    converter.conversionCompleted = 1;
    expectLines(converter, "Конвертер: 4 в очереди", "Готово: 1");
    EXPECT_EQ(WorkspaceStatusSummary(inputs(Tab::converter)).message(),
              "Конвертер: 0 в очереди · Готово: 0");

    WorkspaceStatusInputs duplicates = inputs(Tab::duplicates, 1);
    expectLines(duplicates, "Дубликаты: не найдены", "Выбрано: 1");
    const QList<QUuid> files = ids(3);
    duplicates.duplicateGroups = {AudioDuplicateGroup{"a", {files[0], files[1]}, 0, {}},
                                  AudioDuplicateGroup{"b", {files[1], files[2]}, 0, {}}};
    expectLines(duplicates, "Дубликаты: 2 групп", "3 файлов");

    WorkspaceStatusInputs analysis = inputs(Tab::analysis);
    analysis.analysisCount = 3;
    analysis.analysisTrackCount = 10;
    expectLines(analysis, "Анализ: 3 из 10 готово", "");
    analysis.selectionCount = 2;
    expectLines(analysis, "Анализ: 3 из 10 готово", "Выбрано: 2");
}

TEST_F(WorkspaceStatusSummaryTest, TransientMessageWinsAndSplitsOnTheMiddleDot)
{
    WorkspaceStatusInputs in = inputs(Tab::playlist, 5);
    in.transient = LibraryStore::WorkspaceStatus{QUuid::createUuid(),
                                                 "checkmark.circle",
                                                 "A · B · C",
                                                 LibraryStore::WorkspaceStatus::Tone::warning};
    expectLines(in, "A", "B · C");
    EXPECT_EQ(WorkspaceStatusSummary(in).icon(), "checkmark.circle");
    EXPECT_EQ(WorkspaceStatusSummary(in).tone(), LibraryStore::WorkspaceStatus::Tone::warning);
    in.transient->message = "Готово";
    expectLines(in, "Готово", ""); // no selection line
}

} // namespace
} // namespace brivello
