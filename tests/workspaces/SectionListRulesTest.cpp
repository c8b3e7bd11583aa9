#include "workspaces/SectionListRules.h"

#include "workspaces/ByteCountText.h"

#include <gtest/gtest.h>

namespace brivello {
namespace {

using Rules = SectionListRules;
using Sel = SectionListRules::Selection;

QList<QUuid> makeIDs(int count)
{
    QList<QUuid> ids;
    for (int i = 0; i < count; ++i)
        ids.append(QUuid::createUuid());
    return ids;
}

QSet<QUuid> rows(const QList<QUuid> &ids, int from, int to)
{
    QSet<QUuid> result;
    for (int i = from; i <= to; ++i)
        result.insert(ids.at(i));
    return result;
}

struct ClickCase
{
    const char *name;
    std::vector<int> selected;
    int anchor; // -1: none, 99: an id outside the list
    int clicked;
    Rules::Modifiers modifiers;
    std::vector<int> coverIDs;
    int coverAnchor; // -1: none
    std::vector<int> converterIDs;
    int converterFocus;
};

TEST(SectionListRulesTest, ClickRulesOfCoversAndConverter)
{
    const QList<QUuid> list = makeIDs(8);
    const QUuid outside = QUuid::createUuid();
    const auto id = [&](int i) -> std::optional<QUuid> {
        if (i < 0)
            return std::nullopt;
        return i == 99 ? outside : list.at(i);
    };
    const auto set = [&](const std::vector<int> &indexes) {
        QSet<QUuid> ids;
        for (int i : indexes)
            ids.insert(list.at(i));
        return ids;
    };
    const ClickCase cases[] = {
        {"plain", {1, 2}, 1, 4, {}, {4}, 4, {4}, 4},
        {"shift up from anchor", {5}, 5, 2, {true, false}, {2, 3, 4, 5}, 2, {2, 3, 4, 5}, 5},
        {"shift on anchor", {1, 5}, 5, 5, {true, false}, {5}, 5, {5}, 5},
        {"shift without anchor", {1}, -1, 3, {true, false}, {3}, 3, {3}, 3},
        {"shift with outside anchor", {1}, 99, 3, {true, false}, {3}, 3, {3}, 3},
        {"shift+command without anchor", {1}, -1, 3, {true, true}, {1, 3}, 3, {1, 3}, 3},
        {"command adds", {1}, 1, 6, {false, true}, {1, 6}, 6, {1, 6}, 6},
        {"command removes only", {6}, 6, 6, {false, true}, {}, -1, {}, 6},
    };
    for (const ClickCase &c : cases) {
        SCOPED_TRACE(c.name);
        const Sel current{set(c.selected), id(c.anchor)};
        const Sel cover = Rules::coverClick(list, current, list.at(c.clicked), c.modifiers);
        EXPECT_EQ(cover.ids, set(c.coverIDs));
        EXPECT_EQ(cover.anchor, id(c.coverAnchor));
        const Sel converter = Rules::converterClick(list, current, list.at(c.clicked), c.modifiers);
        EXPECT_EQ(converter.ids, set(c.converterIDs));
        EXPECT_EQ(converter.anchor, id(c.converterFocus));
    }
}

TEST(SectionListRulesTest, CoverShiftRangesRunFromTheMovedAnchor)
{
    const QList<QUuid> list = makeIDs(8);
    Sel sel{{list.at(5)}, list.at(5)};
    sel = Rules::coverClick(list, sel, list.at(2), {true, false});
    sel = Rules::coverClick(list, sel, list.at(7), {true, false});
    EXPECT_EQ(sel.ids, rows(list, 2, 7));
    // The converter keeps its focus: the second range still starts at row 5.
    Sel conv{{list.at(5)}, list.at(5)};
    conv = Rules::converterClick(list, conv, list.at(2), {true, false});
    conv = Rules::converterClick(list, conv, list.at(7), {true, false});
    EXPECT_EQ(conv.ids, rows(list, 5, 7));
}

TEST(SectionListRulesTest, RepairPruneAndDuplicateClick)
{
    const QList<QUuid> l = makeIDs(4);
    EXPECT_EQ(Rules::coverAnchorRepair({}, l[0]),
              std::optional<std::optional<QUuid>>(std::optional<QUuid>()));
    EXPECT_EQ(Rules::coverAnchorRepair({l[2]}, l[0]), std::optional<std::optional<QUuid>>(l[2]));
    EXPECT_FALSE(Rules::coverAnchorRepair({l[1], l[2]}, l[1]).has_value());
    EXPECT_FALSE(Rules::coverAnchorRepair({l[1], l[2]}, std::nullopt).has_value());
    const auto moved = Rules::coverAnchorRepair({l[1], l[2]}, l[0]);
    ASSERT_TRUE(moved && *moved);
    EXPECT_TRUE(**moved == l[1] || **moved == l[2]);

    const Sel pruned = Rules::prune({{l[0], l[1], l[3]}, l[3]}, {l[0], l[1], l[2]});
    EXPECT_EQ(pruned.ids, (QSet<QUuid>{l[0], l[1]}));
    EXPECT_TRUE(pruned.anchor && pruned.ids.contains(*pruned.anchor));
    EXPECT_EQ(Rules::prune({{l[3]}, l[3]}, {l[0]}), (Sel{{}, std::nullopt}));
    EXPECT_EQ(Rules::prune({{l[3]}, l[0]}, {l[0]}).anchor, l[0]);
    EXPECT_EQ(Rules::duplicateClick(l[2]), (Sel{{l[2]}, l[2]}));
}

TEST(SectionListRulesTest, MoveTargetsClampAndStartFromTheEnds)
{
    const QList<QUuid> l = makeIDs(4);
    const QUuid gone = QUuid::createUuid();
    struct Case
    {
        std::optional<QUuid> focus;
        QSet<QUuid> selected;
        int offset;
        std::optional<int> converter;
        std::optional<int> duplicates;
    };
    const Case cases[] = {
        {std::nullopt, {}, 1, 0, 0},
        {std::nullopt, {}, -1, 3, 3},
        {gone, {}, 1, 0, 0},
        {l[3], {}, 1, 3, 3},
        {l[0], {}, -1, 0, 0},
        {l[1], {}, 1, 2, 2},
        {std::nullopt, {l[2]}, 1, 3, 0}, // the converter falls back to the selection
        {l[1], {}, 0, std::nullopt, 1},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Rules::converterMoveTarget(l, {c.selected, c.focus}, c.offset), c.converter);
        EXPECT_EQ(Rules::duplicateMoveTarget(l, c.focus, c.offset), c.duplicates);
    }
    EXPECT_FALSE(Rules::converterMoveTarget({}, {}, 1));
    EXPECT_FALSE(Rules::duplicateMoveTarget({}, std::nullopt, 1));
}

TEST(SectionListRulesTest, TheEndOfTheListEndsPlayback)
{
    const QList<QUuid> l = makeIDs(3);
    EXPECT_EQ(Rules::nextAfterFinish(l, 2, l[1]), 2);
    EXPECT_EQ(Rules::nextAfterFinish(l, 2, l[2]), std::nullopt);
    EXPECT_EQ(Rules::nextAfterFinish(l, std::nullopt, l[2]), std::nullopt);
    EXPECT_EQ(Rules::nextAfterFinish(l, 0, std::nullopt), 0);
}

TEST(SectionListRulesTest, EnabledRules)
{
    ConversionItem waiting{QUuid::createUuid(), QUrl::fromLocalFile("/a.flac"), {}, {}};
    ConversionItem done = waiting;
    done.status.kind = ConversionItem::Status::completed;
    const ConversionItem failed{QUuid::createUuid(), {}, ConversionItem::Status::failure("x"), {}};
    EXPECT_FALSE(Rules::canConvert({}));
    EXPECT_FALSE(Rules::canConvert({done, failed}));
    EXPECT_TRUE(Rules::canConvert({done, failed, waiting}));
    EXPECT_FALSE(Rules::canFindDuplicates(1, false));
    EXPECT_TRUE(Rules::canFindDuplicates(2, false));
    EXPECT_FALSE(Rules::canFindDuplicates(2, true));
    EXPECT_FALSE(Rules::canClearDuplicates(0, 0));
    EXPECT_TRUE(Rules::canClearDuplicates(0, 1));
    EXPECT_TRUE(Rules::canClearDuplicates(3, 0));
    const QList<QUuid> l = makeIDs(3);
    EXPECT_EQ(Rules::firstOccurrences({l[0], l[1], l[0], l[2], l[1]}),
              (QList<QUuid>{l[0], l[1], l[2]}));
}

TEST(ByteCountTextTest, DecimalUnitsInBothLanguages)
{
    struct Case
    {
        qint64 bytes;
        const char *english;
        const char *russian;
    };
    const Case cases[] = {
        {0, "Zero KB", "0 КБ"},
        {1, "1 byte", "1 байт"},
        {999, "999 bytes", "999 байт"},
        {1000, "1 KB", "1 КБ"},
        {1499, "1 KB", "1 КБ"},
        {999499, "999 KB", "999 КБ"},
        {999500, "1 MB", "1 МБ"},
        {5300000, "5.3 MB", "5,3 МБ"},
        {5000000, "5 MB", "5 МБ"},
        {1234567890, "1.23 GB", "1,23 ГБ"},
        {1500000000, "1.5 GB", "1,5 ГБ"},
        {2000000000000, "2 TB", "2 ТБ"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ByteCountText::fileStyle(c.bytes, AppLanguage::english),
                  QString::fromUtf8(c.english));
        EXPECT_EQ(ByteCountText::fileStyle(c.bytes, AppLanguage::russian),
                  QString::fromUtf8(c.russian));
    }
}

// ffmpeg's output begins with its banner; the error is named last, Windows line ends too.
TEST(SectionListRulesFailureTest, TheRowShowsTheLastLineThatIsNotBlank)
{
    EXPECT_EQ(SectionListRules::failureLine(QStringLiteral(
                  "ffmpeg version 5.1.6-0+deb12u1\n  built with gcc 12\n"
                  "/music/a.flac: Invalid data found when processing input\n\n   \n")),
              QStringLiteral("/music/a.flac: Invalid data found when processing input"));
    EXPECT_EQ(SectionListRules::failureLine(QStringLiteral("first\r\nsecond  \r\n")),
              QStringLiteral("second"));
    EXPECT_EQ(
        SectionListRules::failureLine(QStringLiteral("Не удалось конвертировать файл в MP3.")),
        QStringLiteral("Не удалось конвертировать файл в MP3."));
    EXPECT_EQ(SectionListRules::failureLine(QStringLiteral(" \n ")), QString());
}

} // namespace
} // namespace brivello
