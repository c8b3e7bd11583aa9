#include "library/PlaylistSelection.h"

#include <gtest/gtest.h>

using namespace brivello;

namespace {

using State = PlaylistSelection::State;

class PlaylistSelectionTest : public ::testing::Test
{
protected:
    PlaylistSelectionTest()
    {
        for (int i = 0; i < 5; ++i)
            rows.append(QUuid::createUuid());
    }
    QUuid id(char row) const { return rows.at(row - 'a'); }
    QSet<QUuid> ids(const char *letters) const
    {
        QSet<QUuid> set;
        for (const char *c = letters; *c; ++c)
            set.insert(id(*c));
        return set;
    }
    State state(const char *letters, char focus = 0) const
    {
        return State{ids(letters), focus ? std::optional<QUuid>(id(focus)) : std::nullopt};
    }
    QList<QUuid> rows;
};

struct ClickCase
{
    const char *name;
    const char *selected;
    char focus;
    char clicked;
    bool shift;
    bool command;
    const char *expected;
    char expectedFocus;
};

TEST_F(PlaylistSelectionTest, ClicksFollowTheSelectionTable)
{
    const ClickCase cases[] = {
        {"plain click replaces", "abc", 'a', 'd', false, false, "d", 'd'},
        {"plain click on selected row", "abc", 'a', 'b', false, false, "b", 'b'},
        {"ctrl adds", "a", 'a', 'c', false, true, "ac", 'c'},
        {"ctrl removes", "ac", 'c', 'a', false, true, "c", 'c'},
        {"ctrl removes the focus", "abc", 'b', 'b', false, true, "ac", 'a'},
        {"ctrl on the only row empties", "b", 'b', 'b', false, true, "", 0},
        {"shift below anchor", "b", 'b', 'd', true, false, "bcd", 'd'},
        {"shift above anchor", "d", 'd', 'b', true, false, "bcd", 'b'},
        {"shift drops selection outside", "ae", 'c', 'd', true, false, "cd", 'd'},
        {"shift with ctrl still ranges", "ae", 'c', 'd', true, true, "cd", 'd'},
        {"shift on the anchor", "abc", 'b', 'b', true, false, "b", 'b'},
        {"shift without focus is a click", "ac", 0, 'e', true, false, "e", 'e'},
        {"shift+ctrl without focus toggles", "ac", 0, 'e', true, true, "ace", 'e'},
    };
    for (const ClickCase &c : cases) {
        const State result = PlaylistSelection::click(
            rows, state(c.selected, c.focus), id(c.clicked), c.shift, c.command);
        EXPECT_EQ(result, state(c.expected, c.expectedFocus)) << c.name;
    }
}

TEST_F(PlaylistSelectionTest, ShiftRangesFromTheFocusShownOrActsLikeAClick)
{
    const QUuid hidden = QUuid::createUuid();
    const State result =
        PlaylistSelection::click(rows, State{{hidden}, hidden}, id('c'), true, false);
    EXPECT_EQ(result, state("c", 'c'));

    // After ctrl removed the focus, shift ranges from the new focus.
    State s = PlaylistSelection::click(rows, state("bd", 'd'), id('d'), false, true);
    EXPECT_EQ(s, state("b", 'b'));
    s = PlaylistSelection::click(rows, s, id('e'), true, false);
    EXPECT_EQ(s, state("bcde", 'e'));
    s = PlaylistSelection::click(rows, s, id('a'), true, false);
    EXPECT_EQ(s, state("abcde", 'a'));
}

TEST_F(PlaylistSelectionTest, UpkeepKeepsTheFocusInsideTheSelection)
{
    EXPECT_EQ(PlaylistSelection::upkeep(rows, state("c", 'a')), state("c", 'c'));
    EXPECT_EQ(PlaylistSelection::upkeep(rows, state("c")), state("c", 'c'));
    EXPECT_EQ(PlaylistSelection::upkeep(rows, state("", 'a')), state(""));
    EXPECT_EQ(PlaylistSelection::upkeep(rows, state("bd", 'd')), state("bd", 'd'));
    EXPECT_EQ(PlaylistSelection::upkeep(rows, state("bd")), state("bd"));
    EXPECT_EQ(PlaylistSelection::upkeep(rows, state("bd", 'a')), state("bd", 'b'));
}

TEST_F(PlaylistSelectionTest, AdjacentStepsClampAndNextEndsAtTheLast)
{
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, id('c'), +1), 3);
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, id('c'), -1), 1);
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, id('a'), -1), 0);
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, id('e'), +1), 4);
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, std::nullopt, +1), 0);
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, std::nullopt, -1), 4);
    EXPECT_EQ(PlaylistSelection::adjacentIndex(rows, QUuid::createUuid(), -1), 4);
    EXPECT_EQ(PlaylistSelection::adjacentIndex({}, id('a'), +1), std::nullopt);
    EXPECT_EQ(PlaylistSelection::nextIndex(rows, id('b')), 2);
    EXPECT_EQ(PlaylistSelection::nextIndex(rows, id('e')), std::nullopt);
    EXPECT_EQ(PlaylistSelection::nextIndex(rows, QUuid::createUuid()), std::nullopt);
    EXPECT_EQ(PlaylistSelection::nextIndex(rows, std::nullopt), std::nullopt);
}

} // namespace
