// The status block's texts for the worked examples, in Russian and English.
#include "shell/WorkspaceStatusSummary.h"

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
};

TEST_F(WorkspaceStatusSummaryTest, PlaylistShowsCountSelectionAndPlayingPosition)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::playlist;
    in.playlistCount = 130;
    in.visibleIDs = ids(130);
    in.selectionCount = 3;
    WorkspaceStatusSummary idle(in);
    EXPECT_EQ(idle.sidebarText().primary, "Плейлист: 130");
    EXPECT_EQ(idle.sidebarText().detail, "Выбрано: 3");
    EXPECT_EQ(idle.message(), "Плейлист: 130 · Выбрано: 3");
    EXPECT_FALSE(idle.showsPlayingDot());

    in.selectionCount = 0;
    in.isPlaying = true;
    in.currentID = in.visibleIDs[4];
    in.hasCurrentTrack = true;
    WorkspaceStatusSummary playing(in);
    EXPECT_EQ(playing.sidebarText().primary, "Плейлист: 5 из 130");
    EXPECT_FALSE(playing.sidebarText().detail);
    EXPECT_TRUE(playing.showsPlayingDot());

    in.isPlaying = false; // paused: no position, no dot
    WorkspaceStatusSummary paused(in);
    EXPECT_EQ(paused.sidebarText().primary, "Плейлист: 130");
    EXPECT_FALSE(paused.showsPlayingDot());
}

TEST_F(WorkspaceStatusSummaryTest, FavouritesCarryTheGenreFilter)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::favorites;
    in.favoriteCount = 12;
    in.favoriteGenreFilter = QStringLiteral("House");
    in.visibleIDs = ids(4);
    EXPECT_EQ(WorkspaceStatusSummary(in).sidebarText().primary, "Избранное: 12 · House");
    in.isPlaying = true;
    in.currentID = in.visibleIDs[1];
    EXPECT_EQ(WorkspaceStatusSummary(in).sidebarText().primary, "Избранное: 2 из 4 · House");
    in.currentID = QUuid::createUuid(); // filtered out of the visible list
    EXPECT_EQ(WorkspaceStatusSummary(in).sidebarText().primary, "Избранное: 12 · House");
}

TEST_F(WorkspaceStatusSummaryTest, CoversShowNoPositionButKeepTheDot)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::covers;
    in.coverCount = 0;
    in.isPlaying = true;
    in.hasCurrentTrack = true;
    in.currentID = QUuid::createUuid();
    in.visibleIDs = {*in.currentID};
    WorkspaceStatusSummary summary(in);
    EXPECT_EQ(summary.sidebarText().primary, "Обложки: 0");
    EXPECT_TRUE(summary.showsPlayingDot());
    EXPECT_FALSE(summary.activePlaybackPosition());
}

TEST_F(WorkspaceStatusSummaryTest, ConverterSplitsItsSummaryAndIgnoresTheSelection)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::converter;
    in.conversionCount = 4;
    in.conversionCompleted = 1;
    in.selectionCount = 2;
    const auto lines = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(lines.primary, "Конвертер: 4 в очереди");
    EXPECT_EQ(lines.detail, "Готово: 1");
    in = {};
    in.tab = Tab::converter;
    EXPECT_EQ(WorkspaceStatusSummary(in).message(), "Конвертер: 0 в очереди · Готово: 0");
}

TEST_F(WorkspaceStatusSummaryTest, DuplicatesCountGroupsAndDistinctFiles)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::duplicates;
    in.selectionCount = 1;
    auto lines = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(lines.primary, "Дубликаты: не найдены");
    EXPECT_EQ(lines.detail, "Выбрано: 1");

    const QList<QUuid> files = ids(3);
    in.duplicateGroups = {AudioDuplicateGroup{"a", {files[0], files[1]}, 0, {}},
                          AudioDuplicateGroup{"b", {files[1], files[2]}, 0, {}}};
    lines = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(lines.primary, "Дубликаты: 2 групп");
    EXPECT_EQ(lines.detail, "3 файлов");
}

TEST_F(WorkspaceStatusSummaryTest, AnalysisSplitsOffItsSelectionSuffix)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::analysis;
    in.analysisCount = 3;
    in.analysisTrackCount = 10;
    auto lines = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(lines.primary, "Анализ: 3 из 10 готово");
    EXPECT_FALSE(lines.detail);
    in.selectionCount = 2;
    lines = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(lines.detail, "Выбрано: 2");
}

TEST_F(WorkspaceStatusSummaryTest, TransientMessageWinsAndSplitsOnTheMiddleDot)
{
    WorkspaceStatusInputs in;
    in.tab = Tab::playlist;
    in.selectionCount = 5;
    in.transient = LibraryStore::WorkspaceStatus{QUuid::createUuid(),
                                                 "checkmark.circle",
                                                 "A · B · C",
                                                 LibraryStore::WorkspaceStatus::Tone::warning};
    WorkspaceStatusSummary summary(in);
    EXPECT_EQ(summary.sidebarText().primary, "A");
    EXPECT_EQ(summary.sidebarText().detail, "B · C");
    EXPECT_EQ(summary.icon(), "checkmark.circle");
    EXPECT_EQ(summary.tone(), LibraryStore::WorkspaceStatus::Tone::warning);
    in.transient->message = "Готово";
    EXPECT_FALSE(WorkspaceStatusSummary(in).sidebarText().detail); // no selection line
}

TEST_F(WorkspaceStatusSummaryTest, EnglishTextsComeFromTheTable)
{
    Defaults::standard().set("appLanguage", "en");
    WorkspaceStatusInputs in;
    in.tab = Tab::playlist;
    in.playlistCount = 7;
    in.selectionCount = 2;
    const auto lines = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(lines.primary, "Playlist: 7");
    EXPECT_EQ(lines.detail, "Selected: 2");
    in.tab = Tab::converter;
    in.conversionCount = 4;
    in.conversionCompleted = 1;
    const auto converter = WorkspaceStatusSummary(in).sidebarText();
    EXPECT_EQ(converter.primary, "Converter: 4 queued");
    EXPECT_EQ(converter.detail, "Done: 1");
}

} // namespace
} // namespace brivello
