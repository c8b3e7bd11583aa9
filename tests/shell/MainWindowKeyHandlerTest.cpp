#include "shell/MainWindowKeyHandler.h"

#include "audiofiles/MetadataWriteCoordinator.h"
#include "library/LibrarySections.h"
#include "library/LibrarySettingsKeys.h"
#include "library/LibraryStoreServices.h"
#include "library/TrackRemoval.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "playback/TrackNavigation.h"
#include "support/LibraryStoreFixture.h"
#include "support/RecordingAudioPlayer.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUndoStack>

using namespace brivello;
using namespace brivello::testing;

namespace {

using Tab = LibraryStore::LibraryTab;

// Four playlist files in two folders, a handler over them and every post it may make recorded.
class MainWindowKeyHandlerTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        QList<Track> tracks;
        for (const char *name : {"a/1.mp3", "a/2.mp3", "b/3.mp3", "b/4.mp3"}) {
            tracks.append(Track::make(touch(QString::fromLatin1(name), "audio")));
            tracks.last().isInPlaylist = true;
            ids.append(tracks.last().id);
        }
        store().setTracks(tracks);
        navigation = std::make_unique<TrackNavigation>(store(), player);
        handler = std::make_unique<MainWindowKeyHandler>(store(), player, *navigation);
        handler->undoStack = [this] { return &undoStack; };
        handler->runCleaner = [this] { ++cleaned; };
        for (const QString &name : {brivelloSelectAllConversionItems,
                                    brivelloNavigateConversionItems,
                                    brivelloNavigateDuplicateItems,
                                    brivelloRemoveConversionItems,
                                    brivelloShowGenrePalette,
                                    brivelloFocusFavoriteTrack}) {
            NotificationCenter::defaultCenter().observe(
                name, nullptr, &receiver, [this](const Notification &n) { posts.append(n); });
        }
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObservers(&receiver);
        handler.reset();
        navigation.reset();
        LibraryStoreFixture::TearDown();
    }
    bool press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return handler->handle(KeyStroke::fromEvent(QKeyEvent(QEvent::KeyPress, key, modifiers)));
    }
    void select(const QSet<QUuid> &selection, std::optional<QUuid> focus = std::nullopt)
    {
        store().setSelectedIDs(selection);
        store().setSelectedID(
            focus || selection.isEmpty() ? focus : std::optional<QUuid>(*selection.begin()));
    }
    bool exists(int index)
    {
        return QFileInfo::exists(store().tracks().value(index).url.toLocalFile());
    }
    void groupLastTwo()
    {
        {
            DuplicateSearchState search = store().duplicateSearch();
            search.groups = {{QStringLiteral("g"), {ids[2], ids[3]}, 5, DuplicateMatchKind::exact}};
            store().setDuplicateSearch(std::move(search));
        }
    }

    RecordingAudioPlayer player;
    std::unique_ptr<TrackNavigation> navigation;
    std::unique_ptr<MainWindowKeyHandler> handler;
    QUndoStack undoStack;
    QList<QUuid> ids;
    QObject receiver;
    QList<Notification> posts;
    int cleaned = 0;
};

TEST(MainWindowKeyHandlerFocusTest, TextControlsAndTheRecorderKeepTheirKeys)
{
    QLineEdit line;
    QComboBox combo;
    QSpinBox spin;
    QPlainTextEdit text;
    QWidget recorder;
    recorder.setProperty("brivelloCapturesKeys", true);
    QWidget inside(&recorder);
    QPushButton button;
    for (const QWidget *w :
         std::initializer_list<const QWidget *>{&line, &combo, &spin, &text, &recorder, &inside})
        EXPECT_TRUE(MainWindowKeyHandler::focusTakesKeys(w)) << w->metaObject()->className();
    EXPECT_FALSE(MainWindowKeyHandler::focusTakesKeys(&button));
    EXPECT_FALSE(MainWindowKeyHandler::focusTakesKeys(nullptr));

    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(18), 0);
    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(25), 8);
    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(29), -1); // the 0 key
}

// Which keys each section takes, and what it asks of its own list instead of the library.
TEST_F(MainWindowKeyHandlerTest, EachSectionTakesItsKeysAndPostsToItsOwnList)
{
    struct Case
    {
        Tab tab;
        int key;
        Qt::KeyboardModifiers modifiers;
        bool taken;
        QString post; // empty: none
        int offset = 0;
    };
    const QString none;
    const Case cases[] = {
        {Tab::playlist, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, false, none},
        {Tab::playlist, Qt::Key_G, Qt::NoModifier, false, none},
        {Tab::playlist, Qt::Key_1, Qt::NoModifier, false, none},
        {Tab::playlist, Qt::Key_B, Qt::NoModifier, false, none},
        {Tab::favorites, Qt::Key_3, Qt::NoModifier, false, none}, // an empty quick-genre slot
        {Tab::favorites, Qt::Key_1, Qt::ShiftModifier, false, none},
        {Tab::favorites, Qt::Key_G, Qt::NoModifier, true, brivelloShowGenrePalette},
        {Tab::converter, Qt::Key_A, Qt::ControlModifier, true, brivelloSelectAllConversionItems},
        {Tab::converter, Qt::Key_Backspace, Qt::NoModifier, true, brivelloRemoveConversionItems},
        {Tab::converter, Qt::Key_Up, Qt::NoModifier, true, brivelloNavigateConversionItems, -1},
        {Tab::duplicates, Qt::Key_Down, Qt::NoModifier, true, brivelloNavigateDuplicateItems, 1},
        // Clean is taken everywhere; the window's cleaner picks the section's own selection.
        {Tab::converter, Qt::Key_B, Qt::ControlModifier, true, none},
        {Tab::duplicates, Qt::Key_B, Qt::ControlModifier, true, none},
        // Trash and favourite never touch the library's selection from the converter.
        {Tab::converter, Qt::Key_Backspace, Qt::ControlModifier, true, none},
        {Tab::converter, Qt::Key_F, Qt::NoModifier, true, none},
    };
    Defaults::standard().set(kQuickGenreSlotsKey, QStringLiteral("House\nTechno\n\nPop"));
    store().setQuickGenreSlotsRaw(QStringLiteral("House\nTechno\n\nPop"));
    for (const Case &c : cases) {
        const int row = int(&c - cases);
        store().setActiveTab(c.tab);
        select(QSet<QUuid>(ids.cbegin(), ids.cend()));
        posts.clear();
        EXPECT_EQ(press(c.key, c.modifiers), c.taken) << row;
        ASSERT_EQ(posts.size(), c.post.isEmpty() ? 0 : 1) << row;
        if (!c.post.isEmpty()) {
            EXPECT_EQ(posts[0].name, c.post) << row;
            if (c.offset) {
                EXPECT_EQ(posts[0].userInfo.value(kUserInfoOffset).toInt(), c.offset) << row;
            }
        }
        EXPECT_EQ(store().selectedIDs().size(), 4) << row;
    }
    EXPECT_EQ(cleaned, 2); // the converter's and the duplicates' presses
    EXPECT_TRUE(player.played.isEmpty());
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(exists(i));
        EXPECT_FALSE(store().tracks().at(i).isFavorite);
    }
}

TEST_F(MainWindowKeyHandlerTest, CtrlASelectsTheVisibleListOrTheSectionsOwn)
{
    store().setIsEditingMetadata(true); // no key at all while a tag is edited
    EXPECT_FALSE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_FALSE(press(Qt::Key_Space));
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    store().setIsEditingMetadata(false);

    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(store().selectedIDs().size(), 4);
    EXPECT_EQ(store().selectedID(), store().sections().playlistTracks().first().id);
    store().setActiveTab(Tab::covers); // nothing there
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    EXPECT_EQ(store().selectedID(), std::nullopt);

    // In duplicates the files its cards list, never the library behind them nor the cards'
    // marks: these groups name no file of the search, so nothing.
    groupLastTwo();
    store().setActiveTab(Tab::duplicates);
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_TRUE(store().duplicateSearch().selectedTrackIDs.isEmpty());
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    EXPECT_EQ(store().selectedID(), std::nullopt);

    // With the grouped files among the search's: exactly those, still no card marked.
    store().setDuplicateTracks({store().tracks().at(2), store().tracks().at(3)});
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(store().selectedIDs(), (QSet<QUuid>{ids[2], ids[3]}));
    EXPECT_EQ(store().selectedID(), ids[2]);
    EXPECT_TRUE(store().duplicateSearch().selectedTrackIDs.isEmpty());
}

TEST_F(MainWindowKeyHandlerTest, FavouriteRemoveAndTrashActOnTheSelectionAndUndo)
{
    select({ids[0], ids[2]});
    EXPECT_TRUE(press(Qt::Key_F));
    EXPECT_TRUE(store().tracks().at(0).isFavorite);
    EXPECT_TRUE(store().tracks().at(2).isFavorite);
    EXPECT_FALSE(store().tracks().at(1).isFavorite);

    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_Backspace));
    EXPECT_EQ(store().sections().playlistTracks().size(), 3);
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(store().sections().playlistTracks().size(), 4);

    // In duplicates the Trash takes the cards' marks alone, as their buttons do: nothing
    // without marks, never the library's selection.
    const QList<Track> copies = {Track::make(touch(QStringLiteral("d/x.mp3"), "same")),
                                 Track::make(touch(QStringLiteral("d/y.mp3"), "same"))};
    store().setDuplicateTracks(copies);
    {
        DuplicateSearchState search = store().duplicateSearch();
        search.groups = {
            {QStringLiteral("g"), {copies[0].id, copies[1].id}, 4, DuplicateMatchKind::exact}};
        store().setDuplicateSearch(std::move(search));
    }
    store().setActiveTab(Tab::duplicates);
    select({ids[0], ids[2]});
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(exists(i));
    EXPECT_EQ(store().duplicateTracks().size(), 2);
    {
        DuplicateSearchState search = store().duplicateSearch();
        search.selectedTrackIDs = {copies[1].id, ids[0]}; // a file no card shows stays
        store().setDuplicateSearch(std::move(search));
    }
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier));
    EXPECT_FALSE(QFileInfo::exists(copies[1].url.toLocalFile()));
    EXPECT_TRUE(QFileInfo::exists(copies[0].url.toLocalFile()));
    EXPECT_EQ(store().duplicateTracks().size(), 1);
    EXPECT_EQ(store().tracks().size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(exists(i));
}

// The covers list shows only cover tracks; a selection from elsewhere never reaches the Trash.
TEST_F(MainWindowKeyHandlerTest, InCoversTheTrashTakesOnlyTheFilesTheListShows)
{
    QList<Track> tracks = store().tracks();
    tracks[0].isInCoverWorkspace = true;
    store().setTracks(tracks);
    store().setActiveTab(Tab::covers);
    select({ids[0], ids[1]}, ids[0]);
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier));
    EXPECT_FALSE(QFileInfo::exists(tracks[0].url.toLocalFile()));
    EXPECT_TRUE(QFileInfo::exists(tracks[1].url.toLocalFile()));
}

TEST_F(MainWindowKeyHandlerTest, ThePcDeleteKeyActsAsDeleteUnlessAHotkeyNamesIt)
{
    select({ids[0]});
    EXPECT_TRUE(press(Qt::Key_Delete));
    EXPECT_EQ(store().sections().playlistTracks().size(), 3);
    EXPECT_FALSE(press(Qt::Key_Delete, Qt::ShiftModifier));

    store().settings().setHotkey(kHotkeyFavoriteKey, QStringLiteral("ForwardDelete"));
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_Delete));
    EXPECT_EQ(store().sections().playlistTracks().size(), 3);
    const QList<Track> tracks = store().tracks();
    EXPECT_TRUE(std::any_of(tracks.cbegin(), tracks.cend(), [this](const Track &track) {
        return track.id == ids[1] && track.isFavorite;
    }));
    EXPECT_TRUE(press(Qt::Key_Backspace)); // "Delete" keeps its own key
    EXPECT_EQ(store().sections().playlistTracks().size(), 2);
}

TEST_F(MainWindowKeyHandlerTest, InFavouritesDigitsAssignGenresAndUndoTakesTheWindowsHistory)
{
    QList<Track> tracks = store().tracks();
    tracks[0].isFavorite = tracks[1].isFavorite = true;
    store().setTracks(tracks);
    store().setActiveTab(Tab::favorites);
    store().setQuickGenreSlotsRaw(QStringLiteral("House\nTechno"));
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_2));
    EXPECT_EQ(store().tracks().at(1).tags.genre, QStringLiteral("Techno"));
    EXPECT_TRUE(store().tracks().at(0).tags.genre.isEmpty());
    ASSERT_TRUE(undoStack.canUndo());
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_TRUE(store().tracks().at(1).tags.genre.isEmpty());
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier)); // empty history: the removal undo
}

// An older move to the Trash does not take Ctrl+Z from the favourites' own history once a later
// removal stands on top of it; a move to the Trash that is the latest removal does.
TEST_F(MainWindowKeyHandlerTest, InFavouritesOnlyTheLatestRemovalDecidesWhetherUndoRestoresAFile)
{
    const auto listed = [this](const QUuid &id) {
        const QList<Track> tracks = store().tracks();
        return std::any_of(
            tracks.cbegin(), tracks.cend(), [&id](const Track &track) { return track.id == id; });
    };
    const auto genreOf = [this](const QUuid &id) {
        for (const Track &track : store().tracks())
            if (track.id == id)
                return track.tags.genre;
        return QString();
    };
    select({ids[0]});
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier)); // to the Trash
    EXPECT_FALSE(exists(0) && listed(ids[0]));
    select({ids[3]});
    EXPECT_TRUE(press(Qt::Key_Backspace)); // out of the playlist
    ASSERT_FALSE(listed(ids[3]));
    EXPECT_FALSE(store().removal().canUndoPhysicalTrash());

    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_F));
    store().setActiveTab(Tab::favorites);
    store().setQuickGenreSlotsRaw(QStringLiteral("House\nTechno"));
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_1));
    ASSERT_EQ(genreOf(ids[1]), QStringLiteral("House"));
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_TRUE(genreOf(ids[1]).isEmpty());
    EXPECT_FALSE(listed(ids[3]));
    EXPECT_FALSE(listed(ids[0]));

    // Now the latest removal is a move to the Trash: it comes back before the window's history
    // (once the genre's rewrite of the file is done, which keeps the file out of the Trash).
    const QString genreFile = QStringLiteral("a/2.mp3");
    ASSERT_TRUE(spinUntil([this, &genreFile] {
        return !store().services().writeService().isLocked(
            MetadataWriteCoordinator::lockKey(url(genreFile)));
    }));
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier));
    ASSERT_FALSE(listed(ids[1]));
    EXPECT_TRUE(store().removal().canUndoPhysicalTrash());
    const qsizetype windowHistory = undoStack.index();
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_TRUE(listed(ids[1]));
    EXPECT_EQ(undoStack.index(), windowHistory);
}

TEST_F(MainWindowKeyHandlerTest, SeekPlayAndArrowsFollowTheSettingsOfEachPress)
{
    EXPECT_TRUE(press(Qt::Key_Left));
    EXPECT_TRUE(press(Qt::Key_Right));
    store().settings().setSeekStep(5);
    store().settings().setHotkey(kHotkeyPreviousTrackKey,
                                 QStringLiteral("←")); // the earlier action wins
    EXPECT_TRUE(press(Qt::Key_Left));
    EXPECT_EQ(player.seeks, (QList<double>{-15, 15, -5}));
    EXPECT_TRUE(player.played.isEmpty());

    EXPECT_TRUE(press(Qt::Key_Down));
    EXPECT_EQ(player.played, QList<QUuid>{store().sections().playlistTracks().first().id});
    EXPECT_TRUE(press(Qt::Key_Down));
    EXPECT_EQ(player.played.last(), store().sections().playlistTracks().at(1).id);

    select({ids[2]});
    EXPECT_TRUE(press(Qt::Key_Space));
    EXPECT_EQ(player.played.last(), ids[2]);
    store().settings().setHotkey(kHotkeyPlayPauseKey, QStringLiteral("P"));
    EXPECT_FALSE(press(Qt::Key_Space));
    EXPECT_TRUE(press(Qt::Key_P));
    EXPECT_EQ(player.played.size(), 4);
}

TEST_F(MainWindowKeyHandlerTest, LetterHotkeysWorkInACyrillicLayoutAndCleanNeedsCtrl)
{
    select({ids[0]});
    // The physical F key with a Russian layout types "А".
    const QKeyEvent event(
        QEvent::KeyPress, 0x0410, Qt::NoModifier, 33 + 8, 0, 0, QStringLiteral("а"));
    EXPECT_TRUE(handler->handle(KeyStroke::fromEvent(event)));
    EXPECT_TRUE(store().tracks().at(0).isFavorite);
    EXPECT_TRUE(press(Qt::Key_B, Qt::ControlModifier));
    EXPECT_EQ(cleaned, 1);
}

// The player's neighbours: the next track at the end of one, arrows and play/pause.
using TrackNavigationTest = MainWindowKeyHandlerTest;

TEST_F(TrackNavigationTest, NextAfterCompletionSelectsAndPlaysTheFollowingTrack)
{
    player.current = ids[1];
    select({ids[0], ids[3]}, ids[3]);
    navigation->playNextAfterCompletion();
    EXPECT_EQ(player.played, QList<QUuid>{ids[2]});
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[2]});
    EXPECT_EQ(store().selectedID(), ids[2]);
    EXPECT_TRUE(posts.isEmpty()); // the playlist follows the player by itself
}

TEST_F(TrackNavigationTest, TheEndOfTheListStopsAndLeavesTheSelection)
{
    select({ids[0]}, ids[0]);
    player.current = ids[3];
    navigation->playNextAfterCompletion();
    player.current = QUuid::createUuid(); // no longer in the list
    navigation->playNextAfterCompletion();
    player.current.reset();
    navigation->playNextAfterCompletion();
    EXPECT_TRUE(player.played.isEmpty());
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[0]});
}

TEST_F(TrackNavigationTest, InFavouritesTheNextTrackComesFromTheFilteredListAndIsFocused)
{
    QList<Track> tracks = store().tracks();
    for (int i : {0, 1, 3})
        tracks[i].isFavorite = true;
    tracks[0].tags.genre = tracks[3].tags.genre = QStringLiteral("House");
    store().setTracks(tracks);
    store().setActiveTab(LibraryStore::LibraryTab::favorites);
    store().setFavoriteGenreFilter(QStringLiteral("House"));
    player.current = ids[0];
    navigation->playNextAfterCompletion();
    EXPECT_EQ(player.played, QList<QUuid>{ids[3]});
    ASSERT_EQ(posts.size(), 1);
    EXPECT_EQ(posts[0].userInfo.value(kUserInfoTrackID).toUuid(), ids[3]);
}

TEST_F(TrackNavigationTest, AdjacentStepsClampAndStartFromTheEnds)
{
    navigation->selectAdjacent(+1);
    EXPECT_EQ(player.played.last(), ids[0]);
    store().setSelectedID(std::nullopt);
    store().setSelectedIDs({});
    player.current.reset();
    navigation->selectAdjacent(-1);
    EXPECT_EQ(player.played.last(), ids[3]);

    select({ids[0]}, ids[0]);
    navigation->selectAdjacent(-1); // the first stays first and goes to the player again
    EXPECT_EQ(player.played.last(), ids[0]);
    EXPECT_EQ(store().selectedID(), ids[0]);

    // Without a focus the playing track is the anchor.
    store().setSelectedIDs({});
    store().setSelectedID(std::nullopt);
    player.current = ids[1];
    navigation->selectAdjacent(+1);
    EXPECT_EQ(player.played.last(), ids[2]);
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[2]});
}

TEST_F(TrackNavigationTest, PlayPauseUsesTheFocusThenTheCurrentTrack)
{
    select({ids[2]}, ids[2]);
    navigation->toggleSelectedTrack();
    EXPECT_EQ(player.played, QList<QUuid>{ids[2]});

    select({}, std::nullopt);
    navigation->toggleSelectedTrack(); // the current track is in the library
    EXPECT_EQ(player.played.last(), ids[2]);

    Track outside = Track::make(QUrl::fromLocalFile(QStringLiteral("/elsewhere.mp3")));
    player.loaded = outside;
    player.current = outside.id;
    navigation->toggleSelectedTrack();
    EXPECT_EQ(player.toggles, 1);

    player.loaded.reset();
    player.current.reset();
    navigation->toggleSelectedTrack();
    EXPECT_EQ(player.toggles, 1);
    EXPECT_EQ(player.played.size(), 2);
}

} // namespace
