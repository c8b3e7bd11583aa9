#include "shell/MainWindowKeyHandler.h"

#include "library/LibrarySettingsKeys.h"
#include "platform/Defaults.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "shell/TrackNavigation.h"
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

class MainWindowKeyHandlerTest : public LibraryStoreFixture
{
protected:
    void SetUp() override
    {
        LibraryStoreFixture::SetUp();
        makeStore();
        QList<Track> tracks;
        for (const char *name : {"a/1.mp3", "a/2.mp3", "b/3.mp3", "b/4.mp3"}) {
            Track t = Track::make(touch(QString::fromLatin1(name), "audio"));
            t.isInPlaylist = true;
            tracks.append(t);
        }
        store().setTracks(tracks);
        for (const Track &t : tracks)
            ids.append(t.id);
        navigation = std::make_unique<TrackNavigation>(store(), player);
        handler = std::make_unique<MainWindowKeyHandler>(store(), player, *navigation);
        handler->undoStack = [this] { return &undoStack; };
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
    void select(const QSet<QUuid> &selection)
    {
        store().setSelectedIDs(selection);
        store().setSelectedID(selection.isEmpty() ? std::nullopt
                                                  : std::optional<QUuid>(*selection.begin()));
    }
    bool exists(int index)
    {
        return QFileInfo::exists(store().tracks().value(index).url.toLocalFile());
    }
    QStringList postNames() const
    {
        QStringList names;
        for (const Notification &n : posts)
            names.append(n.name);
        return names;
    }

    RecordingAudioPlayer player;
    std::unique_ptr<TrackNavigation> navigation;
    std::unique_ptr<MainWindowKeyHandler> handler;
    QUndoStack undoStack;
    QList<QUuid> ids;
    QObject receiver;
    QList<Notification> posts;
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
    for (const QWidget *w : {static_cast<QWidget *>(&line),
                             static_cast<QWidget *>(&combo),
                             static_cast<QWidget *>(&spin),
                             static_cast<QWidget *>(&text),
                             &recorder,
                             &inside})
        EXPECT_TRUE(MainWindowKeyHandler::focusTakesKeys(w)) << w->metaObject()->className();
    EXPECT_FALSE(MainWindowKeyHandler::focusTakesKeys(&button));
    EXPECT_FALSE(MainWindowKeyHandler::focusTakesKeys(nullptr));

    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(18), 0);
    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(23), 4);
    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(25), 8);
    EXPECT_EQ(MainWindowKeyHandler::quickGenreSlot(29), -1); // the 0 key
}

TEST_F(MainWindowKeyHandlerTest, NoKeyIsTakenWhileATagIsEdited)
{
    store().setIsEditingMetadata(true);
    EXPECT_FALSE(press(Qt::Key_Space));
    EXPECT_FALSE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_TRUE(player.played.isEmpty());
    EXPECT_TRUE(store().selectedIDs().isEmpty());
}

TEST_F(MainWindowKeyHandlerTest, CtrlASelectsTheVisibleListAndClearsOnAnEmptyOne)
{
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(store().selectedIDs().size(), 4);
    EXPECT_EQ(store().selectedID(), store().playlistTracks().first().id);
    EXPECT_FALSE(press(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier));

    store().setActiveTab(Tab::covers); // nothing there
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_TRUE(store().selectedIDs().isEmpty());
    EXPECT_EQ(store().selectedID(), std::nullopt);
}

TEST_F(MainWindowKeyHandlerTest, CtrlAInTheConverterAndDuplicatesNeverSelectsTheLibrary)
{
    select({ids[1]});
    store().setActiveTab(Tab::converter);
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(postNames(), QStringList{brivelloSelectAllConversionItems});
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[1]});

    store().setDuplicateGroups(
        {{QStringLiteral("g"), {ids[2], ids[3]}, 5, DuplicateMatchKind::exact}});
    store().setActiveTab(Tab::duplicates);
    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_A, Qt::ControlModifier));
    EXPECT_EQ(store().duplicateSelectedTrackIDs(), (QSet<QUuid>{ids[2], ids[3]}));
    EXPECT_EQ(store().selectedIDs(), QSet<QUuid>{ids[1]});
}

TEST_F(MainWindowKeyHandlerTest, TrashActsOnlyOnTheSectionsOwnSelection)
{
    select(QSet<QUuid>(ids.cbegin(), ids.cend())); // the store's selection: every file
    store().setActiveTab(Tab::converter);
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier));
    EXPECT_TRUE(press(Qt::Key_F));
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(exists(i));
        EXPECT_FALSE(store().tracks().at(i).isFavorite);
    }

    store().setDuplicateGroups(
        {{QStringLiteral("g"), {ids[2], ids[3]}, 5, DuplicateMatchKind::exact}});
    store().setActiveTab(Tab::duplicates);
    store().setDuplicateSelectedTrackIDs({ids[3]});
    const QString trashed = store().tracks().at(3).url.toLocalFile();
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ControlModifier));
    EXPECT_FALSE(QFileInfo::exists(trashed));
    EXPECT_EQ(store().tracks().size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(exists(i));

    // The Trash is undone first, in any section.
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_TRUE(QFileInfo::exists(trashed));
    EXPECT_EQ(store().tracks().size(), 4);
}

TEST_F(MainWindowKeyHandlerTest, FavouriteAndRemoveActOnTheSelection)
{
    select({ids[0], ids[2]});
    EXPECT_TRUE(press(Qt::Key_F));
    EXPECT_TRUE(store().tracks().at(0).isFavorite);
    EXPECT_TRUE(store().tracks().at(2).isFavorite);
    EXPECT_FALSE(store().tracks().at(1).isFavorite);

    select({ids[1]});
    EXPECT_TRUE(press(Qt::Key_Backspace));
    EXPECT_EQ(store().playlistTracks().size(), 3);
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(store().playlistTracks().size(), 4);

    // In the converter Delete removes the queue's own selection.
    store().setActiveTab(Tab::converter);
    EXPECT_TRUE(press(Qt::Key_Backspace));
    EXPECT_EQ(postNames(), QStringList{brivelloRemoveConversionItems});
    EXPECT_EQ(store().playlistTracks().size(), 4);
}

TEST_F(MainWindowKeyHandlerTest, InFavouritesUndoTakesTheWindowsHistoryFirst)
{
    store().setActiveTab(Tab::favorites);
    int undone = 0;
    struct Edit : QUndoCommand
    {
        int *count;
        explicit Edit(int *c)
            : count(c)
        {}
        void undo() override { ++*count; }
    };
    undoStack.push(new Edit(&undone));
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(undone, 1);
    EXPECT_TRUE(press(Qt::Key_Z, Qt::ControlModifier)); // empty history: the removal undo
    EXPECT_EQ(undone, 1);
}

TEST_F(MainWindowKeyHandlerTest, SeekAndPlayFollowTheSettingsOfEachPress)
{
    EXPECT_TRUE(press(Qt::Key_Left));
    EXPECT_TRUE(press(Qt::Key_Right));
    store().setSeekStep(5);
    EXPECT_TRUE(press(Qt::Key_Left));
    EXPECT_EQ(player.seeks, (QList<double>{-15, 15, -5}));

    select({ids[2]});
    EXPECT_TRUE(press(Qt::Key_Space));
    EXPECT_EQ(player.played, QList<QUuid>{ids[2]});

    store().setHotkey(kHotkeyPlayPauseKey, QStringLiteral("P"));
    EXPECT_FALSE(press(Qt::Key_Space));
    EXPECT_TRUE(press(Qt::Key_P));
    EXPECT_EQ(player.played.size(), 2);
}

TEST_F(MainWindowKeyHandlerTest, TheEarlierActionWinsASharedShortcut)
{
    store().setHotkey(kHotkeyPreviousTrackKey, QStringLiteral("←"));
    EXPECT_TRUE(press(Qt::Key_Left));
    EXPECT_EQ(player.seeks.size(), 1);
    EXPECT_TRUE(player.played.isEmpty());
}

TEST_F(MainWindowKeyHandlerTest, ArrowsStepThroughTheListOrPostInTheirOwnSections)
{
    EXPECT_TRUE(press(Qt::Key_Down));
    EXPECT_EQ(player.played, QList<QUuid>{store().playlistTracks().first().id});
    EXPECT_TRUE(press(Qt::Key_Down));
    EXPECT_EQ(player.played.last(), store().playlistTracks().at(1).id);

    store().setActiveTab(Tab::converter);
    EXPECT_TRUE(press(Qt::Key_Up));
    store().setActiveTab(Tab::duplicates);
    EXPECT_TRUE(press(Qt::Key_Down));
    ASSERT_EQ(posts.size(), 2);
    EXPECT_EQ(posts[0].name, brivelloNavigateConversionItems);
    EXPECT_EQ(posts[0].userInfo.value(kUserInfoOffset).toInt(), -1);
    EXPECT_EQ(posts[1].name, brivelloNavigateDuplicateItems);
    EXPECT_EQ(posts[1].userInfo.value(kUserInfoOffset).toInt(), 1);
    EXPECT_EQ(player.played.size(), 2);
}

TEST_F(MainWindowKeyHandlerTest, DigitsWithEmptySlotsOrModifiersGoOn)
{
    store().setActiveTab(Tab::favorites);
    Defaults::standard().set(kQuickGenreSlotsKey, QStringLiteral("House\nTechno\n\nPop"));
    store().setQuickGenreSlotsRaw(QStringLiteral("House\nTechno\n\nPop"));
    EXPECT_FALSE(press(Qt::Key_3)); // the third slot is empty: no hotkey either
    EXPECT_FALSE(press(Qt::Key_1, Qt::ShiftModifier));
    store().setActiveTab(Tab::playlist);
    EXPECT_FALSE(press(Qt::Key_1));

    store().setActiveTab(Tab::favorites);
    EXPECT_TRUE(press(Qt::Key_G));
    EXPECT_EQ(postNames().last(), brivelloShowGenrePalette);
}

} // namespace

namespace {

TEST_F(MainWindowKeyHandlerTest, DigitsAssignTheQuickGenreToTheSelectedFavourites)
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
    EXPECT_TRUE(undoStack.canUndo()); // the window's history holds the assignment
}

TEST_F(MainWindowKeyHandlerTest, LetterHotkeysWorkInACyrillicLayout)
{
    select({ids[0]});
    // The physical F key with a Russian layout types "А".
    const QKeyEvent event(
        QEvent::KeyPress, 0x0410, Qt::NoModifier, 33 + 8, 0, 0, QStringLiteral("а"));
    EXPECT_TRUE(handler->handle(KeyStroke::fromEvent(event)));
    EXPECT_TRUE(store().tracks().at(0).isFavorite);
}

} // namespace

namespace {

TEST_F(MainWindowKeyHandlerTest, CleanRunsOnlyWhereTheStoresSelectionIsShown)
{
    int cleaned = 0;
    handler->runCleaner = [&cleaned] { ++cleaned; };
    select({ids[0]});
    EXPECT_FALSE(press(Qt::Key_B));
    EXPECT_TRUE(press(Qt::Key_B, Qt::ControlModifier));
    EXPECT_EQ(cleaned, 1);

    // Taken but idle where the list shows no store selection.
    for (const Tab tab : {Tab::converter, Tab::duplicates}) {
        store().setActiveTab(tab);
        EXPECT_TRUE(press(Qt::Key_B, Qt::ControlModifier));
    }
    EXPECT_EQ(cleaned, 1);

    // The genre palette key is a hotkey of the favourites section only.
    store().setActiveTab(Tab::playlist);
    EXPECT_FALSE(press(Qt::Key_G));
    EXPECT_FALSE(postNames().contains(brivelloShowGenrePalette));
}

} // namespace
